#pragma once
#include "engine/scene/NormalmapTextureEffect.h"

namespace zen {

// A normal-mapped texture lit by one directional light ("ZEN.NormalmapTexture1DLEffect"):
// ambient + diffuse x N.L with N from the normal map in tangent space, plus specular (N.H)^power.
// Technique 0: vs_2_0 + ps_2_0 per pixel, both textures; technique 1: vs_1_1 + ps.1.1, the
// light vector per vertex and the normal map's N.L per pixel, specular per vertex; technique 2:
// fixed function, the texture lit per vertex without the normal map. A light that is missing or
// not directional draws nothing (logged once). Stream form: the normal-map effect's fields,
// then the light (link).
class NormalmapTexture1DLEffect : public NormalmapTextureEffect {
    ZEN_DECLARE_CLASS

public:
    NormalmapTexture1DLEffect() = default;

    // The per-vertex programs (technique 1), which the parallax effects fall back to.
    static const char* const kVertexProgram11;
    static const char* const kPixelProgram11;

    Light* GetLight() const { return m_lighting.Directional(); }
    void SetLight(Light* light) { m_lighting.SetDirectional(light); }

    Result CreatePasses(uint32_t technique, Technique& out) override;
    void PreparePass(GeometryNodeEffectPass& pass, RenderState& state) override;
    Result BindPass(GeometryNodeEffectPass& pass, Renderer& renderer, GeometryNode& node) override;

    Object* FindByName(const String& name) override;
    void CollectByType(const Rtti* type, Array<Object*>& out) override;
    Result Save(Stream& stream) override;
    Result Load(Stream& stream) override;
};

}  // namespace zen
