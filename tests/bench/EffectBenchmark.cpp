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

// The inputs an effect is given: its texture (the clouds take theirs as the effect's own
// texture), the sun, the lamp, maps, the sky and the water's two pictures.
enum Input : unsigned {
    kTexture = 1,
    kEffectTexture = 2,
    kSun = 4,
    kLamp = 8,
    kNormalMap = 16,
    kLightmap = 32,
    kGlossMap = 64,
    kSky = 128,
    kWaterPictures = 256,
};

// An effect of type T given the inputs `kInputs` names.
template <class T, unsigned kInputs>
Ptr<GeometryNodeEffect> Wired(const Scene& s)
{
    auto* e = new T();
    Texture* t = s.texture.Get();
    if constexpr ((kInputs & kTexture) != 0)
        e->SetTexture(t);
    if constexpr ((kInputs & kEffectTexture) != 0)
        e->SetEffectTexture(t);
    if constexpr ((kInputs & kSun) != 0)
        e->SetLight(s.sun.Get());
    if constexpr ((kInputs & kLamp) != 0)
        e->SetPointLight(s.lamp.Get());
    if constexpr ((kInputs & kNormalMap) != 0)
        e->SetNormalMap(t);
    if constexpr ((kInputs & kLightmap) != 0)
        e->SetLightmap(t);
    if constexpr ((kInputs & kGlossMap) != 0)
        e->SetGlossMap(t);
    if constexpr ((kInputs & kSky) != 0)
        e->SetCubeMap(s.sky.Get());
    if constexpr ((kInputs & kWaterPictures) != 0) {
        e->SetReflection(t);
        e->SetRefraction(t);
    }
    return e;
}

const std::vector<std::pair<const char*, Factory>>& Effects()
{
    static const std::vector<std::pair<const char*, Factory>> effects = {
        {"Texture", &Wired<TextureEffect, kTexture>},
        {"Texture1DL", &Wired<Texture1DLEffect, kTexture | kSun>},
        {"Texture1DL1PL", &Wired<Texture1DL1PLEffect, kTexture | kSun | kLamp>},
        {"NormalmapTexture1DL", &Wired<NormalmapTexture1DLEffect, kTexture | kSun | kNormalMap>},
        {"LightmapTexture1DL", &Wired<LightmapTexture1DLEffect, kTexture | kSun | kLightmap>},
        {"GlossReflectiveCubeTexture", &Wired<GlossReflectiveCubeTextureEffect, kTexture | kSky | kGlossMap>},
        {"ReflectiveRefractiveQuietFlatWater",
         &Wired<ReflectiveRefractiveQuietFlatWaterEffect, kTexture | kNormalMap | kWaterPictures>},
        {"FlatWater1DL", &Wired<FlatWater1DLEffect, kTexture | kSun | kNormalMap | kSky | kWaterPictures>},
        {"Clouds", &Wired<CloudsEffect, kEffectTexture>},
        {"Lava", &Wired<LavaEffect, kTexture>},
        {"Grass", &Wired<GrassEffect, kTexture | kSun>},
        {"NormalmapLightmapTexture1DL",
         &Wired<NormalmapLightmapTexture1DLEffect, kTexture | kSun | kNormalMap | kLightmap>},
        {"ParallaxLightmapTexture1DL", &Wired<ParallaxLightmapTexture1DLEffect, kTexture | kSun | kNormalMap | kLightmap>},
        {"GlossmapTexture", &Wired<GlossmapTextureEffect, kTexture | kGlossMap>},
        {"GlossmapTexture1DL", &Wired<GlossmapTexture1DLEffect, kTexture | kSun | kGlossMap>},
        {"NormalmapTexture1DL1PL", &Wired<NormalmapTexture1DL1PLEffect, kTexture | kSun | kLamp | kNormalMap>},
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
