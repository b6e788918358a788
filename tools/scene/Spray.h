#pragma once
#include "engine/core/Ptr.h"
#include "engine/core/Result.h"
#include "engine/scene/Image.h"
#include "engine/scene/SceneNode.h"
#include "engine/scene/Texture.h"

namespace zen::scene {

// Sea spray where the swell breaks on the rocks: sprite particle systems that throw bursts of
// soft white droplets up from a volume at the waterline, which fall back and fade.
class Spray {
public:
    static Ptr<Image> Picture(const char* fileName);  // A soft round droplet, with alpha.
    [[nodiscard]] static Result Add(SceneNode& parent, Texture* texture);
};

}  // namespace zen::scene
