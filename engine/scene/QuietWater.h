#pragma once
#include <cstdint>

#include "engine/core/Ptr.h"
#include "engine/core/Result.h"
#include "engine/core/Stream.h"
#include "engine/scene/GeometryNodeEffectPass.h"
#include "engine/scene/Texture.h"

namespace zen {

class GeometryNodeEffect;
class Renderer;

// What the two quiet flat-water effects share: the planar reflection (and, for the refractive
// one, refraction) texture drawn from the current camera (the screen-space reflect and refract
// controllers fill them), the look's parameters, the programs and their constants. The water
// colour is the effect's texture x colour; the normal map tilts the surface, which shifts the
// screen lookups by the distortion and sets the Fresnel weight of the reflection. A plain member
// of its effect, as EffectLighting is.
//
// Techniques (the normal-map effect's three): 0 vs_2_0 + ps_2_0 per pixel (s0 texture, s1 normal
// map, s2 reflection, s3 refraction); 1 vs_1_1 + ps.1.1, Fresnel and screen position per vertex,
// no normal map (t0 texture, t1 reflection, t2 refraction); 2 fixed function, the texture x
// colour alone (a fixed pipeline cannot place a screen-space picture).
// Vertex constants: the lit effects' c8-c19 (colour in c8, fog in c9, eye in c17); c20 (R0,
// 1 - R0, 0, 0) for the vs_1_1 program. Pixel constants: c8 colour, c9 (distortion, R0, 1 - R0,
// clarity) for ps_2_0; c0 colour, c1 (0, 0, 0, clarity) for ps.1.1.
class QuietWater {
public:
    struct Parameters {
        float distortion = 0.03f;    // Screen-texture units of shift for a fully tilted normal.
        float fresnelBias = 0.02f;   // Reflectance seen straight down (R0; water about 0.02).
        float clarity = 0.6f;        // How much of the refraction shows through the colour, 0-1.
    };

    explicit QuietWater(bool refractive) : m_refractive(refractive) {}

    Texture* Reflection() const { return m_reflection.Get(); }
    void SetReflection(Texture* texture) { m_reflection = texture; }
    Texture* Refraction() const { return m_refraction.Get(); }
    void SetRefraction(Texture* texture) { m_refraction = texture; }
    const Parameters& GetParameters() const { return m_parameters; }
    // R0 and the clarity are clamped to 0-1; non-finite values leave the old ones.
    void SetParameters(const Parameters& parameters);

    // Schlick's approximation: r0 + (1 - r0)(1 - cosine)^5, cosine clamped to 0-1.
    static float Fresnel(float r0, float cosine);

    // The pass of `technique` for `effect`, reading positions and the given coordinate sets.
    Ptr<GeometryNodeEffectPass> CreatePass(GeometryNodeEffect* effect, uint32_t technique, uint32_t textureSet,
                                           uint32_t normalSet) const;
    // For a shader pass: checks (reporting once through `effect`) and binds the water's own
    // textures from stage `first` on, then writes its constants with the colour `color`.
    Result Bind(GeometryNodeEffect& effect, Renderer& renderer, uint32_t first, bool perPixel,
                const Vector4& color) const;

    Object* FindByName(const String& name) const;
    void CollectByType(const Rtti* type, Array<Object*>& out) const;
    // Links (reflection, then refraction for the refractive water), then the parameters.
    Result Save(const Object& owner, Stream& stream) const;
    Result Load(const Object& owner, Stream& stream);

private:
    Ptr<Texture> m_reflection;
    Ptr<Texture> m_refraction;  // Only the refractive water uses it.
    Parameters m_parameters;
    bool m_refractive;
};

}  // namespace zen
