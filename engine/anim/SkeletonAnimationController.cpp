#include "engine/anim/SkeletonAnimationController.h"

#include <utility>

#include "engine/core/MessageLog.h"
#include "engine/core/ReferenceVisitor.h"
#include "engine/core/Stream.h"

namespace zen {

ZEN_IMPLEMENT_CLASS(SkeletonAnimationController, AnimationController, kStartupOtherClasses)

namespace {

constexpr uint32_t kMinLinkBytes = 4;

}  // namespace

template <class Pass>
void SkeletonAnimationController::ForEachBone(Pass&& pass)
{
    if (m_passing)
        return;
    m_passing = true;
    for (const Ptr<AnimationController>& controller : m_boneControllers)
        if (controller)
            pass(*controller);
    m_passing = false;
}

void SkeletonAnimationController::Update(double elapsed)
{
    AnimationController::Update(elapsed);
    if (!m_active)
        return;
    ForEachBone([elapsed](AnimationController& bone) {
        bone.SetActive(true);
        bone.Update(elapsed);
        bone.SetActive(false);
    });
}

void SkeletonAnimationController::Reset()
{
    AnimationController::Reset();
    ForEachBone([](AnimationController& bone) { bone.ClearStages(); });
}

void SkeletonAnimationController::SetStageAnimation(Animation* animation, uint32_t stage, float weight)
{
    AnimationController::SetStageAnimation(animation, stage, weight);
    ForEachBone([&](AnimationController& bone) { bone.SetStageAnimation(animation, stage, weight); });
}

void SkeletonAnimationController::SetStageAnimationByName(const String& name, uint32_t stage, float weight)
{
    AnimationController::SetStageAnimationByName(name, stage, weight);
    ForEachBone([&](AnimationController& bone) { bone.SetStageAnimationByName(name, stage, weight); });
}

void SkeletonAnimationController::SetStageWeight(uint32_t stage, float weight)
{
    AnimationController::SetStageWeight(stage, weight);
    ForEachBone([&](AnimationController& bone) { bone.SetStageWeight(stage, weight); });
}

void SkeletonAnimationController::SetTrackPosition(double position)
{
    AnimationController::SetTrackPosition(position);
    ForEachBone([position](AnimationController& bone) { bone.SetTrackPosition(position); });
}

Result SkeletonAnimationController::AddBoneController(AnimationController* controller)
{
    if (!controller)
        return kInvalidArgument;
    return m_boneControllers.Append(Ptr<AnimationController>(controller));
}

AnimationController* SkeletonAnimationController::GetBoneController(uint32_t index) const
{
    return index < m_boneControllers.Count() ? m_boneControllers[index].Get() : nullptr;
}

Result SkeletonAnimationController::Save(Stream& stream)
{
    if (AnimationController::Save(stream) != kSuccess)
        return ParentSaveFailed();
    if (stream.WriteUInt(m_boneControllers.Count()) != kSuccess) {
        Error("Невозможно сохранить количество контроллеров анимации костей. Имя[%s] ID[%d]", Name().CStr(), ID());
        return kFailure;
    }
    for (const Ptr<AnimationController>& controller : m_boneControllers) {
        if (stream.WriteObject(controller.Get()) != kSuccess) {
            Error("Невозможно сохранить контроллер анимации костей. Имя[%s] ID[%d]", Name().CStr(), ID());
            return kFailure;
        }
    }
    return kSuccess;
}

Result SkeletonAnimationController::Load(Stream& stream)
{
    if (AnimationController::Load(stream) != kSuccess)
        return ParentLoadFailed();
    uint32_t count = 0;
    if (stream.ReadUInt(count) != kSuccess || count > stream.Remaining() / kMinLinkBytes) {
        Error("Невозможно загрузить количество контроллеров анимации костей. ID[%d] Имя[%s]", ID(), Name().CStr());
        return kFailure;
    }
    Array<Ptr<AnimationController>> controllers(count > 0 ? count : 1, 1);
    for (uint32_t i = 0; i < count; ++i) {
        Ptr<AnimationController> controller;
        if (stream.ReadObject(controller) != kSuccess || controllers.Append(controller) != kSuccess) {
            Error("Невозможно загрузить контроллер анимации костей. Имя[%s] ID[%d]", Name().CStr(), ID());
            return kFailure;
        }
    }
    m_boneControllers = std::move(controllers);
    return kSuccess;
}

void SkeletonAnimationController::VisitReferences(ReferenceVisitor& visitor)
{
    AnimationController::VisitReferences(visitor);
    for (Ptr<AnimationController>& controller : m_boneControllers)
        visitor(controller);
}

}  // namespace zen
