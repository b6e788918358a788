#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "engine/core/ClassRegistry.h"
#include "engine/core/Stream.h"
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
#include "support/RecordBytes.h"
#include "support/RecordingFixture.h"
#include "support/LogCapture.h"

// The catalogue's effects as classes: each streams back with every link set, fails cleanly on
// every shortened record, and has every program of every technique among the programs the
// shader catalogue assembles.
namespace zen {
namespace {

using test::ByteStream;

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
    Ptr<Object> Create(const char* type)
    {
        CreateFunction create = ClassRegistry::LookupCreator(String(type));
        Object* object = nullptr;
        if (!create || create(&object) != kSuccess || !object)
            return nullptr;
        return Ptr<Object>(object);
    }

    // Every link and setting of `object` given a value other than its default.
    void Fill(Object& object)
    {
        auto* effect = static_cast<TextureEffect*>(&object);
        effect->SetName(String("Effect"));
        effect->SetTexture(texture.Get());
        effect->SetColor(Vector4{0.25f, 0.5f, 0.75f, 1});
        (void)effect->SetTexCoordSet(2);
        if (object.IsDerivedFrom(&Texture1DLEffect::TYPE))
            static_cast<Texture1DLEffect&>(object).SetLight(sun.Get());
        if (object.IsDerivedFrom(&Texture1DL1PLEffect::TYPE)) {
            static_cast<Texture1DL1PLEffect&>(object).SetLight(sun.Get());
            static_cast<Texture1DL1PLEffect&>(object).SetPointLight(lamp.Get());
        }
        if (object.IsDerivedFrom(&NormalmapTextureEffect::TYPE)) {
            static_cast<NormalmapTextureEffect&>(object).SetNormalMap(map.Get());
            (void)static_cast<NormalmapTextureEffect&>(object).SetNormalMapSet(3);
        }
        if (object.IsDerivedFrom(&NormalmapTexture1DLEffect::TYPE))
            static_cast<NormalmapTexture1DLEffect&>(object).SetLight(sun.Get());
        if (object.IsDerivedFrom(&DarkmapNormalmapTextureEffect::TYPE)) {
            static_cast<DarkmapNormalmapTextureEffect&>(object).SetDarkmap(map.Get());
            (void)static_cast<DarkmapNormalmapTextureEffect&>(object).SetDarkmapSet(4);
        }
        if (object.IsDerivedFrom(&DarkmapNormalmapTexture1DLEffect::TYPE))
            static_cast<DarkmapNormalmapTexture1DLEffect&>(object).SetLight(sun.Get());
        if (object.IsDerivedFrom(&ParallaxTextureEffect::TYPE))
            static_cast<ParallaxTextureEffect&>(object).SetParallax(0.125f, 0.0625f);
        if (object.IsDerivedFrom(&ParallaxTexture1DLEffect::TYPE))
            static_cast<ParallaxTexture1DLEffect&>(object).SetLight(sun.Get());
        if (object.IsDerivedFrom(&LightmapTextureEffect::TYPE)) {
            static_cast<LightmapTextureEffect&>(object).SetLightmap(map.Get());
            (void)static_cast<LightmapTextureEffect&>(object).SetLightmapSet(5);
        }
        if (object.IsDerivedFrom(&LightmapTexture1DLEffect::TYPE))
            static_cast<LightmapTexture1DLEffect&>(object).SetLight(sun.Get());
        if (object.IsDerivedFrom(&NormalmapLightmapTextureEffect::TYPE)) {
            static_cast<NormalmapLightmapTextureEffect&>(object).SetNormalMap(map.Get());
            (void)static_cast<NormalmapLightmapTextureEffect&>(object).SetNormalMapSet(3);
        }
        if (object.IsDerivedFrom(&NormalmapLightmapTexture1DLEffect::TYPE))
            static_cast<NormalmapLightmapTexture1DLEffect&>(object).SetLight(sun.Get());
        if (object.IsDerivedFrom(&ParallaxLightmapTextureEffect::TYPE)) {
            static_cast<ParallaxLightmapTextureEffect&>(object).SetNormalMap(map.Get());
            (void)static_cast<ParallaxLightmapTextureEffect&>(object).SetNormalMapSet(3);
            static_cast<ParallaxLightmapTextureEffect&>(object).SetParallax(0.125f, 0.0625f);
        }
        if (object.IsDerivedFrom(&ParallaxLightmapTexture1DLEffect::TYPE))
            static_cast<ParallaxLightmapTexture1DLEffect&>(object).SetLight(sun.Get());
        if (object.IsDerivedFrom(&GlossmapTextureEffect::TYPE)) {
            static_cast<GlossmapTextureEffect&>(object).SetGlossMap(map.Get());
            (void)static_cast<GlossmapTextureEffect&>(object).SetGlossMapSet(6);
        }
        if (object.IsDerivedFrom(&GlossmapTexture1DLEffect::TYPE))
            static_cast<GlossmapTexture1DLEffect&>(object).SetLight(sun.Get());
        if (object.IsDerivedFrom(&NormalmapTexture1DL1PLEffect::TYPE)) {
            static_cast<NormalmapTexture1DL1PLEffect&>(object).SetLight(sun.Get());
            static_cast<NormalmapTexture1DL1PLEffect&>(object).SetPointLight(lamp.Get());
        }
        if (object.IsDerivedFrom(&ReflectiveCubeTextureEffect::TYPE)) {
            static_cast<ReflectiveCubeTextureEffect&>(object).SetCubeMap(sky.Get());
            static_cast<ReflectiveCubeTextureEffect&>(object).SetReflectivity(0.25f);
        }
        if (object.IsDerivedFrom(&GlossReflectiveCubeTextureEffect::TYPE)) {
            static_cast<GlossReflectiveCubeTextureEffect&>(object).SetGlossMap(map.Get());
            (void)static_cast<GlossReflectiveCubeTextureEffect&>(object).SetGlossMapSet(6);
        }
    }

