#include "engine/scene/EffectSupport.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "engine/core/MessageLog.h"
#include "engine/core/Object.h"
#include "engine/scene/CubeTexture.h"
#include "engine/scene/GeometryNode.h"
#include "engine/scene/GeometryNodeEffect.h"
#include "engine/scene/Image.h"
#include "engine/scene/Texture.h"
#include "engine/scene/VolumeTexture.h"

namespace zen {

Result EffectSupport::CheckTexture(GeometryNodeEffect& effect, const BaseTexture* texture, const char* what)
{
    bool present = texture != nullptr;
    if (present && texture->IsDerivedFrom(&Texture::TYPE))
        present = static_cast<const Texture*>(texture)->GetImage() != nullptr;
    else if (present && texture->IsDerivedFrom(&CubeTexture::TYPE))
        present = const_cast<CubeTexture*>(static_cast<const CubeTexture*>(texture))->GetImage(false) != nullptr;
    if (present)
        return kSuccess;
    char detail[160];
    std::snprintf(detail, sizeof detail, "нет изображения: %s", what);
    const GeometryNodeEffect::Problem problem = GeometryNodeEffect::kProblemMissingTexture;
    return effect.ReportProblem(problem, detail);
}

float EffectSupport::ReliefMean(const Texture* normalMap)
{
    const Image* image = normalMap ? normalMap->GetImage() : nullptr;
    const uint32_t format = image ? image->Format() : 0;
    if (!image || !image->Data() || (format != Image::kR8G8B8 && format != Image::kR8G8B8A8))
        return 1.0f;
    const uint32_t step = format == Image::kR8G8B8 ? 3 : 4;
    const uint64_t count = static_cast<uint64_t>(image->Width()) * image->Height();
    if (count == 0)
        return 1.0f;
    double sum = 0;
    for (uint64_t i = 0; i < count; ++i) {
        const uint8_t* texel = image->Data() + i * step;
        double n[3];
        for (int c = 0; c < 3; ++c)
            n[c] = texel[c] / 255.0 * 2 - 1;
        const double length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
        if (length > 0)
            sum += std::max(0.0, (0.5 * n[0] + 0.5 * n[1] + n[2]) / length);
    }
    return static_cast<float>(sum / static_cast<double>(count));
}

void EffectSupport::PrepareLitStages(RenderState& state, const Vector4& color)
{
    RenderState::Stage& lit = state.stages[0];
    lit.combineMode = RenderState::kCombineModulate;
    RenderState::Stage& tint = state.stages[1];
    tint.combineMode = RenderState::kCombineCustom;
    tint.colorOp = tint.alphaOp = RenderState::kCombineMultiply;
    tint.colorArg[0] = tint.alphaArg[0] = RenderState::kArgCurrent;
    tint.colorArg[1] = tint.alphaArg[1] = RenderState::kArgTextureFactor;
    tint.colorArgMod[0] = tint.colorArgMod[1] = 0;
    tint.alphaArgMod[0] = tint.alphaArgMod[1] = 0;
    tint.textureFactor = color;
}

void EffectSupport::PrepareStage(RenderState& state, uint32_t stage, int32_t op)
{
    if (stage >= RenderState::kStageCount)
        return;
    RenderState::Stage& s = state.stages[stage];
    s.combineMode = RenderState::kCombineCustom;
    s.colorOp = op;
    s.colorArg[0] = RenderState::kArgTexture;
    s.colorArg[1] = RenderState::kArgCurrent;
    s.colorArgMod[0] = s.colorArgMod[1] = 0;
    s.alphaOp = RenderState::kCombineSelect;
    s.alphaArg[0] = RenderState::kArgCurrent;
    s.alphaArgMod[0] = 0;
}

Object* EffectSupport::FindIn(Object* object, const String& name)
{
    return object ? object->FindByName(name) : nullptr;
}

void EffectSupport::CollectIn(Object* object, const Rtti* type, Array<Object*>& out)
{
    if (object)
        object->CollectByType(type, out);
}

Result EffectSupport::SaveLink(const Object& owner, Stream& stream, Object* link, const char* what)
{
    if (stream.WriteObject(link) == kSuccess)
        return kSuccess;
    Error("Невозможно сохранить %s. Имя[%s] ID[%d]", what, owner.Name().CStr(), owner.ID());
    return kFailure;
}

Result EffectSupport::LoadFailed(const Object& owner, const char* what)
{
    Error("Невозможно загрузить %s. ID[%d] Имя[%s]", what, owner.ID(), owner.Name().CStr());
    return kFailure;
}

Result EffectSupport::SaveSet(const Object& owner, Stream& stream, uint32_t set, const char* what)
{
    if (stream.WriteInt(static_cast<int32_t>(set)) == kSuccess)
        return kSuccess;
    Error("Невозможно сохранить %s. Имя[%s] ID[%d]", what, owner.Name().CStr(), owner.ID());
    return kFailure;
}

Result EffectSupport::LoadSet(const Object& owner, Stream& stream, uint32_t& out, const char* what)
{
    int32_t set = 0;
    if (stream.ReadInt(set) != kSuccess || set < 0 || set >= static_cast<int32_t>(GeometryNode::kTexCoordSets))
        return LoadFailed(owner, what);
    out = static_cast<uint32_t>(set);
    return kSuccess;
}

Result EffectSupport::SaveFloats(const Object& owner, Stream& stream, const float* values, uint32_t count,
                                 const char* what)
{
    for (uint32_t i = 0; i < count; ++i)
        (void)stream.WriteFloat(values[i]);
    if (stream.State() != kSuccess) {
        Error("Невозможно сохранить %s. Имя[%s] ID[%d]", what, owner.Name().CStr(), owner.ID());
        return kFailure;
    }
    return kSuccess;
}

Result EffectSupport::LoadFloats(const Object& owner, Stream& stream, float* values, uint32_t count, const char* what)
{
    for (uint32_t i = 0; i < count; ++i)
        if (stream.ReadFloat(values[i]) != kSuccess)
            return LoadFailed(owner, what);
    return kSuccess;
}

}  // namespace zen
