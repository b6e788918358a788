#pragma once
#include <vector>

#include "engine/core/Ptr.h"
#include "engine/core/Result.h"
#include "engine/scene/Image.h"
#include "engine/scene/SceneNode.h"
#include "tools/scene/Messages.h"
#include "tools/scene/SceneSounds.h"

namespace zen::scene {

// The scene the saver shows, assembled from the modelling layer and the picture recipes: a
// night sky with the moon, the sea to the horizon, the headland with the lighthouse and the
// keeper's cottage. Every picture the scene uses is returned beside it, each carrying the file
// name the scene file refers to it by.
class LighthouseScene {
public:
    static constexpr const char* kSceneFile = "Main.STR";

    // `sounds` are the sound files (name and content) the sound nodes are made from; without
    // them the scene is built silent. `texts` receives the text files the scene reads beside
    // its pictures (the on-screen messages' configuration and font parameters).
    [[nodiscard]] static Result Build(Ptr<SceneNode>& root, std::vector<Ptr<Image>>& pictures,
                                      const std::vector<SceneSounds::Sound>* sounds = nullptr,
                                      std::vector<Messages::Text>* texts = nullptr);
};

}  // namespace zen::scene
