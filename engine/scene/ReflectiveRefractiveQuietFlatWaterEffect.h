#pragma once
#include "engine/scene/QuietFlatWaterEffect.h"

namespace zen {

// Calm water that reflects and lets the bottom show ("ZEN.ReflectiveRefractiveQuietFlatWaterEffect"): the water colour (texture x
// colour) with the refraction picture showing through it by the clarity, under the planar
// reflection weighted by Fresnel's law; the normal map's ripples shift both pictures and the
// weight. Inputs: positions, the texture's and the normal map's coordinate sets. Techniques:
// see QuietWater. A missing texture, normal map, reflection or refraction draws nothing (logged
// once). Stream form: the normal-map effect's fields, the reflection (link to a ZEN.Texture),
// the refraction (link), then distortion, Fresnel R0 and clarity (float32 each, one message).
class ReflectiveRefractiveQuietFlatWaterEffect : public QuietFlatWaterEffect {
    ZEN_DECLARE_CLASS

public:
    ReflectiveRefractiveQuietFlatWaterEffect() : QuietFlatWaterEffect(true) {}

    Texture* GetRefraction() const { return m_water.Refraction(); }
    void SetRefraction(Texture* texture) { m_water.SetRefraction(texture); }
};

}  // namespace zen
