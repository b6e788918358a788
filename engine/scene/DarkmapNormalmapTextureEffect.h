#pragma once
#include "engine/scene/NormalmapTextureEffect.h"

namespace zen {

// A normal-mapped texture darkened by a dark map ("ZEN.DarkmapNormalmapTextureEffect"): as
// NormalmapTextureEffect, multiplied by the dark map (baked occlusion, its own coordinate set).
// Technique 0: vs_2_0 + ps_2_0 with three textures (base, normal map, dark map); technique 1:
// vs_1_1 + ps.1.1 with the three; technique 2: fixed function, texture x colour x relief mean,
// then x the dark map in stage 1. A missing dark map draws nothing (logged once). Stream form:
// the normal-map effect's fields, the dark map (link to a ZEN.Texture), its coordinate set
// (int32).
class DarkmapNormalmapTextureEffect : public NormalmapTextureEffect {
    ZEN_DECLARE_CLASS

public:
    DarkmapNormalmapTextureEffect() = default;

    Texture* GetDarkmap() const { return m_darkmap.Get(); }
    void SetDarkmap(Texture* texture) { m_darkmap = texture; }
    uint32_t DarkmapSet() const { return m_darkmapSet; }
    Result SetDarkmapSet(uint32_t set);  // kInvalidArgument past 7; the passes are built again.

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

protected:
    // kSuccess when the dark map is there (else reported); binds it to `stage`.
    Result BindDarkmap(Renderer& renderer, uint32_t stage);

protected:
    void UpdateTextures(double time) override;

private:
    Ptr<Texture> m_darkmap;
    uint32_t m_darkmapSet = 1;
};

}  // namespace zen
