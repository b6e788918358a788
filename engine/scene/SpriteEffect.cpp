#include "engine/scene/SpriteEffect.h"

#include <cmath>
#include <new>

#include "engine/core/MessageLog.h"
#include "engine/core/Stream.h"
#include "engine/render/Renderer.h"
#include "engine/scene/GeometryNode.h"
#include "engine/scene/GeometryNodeEffectPass.h"

namespace zen {

ZEN_IMPLEMENT_CLASS(SpriteEffect, GeometryNodeEffect, kStartupSceneClasses)

SpriteEffect::SpriteEffect()
{
    (void)AddTechnique(0, 0);
}

void SpriteEffect::SetTexture(Texture* texture)
{
    m_texture = texture;
    PreparePasses();
}

void SpriteEffect::OnAttach(Object* owner)
{
    GeometryNodeEffect::OnAttach(owner);
    // An effect shared by many systems is attached to each: its passes change only when the
    // new owner draws otherwise than the passes were prepared for.
    const GeometryNode* node = Owner();
    const bool points = node && node->GetPrimitiveType() == GeometryNode::kPoints;
    if (!m_prepared || points != m_preparedForPoints)
        PreparePasses();
}

void SpriteEffect::Update(double time)
{
    GeometryNodeEffect::Update(time);
    if (time > 0 && std::isfinite(time))
        m_clock += time;
}

Result SpriteEffect::CreatePasses(uint32_t, Technique& out)
{
    Ptr<GeometryNodeEffectPass> pass = new (std::nothrow) GeometryNodeEffectPass(this);
    if (!pass || pass->AddInput(VertexElement::kVertices) != kSuccess ||
        pass->AddInput(VertexElement::kColors) != kSuccess ||
        pass->AddInput(VertexElement::kPointSizes, 0, false) != kSuccess ||
        pass->AddInput(VertexElement::kTexCoords, 0, false) != kSuccess)
        return kOutOfMemory;
    return out.AddPass(pass.Get());
}

void SpriteEffect::PreparePass(GeometryNodeEffectPass&, RenderState& state)
{
    const GeometryNode* node = Owner();
    state.pointSprites = node && node->GetPrimitiveType() == GeometryNode::kPoints;
    m_prepared = true;
    m_preparedForPoints = state.pointSprites;
    RenderState::Stage& stage = state.stages[0];
    stage.combineMode = RenderState::kCombineCustom;
    if (m_texture) {
        stage.colorOp = stage.alphaOp = RenderState::kCombineMultiply;
        stage.colorArg[0] = stage.alphaArg[0] = RenderState::kArgTexture;
        stage.colorArg[1] = stage.alphaArg[1] = RenderState::kArgDiffuse;
    } else {
        stage.colorOp = stage.alphaOp = RenderState::kCombineSelect;
        stage.colorArg[0] = stage.alphaArg[0] = RenderState::kArgDiffuse;
    }
    stage.colorArgMod[0] = stage.colorArgMod[1] = 0;
    stage.alphaArgMod[0] = stage.alphaArgMod[1] = 0;
}

Result SpriteEffect::BindPass(GeometryNodeEffectPass&, Renderer& renderer, GeometryNode&)
{
    renderer.SetTexture(0, m_texture.Get());
    return kSuccess;
}

Object* SpriteEffect::FindByName(const String& name)
{
    if (Object* found = GeometryNodeEffect::FindByName(name))
        return found;
    return m_texture ? m_texture->FindByName(name) : nullptr;
}

void SpriteEffect::CollectByType(const Rtti* type, Array<Object*>& out)
{
    GeometryNodeEffect::CollectByType(type, out);
    if (m_texture)
        m_texture->CollectByType(type, out);
}

Result SpriteEffect::Save(Stream& stream)
{
    if (GeometryNodeEffect::Save(stream) != kSuccess)
        return ParentSaveFailed();
    if (stream.WriteObject(m_texture.Get()) != kSuccess) {
        Error("Невозможно сохранить текстуру. Имя[%s] ID[%d]", Name().CStr(), ID());
        return kFailure;
    }
    return kSuccess;
}

Result SpriteEffect::Load(Stream& stream)
{
    if (GeometryNodeEffect::Load(stream) != kSuccess)
        return ParentLoadFailed();
    Ptr<Texture> texture;
    if (stream.ReadObject(texture) != kSuccess) {
        Error("Невозможно загрузить текстуру. ID[%d] Имя[%s]", ID(), Name().CStr());
        return kFailure;
    }
    SetTexture(texture.Get());
    return kSuccess;
}

void SpriteEffect::UpdateTextures(double time)
{
    GeometryNodeEffect::UpdateTextures(time);
    if (m_texture)
        m_texture->UpdateForFrame(time);
}

}  // namespace zen
