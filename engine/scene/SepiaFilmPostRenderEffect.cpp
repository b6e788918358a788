#include "engine/scene/SepiaFilmPostRenderEffect.h"

#include <cstdlib>

#include "engine/core/MessageLog.h"
#include "engine/core/Stream.h"
#include "engine/render/Renderer.h"

namespace zen {

ZEN_IMPLEMENT_CLASS(SepiaFilmPostRenderEffect, SepiaPostRenderEffect, kStartupSceneClasses)

// The quad squeezed to a band 5 % of the screen wide: clip x = (x + 1) * 0.05 + c1.x.
const char* const SepiaFilmPostRenderEffect::kBandVertexProgram =
    "vs_1_1\n"
    "dcl_position v0\n"
    "def c8, 1, 0.5, 0.05, 0\n"
    "add r0.x, v0.x, c8.x\n"
    "mul r1.x, r0.x, c8.z\n"
    "add oPos.x, r1.x, c1.x\n"
    "mov oPos.y, v0.y\n"
    "mov oPos.zw, c8.wwwx\n"
    "mul oT0.x, r0.x, c8.y\n"
    "sub r0.y, c8.x, v0.y\n"
    "mul oT0.y, r0.y, c8.y\n";

// Full screen, the texture tiled by c2 and shifted by c1.
const char* const SepiaFilmPostRenderEffect::kGrainVertexProgram =
    "vs_1_1\n"
    "dcl_position v0\n"
    "def c8, 1, 0.5, 0, 0\n"
    "mov oPos.xy, v0\n"
    "mov oPos.zw, c8.zzzx\n"
    "add r0.x, v0.x, c8.x\n"
    "sub r0.y, c8.x, v0.y\n"
    "mul r0.xy, r0, c8.y\n"
    "mul r0.xy, r0, c2\n"
    "add oT0.xy, r0, c1\n";

const char* const SepiaFilmPostRenderEffect::kCopyPixelProgram =
    "ps.1.1\n"
    "tex t0\n"
    "mov r0, t0\n";

namespace {

// Both overlays multiply what is on the screen.
void MultiplyBlend(PositionPass* pass, bool wrap)
{
    if (!pass)
        return;
    RenderState& state = pass->RenderStates()->Edit();
    state.alphaBlendEnable = true;
    state.srcBlend = RenderState::kBlendDestinationColor;
    state.destBlend = RenderState::kBlendZero;
    if (wrap)
        state.stages[0].addressU = state.stages[0].addressV = RenderState::kAddressWrap;
}

float Random01()
{
    return static_cast<float>(std::rand() % 32768) / 32767.0f;
}

}  // namespace

SepiaFilmPostRenderEffect::SepiaFilmPostRenderEffect()
{
    m_bandPass = MakeQuadPass("SepiaFilm.lines", kBandVertexProgram, kCopyPixelProgram);
    m_grainPass = MakeQuadPass("SepiaFilm.grain", kGrainVertexProgram, kCopyPixelProgram);
    MultiplyBlend(m_bandPass.Get(), false);
    MultiplyBlend(m_grainPass.Get(), true);
}

void SepiaFilmPostRenderEffect::Composite(Renderer& renderer)
{
    DrawSepia(renderer);
    if (m_lines && m_bandPass && m_bandPass->Begin(renderer, ScreenQuad()) == kSuccess) {
        const float offset[4] = {Random01() * 1.9f - 1.0f, 0, 0, 0};
        renderer.SetTexture(0, m_lines.Get());
        renderer.SetVertexShaderConstants(1, offset, 1);
        renderer.DrawNonIndexed(2);
    }
    if (m_grain && m_grainPass && m_grainPass->Begin(renderer, ScreenQuad()) == kSuccess) {
        const Image* screen = ScreenTexture()->GetImage();
        const Image* grain = m_grain->GetImage();
        // One grain texel per screen pixel.
        const float tiling[4] = {grain && grain->Width() ? float(screen->Width()) / grain->Width() : 1.0f,
                                 grain && grain->Height() ? float(screen->Height()) / grain->Height() : 1.0f, 0, 0};
        const float offset[4] = {Random01(), Random01(), 0, 0};
        renderer.SetTexture(0, m_grain.Get());
        renderer.SetVertexShaderConstants(1, offset, 1);
        renderer.SetVertexShaderConstants(2, tiling, 1);
        renderer.DrawNonIndexed(2);
    }
}

Result SepiaFilmPostRenderEffect::Save(Stream& stream)
{
    if (SepiaPostRenderEffect::Save(stream) != kSuccess)
        return ParentSaveFailed();
    if (stream.WriteObject(m_lines.Get()) != kSuccess) {
        Error("Невозможно сохранить текстуру линий. Имя[%s] ID[%d]", Name().CStr(), ID());
        return kFailure;
    }
    if (stream.WriteObject(m_grain.Get()) != kSuccess) {
        Error("Невозможно сохранить текстуру зернистости. Имя[%s] ID[%d]", Name().CStr(), ID());
        return kFailure;
    }
    return kSuccess;
}

Result SepiaFilmPostRenderEffect::Load(Stream& stream)
{
    if (SepiaPostRenderEffect::Load(stream) != kSuccess)
        return ParentLoadFailed();
    Ptr<Texture> lines, grain;
    if (stream.ReadObject(lines) != kSuccess) {
        Error("Невозможно загрузить текстуру линий. ID[%d] Имя[%s]", ID(), Name().CStr());
        return kFailure;
    }
    if (stream.ReadObject(grain) != kSuccess) {
        Error("Невозможно загрузить текстуру зернистости. ID[%d] Имя[%s]", ID(), Name().CStr());
        return kFailure;
    }
    m_lines = lines;
    m_grain = grain;
    return kSuccess;
}

Object* SepiaFilmPostRenderEffect::FindByName(const String& name)
{
    if (Object* found = SepiaPostRenderEffect::FindByName(name))
        return found;
    if (Object* found = m_lines ? m_lines->FindByName(name) : nullptr)
        return found;
    return m_grain ? m_grain->FindByName(name) : nullptr;
}

void SepiaFilmPostRenderEffect::CollectByType(const Rtti* type, Array<Object*>& out)
{
    SepiaPostRenderEffect::CollectByType(type, out);
    if (m_lines)
        m_lines->CollectByType(type, out);
    if (m_grain)
        m_grain->CollectByType(type, out);
}

}  // namespace zen
