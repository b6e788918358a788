#pragma once
#include "engine/scene/DarkmapNormalmapTextureEffect.h"

namespace zen {

// A dark-mapped, normal-mapped texture lit by one directional light
// ("ZEN.DarkmapNormalmapTexture1DLEffect"): NormalmapTexture1DLEffect's lighting with the base
// texture multiplied by the dark map first. Technique 0: vs_2_0 + ps_2_0 with three textures;
// technique 1: vs_1_1 (positions, normals, tangents, three coordinate sets) + ps.1.1; technique
// 2: fixed function, lit texture x dark map x colour. A light that is missing or not
// directional draws nothing (logged once). Stream form: the dark-map effect's fields, then the
// light (link).
class DarkmapNormalmapTexture1DLEffect : public DarkmapNormalmapTextureEffect {
    ZEN_DECLARE_CLASS

public:
    DarkmapNormalmapTexture1DLEffect() = default;

    Light* GetLight() const { return m_lighting.Directional(); }
    void SetLight(Light* light) { m_lighting.SetDirectional(light); }

    // The programs of techniques 0 and 1, which the light-mapped relief effects share (a light
    // map multiplies as the dark map does).
    static const char* const kVertexProgram20;
    static const char* const kPixelProgram20;
    static const char* const kVertexProgram11;
    static const char* const kPixelProgram11;

    Result CreatePasses(uint32_t technique, Technique& out) override;
    void PreparePass(GeometryNodeEffectPass& pass, RenderState& state) override;
    Result BindPass(GeometryNodeEffectPass& pass, Renderer& renderer, GeometryNode& node) override;

    Object* FindByName(const String& name) override;
    void CollectByType(const Rtti* type, Array<Object*>& out) override;
    Result Save(Stream& stream) override;
    Result Load(Stream& stream) override;
};

}  // namespace zen
