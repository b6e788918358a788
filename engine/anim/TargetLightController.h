#pragma once
#include "engine/anim/Controller.h"
#include "engine/core/Link.h"
#include "engine/scene/Node.h"

namespace zen {

// Turns a light towards a target node every frame ("ZEN.TargetLightController"; owner a light). The light's world transform is brought up to date and the light is turned so that it shines from its world position at the target's (up (0, 1, 0)) through its local rotation, which the node update carries into the world transform in the same frame.
// Without an owner of that type or without a target it does nothing.
// Stream form after the controller block: the target link.
class TargetLightController : public Controller {
    ZEN_DECLARE_CLASS

public:
    TargetLightController() = default;

    void Update(double elapsed) override;

    // The node looked at. A link, not a reference: the target belongs to the scene, which may
    // hold this controller under it; once the target is freed the controller logs it once and
    // does nothing.
    Node* Target() const { return m_target.Get(); }
    void SetTarget(Node* target) { m_target = target; }

    Result Save(Stream& stream) override;
    Result Load(Stream& stream) override;

private:
    Link<Node> m_target;
};

}  // namespace zen
