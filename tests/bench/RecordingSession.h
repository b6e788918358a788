#pragma once
// What the frame benchmarks share: the engine with the recording renderer for the length of one
// benchmark, the thread's processor time, and the count of draws and allocations over the
// measured frames.
#include <benchmark/benchmark.h>

#include <ctime>

#include "AllocationCount.h"
#include "engine/core/Engine.h"
#include "engine/render/Renderer.h"
#include "engine/scene/ColorEffect.h"
#include "engine/scene/SceneNode.h"
#include "modules/recording/RecordingRenderer.h"
#include "support/SceneBuilder.h"

namespace zen::bench {

// Starts the engine and the recording renderer, journal off (and with a device of 800 x 600
// when asked); `renderer` is null and the benchmark skipped when either does not start. The
// renderer and the engine are released when the session ends.
class RecordingSession {
public:
    explicit RecordingSession(benchmark::State& state, bool device = false)
    {
        if (EngineInitialize() != kSuccess || LoadRenderer(String("Recording")) != kSuccess) {
            state.SkipWithError("the engine or the recording renderer did not start");
            return;
        }
        auto* latest = RecordingRenderer::Latest();
        if (device && latest->CreateDevice(0, 800, 600) != kSuccess) {
            state.SkipWithError("no recording device");
            return;
        }
        latest->SetJournaling(false);
        renderer = latest;
    }
    ~RecordingSession()
    {
        (void)ReleaseRenderer();
        (void)EngineShutdown();
    }
    RecordingSession(const RecordingSession&) = delete;
    RecordingSession& operator=(const RecordingSession&) = delete;

    // One frame of the scene under `root`, updated by `elapsed` seconds first (none when 0).
    void DrawFrame(Node& root, double elapsed = 0) const
    {
        if (elapsed > 0)
            root.UpdateState(elapsed, true);
        (void)renderer->StartFrame();
        root.DrawIfVisible(renderer);
        renderer->FinishFrame();
    }

    RecordingRenderer* renderer = nullptr;
};

// `count` quads of half-size 0.5, each with a colour effect, named `name` and attached to
// `parent` in rows of `across` from (-across / 2, -rows / 2) at depth `z` (plus `step` for
// each further quad), one unit apart.
inline void AddColouredQuads(SceneNode& parent, const char* name, int count, int across, float z, float step = 0)
{
    for (int i = 0; i < count; ++i) {
        Ptr<Triangles> quad = test::MakeQuad(name, 0.5f);
        const float rows = static_cast<float>((count + across - 1) / across);
        test::Place(*quad, Vector3{static_cast<float>(i % across - across / 2), static_cast<float>(i / across) - rows / 2,
                                   z + step * static_cast<float>(i)});
        Ptr<ColorEffect> colour = new ColorEffect();
        (void)quad->SetEffect(colour.Get());
        (void)parent.AttachChild(quad.Get());
    }
}

// Processor time of this thread: a busy machine's waits do not count against a target, as the
// benchmark's own CPU column does not count them.
inline double ThreadSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + 1e-9 * static_cast<double>(now.tv_nsec);
}

// Runs `frame` for every iteration and reports "allocations" and "draws" per frame beyond
// `baselineAllocations` per frame; returns the allocations and sets `draws` to the draw calls
// of all measured frames.
template <class Frame>
double MeasureFrames(benchmark::State& state, RecordingRenderer& renderer, Frame&& frame, double& draws,
                     double baselineAllocations = 0)
{
    const uint64_t drawsBefore = renderer.DrawCount();
    const uint64_t allocationsBefore = AllocationCount();
    for (auto _ : state)
        frame();
    const auto frames = static_cast<double>(state.iterations());
    const auto allocations =
        static_cast<double>(AllocationCount() - allocationsBefore) - baselineAllocations * frames;
    draws = static_cast<double>(renderer.DrawCount() - drawsBefore);
    state.counters["allocations"] = allocations / frames;
    state.counters["draws"] = draws / frames;
    return allocations;
}

}  // namespace zen::bench
