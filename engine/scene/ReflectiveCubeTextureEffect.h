#pragma once
#include "engine/scene/CubeTexture.h"
#include "engine/scene/EffectLighting.h"
#include "engine/scene/TextureEffect.h"

namespace zen {

// A texture with a cube-map reflection ("ZEN.ReflectiveCubeTextureEffect"): the texture x
// colour mixed with the cube map seen along the reflected eye ray (world space) by the
// reflectivity. Inputs: positions, normals, the texture's coordinate set. Technique 0: vs_1_1
// (the reflection vector per vertex; world rows in c20-c22) + ps.1.1 with both textures;
// technique 1: fixed function, the cube map's mean (a middle grey) in place of the reflection and
// without the colour (the device's one texture factor carries the mean and the reflectivity). A
// missing texture or cube map draws nothing (logged once). Stream form: the texture effect's
// fields, the cube map (link to a ZEN.CubeTexture), the reflectivity (float32, 0-1).
class ReflectiveCubeTextureEffect : public TextureEffect {
    ZEN_DECLARE_CLASS

public:
    static constexpr uint32_t kWorldRegister = EffectLighting::kFirstFreeVertexRegister;  // c20-c22.

    ReflectiveCubeTextureEffect();

    CubeTexture* GetCubeMap() const { return m_cubeMap.Get(); }
    void SetCubeMap(CubeTexture* texture) { m_cubeMap = texture; }
    float Reflectivity() const { return m_reflectivity; }
    void SetReflectivity(float reflectivity);  // Clamped to 0-1.

    Result CreatePasses(uint32_t technique, Technique& out) override;
    void PreparePass(GeometryNodeEffectPass& pass, RenderState& state) override;
    Result BindPass(GeometryNodeEffectPass& pass, Renderer& renderer, GeometryNode& node) override;

    Object* FindByName(const String& name) override;
    void CollectByType(const Rtti* type, Array<Object*>& out) override;
    Result Save(Stream& stream) override;
    Result Load(Stream& stream) override;

protected:
    // The eye, fog, colour and world-row constants of the reflection programs.
    void WriteReflectionConstants(Renderer& renderer, GeometryNode& node) const;
    // kSuccess when the texture and the cube map are there (else reported); binds them to stages
    // 0 and 1.
    Result BindTextures(Renderer& renderer);

    EffectLighting m_lighting;  // Eye and fog only.

protected:
    void UpdateTextures(double time) override;

private:
    Ptr<CubeTexture> m_cubeMap;
    float m_reflectivity = 0.5f;
};

}  // namespace zen
