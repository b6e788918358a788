#include "zen/AnimationDump.h"

#include <cstdarg>
#include <cstdio>

#include "engine/anim/Animation.h"
#include "engine/anim/AnimationController.h"
#include "engine/anim/CameraActivateAnimationController.h"
#include "engine/anim/IKController.h"
#include "engine/anim/ScreensaverController.h"
#include "engine/anim/SkeletonAnimationController.h"
#include "engine/anim/SkinController.h"
#include "engine/anim/TargetCameraController.h"
#include "engine/anim/TargetLightController.h"
#include "engine/anim/TextureKeyframe.h"

namespace zen::tool {
namespace {

std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Format(const char* format, ...)
{
    char text[256];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    return text;
}

const char* ModeName(uint32_t mode)
{
    return mode == AnimationFrame::kClamp ? "clamp" : mode == AnimationFrame::kRepeat ? "repeat" : "ping-pong";
}

// " name=[a, b, c]" of `count` references.
template <class Get>
std::string ReferenceList(const char* name, uint32_t count, Get&& get, const ReferenceText& reference)
{
    std::string text = Format(" %s=[", name);
    for (uint32_t i = 0; i < count; ++i)
        text += (i ? ", " : "") + reference(get(i));
    return text + "]";
}

}  // namespace

std::string AnimationFields(Object* object, const ReferenceText& reference)
{
    std::string text;
    if (object->IsDerivedFrom(&Animation::TYPE)) {
        auto* animation = static_cast<Animation*>(object);
        const uint32_t count = animation->KeyframeCount();
        text += Format(" keys=%u", count);
        if (count > 0)
            text += Format(" times=%g..%g", animation->GetKeyframe(0)->time, animation->GetKeyframe(count - 1)->time);
    }
    if (object->IsDerivedFrom(&AnimationController::TYPE)) {
        auto* controller = static_cast<AnimationController*>(object);
        text += Format(" period=%g", controller->TrackPeriod());
        for (uint32_t i = 0; i < controller->FrameCount(); ++i) {
            const AnimationFrame* frame = controller->GetFrame(i);
            text += Format(" frame[%u]=(%s %g..%g %s", i, reference(frame->animation.Get()).c_str(), frame->start,
                           frame->end, ModeName(frame->mode));
            if (frame->scale != 1.0)
                text += Format(" scale=%g", frame->scale);
            if (frame->offset != 0.0)
                text += Format(" offset=%g", frame->offset);
            text += ")";
        }
    }
    if (object->IsDerivedFrom(&CameraActivateAnimationController::TYPE)) {
        auto* activate = static_cast<CameraActivateAnimationController*>(object);
        text += " camera-animation=" + reference(activate->CameraAnimation());
        text += " target-animation=" + reference(activate->TargetAnimation());
        text += ReferenceList("switches", activate->ControlledCount(),
                              [activate](uint32_t i) { return activate->GetControlled(i); }, reference);
    }
    if (object->IsDerivedFrom(&SkeletonAnimationController::TYPE)) {
        auto* skeleton = static_cast<SkeletonAnimationController*>(object);
        text += ReferenceList("bone-controllers", skeleton->BoneControllerCount(),
                              [skeleton](uint32_t i) { return skeleton->GetBoneController(i); }, reference);
    }
    if (object->IsDerivedFrom(&TargetCameraController::TYPE))
        text += " target=" + reference(static_cast<TargetCameraController*>(object)->Target());
    if (object->IsDerivedFrom(&TargetLightController::TYPE))
        text += " target=" + reference(static_cast<TargetLightController*>(object)->Target());
    if (object->IsDerivedFrom(&ScreensaverController::TYPE)) {
        auto* director = static_cast<ScreensaverController*>(object);
        for (uint32_t i = 0; i < director->SetCount(); ++i) {
            const ScreensaverController::Set* set = director->GetSet(i);
            text += Format(" set[%u]=(%s fade-in=%g duration=%g)", i, reference(set->camera.Get()).c_str(),
                           set->fadeInStart, set->duration);
        }
    }
    if (object->IsDerivedFrom(&SkinController::TYPE)) {
        auto* skin = static_cast<SkinController*>(object);
        text += ReferenceList("bones", skin->BoneCount(), [skin](uint32_t i) { return skin->GetBone(i); }, reference);
    }
    if (object->IsDerivedFrom(&IKController::TYPE)) {
        auto* ik = static_cast<IKController*>(object);
        text += ReferenceList("chain", ik->ChainLength(), [ik](uint32_t i) { return ik->GetChainNode(i); }, reference);
    }
    return text;
}

void DumpAnimationParts(Object* object, const DumpPart& dump)
{
    if (object->IsDerivedFrom(&SkinController::TYPE)) {
        // The skin's buffers belong to it alone: shown in full below it, like a mesh's.
        auto* skin = static_cast<SkinController*>(object);
        const struct {
            const char* label;
            Object* buffer;
        } buffers[] = {{"weights: ", skin->Weights()},
                       {"bone-indices: ", skin->Indices()},
                       {"bind-vertices: ", skin->BindVertices()},
                       {"bind-normals: ", skin->BindNormals()},
                       {"bind-tangents: ", skin->BindTangents()}};
        for (const auto& part : buffers)
            if (part.buffer)
                dump(part.buffer, part.label);
        return;
    }
    if (object->IsDerivedFrom(&Animation::TYPE)) {
        // A flip-book's pictures (and whatever fills them) hang from its keys alone.
        auto* animation = static_cast<Animation*>(object);
        if (animation->KeyframeKind() != Keyframe::kTexture)
            return;
        for (uint32_t i = 0; i < animation->KeyframeCount(); ++i)
            dump(static_cast<TextureKeyframe*>(animation->GetKeyframe(i))->texture.Get(), Format("key[%u] texture: ", i));
        return;
    }
    if (!object->IsDerivedFrom(&AnimationController::TYPE))
        return;
    auto* controller = static_cast<AnimationController*>(object);
    for (uint32_t i = 0; i < controller->AnimationCount(); ++i)
        dump(controller->GetAnimation(i), "animation: ");
    // A clip may play an animation the controller does not list by name; its keys would
    // otherwise appear nowhere.
    for (uint32_t i = 0; i < controller->FrameCount(); ++i) {
        Animation* played = controller->GetFrame(i)->animation.Get();
        bool listed = !played;
        for (uint32_t j = 0; j < controller->AnimationCount() && !listed; ++j)
            listed = controller->GetAnimation(j) == played;
        if (!listed)
            dump(played, Format("frame[%u] animation: ", i));
    }
}

}  // namespace zen::tool
