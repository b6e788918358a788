// The CPU cost per frame of a shadow map and a projected caustic over 64 quads through the
// recording renderer (journal off): the map drawn from the sun at the frame's start, the quads
// drawn, then shadowed and lit again. After the warm-up frames the effects allocate nothing:
// "allocations" counts what a frame makes beyond the same frame with both effects switched off
// (the benchmark fails when there is any); "per draw" is the frame's time over its draw calls
// (a pass applied and drawn).
#include <benchmark/benchmark.h>

#include "RecordingSession.h"
#include "engine/anim/RenderShadowmapEffectController.h"
#include "engine/core/Ptr.h"
#include "engine/render/Renderer.h"
#include "engine/scene/Camera.h"
#include "engine/scene/Light.h"
#include "engine/scene/ProjectedCausticEffect.h"
#include "engine/scene/SceneNode.h"
#include "engine/scene/ShadowmapEffect.h"
#include "engine/scene/Texture.h"
#include "modules/recording/RecordingRenderer.h"

namespace {

using namespace zen;

void ShadowAndCausticFrame(benchmark::State& state)
{
    bench::RecordingSession session(state, true);
    auto* renderer = session.renderer;
    if (renderer) {
        Ptr<SceneNode> root = new SceneNode();
        Ptr<SceneNode> receivers = new SceneNode();
        (void)root->AttachChild(receivers.Get());
        Ptr<Light> sun = new Light(Light::kDirectional);
        (void)sun->SetDirection(Vector3{0.5f, -1, 0.3f});
        (void)root->AttachChild(sun.Get());
        Ptr<ShadowmapEffect> shadow = new ShadowmapEffect();
        shadow->SetLight(sun.Get());
        Ptr<RenderShadowmapEffectController> controller = new RenderShadowmapEffectController();
        (void)shadow->SetController(controller.Get());
        Ptr<ProjectedCausticEffect> caustic = new ProjectedCausticEffect();
        caustic->SetCaustic(new Texture(String("c"), new Image(String("ci"), Image::kR8G8B8, 64, 64)));
        (void)receivers->AddEffect(shadow.Get());
        (void)receivers->AddEffect(caustic.Get());
        bench::AddColouredQuads(*receivers, "Quad", 64, 8, 10);
        Ptr<Camera> camera = new Camera();
        renderer->SetCamera(camera.Get());
        auto frame = [&] { session.DrawFrame(*root, 1.0 / 60); };
        constexpr int kBaselineFrames = 64;
        auto effects = [&](bool on) {
            shadow->SetEnabled(on);
            caustic->SetEnabled(on);
            controller->SetActive(on);
        };
        effects(false);
        for (int i = 0; i < 3; ++i)
            frame();
        const uint64_t baselineBefore = bench::AllocationCount();
        for (int i = 0; i < kBaselineFrames; ++i)
            frame();
        const double baseline = static_cast<double>(bench::AllocationCount() - baselineBefore) / kBaselineFrames;
        effects(true);
        for (int i = 0; i < 3; ++i)
            frame();  // The map, the passes and the lists are made once.
        double draws = 0;
        const double allocations = bench::MeasureFrames(state, *renderer, frame, draws, baseline);
        state.counters["per draw"] = benchmark::Counter(draws, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
        if (allocations > 0.5)
            state.SkipWithError("the effects allocated memory in a frame");
    }
}
BENCHMARK(ShadowAndCausticFrame)->Unit(benchmark::kMicrosecond);

}  // namespace
