#pragma once
#include <string>
#include <vector>

#include "engine/core/Result.h"
#include "engine/scene/SceneNode.h"

namespace zen::scene {

// The scene's sound nodes: surf at the foot of the cliffs (placed in 3D), the wind, gulls
// calling now one cry and now the other over the cliffs, the foghorn sounding on a switch
// track, and the music in the node named "Music" (the node the saver's Music setting governs).
// The files (tools/sound) are handed in by name and content, because a sound node keeps the
// name of the file it was given.
class SceneSounds {
public:
    struct Sound {
        std::string name;
        std::vector<uint8_t> bytes;
    };
    [[nodiscard]] static Result Add(SceneNode& root, const std::vector<Sound>& sounds);
};

}  // namespace zen::scene
