#pragma once
#include "engine/scene/QuietFlatWaterEffect.h"

namespace zen {

// Calm water that mirrors what stands above it ("ZEN.ReflectiveQuietFlatWaterEffect"): the water colour (texture x
// colour) under the planar reflection weighted by Fresnel's law, the normal map's ripples
// shifting the reflection and the weight. Inputs: positions, the texture's and the normal map's
// coordinate sets. Techniques: see QuietWater. A missing texture, normal map or reflection draws
// nothing (logged once). Stream form: the normal-map effect's fields, the reflection (link to a
// ZEN.Texture), then distortion, Fresnel R0 and clarity (float32 each, one message; the clarity
// is kept though only the refractive water uses it).
class ReflectiveQuietFlatWaterEffect : public QuietFlatWaterEffect {
    ZEN_DECLARE_CLASS

public:
    ReflectiveQuietFlatWaterEffect() : QuietFlatWaterEffect(false) {}
};

}  // namespace zen
