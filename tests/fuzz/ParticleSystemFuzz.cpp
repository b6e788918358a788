// Arbitrary bytes read as one object record, then every particle system in what was read is
// run: a second of 60 Hz frames, a long stall and a step that is not a number, with point
// sprites or quads (the input's last bit chooses) in front of a camera, and every emitter asked
// for places. Whatever the values (pool sizes, intervals, bursts, lifetimes, angles, meshes),
// loading and running must end cleanly: no crash, no overrun, no endless update.
// With leak detection on: running a system may make and drop particles, never keep them.
#include <cmath>
#include <cstdlib>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/core/Engine.h"
#include "engine/core/Object.h"
#include "engine/core/Ptr.h"
#include "engine/core/Random.h"
#include "engine/core/Stream.h"
#include "engine/particles/Emitter.h"
#include "engine/particles/ParticleSystem.h"
#include "engine/render/Renderer.h"
#include "engine/scene/Camera.h"
#include "modules/recording/RecordingRenderer.h"

namespace {

class ByteStream : public zen::Stream {
public:
    ByteStream(const uint8_t* data, size_t size) { AdoptBuffer(std::vector<uint8_t>(data, data + size)); }
};

// Larger pools are legal but make an input slow; the fuzzer looks for faults, not for time.
constexpr int32_t kPoolLimit = 4096;

zen::RecordingRenderer* g_renderer = nullptr;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    if (zen::EngineInitialize() != zen::kSuccess || zen::LoadRenderer(zen::String("Recording")) != zen::kSuccess)
        __builtin_trap();
    g_renderer = zen::RecordingRenderer::Latest();
    g_renderer->SetJournaling(false);
    g_renderer->SetCamera(new zen::Camera());
    // The renderer and its camera go before the type records do at exit.
    std::atexit([] { (void)zen::ReleaseRenderer(); });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 0xFFFFFFFFu || size == 0)
        return 0;
    zen::RendererCapabilities capabilities = g_renderer->GetCapabilities();
    capabilities.pointSprites = (data[size - 1] & 1) != 0;
    g_renderer->SetDeviceCapabilities(capabilities);
    zen::Random::Seed(static_cast<uint32_t>(size));

    ByteStream stream(data, size);
    zen::Object* object = nullptr;
    (void)stream.ReadObject(&object);
    zen::Ptr<zen::Object> root(object);
    if (!root)
        return 0;
    zen::Array<zen::Object*> systems(1, 4);
    root->CollectByType(&zen::ParticleSystem::TYPE, systems);
    for (uint32_t i = 0; i < systems.Count(); ++i) {
        auto* system = static_cast<zen::ParticleSystem*>(systems[i]);
        if (system->MaxParticles() > kPoolLimit)
            (void)system->SetMaxParticles(kPoolLimit);
        for (int frame = 0; frame < 60; ++frame)
            system->Update(1.0 / 60);
        system->Update(30.0);
        system->Update(std::nan(""));
        system->Update(-1.0);
        system->UpdateWorldBound();
        system->Draw(g_renderer);
        if (system->LiveCount() > static_cast<uint32_t>(system->MaxParticles()))
            __builtin_trap();
    }
    zen::Array<zen::Object*> emitters(1, 4);
    root->CollectByType(&zen::Emitter::TYPE, emitters);
    for (uint32_t i = 0; i < emitters.Count(); ++i) {
        zen::Vector3 position, direction;
        for (int k = 0; k < 16; ++k)
            (void)static_cast<zen::Emitter*>(emitters[i])->Emit(position, direction);
    }
    return 0;
}
