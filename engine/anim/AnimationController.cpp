#include "engine/anim/AnimationController.h"

#include <cmath>
#include <utility>

#include "engine/anim/BoolKeyframe.h"
#include "engine/anim/ColorKeyframe.h"
#include "engine/anim/FloatKeyframe.h"
#include "engine/anim/Interpolation.h"
#include "engine/core/MessageLog.h"
#include "engine/core/ReferenceVisitor.h"
#include "engine/core/Stream.h"

namespace zen {

ZEN_IMPLEMENT_CLASS(AnimationController, Controller, kStartupOtherClasses)

namespace {

// Fewest bytes a stored link (a null one) and a stored frame take, for checking counts
// against the stream before allocating.
constexpr uint32_t kMinLinkBytes = 4;
constexpr uint32_t kMinFrameBytes = 4 + 4 + 4 * 8;

}  // namespace

void AnimationController::Update(double elapsed)
{
    if (!m_active)
        return;
    AdvanceTrack(elapsed);
    ApplyStages();
}

void AnimationController::ApplyStages() {}

void AnimationController::AdvanceTrack(double elapsed)
{
    // 2. The track.
    if (m_trackPeriod > 0 && std::isfinite(m_trackPeriod) && std::isfinite(elapsed)) {
        m_trackPosition += elapsed / m_trackPeriod;
        if (m_trackPosition >= 1)
            m_trackPosition -= std::floor(m_trackPosition);
    }
    const double position = m_trackPosition;

    // 3. The first two frames under the position, in file order, into stages 0 and 1.
    const AnimationFrame* first = nullptr;
    const AnimationFrame* second = nullptr;
    for (const AnimationFrame& frame : m_frames) {
        if (!frame.animation || !frame.Covers(position))
            continue;
        if (!first) {
            first = &frame;
        } else {
            second = &frame;
            break;
        }
    }
    if (first && !(m_stages.Count() > 0 && m_stages[0].animation == first->animation))
        PutStageAnimation(first->animation.Get(), 0, 1.0f);
    if (second && !(m_stages.Count() > 1 && m_stages[1].animation == second->animation))
        PutStageAnimation(second->animation.Get(), 1, 1.0f);

    // 4. The cross-fade: the later frame fades in over the overlap.
    if (!second) {
        if (m_stages.Count() >= 2 && m_stages[1].animation) {
            PutStageAnimation(nullptr, 1, 0.0f);
            PutStageWeight(0, 1.0f);
        }
    } else {
        const AnimationFrame& a = *first;
        const AnimationFrame& b = *second;
        if (b.start > a.start && b.end > a.end) {
            const double overlap = a.end - b.start;
            const double w = overlap > 0 ? (position - b.start) / overlap : 1.0;
            PutStageWeight(1, static_cast<float>(w));
            PutStageWeight(0, static_cast<float>(1 - w));
        } else if (a.start > b.start && a.end > b.end) {
            const double overlap = b.end - a.start;
            const double w = overlap > 0 ? (position - a.start) / overlap : 1.0;
            PutStageWeight(0, static_cast<float>(w));
            PutStageWeight(1, static_cast<float>(1 - w));
        } else {
            PutStageWeight(0, 0.5f);
            PutStageWeight(1, 0.5f);
        }
    }

    // 5-6. Each stage at its frame's local time.
    if (first && m_stages.Count() > 0)
        m_stages[0].Evaluate(first->LocalTime(position, true));
    if (second && m_stages.Count() > 1)
        m_stages[1].Evaluate(second->LocalTime(position, false));
}

void AnimationController::Reset()
{
    ClearStages();
    m_trackPosition = 0;
}

bool AnimationController::ReachStage(uint32_t stage)
{
    while (stage >= m_stages.Count())
        if (m_stages.Append(BlendStage()) != kSuccess)
            return false;
    return true;
}

void AnimationController::PutStageAnimation(Animation* animation, uint32_t stage, float weight)
{
    if (!ReachStage(stage))
        return;
    BlendStage& slot = m_stages[stage];
    if (slot.animation != animation) {
        slot.animation = animation;
        slot.keyIndex = 0;
        slot.nextKeyIndex = 0;
        slot.fraction = 0;
    }
    slot.weight = weight;
}

void AnimationController::PutStageWeight(uint32_t stage, float weight)
{
    if (stage < m_stages.Count())
        m_stages[stage].weight = weight;
}

void AnimationController::SetStageAnimation(Animation* animation, uint32_t stage, float weight)
{
    PutStageAnimation(animation, stage, weight);
}

void AnimationController::SetStageAnimationByName(const String& name, uint32_t stage, float weight)
{
    Animation* named = nullptr;
    for (const Ptr<Animation>& animation : m_animations) {
        if (animation && animation->Name() == name) {
            named = animation.Get();
            break;
        }
    }
    PutStageAnimation(named, stage, weight);
}

void AnimationController::SetStageWeight(uint32_t stage, float weight) { PutStageWeight(stage, weight); }

void AnimationController::SetTrackPosition(double position) { m_trackPosition = position; }

Vector4 AnimationController::BlendColor(const Vector4& start) const
{
    return BlendStages<ColorKeyframe>(
        start, [](const ColorKeyframe& a, const ColorKeyframe& b, float f) { return Lerp(a.color, b.color, f); },
        [](const Vector4& acc, const Vector4& value, float w) { return Lerp(acc, value, w); });
}

float AnimationController::BlendFloat(float start) const
{
    return BlendStages<FloatKeyframe>(
        start, [](const FloatKeyframe& a, const FloatKeyframe& b, float f) { return Lerp(a.value, b.value, f); },
        [](float acc, float value, float w) { return Lerp(acc, value, w); });
}

bool AnimationController::SwitchValue() const
{
    bool value = true;
    ForEachStageKey<BoolKeyframe>([&](const BoolKeyframe& key) { value = key.value; });
    return value;
}

Result AnimationController::AddAnimation(Animation* animation)
{
    if (!animation)
        return kInvalidArgument;
    return m_animations.Append(Ptr<Animation>(animation));
}

Animation* AnimationController::GetAnimation(uint32_t index) const
{
    return index < m_animations.Count() ? m_animations[index].Get() : nullptr;
}

Result AnimationController::AddFrame(const AnimationFrame& frame)
{
    if (!std::isfinite(frame.start) || !std::isfinite(frame.end) || !std::isfinite(frame.scale) ||
        !std::isfinite(frame.offset) || frame.end < frame.start)
        return kInvalidArgument;
    return m_frames.Append(frame);
}

const AnimationFrame* AnimationController::GetFrame(uint32_t index) const
{
    return index < m_frames.Count() ? &m_frames[index] : nullptr;
}

const BlendStage* AnimationController::GetStage(uint32_t index) const
{
    return index < m_stages.Count() ? &m_stages[index] : nullptr;
}

Object* AnimationController::FindByName(const String& name)
{
    if (Object* found = Controller::FindByName(name))
        return found;
    for (const Ptr<Animation>& animation : m_animations)
        if (Object* found = animation ? animation->FindByName(name) : nullptr)
            return found;
    return nullptr;
}

void AnimationController::CollectByType(const Rtti* type, Array<Object*>& out)
{
    Controller::CollectByType(type, out);
    for (const Ptr<Animation>& animation : m_animations)
        if (animation)
            animation->CollectByType(type, out);
}

Result AnimationController::Save(Stream& stream)
{
    if (Controller::Save(stream) != kSuccess)
        return ParentSaveFailed();
    if (stream.WriteUInt(m_animations.Count()) != kSuccess) {
        Error("Невозможно сохранить количество анимаций. Имя[%s] ID[%d]", Name().CStr(), ID());
        return kFailure;
    }
    for (const Ptr<Animation>& animation : m_animations) {
        if (stream.WriteObject(animation.Get()) != kSuccess) {
            Error("Невозможно сохранить анимацию. Имя[%s] ID[%d]", Name().CStr(), ID());
            return kFailure;
        }
    }
    if (stream.WriteUInt(m_frames.Count()) != kSuccess) {
        Error("Невозможно сохранить количество фреймов анимаций. Имя[%s] ID[%d]", Name().CStr(), ID());
        return kFailure;
    }
    for (const AnimationFrame& frame : m_frames) {
        if (frame.Save(stream) != kSuccess) {
            Error("Невозможно сохранить фрейм анимаций. Имя[%s] ID[%d]", Name().CStr(), ID());
            return kFailure;
        }
    }
    if (stream.WriteDouble(m_trackPeriod) != kSuccess) {
        Error("Невозможно сохранить период трэка. Имя[%s] ID[%d]", Name().CStr(), ID());
        return kFailure;
    }
    return kSuccess;
}

Result AnimationController::Load(Stream& stream)
{
    if (Controller::Load(stream) != kSuccess)
        return ParentLoadFailed();
    uint32_t count = 0;
    if (stream.ReadUInt(count) != kSuccess || count > stream.Remaining() / kMinLinkBytes) {
        Error("Невозможно загрузить количество анимаций. ID[%d] Имя[%s]", ID(), Name().CStr());
        return kFailure;
    }
    Array<Ptr<Animation>> animations(count > 0 ? count : 1, 1);
    for (uint32_t i = 0; i < count; ++i) {
        Ptr<Animation> animation;
        if (stream.ReadObject(animation) != kSuccess || animations.Append(animation) != kSuccess) {
            Error("Невозможно загрузить анимацию. Имя[%s] ID[%d]", Name().CStr(), ID());
            return kFailure;
        }
    }
    if (stream.ReadUInt(count) != kSuccess || count > stream.Remaining() / kMinFrameBytes) {
        Error("Невозможно загрузить количество фреймов анимаций. ID[%d] Имя[%s]", ID(), Name().CStr());
        return kFailure;
    }
    Array<AnimationFrame> frames(count > 0 ? count : 1, 1);
    for (uint32_t i = 0; i < count; ++i) {
        AnimationFrame frame;
        if (frame.Load(stream) != kSuccess || frames.Append(frame) != kSuccess) {
            Error("Невозможно загрузить фрейм анимаций. Имя[%s] ID[%d]", Name().CStr(), ID());
            return kFailure;
        }
    }
    double period = 0;
    if (stream.ReadDouble(period) != kSuccess || !std::isfinite(period)) {
        Error("Невозможно загрузить период трэка. ID[%d] Имя[%s]", ID(), Name().CStr());
        return kFailure;
    }
    m_animations = std::move(animations);
    m_frames = std::move(frames);
    m_trackPeriod = period;
    return kSuccess;
}

void AnimationController::VisitReferences(ReferenceVisitor& visitor)
{
    Controller::VisitReferences(visitor);
    for (Ptr<Animation>& animation : m_animations)
        visitor(animation);
    for (BlendStage& stage : m_stages)
        visitor(stage.animation);
    for (AnimationFrame& frame : m_frames)
        visitor(frame.animation);
}

}  // namespace zen
