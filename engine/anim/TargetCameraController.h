#pragma once
#include "engine/anim/Controller.h"
#include "engine/core/Link.h"
#include "engine/scene/Node.h"

namespace zen {

// Turns a camera towards a target node every frame ("ZEN.TargetCameraController"; owner a camera). The camera's world transform is brought up to date, the camera is turned to look at the target's world position (up (0, 1, 0)), and the rotation is written into both its local and its world transform; its world-transform update is left off so the node update keeps that orientation.
// Without an owner of that type or without a target it does nothing.
// Stream form after the controller block: the target link.
class TargetCameraController : public Controller {
    ZEN_DECLARE_CLASS

public:
    TargetCameraController() = default;

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
