// The CPU cost per frame of the render-to-texture controllers and post-render effects through
// the recording renderer (journal off), apart from any device: a wave normal map, rain ripples,
// an environment cube regenerated every frame, a planar reflection, a bloom over 64 quads and
// a depth of field over 16 more (their depth pass included).
// After the warm-up frames a frame allocates nothing ("allocations" per frame; the benchmark
// fails when there are any).
#include <benchmark/benchmark.h>

#include "RecordingSession.h"
#include "engine/anim/RenderCubeTextureController.h"
#include "engine/anim/RenderDropsNormalmapTextureController.h"
#include "engine/anim/RenderScreenspaceReflectTextureController.h"
#include "engine/anim/RenderWavesTextureController.h"
#include "engine/core/Ptr.h"
#include "engine/render/Renderer.h"
#include "engine/scene/Bloom5PostRenderEffect.h"
#include "engine/scene/Camera.h"
#include "engine/scene/DOFPostRenderEffect.h"
#include "engine/scene/CubeTexture.h"
#include "engine/scene/SceneNode.h"
#include "engine/scene/Texture.h"
#include "engine/scene/VolumeImage.h"
#include "engine/scene/VolumeTexture.h"
#include "engine/sound/SoundManager.h"
#include "modules/recording/RecordingRenderer.h"

namespace {

using namespace zen;

void RenderTextureFrame(benchmark::State& state)
{
    bench::RecordingSession session(state, true);
    auto* renderer = session.renderer;
    if (!renderer)
        return;
    // Natively the sound device is a recording one that keeps a line per call, the listener's
    // turn each frame among them: not part of what is measured here.
    (void)SoundManager::Terminate();
    {
        Ptr<SceneNode> root = new SceneNode();
        Ptr<SceneNode> post = new SceneNode();
        Ptr<Bloom5PostRenderEffect> bloom = new Bloom5PostRenderEffect();
        (void)post->AddEffect(bloom.Get());
        (void)root->AttachChild(post.Get());
        Ptr<RenderCubeTextureController> cube = new RenderCubeTextureController();
        cube->SetRegenerate(true);
        Ptr<RenderScreenspaceReflectTextureController> reflect = new RenderScreenspaceReflectTextureController();
        bench::AddColouredQuads(*post, "Quad", 64, 8, 10);
        for (uint32_t i = 0; i < post->ChildCount(); i += 8) {
            (void)cube->Nodes().Add(post->GetChild(i));
            (void)reflect->Nodes().Add(post->GetChild(i));
        }
        Ptr<SceneNode> focus = new SceneNode();
        Ptr<DOFPostRenderEffect> dof = new DOFPostRenderEffect();
        (void)focus->AddEffect(dof.Get());
        (void)root->AttachChild(focus.Get());
        bench::AddColouredQuads(*focus, "Focused", 16, 4, 5, 1);
        Ptr<RenderWavesTextureController> waves = new RenderWavesTextureController();
        waves->SetNoiseTexture(new VolumeTexture(String("n"), new VolumeImage(String("nv"), Image::kA8, 8, 8, 8)));
        Ptr<Texture> waveTexture = new Texture(String("w"), new Image(String("wi"), Image::kR8G8B8A8, 64, 64));
        (void)waveTexture->SetController(waves.Get());
        Ptr<RenderDropsNormalmapTextureController> drops = new RenderDropsNormalmapTextureController();
        Ptr<Texture> dropTexture = new Texture(String("d"), new Image(String("di"), Image::kR8G8B8A8, 64, 64));
        (void)dropTexture->SetController(drops.Get());
        Ptr<CubeTexture> sky =
            new CubeTexture(String("c"), new VolumeImage(String("ci"), Image::kR8G8B8A8, 32, 32, 6));
        (void)sky->SetController(cube.Get());
        Ptr<Texture> mirror = new Texture(String("m"), new Image(String("mi"), Image::kR8G8B8A8, 64, 64));
        (void)mirror->SetController(reflect.Get());
        Ptr<Camera> camera = new Camera();
        camera->LocalTransform().SetTranslation(Vector3{0, 2, 0});
        renderer->SetCamera(camera.Get());
        auto frame = [&] {
            root->UpdateState(1.0 / 60, true);
            camera->UpdateState(1.0 / 60, true);
            waveTexture->Update(1.0 / 60);
            dropTexture->Update(1.0 / 60);
            sky->Update(1.0 / 60);
            mirror->Update(1.0 / 60);
            session.DrawFrame(*root);
        };
        for (int i = 0; i < 3; ++i)
            frame();  // Targets, techniques and lists are made once.
        double draws = 0;
        const double allocations = bench::MeasureFrames(state, *renderer, frame, draws);
        if (allocations > 0)
            state.SkipWithError("a frame allocated memory");
    }
}
BENCHMARK(RenderTextureFrame)->Unit(benchmark::kMicrosecond);

}  // namespace
