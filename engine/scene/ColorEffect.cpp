#include "engine/scene/ColorEffect.h"

#include <new>

#include "engine/core/MessageLog.h"
#include "engine/core/Stream.h"
#include "engine/render/Renderer.h"

namespace zen {

ZEN_IMPLEMENT_CLASS(ColorEffect, GeometryNodeEffect, kStartupSceneClasses)

namespace {

enum : uint32_t { kShaderTechnique, kFixedTechnique };

// Position to clip space with the shared matrices, the view depth (third column of
// world x view) scaled by c9.x into the fog exponent, and the colour from c8.
constexpr const char* kVertexProgram =
    "vs_1_1\n"
    "dcl_position v0\n"
    ZEN_COLOR_EFFECT_VERTEX_BODY;

constexpr const char* kPixelProgram =
    "ps.1.1\n"
    "mov r0, v0\n";

constexpr float kLog2E = 1.44269504f;

}  // namespace

ColorEffect::ColorEffect()
{
    (void)AddTechnique(11, 11);
    (void)AddTechnique(0, 0);
}

void ColorEffect::SetColor(const Vector4& color)
{
    m_color = color;
    PreparePasses();
}

Ptr<GeometryNodeEffectPass> ColorEffect::CreateColorPass(uint32_t technique, const char* vertexName,
                                                         const char* vertexProgram, const char* pixelName,
                                                         const char* pixelProgram)
{
    Ptr<GeometryNodeEffectPass> pass = new (std::nothrow) GeometryNodeEffectPass(this);
    if (!pass || pass->AddInput(VertexElement::kVertices) != kSuccess)
        return nullptr;
    if (technique == kShaderTechnique) {
        Ptr<VertexShader> vertexShader = new (std::nothrow) VertexShader(String(vertexName), String(vertexProgram));
        Ptr<PixelShader> pixelShader = new (std::nothrow) PixelShader(String(pixelName), String(pixelProgram));
        if (!vertexShader || !pixelShader)
            return nullptr;
        pass->SetShaders(vertexShader.Get(), pixelShader.Get());
    }
    return pass;
}

Result ColorEffect::CreatePasses(uint32_t technique, Technique& out)
{
    Ptr<GeometryNodeEffectPass> pass =
        CreateColorPass(technique, "ColorEffect.vs", kVertexProgram, "ColorEffect.ps", kPixelProgram);
    return pass ? out.AddPass(pass.Get()) : kOutOfMemory;
}

void ColorEffect::PreparePass(GeometryNodeEffectPass& pass, RenderState& state)
{
    if (pass.UsesShaders())
        return;
    // Without lighting or vertex colours the colour comes from the stage's constant.
    RenderState::Stage& stage = state.stages[0];
    stage.combineMode = RenderState::kCombineCustom;
    stage.colorOp = stage.alphaOp = RenderState::kCombineSelect;
    stage.colorArg[0] = stage.alphaArg[0] = RenderState::kArgTextureFactor;
    stage.textureFactor = m_color;
}

void ColorEffect::WriteColorConstants(Renderer& renderer) const
{
    // The fog factor e^(-density x depth) is computed as 2^(depth x c9.x).
    const float fog[4] = {-FogDensity() * kLog2E, 0.0f, 0.0f, 0.0f};
    renderer.SetVertexShaderConstants(kColorRegister, &m_color.x, 1);
    renderer.SetVertexShaderConstants(kFogRegister, fog, 1);
}

Result ColorEffect::BindPass(GeometryNodeEffectPass& pass, Renderer& renderer, GeometryNode&)
{
    if (pass.UsesShaders())
        WriteColorConstants(renderer);
    return kSuccess;
}

Result ColorEffect::Save(Stream& stream)
{
    if (GeometryNodeEffect::Save(stream) != kSuccess)
        return ParentSaveFailed();
    if (stream.WriteVector4(m_color) != kSuccess) {
        Error("Невозможно сохранить цвет. Имя[%s] ID[%d]", Name().CStr(), ID());
        return kFailure;
    }
    return kSuccess;
}

Result ColorEffect::Load(Stream& stream)
{
    if (GeometryNodeEffect::Load(stream) != kSuccess)
        return ParentLoadFailed();
    Vector4 color;
    if (stream.ReadVector4(color) != kSuccess) {
        Error("Невозможно загрузить цвет. ID[%d] Имя[%s]", ID(), Name().CStr());
        return kFailure;
    }
    SetColor(color);
    return kSuccess;
}

}  // namespace zen
