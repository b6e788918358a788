#include "engine/anim/RenderWavesTextureController.h"

#include <new>

#include "engine/anim/PerlinNoiseTextureController.h"
#include "engine/core/MessageLog.h"
#include "engine/core/Stream.h"
#include "engine/render/Renderer.h"
#include "engine/scene/Texture.h"

namespace zen {

ZEN_IMPLEMENT_CLASS(RenderWavesTextureController, PostUpdateController, kStartupOtherClasses)

const char* const RenderWavesTextureController::kVertexProgram =
    "vs_2_0\ndef c3, 1, 0, 0, 0\ndef c2, 0, 1, 0.5, 0\ndcl_position v0\n\tmov oPos.xy, v0.xyyy\n"
    "\tmov oPos.zw, c2.yyxy\n\tadd r0.x, c2.y, v0.x\n\tadd r0.y, c2.y, -v0.y\n\tmul r0.zw, c2.z, r0.xxxy\n"
    "\tmov oT0.xy, r0.zwww\n\tmov oT0.z, c0.x\n\tmov r0.xy, c3\n\tmad oT1.xy, r0.xy, c1.xy, r0.zw\n"
    "\tmov oT1.z, c0.x\n\tmad oT2.xy, r0.yx, c1.xy, r0.zw\n\tmov oT2.z, c0.x\n";

const char* const RenderWavesTextureController::kPixelProgram =
    "ps_2_0\ndcl_volume s0\ndef c1, 1.000000, 0.500000, 0.000000, 0.000000\ndcl t0.xyz\ndcl t1.xyz\n"
    "dcl t2.xyz\ntexld r3, t0, s0\nmov r1.w, r3\ntexld r3, t1, s0\nmov r2.w, r3\ntexld r3, t2, s0\n"
    "mov r0.w, r3\nadd r0.x, r1.w, -r2.w\nmul r1.x, r0, c0\nadd r0.x, r1.w, -r0.w\nmul r1.y, r0.x, c0.x\n"
    "mov r1.z, c1.x\ndp3 r0.x, r1, r1\nrsq r0.x, r0.x\nmul r0.xyz, r0.x, r1\nmad r1.xyz, r0, c1.y, c1.y\n"
    "mov oC0, r1\n";

RenderWavesTextureController::RenderWavesTextureController()
{
    m_pass = new (std::nothrow) PositionPass(new (std::nothrow) VertexShader(String("Waves.vs"), String(kVertexProgram)),
                                             new (std::nothrow) PixelShader(String("Waves.ps"), String(kPixelProgram)));
    if (m_pass && m_pass->RenderStates()) {
        RenderState& state = m_pass->RenderStates()->Edit();
        state.stages[0].addressU = state.stages[0].addressV = state.stages[0].addressW = RenderState::kAddressWrap;
    }
    m_quad = PositionPass::CreateScreenQuad("Waves Quad");
    Ptr<VolumeImage> volume = new (std::nothrow) VolumeImage(String("Perlin Volume"), Image::kA8, 128, 128, 128);
    m_noise = new (std::nothrow) VolumeTexture(String("Perlin volume texture"), volume.Get());
    Ptr<PerlinNoiseTextureController> generator = new (std::nothrow) PerlinNoiseTextureController;
    if (m_noise && generator)
        (void)m_noise->SetController(generator.Get());
}

void RenderWavesTextureController::Update(double elapsed)
{
    if (!m_active)
        return;
    m_time += static_cast<float>(elapsed);
    if (m_noise)
        m_noise->Update(elapsed);
    PostUpdateController::Update(elapsed);
}

void RenderWavesTextureController::PostUpdate()
{
    Renderer* renderer = Renderer::Current();
    Texture* target = OwnerTexture();
    if (!renderer || !target || !m_pass || !m_quad || !HasShaderModel2(*renderer))
        return;
    if (!EnsureColorTarget(*target))
        return;
    renderer->BeginRenderTarget(target);
    if (!renderer->RenderTargetActive())
        return;  // Refused (logged by the renderer): nothing is drawn over the screen instead.
    renderer->Clear(Renderer::kClearColor, Vector4{0, 0, 0, 0}, 1.0f, 1);
    if (m_pass->Begin(*renderer, m_quad.Get()) == kSuccess) {
        renderer->SetTexture(0, m_noise.Get());
        const float depth = m_time * m_speed;
        const float time[4] = {depth, depth, depth, depth};
        renderer->SetVertexShaderConstants(0, time, 1);
        VolumeImage* noise = m_noise ? m_noise->GetImage(false) : nullptr;
        const float texel[4] = {noise && noise->Width() ? 1.0f / noise->Width() : 0.0f,
                                noise && noise->Height() ? 1.0f / noise->Height() : 0.0f, 0, 0};
        renderer->SetVertexShaderConstants(1, texel, 1);
        const float bump[4] = {m_bump, m_bump, m_bump, m_bump};
        renderer->SetPixelShaderConstants(0, bump, 1);
        renderer->DrawNonIndexed(2);
    }
    renderer->EndRenderTarget();
}

Result RenderWavesTextureController::Save(Stream& stream)
{
    if (Controller::Save(stream) != kSuccess)
        return ParentSaveFailed();
    stream.WriteFloat(m_speed);
    stream.WriteFloat(m_bump);
    if (stream.State() != kSuccess) {
        Error("Невозможно сохранить данные контроллера. Имя[%s] ID[%d]", m_name.CStr(), ID());
        return kFailure;
    }
    if (stream.WriteObject(m_noise.Get()) != kSuccess) {
        Error("Невозможно сохранить текстуру шума. Имя[%s] ID[%d]", m_name.CStr(), ID());
        return kFailure;
    }
    return kSuccess;
}

Result RenderWavesTextureController::Load(Stream& stream)
{
    if (Controller::Load(stream) != kSuccess)
        return ParentLoadFailed();
    stream.ReadFloat(m_speed);
    stream.ReadFloat(m_bump);
    if (stream.State() != kSuccess) {
        Error("Невозможно загрузить данные. Имя[%s] ID[%d]", m_name.CStr(), ID());
        return kFailure;
    }
    Ptr<VolumeTexture> noise;
    if (stream.ReadObject(noise) != kSuccess) {
        Error("Невозможно загрузить текстуру шума. Имя[%s] ID[%d]", m_name.CStr(), ID());
        return kFailure;
    }
    m_noise = noise;
    return kSuccess;
}

Object* RenderWavesTextureController::FindByName(const String& name)
{
    if (Object* found = Controller::FindByName(name))
        return found;
    return m_noise ? m_noise->FindByName(name) : nullptr;
}

void RenderWavesTextureController::CollectByType(const Rtti* type, Array<Object*>& out)
{
    Controller::CollectByType(type, out);
    if (m_noise)
        m_noise->CollectByType(type, out);
}

}  // namespace zen