    // What Fill set, read back from a loaded copy.
    static void ExpectFilled(Object& object)
    {
        auto name = [](Object* linked) { return linked ? linked->Name().Std() : std::string("none"); };
        if (object.IsDerivedFrom(&Texture1DLEffect::TYPE)) {
            EXPECT_EQ(name(static_cast<Texture1DLEffect&>(object).GetLight()), "Sun");
        }
        if (object.IsDerivedFrom(&Texture1DL1PLEffect::TYPE)) {
            EXPECT_EQ(name(static_cast<Texture1DL1PLEffect&>(object).GetLight()), "Sun");
            EXPECT_EQ(name(static_cast<Texture1DL1PLEffect&>(object).GetPointLight()), "Lamp");
        }
        if (object.IsDerivedFrom(&NormalmapTextureEffect::TYPE)) {
            EXPECT_EQ(name(static_cast<NormalmapTextureEffect&>(object).GetNormalMap()), "M");
            EXPECT_EQ(static_cast<NormalmapTextureEffect&>(object).NormalMapSet(), 3u);
        }
        if (object.IsDerivedFrom(&NormalmapTexture1DLEffect::TYPE)) {
            EXPECT_EQ(name(static_cast<NormalmapTexture1DLEffect&>(object).GetLight()), "Sun");
        }
        if (object.IsDerivedFrom(&DarkmapNormalmapTextureEffect::TYPE)) {
            EXPECT_EQ(name(static_cast<DarkmapNormalmapTextureEffect&>(object).GetDarkmap()), "M");
            EXPECT_EQ(static_cast<DarkmapNormalmapTextureEffect&>(object).DarkmapSet(), 4u);
        }
        if (object.IsDerivedFrom(&DarkmapNormalmapTexture1DLEffect::TYPE)) {
            EXPECT_EQ(name(static_cast<DarkmapNormalmapTexture1DLEffect&>(object).GetLight()), "Sun");
        }
        if (object.IsDerivedFrom(&LightmapTextureEffect::TYPE)) {
            EXPECT_EQ(name(static_cast<LightmapTextureEffect&>(object).GetLightmap()), "M");
            EXPECT_EQ(static_cast<LightmapTextureEffect&>(object).LightmapSet(), 5u);
        }
        if (object.IsDerivedFrom(&LightmapTexture1DLEffect::TYPE)) {
            EXPECT_EQ(name(static_cast<LightmapTexture1DLEffect&>(object).GetLight()), "Sun");
        }
        if (object.IsDerivedFrom(&ParallaxTextureEffect::TYPE)) {
            EXPECT_EQ(static_cast<ParallaxTextureEffect&>(object).ParallaxScale(), 0.125f);
            EXPECT_EQ(static_cast<ParallaxTextureEffect&>(object).ParallaxBias(), 0.0625f);
        }
        if (object.IsDerivedFrom(&ParallaxTexture1DLEffect::TYPE)) {
            EXPECT_EQ(name(static_cast<ParallaxTexture1DLEffect&>(object).GetLight()), "Sun");
        }
        if (object.IsDerivedFrom(&NormalmapLightmapTextureEffect::TYPE)) {
            EXPECT_EQ(name(static_cast<NormalmapLightmapTextureEffect&>(object).GetNormalMap()), "M");
            EXPECT_EQ(static_cast<NormalmapLightmapTextureEffect&>(object).NormalMapSet(), 3u);
        }
        if (object.IsDerivedFrom(&NormalmapLightmapTexture1DLEffect::TYPE)) {
            EXPECT_EQ(name(static_cast<NormalmapLightmapTexture1DLEffect&>(object).GetLight()), "Sun");
        }
        if (object.IsDerivedFrom(&ParallaxLightmapTextureEffect::TYPE)) {
            auto& parallax = static_cast<ParallaxLightmapTextureEffect&>(object);
            EXPECT_EQ(name(parallax.GetNormalMap()), "M");
            EXPECT_EQ(parallax.NormalMapSet(), 3u);
            EXPECT_EQ(parallax.ParallaxScale(), 0.125f);
            EXPECT_EQ(parallax.ParallaxBias(), 0.0625f);
        }
        if (object.IsDerivedFrom(&ParallaxLightmapTexture1DLEffect::TYPE)) {
            EXPECT_EQ(name(static_cast<ParallaxLightmapTexture1DLEffect&>(object).GetLight()), "Sun");
        }
        if (object.IsDerivedFrom(&GlossmapTextureEffect::TYPE)) {
            EXPECT_EQ(name(static_cast<GlossmapTextureEffect&>(object).GetGlossMap()), "M");
            EXPECT_EQ(static_cast<GlossmapTextureEffect&>(object).GlossMapSet(), 6u);
        }
        if (object.IsDerivedFrom(&GlossmapTexture1DLEffect::TYPE)) {
            EXPECT_EQ(name(static_cast<GlossmapTexture1DLEffect&>(object).GetLight()), "Sun");
        }
        if (object.IsDerivedFrom(&NormalmapTexture1DL1PLEffect::TYPE)) {
            EXPECT_EQ(name(static_cast<NormalmapTexture1DL1PLEffect&>(object).GetLight()), "Sun");
            EXPECT_EQ(name(static_cast<NormalmapTexture1DL1PLEffect&>(object).GetPointLight()), "Lamp");
        }
        if (object.IsDerivedFrom(&ReflectiveCubeTextureEffect::TYPE)) {
            EXPECT_EQ(name(static_cast<ReflectiveCubeTextureEffect&>(object).GetCubeMap()), "S");
            EXPECT_EQ(static_cast<ReflectiveCubeTextureEffect&>(object).Reflectivity(), 0.25f);
        }
        if (object.IsDerivedFrom(&GlossReflectiveCubeTextureEffect::TYPE)) {
            EXPECT_EQ(name(static_cast<GlossReflectiveCubeTextureEffect&>(object).GetGlossMap()), "M");
            EXPECT_EQ(static_cast<GlossReflectiveCubeTextureEffect&>(object).GlossMapSet(), 6u);
        }
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
        Ptr<Object> object = Create(type);
        ASSERT_TRUE(object);
        Fill(*object);
        const std::vector<uint8_t> bytes = test::SavedRecord(object.Get());
        // The default object saves too, and differently: every field set above is in the record.
        const test::Bytes plain = test::SavedRecord(Create(type).Get());
        EXPECT_FALSE(plain.empty());
        EXPECT_NE(plain, bytes);

        ByteStream in(bytes);
        Ptr<Object> loaded;
        ASSERT_EQ(in.ReadObject(loaded), kSuccess);
        ASSERT_TRUE(loaded && loaded->IsExactly(object->GetRtti()));
        // Object IDs are new on loading; the record keeps its length.
        EXPECT_EQ(test::SavedRecord(loaded.Get()).size(), bytes.size());
        ExpectFilled(*loaded);
        auto* effect = static_cast<TextureEffect*>(loaded.Get());
        EXPECT_EQ(effect->TexCoordSet(), 2u);
        ASSERT_TRUE(effect->GetTexture());
        EXPECT_EQ(effect->GetTexture()->Name().Std(), "T");

        // Every shortened record fails, with an error line, and never succeeds.
        for (size_t cut = 1; cut < bytes.size(); cut += 3) {
            ByteStream shortened(std::vector<uint8_t>(bytes.begin(), bytes.begin() + static_cast<long>(cut)));
            test::LogCapture log;
            Ptr<Object> broken;
            EXPECT_NE(shortened.ReadObject(broken), kSuccess) << cut;
        }
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
            Ptr<Object> object = Create(type);
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
