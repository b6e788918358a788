// The CPU cost of a frame of 10,000 live sprite particles: ageing, moving and blending each, the
// burst clock (a burst every frame replaces the particles that die), and writing positions,
// colours and sizes into the point-sprite buffers, through the recording renderer. The target is
// under 1 ms a frame; after warm-up a frame allocates nothing: the benchmark fails when the
// frames take more than 1 ms of processor time each on average ("cpu_ms" per frame), when a
// measured frame allocates ("allocations" per frame), or when fewer particles than asked are
// alive.
#include <benchmark/benchmark.h>

#include <ctime>

#include "RecordingSession.h"
#include "engine/core/Random.h"
#include "engine/particles/SphereVolumeEmitter.h"
#include "engine/particles/SpriteParticleSystem.h"
#include "engine/render/Renderer.h"
#include "engine/scene/Camera.h"
#include "engine/scene/SpriteEffect.h"
#include "modules/recording/RecordingRenderer.h"

namespace {

using namespace zen;

void UpdateSprites(benchmark::State& state)
{
    const auto live = static_cast<uint32_t>(state.range(0));
    bench::RecordingSession session(state);
    auto* renderer = session.renderer;
    if (!renderer)
        return;
    Random::Seed(1);
    {
        Ptr<Camera> camera = new Camera();
        renderer->SetCamera(camera.Get());
        // Lifetime 2 s at 60 frames a second: a burst of live/120 every frame keeps `live` alive.
        constexpr double kFrame = 1.0 / 60;
        Ptr<SpriteParticleSystem> rain = new SpriteParticleSystem();
        (void)rain->SetMaxParticles(static_cast<int32_t>(live + live / 10));
        ParticleSystem::Parameters p;
        p.intervalBase = static_cast<float>(kFrame) * 0.999f;
        p.burstBase = static_cast<int32_t>(live / 120);
        p.lifetimeBase = 2.0f;
        p.speedBase = 3.0f;
        p.speedRandom = 1.0f;
        p.accelerationBase = {0, -9.8f, 0};
        p.startColorBase = {0.3f, 0.6f, 1.0f, 1.0f};
        p.endColorBase = {0.3f, 0.6f, 1.0f, 0.0f};
        p.startSizeBase = 0.2f;
        p.endSizeBase = 0.1f;
        (void)rain->SetParameters(p);
        Ptr<SphereVolumeEmitter> cloud = new SphereVolumeEmitter();
        cloud->SetRadius(20.0f);
        rain->SetEmitter(cloud.Get());
        Ptr<SpriteEffect> look = new SpriteEffect();
        (void)rain->SetEffect(look.Get());
        // Warm-up: three seconds fill the pool and reach the steady state.
        for (int i = 0; i < 180; ++i)
            rain->UpdateState(kFrame, true);
        const uint64_t allocationsBefore = bench::AllocationCount();
        uint64_t liveSum = 0;
        const double cpuBefore = bench::ThreadSeconds();
        for (auto _ : state) {
            rain->UpdateState(kFrame, true);
            liveSum += rain->LiveCount();
            benchmark::DoNotOptimize(rain->Vertices()->Data());
        }
        const double cpuSeconds = bench::ThreadSeconds() - cpuBefore;
        const auto frames = static_cast<double>(state.iterations());
        const double cpuMsPerFrame = 1000.0 * cpuSeconds / frames;
        const auto allocations = static_cast<double>(bench::AllocationCount() - allocationsBefore);
        state.counters["allocations"] = allocations / frames;
        state.counters["cpu_ms"] = cpuMsPerFrame;
        state.counters["live"] = static_cast<double>(liveSum) / frames;
        if (cpuMsPerFrame > 1.0)
            state.SkipWithError("a frame took more than 1 ms of processor time");
        else if (allocations > 0)
            state.SkipWithError("a frame allocated memory");
        else if (static_cast<double>(liveSum) / frames < live * 0.98 || !rain->UsesPointSprites())
            state.SkipWithError("fewer particles alive than asked, or not drawn as point sprites");
        renderer->SetCamera(nullptr);
    }
}
BENCHMARK(UpdateSprites)->Arg(10000)->Unit(benchmark::kMicrosecond);

}  // namespace
