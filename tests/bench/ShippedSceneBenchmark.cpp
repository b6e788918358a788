// The shipped scene's frame on the processor: the update (animation controllers, the director,
// transforms and bounds), culling and draw submission through the recording renderer (journal
// off), as the saver runs it every frame. The pictures are drawn into memory once; nothing is
// read from disk. The goal is a millisecond a frame.
//
// What a frame costs depends on what the camera sees (a shot out to sea draws a handful of
// nodes, one of the whole headland every mesh of the scene), so the run holds each camera shot
// in turn for kFramesPerShot frames (the director is asked again whenever its set ends) and
// reports the mean frame and draws over all of them, and each shot's own mean frame in
// microseconds of processor time as a counter named after it. Building the scene draws every picture (tens of
// seconds), so the run is one fixed pass, built once.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <ctime>
#include <string>
#include <vector>

#include "engine/anim/ScreensaverController.h"
#include "engine/core/Array.h"
#include "engine/modules/CodecManager.h"
#include "engine/modules/ModuleManager.h"
#include "engine/render/Renderer.h"
#include "RecordingSession.h"
#include "tools/scene/LighthouseScene.h"
#include "tools/scene/Shots.h"

namespace {

using namespace zen;

// Asks the director for shots until it chooses set `index` (its choice is random).
bool HoldShot(ScreensaverController& director, uint32_t index)
{
    for (int tries = 0; tries < 1000 && director.Current() != index; ++tries)
        director.ChooseNextSet();
    return director.Current() == index;
}

constexpr int kFramesPerShot = 400;

void ShippedSceneFrame(benchmark::State& state)
{
    bench::RecordingSession session(state);
    auto* renderer = session.renderer;
    if (!renderer)
        return;
    bool codecs = true;
    // The messages' font picture is read through the image codecs while the scene is built.
    for (const char* name : {"TGAImageCodec", "JPGImageCodec"}) {
        Codec* codec = nullptr;
        codecs = codecs && ModuleManager::LoadModule(String(name)) == kSuccess &&
                 CodecManager::LoadCodec(String(name), &codec) == kSuccess;
    }
    renderer->SetViewport(0, 0, 1024, 768);
    {
        Ptr<SceneNode> root;
        std::vector<Ptr<Image>> pictures;
        Array<Object*> directors;
        if (!codecs || scene::LighthouseScene::Build(root, pictures) != kSuccess) {
            state.SkipWithError("the scene could not be built");
        } else if (root->CollectByType(&ScreensaverController::TYPE, directors), directors.Count() != 1) {
            state.SkipWithError("the scene has no director");
        } else {
            auto& director = *static_cast<ScreensaverController*>(directors[0]);
            auto frame = [&] { session.DrawFrame(*root, 1.0 / 60.0); };
            frame();  // Techniques are chosen, the director picks its first shot.
            const uint32_t shots = director.SetCount();
            std::vector<double> seconds(shots, 0.0);
            std::vector<int> frames(shots, 0);
            const uint64_t drawsBefore = renderer->DrawCount();
            int k = 0;
            for (auto _ : state) {
                const auto shot = static_cast<uint32_t>(k++ / kFramesPerShot) % shots;
                if (director.Current() != shot) {
                    state.PauseTiming();
                    const bool held = HoldShot(director, shot);
                    state.ResumeTiming();
                    if (!held) {
                        state.SkipWithError("the director never chose a shot");
                        break;
                    }
                }
                const double start = bench::ThreadSeconds();
                frame();
                seconds[shot] += bench::ThreadSeconds() - start;
                ++frames[shot];
            }
            state.counters["draws"] = static_cast<double>(renderer->DrawCount() - drawsBefore) /
                                      static_cast<double>(std::max<int64_t>(1, static_cast<int64_t>(state.iterations())));
            for (uint32_t i = 0; i < shots && i < scene::Shots::All().size(); ++i)
                if (frames[i] > 0)
                    state.counters[std::string(scene::Shots::All()[i].name) + "_us"] = 1e6 * seconds[i] / frames[i];
        }
        renderer->SetCamera(nullptr);
    }
}
BENCHMARK(ShippedSceneFrame)->Iterations(9 * kFramesPerShot)->Unit(benchmark::kMicrosecond);

}  // namespace
