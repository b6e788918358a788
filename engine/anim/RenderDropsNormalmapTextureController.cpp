#include "engine/anim/RenderDropsNormalmapTextureController.h"

#include <cmath>
#include <cstdlib>
#include <new>

#include "engine/core/MessageLog.h"
#include "engine/core/Stream.h"
#include "engine/render/Renderer.h"

namespace zen {

ZEN_IMPLEMENT_CLASS(RenderDropsNormalmapTextureController, PostUpdateController, kStartupOtherClasses)

const char* const RenderDropsNormalmapTextureController::kDropVertexProgram =
    "vs_2_0\ndcl_position v0\ndef c3, 0.000000, 1.000000, 0.500000, 0\nmul r1.xy, v0, c0\nmov r0.yzw, c3.x\n"
    "mov r0.x, c2\nadd oT0, r0, c3.z\nadd oPos.xy, r1, c1\nmov oPos.zw, c3.xyxy\n";
const char* const RenderDropsNormalmapTextureController::kDropPixelProgram = "ps_2_0\ndcl t0\nmov oC0, t0\n";
const char* const RenderDropsNormalmapTextureController::kStepVertexProgram =
    "vs_2_0\ndcl_position v0\ndef c1, 0.000000, 1.000000, 0.500000, 0\nadd r0.y, -v0, c0\nadd r0.x, v0, c0\n"
    "add r0.y, r0, c1\nadd r0.x, r0, c1.y\nmul r0.zw, r0.xyxy, c1.z\nmov r0.y, c0\nmov r0.x, -c0\n"
    "add oT1.xy, r0.zwzw, r0\nmov r0.y, -c0\nmov r0.x, c0\nadd oT4.xy, r0.zwzw, r0\nmov oPos.xy, v0\n"
    "mov oPos.zw, c1.xyxy\nmov oT0.xy, r0.zwzw\nadd oT2.xy, r0.zwzw, c0\nadd oT3.xy, r0.zwzw, -c0\n";
const char* const RenderDropsNormalmapTextureController::kStepPixelProgram =
    "ps_2_0\ndcl_2d s0\ndef c3, 4.000000, -0.500000, 0.500000, 0\ndcl t0.xy\ndcl t1.xy\ndcl t2.xy\ndcl t3.xy\n"
    "dcl t4.xy\ntexld r0, t4, s0\ntexld r2, t3, s0\ntexld r1, t0, s0\ntexld r4, t1, s0\ntexld r3, t2, s0\n"
    "add r3.x, r4, r3\nadd r2.x, r3, r2\nadd r0.x, r2, r0\nadd r2, r1, c3.y\nmad r0.x, -r1, c3, r0\n"
    "mad r0.x, r0, c1, r2.y\nmad r1.x, r0, c0, r2\nmov r1.zw, r2\nmov r1.y, r0.x\nmul r0, r1, c2.x\n"
    "add r0, r0, c3.z\nmov oC0, r0\n";
const char* const RenderDropsNormalmapTextureController::kNormalVertexProgram =
    "vs_2_0\ndcl_position v0\ndef c1, 0.500000, 1.000000, 0.000000, 0\nmov r1.xy, c0\nadd r0.y, -v0, c1\n"
    "add r0.x, v0, c1.y\nmul r0.xy, r0, c1.x\nmov r0.zw, c0.xyxy\nmad oT1.xy, c1.yzzw, r0.zwzw, r0\n"
    "mad oT2.xy, c1.zyzw, r1, r0\nmov oPos.xy, v0\nmov oPos.zw, c1.xyzy\nmov oT0.xy, r0\n";
const char* const RenderDropsNormalmapTextureController::kNormalPixelProgram =
    "ps_2_0\ndcl_2d s0\ndef c1, 1.000000, 0.500000, 0, 0\ndcl t0.xy\ndcl t1.xy\ndcl t2.xy\ntexld r0, t2, s0\n"
    "texld r1, t1, s0\ntexld r2, t0, s0\nadd r0.x, r2, -r0\nadd r1.x, r2, -r1\nmul r1.y, r0.x, c0.x\n"
    "mul r1.x, r1, c0\nmov r1.z, c1.x\ndp3 r0.x, r1, r1\nrsq r0.x, r0.x\nmul r0.xyz, r0.x, r1\nmov r0.w, r2.x\n"
    "mad r0.xyz, r0, c1.y, c1.y\nmov oC0, r0\n";

namespace {

constexpr double kTwoPi = 6.283185307179586;
constexpr Vector4 kRestingHeight{0.5f, 0.5f, 0.5f, 0.5f};

Ptr<PositionPass> MakePass(const char* name, const char* vertexProgram, const char* pixelProgram)
{
    Ptr<VertexShader> vertexShader = new (std::nothrow) VertexShader(String(name), String(vertexProgram));
    Ptr<PixelShader> pixelShader = new (std::nothrow) PixelShader(String(name), String(pixelProgram));
    Ptr<PositionPass> pass = new (std::nothrow) PositionPass(vertexShader.Get(), pixelShader.Get());
    if (pass && pass->RenderStates()) {
        // The height field wraps like the water surface it tiles.
        RenderState& state = pass->RenderStates()->Edit();
        state.stages[0].addressU = state.stages[0].addressV = RenderState::kAddressWrap;
    }
    return pass;
}

// A value spread evenly over base - spread .. base + spread.
float Spread(float base, float spread)
{
    const double u = static_cast<double>(std::rand() % 32768) / 32767.0;
    return static_cast<float>(base + u * 2 * spread - spread);
}

float UnitRandom()
{
    return static_cast<float>(2.0 * static_cast<double>(std::rand() % 32768) / 32767.0 - 1.0);
}

}  // namespace

RenderDropsNormalmapTextureController::RenderDropsNormalmapTextureController()
{
    m_dropPass = MakePass("Drops.drop", kDropVertexProgram, kDropPixelProgram);
    m_stepPass = MakePass("Drops.step", kStepVertexProgram, kStepPixelProgram);
    m_normalPass = MakePass("Drops.normal", kNormalVertexProgram, kNormalPixelProgram);
    m_quad = PositionPass::CreateScreenQuad("Drops Quad");
    Vector3 fan[48];
    for (int i = 0; i < 16; ++i) {
        const double a0 = i * kTwoPi / 16, a1 = (i + 1) * kTwoPi / 16;
        fan[i * 3] = {0, 0, 0};
        fan[i * 3 + 1] = {static_cast<float>(std::cos(a1)), static_cast<float>(std::sin(a1)), 0};
        fan[i * 3 + 2] = {static_cast<float>(std::cos(a0)), static_cast<float>(std::sin(a0)), 0};
    }
    m_fan = PositionPass::CreateGeometry("Drops Fan", fan, 48);
}

void RenderDropsNormalmapTextureController::Update(double elapsed)
{
    if (!m_active)
        return;
    m_dropTimer += elapsed;
    m_stepTimer += elapsed;
    PostUpdateController::Update(elapsed);
}

uint32_t RenderDropsNormalmapTextureController::TakeSteps(double& stepTimer, float simulationRate)
{
    const double perSecond = static_cast<double>(simulationRate) * 1000.0;
    if (!(perSecond > 0) || !(stepTimer > 0))
        return 0;
    const double whole = std::floor(stepTimer * perSecond);
    if (whole > kMaxStepsPerFrame) {
        stepTimer = 0;
        return kMaxStepsPerFrame;
    }
    stepTimer -= whole / perSecond;
    return static_cast<uint32_t>(whole);
}

uint32_t RenderDropsNormalmapTextureController::TakeDrops(double& dropTimer, uint32_t dropRate)
{
    if (dropRate == 0 || !(dropTimer > 0))
        return 0;
    const double whole = std::floor(static_cast<double>(dropRate) * dropTimer);
    if (whole > kMaxDropsPerFrame) {
        dropTimer = 0;
        return kMaxDropsPerFrame;
    }
    dropTimer -= whole / dropRate;
    return static_cast<uint32_t>(whole);
}

bool RenderDropsNormalmapTextureController::PrepareHeights(Renderer& renderer, Texture& target)
{
    Image* image = target.GetImage();
    if (!image || image->Width() == 0 || image->Height() == 0) {
        Error("Нет изображения для текстуры [%s].", target.Name().CStr());
        return false;
    }
    const uint32_t width = image->Width(), height = image->Height();
    bool fresh = image->Format() != Image::kR8G8B8A8;
    for (const Ptr<Texture>& h : m_heights) {
        const Image* held = h ? h->GetImage() : nullptr;
        fresh = fresh || !held || held->Width() != width || held->Height() != height;
    }
    if (!fresh)
        return true;
    if (!EnsureColorTarget(target))
        return false;
    static const char* const kImageNames[2] = {"Drops Height Image 1", "Drops Height Image 2"};
    static const char* const kTextureNames[2] = {"Drops Height Texture 1", "Drops Height Texture 2"};
    for (uint32_t i = 0; i < 2; ++i) {
        Ptr<Image> heights = new (std::nothrow) Image(String(kImageNames[i]), Image::kA16B16G16R16, width, height);
        m_heights[i] = heights && heights->Width() == width
                           ? new (std::nothrow) Texture(String(kTextureNames[i]), heights.Get())
                           : nullptr;
        if (!m_heights[i]) {
            Error("Недостаточно памяти для текстуры [%s].", kTextureNames[i]);
            m_heights[0] = m_heights[1] = nullptr;
            return false;
        }
        m_heights[i]->SetMipLevels(1);
        renderer.BeginRenderTarget(m_heights[i].Get());
        if (!renderer.RenderTargetActive()) {
            m_heights[0] = m_heights[1] = nullptr;  // Refused (logged): tried again next frame.
            return false;
        }
        renderer.Clear(Renderer::kClearColor, kRestingHeight, 1.0f, 0);
        renderer.EndRenderTarget();
    }
    m_current = 0;
    return true;
}

void RenderDropsNormalmapTextureController::DrawDrops(Renderer& renderer, uint32_t count)
{
    if (count == 0)
        return;
    renderer.BeginRenderTarget(m_heights[m_current].Get());
    if (renderer.RenderTargetActive() && m_dropPass->Begin(renderer, m_fan.Get()) == kSuccess) {
        for (uint32_t i = 0; i < count; ++i) {
            const float r = Spread(m_parameters.dropRadius, m_parameters.radiusSpread);
            const float radius[4] = {r, r, 0, 0};
            const float x = UnitRandom();
            const float y = UnitRandom();
            const float centre[4] = {x, y, 0, 0};
            const float strength[4] = {Spread(m_parameters.dropStrength * 0.5f, m_parameters.strengthSpread), 0, 0, 0};
            renderer.SetVertexShaderConstants(0, radius, 1);
            renderer.SetVertexShaderConstants(1, centre, 1);
            renderer.SetVertexShaderConstants(2, strength, 1);
            renderer.DrawNonIndexed(16);
        }
    }
    renderer.EndRenderTarget();
}

void RenderDropsNormalmapTextureController::DrawSteps(Renderer& renderer, uint32_t count)
{
    const Image* image = m_heights[m_current]->GetImage();
    const float texel[4] = {1.0f / image->Width(), 1.0f / image->Height(), 0, 0};
    const float heightFactor[4] = {m_parameters.heightFactor, 0, 0, 0};
    const float velocityFactor[4] = {m_parameters.velocityFactor, 0, 0, 0};
    const float keep[4] = {1.0f - m_parameters.damping, 0, 0, 0};
    for (uint32_t i = 0; i < count; ++i) {
        const uint32_t next = 1 - m_current;
        renderer.BeginRenderTarget(m_heights[next].Get());
        if (!renderer.RenderTargetActive())
            return;
        if (m_stepPass->Begin(renderer, m_quad.Get()) == kSuccess) {
            renderer.SetTexture(0, m_heights[m_current].Get());
            renderer.SetVertexShaderConstants(0, texel, 1);
            renderer.SetPixelShaderConstants(0, heightFactor, 1);
            renderer.SetPixelShaderConstants(1, velocityFactor, 1);
            renderer.SetPixelShaderConstants(2, keep, 1);
            renderer.DrawNonIndexed(2);
        }
        renderer.EndRenderTarget();
        m_current = next;
    }
}

void RenderDropsNormalmapTextureController::DrawNormals(Renderer& renderer, Texture& target)
{
    renderer.BeginRenderTarget(&target);
    if (!renderer.RenderTargetActive())
        return;
    renderer.Clear(Renderer::kClearColor | Renderer::kClearDepth, Vector4{0, 0, 0, 0}, 1.0f, 0);
    if (m_normalPass->Begin(renderer, m_quad.Get()) == kSuccess) {
        const Image* image = m_heights[m_current]->GetImage();
        renderer.SetTexture(0, m_heights[m_current].Get());
        renderer.SetTexture(1, nullptr);
        const float texel[4] = {1.0f / image->Width(), 1.0f / image->Height(), 0, 0};
        const float bump[4] = {m_parameters.bump, 0, 0, 0};
        renderer.SetVertexShaderConstants(0, texel, 1);
        renderer.SetPixelShaderConstants(0, bump, 1);
        renderer.DrawNonIndexed(2);
    }
    renderer.EndRenderTarget();
}

void RenderDropsNormalmapTextureController::PostUpdate()
{
    Renderer* renderer = Renderer::Current();
    Texture* target = OwnerTexture();
    if (!renderer || !target || !m_dropPass || !m_stepPass || !m_normalPass || !m_quad || !m_fan ||
        !HasShaderModel2(*renderer))
        return;
    if (!PrepareHeights(*renderer, *target))
        return;
    DrawDrops(*renderer, TakeDrops(m_dropTimer, m_parameters.dropRate));
    DrawSteps(*renderer, TakeSteps(m_stepTimer, m_parameters.simulationRate));
    DrawNormals(*renderer, *target);
}

Result RenderDropsNormalmapTextureController::Save(Stream& stream)
{
    if (Controller::Save(stream) != kSuccess)
        return ParentSaveFailed();
    const Parameters& p = m_parameters;
    stream.WriteFloat(p.simulationRate);
    stream.WriteFloat(p.dropStrength);
    stream.WriteFloat(p.strengthSpread);
    stream.WriteUInt(p.dropRate);
    stream.WriteFloat(p.dropRadius);
    stream.WriteFloat(p.radiusSpread);
    stream.WriteFloat(p.damping);
    stream.WriteFloat(p.heightFactor);
    stream.WriteFloat(p.velocityFactor);
    stream.WriteFloat(p.bump);
    if (stream.State() != kSuccess) {
        Error("Невозможно сохранить данные контроллера. Имя[%s] ID[%d]", m_name.CStr(), ID());
        return kFailure;
    }
    return kSuccess;
}

Result RenderDropsNormalmapTextureController::Load(Stream& stream)
{
    if (Controller::Load(stream) != kSuccess)
        return ParentLoadFailed();
    Parameters p;
    stream.ReadFloat(p.simulationRate);
    stream.ReadFloat(p.dropStrength);
    stream.ReadFloat(p.strengthSpread);
    stream.ReadUInt(p.dropRate);
    stream.ReadFloat(p.dropRadius);
    stream.ReadFloat(p.radiusSpread);
    stream.ReadFloat(p.damping);
    stream.ReadFloat(p.heightFactor);
    stream.ReadFloat(p.velocityFactor);
    stream.ReadFloat(p.bump);
    if (stream.State() != kSuccess) {
        Error("Невозможно загрузить данные. Имя[%s] ID[%d]", m_name.CStr(), ID());
        return kFailure;
    }
    m_parameters = p;
    return kSuccess;
}

}  // namespace zen
