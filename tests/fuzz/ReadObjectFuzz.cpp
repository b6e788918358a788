// Arbitrary bytes read as one object record, with the engine started so that every class the
// program registers can be created by its type name (new classes are picked up by linking).
// Whatever the bytes, reading must fail or succeed cleanly: no crash, no overrun.
// With leak detection on: whatever the load made is freed with the last reference to its root,
// or by the stream itself when the load fails or is refused.
// Loaded animation data must also be safe to play: the animation, skin, IK, target and
// director controllers found in what loaded are run for a few frames (keys of another kind,
// clips of no length, bone indices past the palette, null links are skipped, never read out of
// bounds).
#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/anim/AnimationController.h"
#include "engine/anim/IKController.h"
#include "engine/anim/ScreensaverController.h"
#include "engine/anim/SkinController.h"
#include "engine/anim/TargetCameraController.h"
#include "engine/anim/TargetLightController.h"
#include "engine/core/Array.h"
#include "engine/core/Engine.h"
#include "engine/core/Object.h"
#include "engine/core/Ptr.h"
#include "engine/core/Stream.h"

namespace {

// A stream over the fuzzer's bytes.
class ByteStream : public zen::Stream {
public:
    ByteStream(const uint8_t* data, size_t size) { AdoptBuffer(std::vector<uint8_t>(data, data + size)); }
};

void PlayAnimations(zen::Object& root)
{
    const zen::Rtti* const played[] = {&zen::AnimationController::TYPE, &zen::SkinController::TYPE,
                                       &zen::IKController::TYPE,         &zen::ScreensaverController::TYPE,
                                       &zen::TargetCameraController::TYPE, &zen::TargetLightController::TYPE};
    zen::Array<zen::Object*> found(1, 16);
    for (const zen::Rtti* type : played)
        root.CollectByType(type, found);
    for (int frame = 0; frame < 3; ++frame) {
        for (zen::Object* object : found) {
            auto* controller = static_cast<zen::Controller*>(object);
            controller->Update(0.37);
            if (object->IsDerivedFrom(&zen::IKController::TYPE))
                static_cast<zen::IKController*>(object)->PostUpdate();  // No renderer to run it.
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    if (zen::EngineInitialize() != zen::kSuccess)
        __builtin_trap();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 0xFFFFFFFFu)
        return 0;
    ByteStream stream(data, size);
    zen::Object* object = nullptr;
    (void)stream.ReadObject(&object);
    zen::Ptr<zen::Object> root(object);  // Adopted and released: the whole graph goes.
    if (root)
        PlayAnimations(*root);
    return 0;
}
