#pragma once
#include <utility>
#include <vector>

#include "engine/core/Ptr.h"
#include "engine/core/Result.h"
#include "engine/scene/Image.h"
#include "engine/scene/SceneNode.h"
#include "engine/scene/Texture.h"

namespace zen {
class AnimationController;
}

namespace zen::scene {

// The night's bright points: a glow over the moon, a glow on the lamp that swells each time a
// beam sweeps past, and the ghosts the lamp leaves in the camera's lens while it does.
class Flares {
public:
    static constexpr int kGlowSize = 256;
    // A soft core and halo with four long rays and four short ones, white with the glow in
    // alpha (the flare's colour tints it).
    static Ptr<Image> GlowPicture(const char* fileName);
    // A lens ghost: a faint disc with a brighter rim, with alpha.
    static Ptr<Image> GhostPicture(const char* fileName);

    // Adds the moon's flare to `sky`, and the lamp's flares and lens ghosts to `rotor`, a node
    // turning with the beams (its origin the lamp's centre, the beams along +z and -z); the
    // ghosts aim along the beam meshes "BeamAhead" and "BeamBehind" found under `beams`.
    [[nodiscard]] static Result Add(SceneNode& sky, SceneNode& rotor, SceneNode& beams, Texture* glow, Texture* ghost);

    // A repeating colour track of `controller` (already made, of the kind its owner needs):
    // `keys` as (time 0-1, colour), one pass every `period` seconds.
    [[nodiscard]] static Result Loop(AnimationController& controller, const char* animationName,
                                     const std::vector<std::pair<float, Vector4>>& keys, double period);
    // The lamp's brightness over one turn of its beams (0-1, a pass every twelve seconds): 1
    // as a beam passes the front and the back of the tower, low between.
    static float BeamPass(float phase);
};

}  // namespace zen::scene
