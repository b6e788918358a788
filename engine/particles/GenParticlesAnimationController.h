#pragma once
#include "engine/anim/AnimationController.h"

namespace zen {

// Switches a particle system's emission from a bool track ("ZEN.GenParticlesAnimationController"):
// after the track update, emission runs while the switch value (the key in force of the last
// stage with bool keys; true without one) is true and stops while it is false. Expects
// ZEN.GenParticlesAnimation animations; an owner that is not a particle system is left alone.
// No fields of its own: its stream form is the animation controller's.
class GenParticlesAnimationController : public AnimationController {
    ZEN_DECLARE_CLASS

public:
    GenParticlesAnimationController() = default;

protected:
    void ApplyStages() override;
};

}  // namespace zen
