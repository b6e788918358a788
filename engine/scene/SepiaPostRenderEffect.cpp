#include "engine/scene/SepiaPostRenderEffect.h"

#include "engine/core/MessageLog.h"
#include "engine/core/Stream.h"
#include "engine/render/Renderer.h"

namespace zen {

ZEN_IMPLEMENT_CLASS(SepiaPostRenderEffect, PostRenderEffect, kStartupSceneClasses)

// r0 = L + (80, 43, 0) / 255 - (0, 0, 23) / 255, then lerp by the amount in the diffuse colour.
const char* const SepiaPostRenderEffect::kPixelProgram =
    "ps.1.1\n"
    "def c1, 0.299, 0.587, 0.184, 0\n"
    "def c2, 0.313726, 0.168627, 0, 0\n"
    "def c3, 0, 0, 0.090196, 0\n"
    "tex t0\n"
    "dp3 r0.rgb, t0, c1\n"
    "add r0.rgb, r0, c2\n"
    "sub r0.rgb, r0, c3\n"
    "lrp r0.rgb, v0, r0, t0\n"
    "+mov r0.a, t0\n";

SepiaPostRenderEffect::SepiaPostRenderEffect() : PostRenderEffect(11, 11)
{
    m_pass = MakeQuadPass("Sepia", kQuadVertexProgram, kPixelProgram);
}

void SepiaPostRenderEffect::DrawSepia(Renderer& renderer)
{
    if (!m_pass || !ScreenTexture())
        return;
    const float amount[4] = {m_amount, m_amount, m_amount, m_amount};
    renderer.SetVertexShaderConstants(0, amount, 1);
    const Image* image = ScreenTexture()->GetImage();
    DrawQuad(renderer, *m_pass, ScreenQuad(), ScreenTexture(), nullptr, image->Width(), image->Height());
}

void SepiaPostRenderEffect::Composite(Renderer& renderer)
{
    DrawSepia(renderer);
}

Result SepiaPostRenderEffect::Save(Stream& stream)
{
    if (PostRenderEffect::Save(stream) != kSuccess)
        return ParentSaveFailed();
    if (stream.WriteFloat(m_amount) != kSuccess) {
        Error("Невозможно сохранить степень сепии. Имя[%s] ID[%d]", Name().CStr(), ID());
        return kFailure;
    }
    return kSuccess;
}

Result SepiaPostRenderEffect::Load(Stream& stream)
{
    if (PostRenderEffect::Load(stream) != kSuccess)
        return ParentLoadFailed();
    if (stream.ReadFloat(m_amount) != kSuccess) {
        Error("Невозможно загрузить степень сепии. ID[%d] Имя[%s]", ID(), Name().CStr());
        return kFailure;
    }
    return kSuccess;
}

}  // namespace zen
