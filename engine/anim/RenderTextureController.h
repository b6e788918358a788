#pragma once
#include <cstdint>
#include "engine/anim/PostUpdateController.h"
#include "engine/core/Vector4.h"

namespace zen {

class Renderer;
class Texture;

// The shared part of the controllers that render into the texture they are attached to at the
// start of the renderer's frame (waves, rain ripples, environment cube, planar reflection and
// refraction). It has no run-time type of its own: each names PostUpdateController as its base
// record. Update registers the controller with the renderer (PostUpdateController); the
// rendering happens in PostUpdate.
class RenderTextureController : public PostUpdateController {
public:
    // The colour a texture target is cleared to before the scene is drawn into it: the frame's
    // own clear colour, opaque black.
    static constexpr Vector4 kSceneClearColor{0, 0, 0, 1};

    // Whether `renderer`'s device runs the version 2 shader programs these controllers draw
    // with: both shader versions of major 2 or 3.
    static bool HasShaderModel2(const Renderer& renderer);

protected:
    RenderTextureController() = default;

    // The owner as a flat texture; null for any other owner.
    Texture* OwnerTexture() const;
    // Gives `texture` an R8G8B8A8 image of the same name and size when its image has another
    // format, so the device target can hold a normal map with height. False when it has no
    // image of a usable size or the new image cannot be had (logged).
    bool EnsureColorTarget(Texture& texture) const;
};

}  // namespace zen
