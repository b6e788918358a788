#pragma once
#include "engine/scene/Texture1DLEffect.h"

namespace zen {

// A lit texture with a velvet sheen ("ZEN.VelvetTexture1DLEffect"): as Texture1DLEffect, plus
// a rim brightening where the surface turns away from the eye, (1 - N.V)^2 x the diffuse
// product. Technique 0: vs_2_0 (positions, normals, coordinates; lit and sheen per vertex) +
// ps.1.1; techniques 1 and 2 are Texture1DLEffect's vs_1_1 + ps.1.1 and fixed-function ones
// (without the sheen). Stream form: Texture1DLEffect's, nothing of its own.
class VelvetTexture1DLEffect : public Texture1DLEffect {
    ZEN_DECLARE_CLASS

public:
    VelvetTexture1DLEffect();

    Result CreatePasses(uint32_t technique, Technique& out) override;
};

}  // namespace zen
