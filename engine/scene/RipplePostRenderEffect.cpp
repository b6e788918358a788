#include "engine/scene/RipplePostRenderEffect.h"

#include <cmath>

#include "engine/core/MessageLog.h"
#include "engine/core/Stream.h"
#include "engine/render/Renderer.h"

namespace zen {

ZEN_IMPLEMENT_CLASS(RipplePostRenderEffect, PostRenderEffect, kStartupSceneClasses)

// t0 the picture (half-texel offset c1), t1 the normal map: t0 * tiling (c2.x) + scroll (c3).
const char* const RipplePostRenderEffect::kVertexProgram =
    "vs_2_0\n"
    "dcl_position v0\n"
    "def c8, 1, 0.5, 0, 0\n"
    "mov oPos.xy, v0\n"
    "mov oPos.zw, c8.zzzx\n"
    "add r0.x, v0.x, c8.x\n"
    "sub r0.y, c8.x, v0.y\n"
    "mul r0.xy, r0, c8.y\n"
    "add oT0.xy, r0, c1\n"
    "mul r1.xy, r0, c2.x\n"
    "add oT1.xy, r1, c3\n";

// The picture fetched at t0 + (normal.xy * 2 - 1) * strength (c0.x).
const char* const RipplePostRenderEffect::kPixelProgram =
    "ps_2_0\n"
    "def c2, 2, -1, 0, 0\n"
    "dcl t0.xy\n"
    "dcl t1.xy\n"
    "dcl_2d s0\n"
    "dcl_2d s1\n"
    "texld r1, t1, s1\n"
    "mad r1.xy, r1, c2.x, c2.y\n"
    "mad r0.xy, r1, c0.x, t0\n"
    "texld r0, r0, s0\n"
    "mov oC0, r0\n";

RipplePostRenderEffect::RipplePostRenderEffect() : PostRenderEffect(20, 20)
{
    m_pass = MakeQuadPass("Ripple", kVertexProgram, kPixelProgram);
    if (m_pass)  // The normal map tiles.
        m_pass->RenderStates()->Edit().stages[1].addressU = m_pass->RenderStates()->Edit().stages[1].addressV =
            RenderState::kAddressWrap;
}

void RipplePostRenderEffect::Update(double time)
{
    if (std::isfinite(time) && std::isfinite(m_parameters.speed))
        m_time = static_cast<float>(std::fmod(m_time + time * m_parameters.speed, 1000.0));
    PostRenderEffect::Update(time);
}

void RipplePostRenderEffect::Composite(Renderer& renderer)
{
    Texture* screen = ScreenTexture();
    if (!screen || !m_pass)
        return;
    const Parameters& p = m_parameters;
    const float strength[4] = {m_normalMap ? p.strength : 0.0f, 0, 0, 0};
    const float tiling[4] = {p.tiling, p.tiling, 0, 0};
    // Only the fraction matters to a tiled map; keeping it small keeps the coordinates exact.
    const float scroll[4] = {static_cast<float>(std::fmod(p.scroll.x * m_time, 1.0)),
                             static_cast<float>(std::fmod(p.scroll.y * m_time, 1.0)), 0, 0};
    renderer.SetPixelShaderConstants(0, strength, 1);
    renderer.SetVertexShaderConstants(2, tiling, 1);
    renderer.SetVertexShaderConstants(3, scroll, 1);
    DrawQuad(renderer, *m_pass, ScreenQuad(), screen, m_normalMap ? m_normalMap.Get() : screen,
             screen->GetImage()->Width(), screen->GetImage()->Height());
}

Result RipplePostRenderEffect::Save(Stream& stream)
{
    if (PostRenderEffect::Save(stream) != kSuccess)
        return ParentSaveFailed();
    if (stream.WriteObject(m_normalMap.Get()) != kSuccess) {
        Error("Невозможно сохранить карту нормалей. Имя[%s] ID[%d]", Name().CStr(), ID());
        return kFailure;
    }
    stream.WriteVector2(m_parameters.scroll);
    stream.WriteFloat(m_parameters.strength);
    stream.WriteFloat(m_parameters.tiling);
    stream.WriteFloat(m_parameters.speed);
    if (stream.State() != kSuccess) {
        Error("Невозможно сохранить данные эффекта. Имя[%s] ID[%d]", Name().CStr(), ID());
        return kFailure;
    }
    return kSuccess;
}

Result RipplePostRenderEffect::Load(Stream& stream)
{
    if (PostRenderEffect::Load(stream) != kSuccess)
        return ParentLoadFailed();
    Ptr<Texture> normalMap;
    if (stream.ReadObject(normalMap) != kSuccess) {
        Error("Невозможно загрузить карту нормалей. ID[%d] Имя[%s]", ID(), Name().CStr());
        return kFailure;
    }
    Parameters p;
    stream.ReadVector2(p.scroll);
    stream.ReadFloat(p.strength);
    stream.ReadFloat(p.tiling);
    stream.ReadFloat(p.speed);
    if (stream.State() != kSuccess) {
        Error("Невозможно загрузить данные эффекта. Имя[%s] ID[%d]", Name().CStr(), ID());
        return kFailure;
    }
    m_normalMap = normalMap;
    m_parameters = p;
    return kSuccess;
}

Object* RipplePostRenderEffect::FindByName(const String& name)
{
    if (Object* found = PostRenderEffect::FindByName(name))
        return found;
    return m_normalMap ? m_normalMap->FindByName(name) : nullptr;
}

void RipplePostRenderEffect::CollectByType(const Rtti* type, Array<Object*>& out)
{
    PostRenderEffect::CollectByType(type, out);
    if (m_normalMap)
        m_normalMap->CollectByType(type, out);
}

void RipplePostRenderEffect::UpdateTextures(double time)
{
    PostRenderEffect::UpdateTextures(time);
    if (m_normalMap)
        m_normalMap->UpdateForFrame(time);
}

}  // namespace zen
