#include "engine/scene/TextureEffect.h"

#include "engine/core/MessageLog.h"
#include "engine/core/Stream.h"
#include "engine/render/Renderer.h"
#include "engine/scene/GeometryNode.h"
#include "engine/core/ReferenceVisitor.h"

namespace zen {

ZEN_IMPLEMENT_CLASS(TextureEffect, ColorEffect, kStartupSceneClasses)

namespace {

// The colour program with the texture coordinates passed to t0.
constexpr const char* kVertexProgram =
    "vs_1_1\n"
    "dcl_position v0\n"
    "dcl_texcoord v1\n"
    ZEN_COLOR_EFFECT_VERTEX_BODY
    "mov oT0, v1\n";

constexpr const char* kPixelProgram =
    "ps.1.1\n"
    "tex t0\n"
    "mul r0, t0, v0\n";

}  // namespace

Result TextureEffect::SetTexCoordSet(uint32_t set)
{
    if (set >= GeometryNode::kTexCoordSets)
        return kInvalidArgument;
    if (set != m_texCoordSet) {
        m_texCoordSet = set;
        RebuildTechniques();
    }
    return kSuccess;
}

Result TextureEffect::CreatePasses(uint32_t technique, Technique& out)
{
    Ptr<GeometryNodeEffectPass> pass =
        CreateColorPass(technique, "TextureEffect.vs", kVertexProgram, "TextureEffect.ps", kPixelProgram);
    if (!pass || pass->AddInput(VertexElement::kTexCoords, m_texCoordSet) != kSuccess)
        return kOutOfMemory;
    return out.AddPass(pass.Get());
}

void TextureEffect::PreparePass(GeometryNodeEffectPass& pass, RenderState& state)
{
    if (pass.UsesShaders())
        return;
    RenderState::Stage& stage = state.stages[0];
    stage.combineMode = RenderState::kCombineCustom;
    stage.colorOp = stage.alphaOp = RenderState::kCombineMultiply;
    stage.colorArg[0] = stage.alphaArg[0] = RenderState::kArgTexture;
    stage.colorArg[1] = stage.alphaArg[1] = RenderState::kArgTextureFactor;
    stage.textureFactor = Color();
}

Result TextureEffect::BindPass(GeometryNodeEffectPass& pass, Renderer& renderer, GeometryNode& node)
{
    renderer.SetTexture(0, m_texture.Get());
    return ColorEffect::BindPass(pass, renderer, node);
}

Object* TextureEffect::FindByName(const String& name)
{
    if (Object* found = ColorEffect::FindByName(name))
        return found;
    return m_texture ? m_texture->FindByName(name) : nullptr;
}

void TextureEffect::CollectByType(const Rtti* type, Array<Object*>& out)
{
    ColorEffect::CollectByType(type, out);
    if (m_texture)
        m_texture->CollectByType(type, out);
}

Result TextureEffect::Save(Stream& stream)
{
    if (ColorEffect::Save(stream) != kSuccess)
        return ParentSaveFailed();
    if (stream.WriteObject(m_texture.Get()) != kSuccess) {
        Error("Невозможно сохранить текстуру. Имя[%s] ID[%d]", Name().CStr(), ID());
        return kFailure;
    }
    if (stream.WriteInt(static_cast<int32_t>(m_texCoordSet)) != kSuccess) {
        Error("Невозможно сохранить номер набора текстурных координат. Имя[%s] ID[%d]", Name().CStr(), ID());
        return kFailure;
    }
    return kSuccess;
}

Result TextureEffect::Load(Stream& stream)
{
    if (ColorEffect::Load(stream) != kSuccess)
        return ParentLoadFailed();
    Ptr<Texture> texture;
    if (stream.ReadObject(texture) != kSuccess) {
        Error("Невозможно загрузить текстуру. ID[%d] Имя[%s]", ID(), Name().CStr());
        return kFailure;
    }
    m_texture = texture;
    int32_t set = 0;
    if (stream.ReadInt(set) != kSuccess || set < 0 || SetTexCoordSet(static_cast<uint32_t>(set)) != kSuccess) {
        Error("Невозможно загрузить номер набора текстурных координат. ID[%d] Имя[%s]", ID(), Name().CStr());
        return kFailure;
    }
    return kSuccess;
}

void TextureEffect::VisitReferences(ReferenceVisitor& visitor)
{
    ColorEffect::VisitReferences(visitor);
    visitor(m_texture);
}

void TextureEffect::UpdateTextures(double time)
{
    ColorEffect::UpdateTextures(time);
    if (m_texture)
        m_texture->UpdateForFrame(time);
}

}  // namespace zen
