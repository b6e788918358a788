#pragma once
#include "engine/anim/AnimationController.h"

namespace zen {

// Starts and stops a sound node from a bool track ("ZEN.SoundNodeAnimationController"; owner a
// ZEN.SoundNode, animations ZEN.SoundNodeAnimation). While the switch is on the node plays: a
// sound that is not playing (stopped, or run out) starts again from its beginning, one that
// plays goes on. While it is off the node is stopped and marked not playing.
class SoundNodeAnimationController : public AnimationController {
    ZEN_DECLARE_CLASS

public:
    SoundNodeAnimationController() = default;

protected:
    void ApplyStages() override;
};

}  // namespace zen
