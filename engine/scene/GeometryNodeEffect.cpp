#include "engine/scene/GeometryNodeEffect.h"

#include "engine/core/MessageLog.h"
#include "engine/core/Stream.h"
#include "engine/scene/GeometryNode.h"
#include "engine/scene/GeometryNodeEffectPass.h"
#include "engine/core/ReferenceVisitor.h"

namespace zen {

ZEN_IMPLEMENT_ABSTRACT_CLASS(GeometryNodeEffect, Effect, kStartupSceneClasses)

namespace {

constexpr uint8_t kBlendedBits = 0x0F;  // Any of them set reads back as blended.
constexpr uint8_t kBlendedBit = 0x01;
constexpr uint8_t kNoCullBit = 0x10;    // Written when culling is off; a byte >= 16 reads as off.

bool IsBlendFactor(int32_t value)
{
    return value >= 0 && value < RenderState::kBlendFactorCount;
}

}  // namespace

GeometryNodeEffect::GeometryNodeEffect() = default;

GeometryNodeEffect::~GeometryNodeEffect()
{
    // Passes may outlive the effect (someone else may hold one); they must not reach it then.
    for (uint32_t t = 0; t < TechniqueCount(); ++t) {
        Technique* technique = GetTechnique(t);
        for (uint32_t p = 0; p < technique->PassCount(); ++p) {
            Pass* pass = technique->GetPass(p);
            if (pass->IsDerivedFrom(&GeometryNodeEffectPass::TYPE))
                static_cast<GeometryNodeEffectPass*>(pass)->DetachEffect();
        }
    }
}

void GeometryNodeEffect::OnAttach(Object* owner)
{
    m_owner = owner && owner->IsDerivedFrom(&GeometryNode::TYPE) ? static_cast<GeometryNode*>(owner) : nullptr;
}

void GeometryNodeEffect::PreparePass(GeometryNodeEffectPass&, RenderState&) {}

Result GeometryNodeEffect::BindPass(GeometryNodeEffectPass&, Renderer&, GeometryNode&)
{
    return kSuccess;
}

Result GeometryNodeEffect::ReportProblem(Problem problem, const char* detail)
{
    if ((m_reported & problem) == 0) {
        m_reported |= problem;
        Error("Эффект не рисует узел: %s. Имя[%s] ID[%d]", detail ? detail : "", Name().CStr(), ID());
    }
    return kFailure;
}

void GeometryNodeEffect::PreparePasses()
{
    Technique* technique = CurrentTechnique();
    if (!technique)
        return;
    for (uint32_t i = 0; i < technique->PassCount(); ++i) {
        Pass* pass = technique->GetPass(i);
        if (pass->IsDerivedFrom(&GeometryNodeEffectPass::TYPE))
            static_cast<GeometryNodeEffectPass*>(pass)->Prepare();
    }
}

// --- Settings -------------------------------------------------------------------------------

void GeometryNodeEffect::SetWireframe(bool wireframe)
{
    m_wireframe = wireframe;
    PreparePasses();
}

void GeometryNodeEffect::SetMaterial(const Vector4& diffuse, const Vector4& ambient, const Vector4& specular,
                                     const Vector4& emissive, float power)
{
    m_diffuse = diffuse;
    m_ambient = ambient;
    m_specular = specular;
    m_emissive = emissive;
    m_power = power;
    PreparePasses();
}

void GeometryNodeEffect::SetAlphaTest(bool enable, int32_t ref)
{
    m_alphaTest = enable;
    m_alphaRef = ref;
    PreparePasses();
}

Result GeometryNodeEffect::SetBlending(bool blended, int32_t source, int32_t destination)
{
    if (!IsBlendFactor(source) || !IsBlendFactor(destination))
        return kInvalidArgument;
    m_blended = blended;
    m_srcBlend = source;
    m_destBlend = destination;
    PreparePasses();
    return kSuccess;
}

void GeometryNodeEffect::SetFog(bool enable, const Vector4& color, float density, float exponent)
{
    m_fogEnable = enable;
    m_fogColor = color;
    m_fogDensity = density;
    m_fogExponent = exponent;
    PreparePasses();
}

void GeometryNodeEffect::SetFogRange(float a, float b)
{
    m_fogRangeA = a;
    m_fogRangeB = b;
}

void GeometryNodeEffect::SetCullEnabled(bool enable)
{
    m_cullEnable = enable;
    PreparePasses();
}

void GeometryNodeEffect::SetWrap(uint32_t stage, bool wrap)
{
    if (stage >= kWrapStages)
        return;
    m_wrap[stage] = wrap;
    PreparePasses();
}

Object* GeometryNodeEffect::FindByName(const String& name)
{
    if (Object* found = Effect::FindByName(name))
        return found;
    return m_texture ? m_texture->FindByName(name) : nullptr;
}

void GeometryNodeEffect::CollectByType(const Rtti* type, Array<Object*>& out)
{
    Effect::CollectByType(type, out);
    if (m_texture)
        m_texture->CollectByType(type, out);
}

// --- Stream ---------------------------------------------------------------------------------

Result GeometryNodeEffect::Save(Stream& stream)
{
    if (Effect::Save(stream) != kSuccess)
        return ParentSaveFailed();
    uint8_t clamped = 0;
    for (uint32_t i = 0; i < kWrapStages; ++i)
        if (!m_wrap[i])
            clamped |= static_cast<uint8_t>(1u << i);
    const uint8_t blend = (m_blended ? kBlendedBit : 0) | (m_cullEnable ? 0 : kNoCullBit);
    (void)stream.WriteByte(clamped);
    (void)stream.WriteVector4(m_diffuse);
    (void)stream.WriteVector4(m_ambient);
    (void)stream.WriteVector4(m_specular);
    (void)stream.WriteVector4(m_emissive);
    (void)stream.WriteFloat(m_power);
    (void)stream.WriteBool(m_alphaTest);
    (void)stream.WriteInt(m_alphaRef);
    (void)stream.WriteByte(blend);
    (void)stream.WriteInt(m_srcBlend);
    (void)stream.WriteInt(m_destBlend);
    (void)stream.WriteBool(m_fogEnable);
    (void)stream.WriteVector4(m_fogColor);
    (void)stream.WriteFloat(m_fogDensity);
    (void)stream.WriteFloat(m_fogExponent);
    (void)stream.WriteBool(m_flagC);
    (void)stream.WriteFloat(m_fogRangeA);
    (void)stream.WriteFloat(m_fogRangeB);
    if (stream.State() != kSuccess) {
        Error("Невозможно сохранить данные эффекта. Имя[%s] ID[%d]", Name().CStr(), ID());
        return kFailure;
    }
    if (stream.WriteObject(m_texture.Get()) != kSuccess) {
        Error("Невозможно сохранить текстуру. Имя[%s] ID[%d]", Name().CStr(), ID());
        return kFailure;
    }
    return kSuccess;
}

Result GeometryNodeEffect::Load(Stream& stream)
{
    if (Effect::Load(stream) != kSuccess)
        return ParentLoadFailed();
    uint8_t clamped = 0, blend = 0;
    bool alphaTest = false, fogEnable = false, flagC = false;
    int32_t alphaRef = 0, srcBlend = 0, destBlend = 0;
    Vector4 diffuse, ambient, specular, emissive, fogColor;
    float power = 0, fogDensity = 0, fogExponent = 0, fogRangeA = 0, fogRangeB = 0;
    (void)stream.ReadByte(clamped);
    (void)stream.ReadVector4(diffuse);
    (void)stream.ReadVector4(ambient);
    (void)stream.ReadVector4(specular);
    (void)stream.ReadVector4(emissive);
    (void)stream.ReadFloat(power);
    (void)stream.ReadBool(alphaTest);
    (void)stream.ReadInt(alphaRef);
    (void)stream.ReadByte(blend);
    (void)stream.ReadInt(srcBlend);
    (void)stream.ReadInt(destBlend);
    (void)stream.ReadBool(fogEnable);
    (void)stream.ReadVector4(fogColor);
    (void)stream.ReadFloat(fogDensity);
    (void)stream.ReadFloat(fogExponent);
    (void)stream.ReadBool(flagC);
    (void)stream.ReadFloat(fogRangeA);
    (void)stream.ReadFloat(fogRangeB);
    // Blend factors index the renderer's tables: a value outside them is a damaged file.
    if (stream.State() != kSuccess || !IsBlendFactor(srcBlend) || !IsBlendFactor(destBlend)) {
        Error("Невозможно загрузить данные эффекта. ID[%d] Имя[%s]", ID(), Name().CStr());
        return kFailure;
    }
    Ptr<BaseTexture> texture;
    if (stream.ReadObject(texture) != kSuccess) {
        Error("Невозможно загрузить текстуру. ID[%d] Имя[%s]", ID(), Name().CStr());
        return kFailure;
    }
    for (uint32_t i = 0; i < kWrapStages; ++i)
        m_wrap[i] = (clamped & (1u << i)) == 0;
    m_diffuse = diffuse;
    m_ambient = ambient;
    m_specular = specular;
    m_emissive = emissive;
    m_power = power;
    m_alphaTest = alphaTest;
    m_alphaRef = alphaRef;
    m_blended = (blend & kBlendedBits) != 0;
    m_cullEnable = blend < kNoCullBit;
    m_srcBlend = srcBlend;
    m_destBlend = destBlend;
    m_fogEnable = fogEnable;
    m_fogColor = fogColor;
    m_fogDensity = fogDensity;
    m_fogExponent = fogExponent;
    m_flagC = flagC;
    m_fogRangeA = fogRangeA;
    m_fogRangeB = fogRangeB;
    m_texture = texture;
    PreparePasses();
    return kSuccess;
}

void GeometryNodeEffect::VisitReferences(ReferenceVisitor& visitor)
{
    Effect::VisitReferences(visitor);
    visitor(m_texture);
}

}  // namespace zen
