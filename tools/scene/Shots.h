#pragma once
#include "engine/core/Result.h"
#include "engine/scene/SceneNode.h"

namespace zen::scene {

// The camera shots of the show and their director (ZEN.ScreensaverController): each shot a
// camera flying a keyframed path while a target controller keeps it looking at a point that
// may itself move; the director picks shots at random without the recent ones and the
// application fades between them.
class Shots {
public:
    struct Shot {
        const char* name;
        double seconds;
        bool closed;  // The camera's path is a loop (an orbit).
        std::vector<Vector3> path;    // The camera's flight, relative to the tower's foot.
        std::vector<Vector3> target;  // Where it looks (one point: a fixed target).
    };

    static const std::vector<Shot>& All();
    static constexpr float kFarPlane = 4000.0f;

    // Adds the cameras, their targets and the director to `root`.
    [[nodiscard]] static Result Add(SceneNode& root);
};

}  // namespace zen::scene
