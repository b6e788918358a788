// The shipped scene's frame on the processor: the update (animation controllers, the director,
// transforms and bounds), culling and draw submission through the recording renderer (journal
// off), as the saver runs it every frame. The pictures are drawn into memory once; nothing is
// read from disk. The goal is a millisecond a frame.
#include <benchmark/benchmark.h>

#include "engine/core/Engine.h"
#include "engine/render/Renderer.h"
#include "modules/recording/RecordingRenderer.h"
#include "tools/scene/LighthouseScene.h"

namespace {

using namespace zen;

void ShippedSceneFrame(benchmark::State& state)
{
    if (EngineInitialize() != kSuccess || LoadRenderer(String("Recording")) != kSuccess) {
        state.SkipWithError("the engine or the recording renderer did not start");
        return;
    }
    auto* renderer = RecordingRenderer::Latest();
    renderer->SetJournaling(false);
    renderer->SetViewport(0, 0, 1024, 768);
    {
        Ptr<SceneNode> root;
        std::vector<Ptr<Image>> pictures;
        if (scene::LighthouseScene::Build(root, pictures) != kSuccess) {
            state.SkipWithError("the scene could not be built");
        } else {
            auto frame = [&] {
                root->UpdateState(1.0 / 60.0, true);
                (void)renderer->StartFrame();
                root->DrawIfVisible(renderer);
                renderer->FinishFrame();
            };
            frame();  // Techniques are chosen, the director picks its first shot.
            const uint64_t drawsBefore = renderer->DrawCount();
            for (auto _ : state)
                frame();
            state.counters["draws"] =
                static_cast<double>(renderer->DrawCount() - drawsBefore) / static_cast<double>(state.iterations());
        }
        renderer->SetCamera(nullptr);
    }
    (void)ReleaseRenderer();
    (void)EngineShutdown();
}
BENCHMARK(ShippedSceneFrame)->Unit(benchmark::kMicrosecond);

}  // namespace
