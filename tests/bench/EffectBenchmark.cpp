// The CPU cost of applying one pass of each effect of the catalogue through the recording
// renderer (journal off): the technique is chosen once, then each iteration applies pass 0 for
// a mesh with every buffer (positions, normals, tangents, two coordinate sets) and pops what it
// pushed; best technique and fixed function alike. A pass must cost under 2 us and allocate
// nothing: the benchmark fails ("a pass allocated memory") otherwise, and reports "allocations"
// per pass.
#include <benchmark/benchmark.h>

#include <functional>
#include <string>
#include <vector>

#include "RecordingSession.h"
#include "engine/core/Engine.h"
#include "engine/core/Ptr.h"
#include "engine/render/Renderer.h"
#include "engine/scene/Camera.h"
#include "engine/scene/CubeTexture.h"
#include "engine/scene/CloudsEffect.h"
#include "engine/scene/FlatWater1DLEffect.h"
#include "engine/scene/GlossReflectiveCubeTextureEffect.h"
#include "engine/scene/GrassEffect.h"
#include "engine/scene/LavaEffect.h"
#include "engine/scene/ReflectiveRefractiveQuietFlatWaterEffect.h"
#include "engine/scene/GlossmapTexture1DLEffect.h"
#include "engine/scene/Image.h"
#include "engine/scene/LightmapTexture1DLEffect.h"
#include "engine/scene/NormalmapLightmapTexture1DLEffect.h"
#include "engine/scene/NormalmapTexture1DL1PLEffect.h"
#include "engine/scene/NormalmapTexture1DLEffect.h"
#include "engine/scene/ParallaxLightmapTexture1DLEffect.h"
#include "engine/scene/Texture.h"
#include "engine/scene/Texture1DL1PLEffect.h"
#include "engine/scene/Texture1DLEffect.h"
#include "engine/scene/VolumeImage.h"
#include "modules/recording/RecordingRenderer.h"
#include "support/SceneBuilder.h"

