#pragma once
#include "engine/core/Ptr.h"
#include "engine/core/Result.h"
#include "engine/scene/Image.h"
#include "engine/scene/SceneNode.h"
#include "engine/scene/Texture.h"

namespace zen::scene {

// Low mist lying on the water round the headland: thin blended layers just above the sea,
// drifting round slowly at their own paces, thick in patches near the shore and gone well
// before the open sea.
class Mist {
public:
    static constexpr float kSize = 520.0f;  // Metres across a layer.
    static Vector3 Centre() { return {0.0f, 0.0f, 60.0f}; }
    // The mist's patches (pale moonlit grey in colour, the density in alpha) over one layer,
    // texel (u, v) lying over the water at Centre() + (u - 1/2, -, 1/2 - v) x kSize.
    static Ptr<Image> Picture(const char* fileName);
    // Adds the layers to `parent`.
    [[nodiscard]] static Result Add(SceneNode& parent, Texture* mist);
};

}  // namespace zen::scene
