#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "engine/scene/CubeTexture.h"
#include "engine/scene/DarkmapNormalmapTexture1DLEffect.h"
#include "engine/scene/GlossReflectiveCubeTextureEffect.h"
#include "engine/scene/GlossmapTexture1DLEffect.h"
#include "engine/scene/Image.h"
#include "engine/scene/LightmapTexture1DLEffect.h"
#include "engine/scene/NormalmapLightmapTexture1DLEffect.h"
#include "engine/scene/NormalmapTexture1DL1PLEffect.h"
#include "engine/scene/NormalmapTexture1DLEffect.h"
#include "engine/scene/ParallaxLightmapTexture1DLEffect.h"
#include "engine/scene/ParallaxTexture1DLEffect.h"
#include "engine/scene/ShaderCatalog.h"
#include "engine/scene/Texture1DL1PLEffect.h"
#include "engine/scene/Texture1DLEffect.h"
#include "engine/scene/VelvetTexture1DLEffect.h"
#include "engine/scene/VolumeImage.h"
#include "support/RecordChecks.h"
#include "support/RecordingFixture.h"

// The catalogue's effects as classes: each streams back with every link set, fails cleanly on
// every shortened record, and has every program of every technique among the programs the
// shader catalogue assembles.
namespace zen {
namespace {

// The catalogue's type names.
const char* const kCatalog[] = {
    "ZEN.Texture1DLEffect", "ZEN.Texture1DL1PLEffect", "ZEN.NormalmapTextureEffect", "ZEN.NormalmapTexture1DLEffect",
    "ZEN.LightmapTextureEffect", "ZEN.LightmapTexture1DLEffect", "ZEN.ReflectiveCubeTextureEffect",
    "ZEN.GlossReflectiveCubeTextureEffect", "ZEN.VelvetTexture1DLEffect", "ZEN.DarkmapNormalmapTextureEffect",
    "ZEN.DarkmapNormalmapTexture1DLEffect", "ZEN.ParallaxTextureEffect", "ZEN.ParallaxTexture1DLEffect",
    "ZEN.NormalmapLightmapTextureEffect", "ZEN.NormalmapLightmapTexture1DLEffect", "ZEN.GlossmapTextureEffect",
    "ZEN.GlossmapTexture1DLEffect", "ZEN.ParallaxLightmapTextureEffect", "ZEN.ParallaxLightmapTexture1DLEffect",
    "ZEN.NormalmapTexture1DL1PLEffect"
};

// Classes of the catalogue that declare the same setting each for itself: Each calls `act`
// with `object` as every one of them it derives from.
template <class... T>
struct Kinds {
    template <class Act>
    static void Each(Object& object, Act act)
    {
        ((object.IsDerivedFrom(&T::TYPE) ? act(static_cast<T&>(object)) : void()), ...);
    }
};
using OneLight = Kinds<Texture1DLEffect, Texture1DL1PLEffect, NormalmapTexture1DLEffect,
                       DarkmapNormalmapTexture1DLEffect, ParallaxTexture1DLEffect, LightmapTexture1DLEffect,
                       NormalmapLightmapTexture1DLEffect, ParallaxLightmapTexture1DLEffect, GlossmapTexture1DLEffect,
                       NormalmapTexture1DL1PLEffect>;
using PointLit = Kinds<Texture1DL1PLEffect, NormalmapTexture1DL1PLEffect>;
using NormalMapped = Kinds<NormalmapTextureEffect, NormalmapLightmapTextureEffect, ParallaxLightmapTextureEffect>;
using GlossMapped = Kinds<GlossmapTextureEffect, GlossReflectiveCubeTextureEffect>;
using Parallaxed = Kinds<ParallaxTextureEffect, ParallaxLightmapTextureEffect>;

class EffectCatalog : public test::RecordingFixture {
protected:
    void SetUp() override
    {
        RecordingFixture::SetUp();
        texture = new Texture(String("T"), new Image(String("t"), Image::kR8G8B8, 2, 2));
        map = new Texture(String("M"), new Image(String("m"), Image::kR8G8B8, 2, 2));
        sky = new CubeTexture(String("S"), new VolumeImage(String("s"), Image::kR8G8B8, 2, 2, 6));
        sun = new Light(Light::kDirectional);
        sun->SetName(String("Sun"));
        lamp = new Light(Light::kPoint);
        lamp->SetName(String("Lamp"));
    }

    // Every link and setting of `object` given a value other than its default.
    void Fill(Object& object)
    {
        auto* effect = static_cast<TextureEffect*>(&object);
        effect->SetName(String("Effect"));
        effect->SetTexture(texture.Get());
        effect->SetColor(Vector4{0.25f, 0.5f, 0.75f, 1});
        (void)effect->SetTexCoordSet(2);
        OneLight::Each(object, [&](auto& e) { e.SetLight(sun.Get()); });
        PointLit::Each(object, [&](auto& e) { e.SetPointLight(lamp.Get()); });
        NormalMapped::Each(object, [&](auto& e) {
            e.SetNormalMap(map.Get());
            (void)e.SetNormalMapSet(3);
        });
        GlossMapped::Each(object, [&](auto& e) {
            e.SetGlossMap(map.Get());
            (void)e.SetGlossMapSet(6);
        });
        Parallaxed::Each(object, [](auto& e) { e.SetParallax(0.125f, 0.0625f); });
        Kinds<DarkmapNormalmapTextureEffect>::Each(object, [&](auto& e) {
            e.SetDarkmap(map.Get());
            (void)e.SetDarkmapSet(4);
        });
        Kinds<LightmapTextureEffect>::Each(object, [&](auto& e) {
            e.SetLightmap(map.Get());
            (void)e.SetLightmapSet(5);
        });
        Kinds<ReflectiveCubeTextureEffect>::Each(object, [&](auto& e) {
            e.SetCubeMap(sky.Get());
            e.SetReflectivity(0.25f);
        });
    }