namespace {

using namespace zen;

struct Scene {
    Ptr<Texture> texture;
    Ptr<CubeTexture> sky;
    Ptr<Light> sun, lamp;
};

using Factory = std::function<Ptr<GeometryNodeEffect>(const Scene&)>;

template <class T>
Ptr<GeometryNodeEffect> Textured(const Scene& scene, T* effect)
{
    effect->SetTexture(scene.texture.Get());
    return effect;
}

const std::vector<std::pair<const char*, Factory>>& Effects()
{
    static const std::vector<std::pair<const char*, Factory>> effects = {
        {"Texture", [](const Scene& s) { return Textured(s, new TextureEffect()); }},
        {"Texture1DL",
         [](const Scene& s) {
             auto* e = new Texture1DLEffect();
             e->SetLight(s.sun.Get());
             return Textured(s, e);
         }},
        {"Texture1DL1PL",
         [](const Scene& s) {
             auto* e = new Texture1DL1PLEffect();
             e->SetLight(s.sun.Get());
             e->SetPointLight(s.lamp.Get());
             return Textured(s, e);
         }},
        {"NormalmapTexture1DL",
         [](const Scene& s) {
             auto* e = new NormalmapTexture1DLEffect();
             e->SetLight(s.sun.Get());
             e->SetNormalMap(s.texture.Get());
             return Textured(s, e);
         }},
        {"LightmapTexture1DL",
         [](const Scene& s) {
             auto* e = new LightmapTexture1DLEffect();
             e->SetLight(s.sun.Get());
             e->SetLightmap(s.texture.Get());
             return Textured(s, e);
         }},
        {"GlossReflectiveCubeTexture",
         [](const Scene& s) {
             auto* e = new GlossReflectiveCubeTextureEffect();
             e->SetCubeMap(s.sky.Get());
             e->SetGlossMap(s.texture.Get());
             return Textured(s, e);
         }},
        {"ReflectiveRefractiveQuietFlatWater",
         [](const Scene& s) {
             auto* e = new ReflectiveRefractiveQuietFlatWaterEffect();
             e->SetNormalMap(s.texture.Get());
             e->SetReflection(s.texture.Get());
             e->SetRefraction(s.texture.Get());
             return Textured(s, e);
         }},
        {"FlatWater1DL",
         [](const Scene& s) {
             auto* e = new FlatWater1DLEffect();
             e->SetLight(s.sun.Get());
             e->SetNormalMap(s.texture.Get());
             e->SetCubeMap(s.sky.Get());
             e->SetReflection(s.texture.Get());
             e->SetRefraction(s.texture.Get());
             return Textured(s, e);
         }},
        {"Clouds",
         [](const Scene& s) -> Ptr<GeometryNodeEffect> {
             auto* e = new CloudsEffect();
             e->SetEffectTexture(s.texture.Get());
             return e;
         }},
        {"Lava", [](const Scene& s) { return Textured(s, new LavaEffect()); }},
        {"Grass",
         [](const Scene& s) {
             auto* e = new GrassEffect();
             e->SetLight(s.sun.Get());
             return Textured(s, e);
         }},
        {"NormalmapLightmapTexture1DL",
         [](const Scene& s) {
             auto* e = new NormalmapLightmapTexture1DLEffect();
             e->SetLight(s.sun.Get());
             e->SetNormalMap(s.texture.Get());
             e->SetLightmap(s.texture.Get());
             return Textured(s, e);
         }},
        {"ParallaxLightmapTexture1DL",
         [](const Scene& s) {
             auto* e = new ParallaxLightmapTexture1DLEffect();
             e->SetLight(s.sun.Get());
             e->SetNormalMap(s.texture.Get());
             e->SetLightmap(s.texture.Get());
             return Textured(s, e);
         }},
        {"GlossmapTexture",
         [](const Scene& s) {
             auto* e = new GlossmapTextureEffect();
             e->SetGlossMap(s.texture.Get());
             return Textured(s, e);
         }},
        {"GlossmapTexture1DL",
         [](const Scene& s) {
             auto* e = new GlossmapTexture1DLEffect();
             e->SetLight(s.sun.Get());
             e->SetGlossMap(s.texture.Get());
             return Textured(s, e);
         }},
        {"NormalmapTexture1DL1PL",
         [](const Scene& s) {
             auto* e = new NormalmapTexture1DL1PLEffect();
             e->SetLight(s.sun.Get());
             e->SetPointLight(s.lamp.Get());
             e->SetNormalMap(s.texture.Get());
             return Textured(s, e);
         }},
    };
    return effects;
}

void ApplyPass(benchmark::State& state, const Factory& factory, uint32_t shaderLevel)
{
    bench::RecordingSession session(state);
    auto* renderer = session.renderer;
    if (!renderer)
        return;
    renderer->LimitShaderVersion(shaderLevel);
    {
        Scene scene;
        scene.texture = new Texture(String("T"), new Image(String("t"), Image::kR8G8B8, 8, 8));
        scene.sky = new CubeTexture(String("S"), new VolumeImage(String("s"), Image::kR8G8B8, 4, 4, 6));
        scene.sun = new Light(Light::kDirectional);
        scene.lamp = new Light(Light::kPoint);
        Ptr<Triangles> mesh = test::MakeQuad("Mesh", 1.0f);
        (void)mesh->SetTexCoords(1, mesh->TexCoords(0));
        Ptr<GeometryNodeEffect> effect = factory(scene);
        (void)mesh->SetEffect(effect.Get());
        Ptr<Camera> camera = new Camera();
        renderer->SetCamera(camera.Get());
        mesh->UpdateState(0.0, true);
        renderer->SetCurrentGeometry(mesh.Get());

        auto apply = [&] {
            if (effect->GetPassCount() != 1 || effect->ApplyPass(0, renderer) != kSuccess)
                return false;
            while (renderer->StateDepth() > 0)
                (void)renderer->PopStateEntry();
            return true;
        };
        if (!apply()) {  // The technique is chosen and the pass built once.
            state.SkipWithError("the pass did not apply");
        } else {
            const uint64_t before = zen::bench::AllocationCount();
            for (auto _ : state)
                benchmark::DoNotOptimize(apply());
            const auto allocations = static_cast<double>(zen::bench::AllocationCount() - before);
            state.counters["allocations"] = allocations / static_cast<double>(state.iterations());
            if (allocations > 0)
                state.SkipWithError("a pass allocated memory");
        }
        renderer->SetCurrentGeometry(nullptr);
        renderer->SetCamera(nullptr);
    }
}

// Registers one benchmark per effect and level: EffectPass/<name>/best and .../fixed.
const bool g_registered = [] {
    for (const auto& [name, factory] : Effects()) {
        const Factory make = factory;
        benchmark::RegisterBenchmark((std::string("EffectPass/") + name + "/best").c_str(),
                                     [make](benchmark::State& state) { ApplyPass(state, make, 0xFFFFFFFFu); })
            ->Unit(benchmark::kNanosecond);
        benchmark::RegisterBenchmark((std::string("EffectPass/") + name + "/fixed").c_str(),
                                     [make](benchmark::State& state) { ApplyPass(state, make, 0); })
            ->Unit(benchmark::kNanosecond);
    }
    return true;
}();

}  // namespace
