#pragma once
#include <cstdint>

#include "engine/anim/PostUpdateController.h"
#include "engine/core/Array.h"
#include "engine/core/Link.h"
#include "engine/scene/Node.h"

namespace zen {

// Bends a chain of nodes towards a target ("ZEN.IKController"; owner the target node, a
// post-update controller). chain[0] is the end effector, the following nodes the joints that
// may turn. Once per frame, at the start of the renderer's frame, each joint turns about the
// axis that swings the effector towards the target, by an angle proportional to how much that
// turn closes the gap (one Jacobian-transpose step, gain 0.00001 per unit of length squared);
// the new local rotations show in the next frame's world transforms. A target within 0.01 of
// the effector, and a chain already stretched straight at it, are left as they are.
// Stream form after the controller block: count (uint32) and each node link.
class IKController : public PostUpdateController {
    ZEN_DECLARE_CLASS

public:
    static constexpr float kGain = 0.00001f;
    static constexpr float kCloseEnough = 0.01f;

    IKController() = default;

    // One solver step (see above); nothing without a node owner or a chain.
    void PostUpdate() override;

    Result AddChainNode(Node* node);  // kInvalidArgument for null.
    uint32_t ChainLength() const { return m_chain.Count(); }
    Node* GetChainNode(uint32_t index) const { return index < m_chain.Count() ? m_chain[index].Get() : nullptr; }

    Result Save(Stream& stream) override;
    Result Load(Stream& stream) override;

private:
    Array<Link<Node>> m_chain;  // [0] the effector, then the joints; a null or freed entry is skipped.
    // Links: the chain lies in the scene above and beside the target that owns this controller.
};

}  // namespace zen