    // What Fill set, read back from a loaded copy.
    static void ExpectFilled(Object& object)
    {
        auto name = [](Object* linked) { return linked ? linked->Name().Std() : std::string("none"); };
        OneLight::Each(object, [&](auto& e) { EXPECT_EQ(name(e.GetLight()), "Sun"); });
        PointLit::Each(object, [&](auto& e) { EXPECT_EQ(name(e.GetPointLight()), "Lamp"); });
        NormalMapped::Each(object, [&](auto& e) {
            EXPECT_EQ(name(e.GetNormalMap()), "M");
            EXPECT_EQ(e.NormalMapSet(), 3u);
        });
        GlossMapped::Each(object, [&](auto& e) {
            EXPECT_EQ(name(e.GetGlossMap()), "M");
            EXPECT_EQ(e.GlossMapSet(), 6u);
        });
        Parallaxed::Each(object, [](auto& e) {
            EXPECT_EQ(e.ParallaxScale(), 0.125f);
            EXPECT_EQ(e.ParallaxBias(), 0.0625f);
        });
        Kinds<DarkmapNormalmapTextureEffect>::Each(object, [&](auto& e) {
            EXPECT_EQ(name(e.GetDarkmap()), "M");
            EXPECT_EQ(e.DarkmapSet(), 4u);
        });
        Kinds<LightmapTextureEffect>::Each(object, [&](auto& e) {
            EXPECT_EQ(name(e.GetLightmap()), "M");
            EXPECT_EQ(e.LightmapSet(), 5u);
        });
        Kinds<ReflectiveCubeTextureEffect>::Each(object, [&](auto& e) {
            EXPECT_EQ(name(e.GetCubeMap()), "S");
            EXPECT_EQ(e.Reflectivity(), 0.25f);
        });
        EXPECT_EQ(static_cast<ColorEffect&>(object).Color(), (Vector4{0.25f, 0.5f, 0.75f, 1}));
    }

    Ptr<Texture> texture, map;
    Ptr<CubeTexture> sky;
    Ptr<Light> sun, lamp;
};

TEST_F(EffectCatalog, EveryFieldComesBackAndTheRecordSavesToTheSameBytes)
{
    for (const char* type : kCatalog) {
        SCOPED_TRACE(type);
        Ptr<Object> object = test::CreateRegistered(type);
        ASSERT_TRUE(object);
        Fill(*object);
        const std::vector<uint8_t> bytes = test::SavedRecord(object.Get());
        // The default object saves too, and differently: every field set above is in the record.
        const test::Bytes plain = test::SavedRecord(test::CreateRegistered(type).Get());
        EXPECT_FALSE(plain.empty());
        EXPECT_NE(plain, bytes);

        Ptr<Object> loaded = test::LoadedRecord<Object>(bytes);
        ASSERT_TRUE(loaded && loaded->IsExactly(object->GetRtti()));
        // Object IDs are new on loading; the record keeps its length.
        EXPECT_EQ(test::SavedRecord(loaded.Get()).size(), bytes.size());
        ExpectFilled(*loaded);
        auto* effect = static_cast<TextureEffect*>(loaded.Get());
        EXPECT_EQ(effect->TexCoordSet(), 2u);
        ASSERT_TRUE(effect->GetTexture());
        EXPECT_EQ(effect->GetTexture()->Name().Std(), "T");

        test::ExpectEveryCutFails(bytes, 3);
    }
}

TEST_F(EffectCatalog, EveryTechniqueProgramIsAmongTheAssembledOnes)
{
    Array<ShaderCatalog::Program> programs(16, 16);
    ASSERT_EQ(ShaderCatalog::Collect(programs), kSuccess);
    std::vector<std::string> names;
    for (uint32_t i = 0; i < programs.Count(); ++i)
        names.emplace_back(programs[i].source.CStr());  // Texts shared by effects are listed once.
    for (const char* type : kCatalog) {
        for (uint32_t level : {20u, 11u}) {
            SCOPED_TRACE(std::string(type) + " " + std::to_string(level));
            renderer->LimitShaderVersion(level);
            Ptr<Object> object = test::CreateRegistered(type);
            auto* effect = static_cast<GeometryNodeEffect*>(object.Get());
            ASSERT_EQ(effect->GetPassCount(), 1u);
            auto* pass = static_cast<GeometryNodeEffectPass*>(effect->CurrentTechnique()->GetPass(0));
            ASSERT_TRUE(pass->UsesShaders());
            // The skinned variant too, where the technique has one.
            std::vector<Shader*> shaders = {pass->GetVertexShader(), pass->GetPixelShader()};
            if (pass->GetSkinnedVertexShader())
                shaders.push_back(pass->GetSkinnedVertexShader());
            for (Shader* shader : shaders) {
                ASSERT_TRUE(shader);
                EXPECT_NE(std::find(names.begin(), names.end(), shader->Source().Std()), names.end())
                    << shader->Name().Std();
            }
        }
    }
}

}  // namespace
}  // namespace zen
