#pragma once
#include <cstdint>

#include "engine/anim/AnimationController.h"
#include "engine/core/Link.h"

namespace zen {

// Switches other controllers on and off along a camera flight
// ("ZEN.CameraActivateAnimationController"; owner a ZEN.Camera, animations ZEN.BoolAnimation).
// While its camera is the renderer's, it runs the camera's flight (cameraAnimation) and the
// flight of the camera's target (targetAnimation), follows the flight's track position instead
// of advancing its own, and sets each listed controller active when the switch is on. While
// another camera is drawn it stops and rewinds both flights and, once, rewinds the listed
// controllers to their start.
// Stream form after the animation controller's: cameraAnimation link, targetAnimation link,
// controller count (uint32), each controller link.
class CameraActivateAnimationController : public AnimationController {
    ZEN_DECLARE_CLASS

public:
    CameraActivateAnimationController() = default;

    void Update(double elapsed) override;

    AnimationController* CameraAnimation() const { return m_cameraAnimation.Get(); }
    AnimationController* TargetAnimation() const { return m_targetAnimation.Get(); }
    void SetCameraAnimation(AnimationController* controller) { m_cameraAnimation = controller; }
    void SetTargetAnimation(AnimationController* controller) { m_targetAnimation = controller; }
    Result AddController(AnimationController* controller);  // kInvalidArgument for null.
    uint32_t ControlledCount() const { return m_controllers.Count(); }
    AnimationController* GetControlled(uint32_t index) const;

    Result Save(Stream& stream) override;
    Result Load(Stream& stream) override;

private:
    // Links: each of these controllers is attached to a node of the scene (the camera, its
    // target, the lamps), which holds this controller's camera too.
    Array<Link<AnimationController>> m_controllers;  // Switched by the track.
    Link<AnimationController> m_cameraAnimation;     // Flies the camera.
    Link<AnimationController> m_targetAnimation;     // Moves the camera's target; may be empty.
};

}  // namespace zen
