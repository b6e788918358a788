#pragma once
#include "engine/core/Ptr.h"
#include "engine/core/Result.h"
#include "engine/scene/Image.h"
#include "engine/scene/SceneNode.h"
#include "engine/scene/Texture.h"

namespace zen::scene {

// Gulls circling over the cliffs: each a skinned mesh (body and two wings, ZEN.SkinController)
// whose three bones are flown along a closed path while a skeleton controller plays the wing
// beat (ZEN.SkeletonAnimationController driving each wing bone's own node animation).
class Birds {
public:
    static constexpr int kCount = 3;

    static Ptr<Image> Picture(const char* fileName);  // Grey-white body, dark wing tips.
    [[nodiscard]] static Result Add(SceneNode& root, Texture* texture);
};

}  // namespace zen::scene
