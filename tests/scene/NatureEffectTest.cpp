#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "engine/scene/CloudsEffect.h"
#include "engine/scene/CubeTexture.h"
#include "engine/scene/FlatWater1DLEffect.h"
#include "engine/scene/GrassEffect.h"
#include "engine/scene/Image.h"
#include "engine/scene/LavaEffect.h"
#include "engine/scene/ReflectiveQuietFlatWaterEffect.h"
#include "engine/scene/ReflectiveRefractiveQuietFlatWaterEffect.h"
#include "engine/scene/VolumeImage.h"
#include "support/RecordChecks.h"
#include "support/AttachedQuad.h"
#include "support/RecordingFixture.h"
#include "support/LogCapture.h"
#include "support/SceneBuilder.h"

// The water, cloud, lava and grass effects: registration, stream form and clean failure on
// every cut record, the textures each technique binds to which stage, the values their programs
// read (against values worked out by hand), bad input drawn as nothing and logged once, and the
// pace of an animated effect that several nodes share.
namespace zen {
namespace {

class NatureEffects : public test::RecordingFixture {
protected:
    void SetUp() override
    {
        RecordingFixture::SetUp();
        texture = new Texture(String("Water"), new Image(String("w"), Image::kR8G8B8, 2, 2));
        normal = new Texture(String("Waves"), new Image(String("n"), Image::kR8G8B8, 2, 2));
        reflection = new Texture(String("Above"), new Image(String("a"), Image::kR8G8B8A8, 4, 4));
        refraction = new Texture(String("Below"), new Image(String("b"), Image::kR8G8B8A8, 4, 4));
        // Faces of (60, 120, 180) and (120, 240, 0): the mean is (90, 180, 90) / 255.
        Ptr<VolumeImage> faces = new VolumeImage(String("s"), Image::kR8G8B8, 1, 1, 6);
        for (uint32_t f = 0; f < 6; ++f) {
            const uint8_t rgb[2][3] = {{60, 120, 180}, {120, 240, 0}};
            for (int c = 0; c < 3; ++c)
                faces->Slice(f)[c] = rgb[f % 2][c];
        }
        sky = new CubeTexture(String("Sky"), faces.Get());
        sun = new Light(Light::kDirectional);
        sun->SetName(String("Sun"));
        quad = test::MakeQuad("Quad", 1.0f);
        ASSERT_EQ(quad->SetTexCoords(1, quad->TexCoords(0)), kSuccess);
    }

    // Every link and parameter of the effect of type `type` set away from its default.
    Ptr<GeometryNodeEffect> Filled(const std::string& type)
    {
        Ptr<GeometryNodeEffect> effect(static_cast<GeometryNodeEffect*>(test::CreateRegistered(type.c_str()).Get()));
        if (!effect)
            return nullptr;
        effect->SetName(String("Effect"));
        if (effect->IsDerivedFrom(&TextureEffect::TYPE))
            static_cast<TextureEffect*>(effect.Get())->SetTexture(texture.Get());
        if (effect->IsDerivedFrom(&NormalmapTextureEffect::TYPE))
            static_cast<NormalmapTextureEffect*>(effect.Get())->SetNormalMap(normal.Get());
        if (auto* quiet = dynamic_cast<ReflectiveQuietFlatWaterEffect*>(effect.Get())) {
            quiet->SetReflection(reflection.Get());
            quiet->SetWaterParameters({0.25f, 0.5f, 0.75f});
        }
        if (auto* quiet = dynamic_cast<ReflectiveRefractiveQuietFlatWaterEffect*>(effect.Get())) {
            quiet->SetReflection(reflection.Get());
            quiet->SetRefraction(refraction.Get());
            quiet->SetWaterParameters({0.25f, 0.5f, 0.75f});
        }
        if (auto* water = dynamic_cast<FlatWaterEffect*>(effect.Get())) {
            water->SetCubeMap(sky.Get());
            water->SetRefraction(refraction.Get());
            water->SetReflection(reflection.Get());
            water->SetWaves(FlatWaterEffect::Waves{{1, 2}, {3, 4}, 5, 6, 7, 0.125f, 0.25f});
        }
        if (auto* lit = dynamic_cast<FlatWater1DLEffect*>(effect.Get()))
            lit->SetLight(sun.Get());
        if (auto* clouds = dynamic_cast<CloudsEffect*>(effect.Get())) {
            clouds->SetEffectTexture(texture.Get());
            clouds->SetParameters(CloudsEffect::Parameters{{1, 2}, 3, 0.25f, 5, 0.5f});
        }
        if (auto* lava = dynamic_cast<LavaEffect*>(effect.Get()))
            lava->SetParameters(LavaEffect::Parameters{{1, 2}, 3, 4, 5, 0.5f});
        if (auto* grass = dynamic_cast<GrassEffect*>(effect.Get())) {
            grass->SetLight(sun.Get());
            grass->SetWind(GrassEffect::Wind{{1, 2}, 3, 4});
        }
        return effect;
    }

    // What Filled set, as text, read from `effect`.
    static std::string Describe(GeometryNodeEffect& effect)
    {
        auto name = [](Object* o) { return o ? o->Name().Std() : std::string("none"); };
        std::string text;
        if (effect.IsDerivedFrom(&TextureEffect::TYPE))
            text += "texture " + name(static_cast<TextureEffect&>(effect).GetTexture());
        if (effect.IsDerivedFrom(&NormalmapTextureEffect::TYPE))
            text += " normal " + name(static_cast<NormalmapTextureEffect&>(effect).GetNormalMap());
        if (auto* quiet = dynamic_cast<ReflectiveQuietFlatWaterEffect*>(&effect))
            text += " above " + name(quiet->GetReflection()) + " " + std::to_string(quiet->GetWaterParameters().clarity);
        if (auto* quiet = dynamic_cast<ReflectiveRefractiveQuietFlatWaterEffect*>(&effect))
            text += " above " + name(quiet->GetReflection()) + " below " + name(quiet->GetRefraction()) + " " +
                    std::to_string(quiet->GetWaterParameters().distortion);
        if (auto* water = dynamic_cast<FlatWaterEffect*>(&effect))
            text += " sky " + name(water->GetCubeMap()) + " below " + name(water->GetRefraction()) + " above " +
                    name(water->GetReflection()) + " " + std::to_string(water->GetWaves().velocity2[1]) + " " +
                    std::to_string(water->GetWaves().clarity);
        if (auto* lit = dynamic_cast<FlatWater1DLEffect*>(&effect))
            text += " light " + name(lit->GetLight());
        if (auto* clouds = dynamic_cast<CloudsEffect*>(&effect))
            text += " clouds " + name(clouds->GetEffectTexture()) + " " + std::to_string(clouds->GetParameters().shade);
        if (auto* lava = dynamic_cast<LavaEffect*>(&effect))
            text += " lava " + std::to_string(lava->GetParameters().pulseRate);
        if (auto* grass = dynamic_cast<GrassEffect*>(&effect))
            text += " light " + name(grass->GetLight()) + " " + std::to_string(grass->GetWind().frequency);
        return text;
    }

    // Draws the quad with `effect` `frames` times; the draws the journal shows.
    int Draw(GeometryNodeEffect* effect, int frames = 1)
    {
        EXPECT_EQ(quad->SetEffect(effect), kSuccess);
        return Draws(*quad, frames);
    }

    Ptr<Texture> texture, normal, reflection, refraction;
    Ptr<CubeTexture> sky;
    Ptr<Light> sun;
    Ptr<Triangles> quad;
};

struct Row {
    const char* type;
    const char* base;
    // Textures the shader-model-2 pass binds, by stage (names), and its program's first line.
    std::vector<std::string> stages;
    const char* best;
    const char* fallback;  // The pixel program's first line at shader model 1.
};

const Row kRows[] = {
    {"ZEN.ReflectiveQuietFlatWaterEffect", "ZEN.NormalmapTextureEffect", {"Water", "Waves", "Above"}, "ps_2_0", "ps.1.1"},
    {"ZEN.ReflectiveRefractiveQuietFlatWaterEffect", "ZEN.NormalmapTextureEffect",
     {"Water", "Waves", "Above", "Below"}, "ps_2_0", "ps.1.1"},
    {"ZEN.FlatWaterEffect", "ZEN.ParallaxTextureEffect", {"Water", "Waves", "Sky", "Below", "Above"}, "ps_2_0",
     "ps.1.1"},
    {"ZEN.FlatWater1DLEffect", "ZEN.FlatWaterEffect", {"Water", "Waves", "Sky", "Below", "Above"}, "ps_2_0",
     "ps.1.1"},
    {"ZEN.CloudsEffect", "ZEN.ColorEffect", {"Water"}, "ps_2_0", "ps.1.1"},
    {"ZEN.LavaEffect", "ZEN.TextureEffect", {"Water"}, "ps_2_0", "ps.1.1"},
    {"ZEN.GrassEffect", "ZEN.TextureEffect", {"Water"}, "ps.1.1", "ps.1.1"},
};

TEST_F(NatureEffects, EachIsRegisteredStreamsBackWholeAndFailsCleanlyWhenCut)
{
    for (const Row& row : kRows) {
        SCOPED_TRACE(row.type);
        Ptr<GeometryNodeEffect> effect = Filled(row.type);
        ASSERT_TRUE(effect);
        ASSERT_TRUE(effect->GetRtti()->Base());
        EXPECT_EQ(effect->GetRtti()->Base()->Name().Std(), row.base);
        const std::vector<uint8_t> bytes = test::SavedRecord(effect.Get());
        Ptr<GeometryNodeEffect> loaded = test::LoadedRecord<GeometryNodeEffect>(bytes);
        ASSERT_TRUE(loaded && loaded->IsExactly(effect->GetRtti()));
        EXPECT_EQ(Describe(*loaded), Describe(*effect));
        EXPECT_EQ(test::SavedRecord(loaded.Get()).size(), bytes.size());
        test::ExpectEveryCutFails(bytes, 2);
    }
}

TEST_F(NatureEffects, EachLevelBindsItsTexturesAndDrawsOnce)
{
    for (const Row& row : kRows) {
        for (uint32_t level : {20u, 11u, 0u}) {
            SCOPED_TRACE(std::string(row.type) + " at " + std::to_string(level));
            renderer->LimitShaderVersion(level);
            Ptr<GeometryNodeEffect> effect = Filled(row.type);
            test::LogCapture log;
            EXPECT_EQ(Draw(effect.Get()), 1) << log.Joined();
            auto* pass = static_cast<GeometryNodeEffectPass*>(effect->CurrentTechnique()->GetPass(0));
            const char* expected = level == 20 ? row.best : level == 11 ? row.fallback : nullptr;
            if (!expected) {
                EXPECT_FALSE(pass->UsesShaders());
                EXPECT_TRUE(Journaled("SetTexture 0 " + renderer->Tag(texture.Get())));
                continue;
            }
            ASSERT_TRUE(pass->UsesShaders());
            EXPECT_EQ(pass->GetPixelShader()->Source().Std().rfind(expected, 0), 0u);
            if (level == 20)
                for (size_t stage = 0; stage < row.stages.size(); ++stage) {
                    Object* bound = effect->FindByName(String(row.stages[stage].c_str()));
                    EXPECT_TRUE(Journaled("SetTexture " + std::to_string(stage) + " " + renderer->Tag(bound)))
                        << row.stages[stage];
                }
        }
    }
}

TEST_F(NatureEffects, FresnelWeightsFollowSchlicksLaw)
{
    const struct {
        float r0, cosine, expected;
    } cases[] = {
        {0.02f, 1.0f, 0.02f},                     // Straight down: R0.
        {0.02f, 0.0f, 1.0f},                      // Grazing: everything.
        {0.02f, 0.5f, 0.02f + 0.98f / 32},        // (1/2)^5.
        {0.5f, 0.8f, 0.5f + 0.5f * 0.00032f},     // 0.2^5.
        {0.02f, -0.3f, 1.0f},                     // Below the surface counts as grazing.
        {0.02f, 1.7f, 0.02f},
    };
    for (const auto& c : cases)
        EXPECT_NEAR(QuietWater::Fresnel(c.r0, c.cosine), c.expected, 1e-6f) << c.r0 << " " << c.cosine;
}

TEST_F(NatureEffects, ConstantsCarryTheTimeTheColourAndTheParameters)
{
    renderer->LimitShaderVersion(20);

    Ptr<FlatWaterEffect> water = static_cast<FlatWaterEffect*>(Filled("ZEN.FlatWaterEffect").Get());
    water->SetWaves(FlatWaterEffect::Waves{{0.03f, 0.1f}, {-0.017f, 0.5f}, 2.5f, 0.8f, 0.04f, 0.02f, 0.5f});
    water->SetColor(Vector4{0.25f, 0.5f, 0.75f, 1});
    water->Update(2.5);
    ASSERT_EQ(Draw(water.Get()), 1);
    // 2.5 s: 0.075, 0.25, -0.0425 wrapped to 0.9575, 1.25 wrapped to 0.25.
    test::ExpectNear(renderer->VertexConstant(20), Vector4{0.075f, 0.25f, 0.9575f, 0.25f}, 1e-5f, "wave offsets");
    EXPECT_EQ(renderer->VertexConstant(21).x, 2.5f);
    EXPECT_EQ(renderer->PixelConstant(8), (Vector4{0.25f, 0.5f, 0.75f, 1}));
    EXPECT_EQ(renderer->PixelConstant(9), (Vector4{0.04f, 0.02f, 0.98f, 0.5f}));
    EXPECT_EQ(renderer->PixelConstant(11).x, 0.8f);
    // The fixed-function technique mixes in the cube's mean, (90, 180, 90) / 255, by 0.35:
    // red 0.25 x 0.65 + 0.3529 x 0.35.
    EXPECT_NEAR(water->CubeMean().x, 90 / 255.0f, 1e-6f);
    EXPECT_NEAR(water->CubeMean().y, 180 / 255.0f, 1e-6f);
    // Fog on the water: the vertex program's factor 2^(depth x c9.x), c9.x = -density x log2(e).
    water->SetFog(true, Vector4{0.1f, 0.2f, 0.3f, 1}, 0.05f, 2);
    ASSERT_EQ(Draw(water.Get()), 1);
    EXPECT_NEAR(renderer->VertexConstant(9).x, -0.05f * 1.44269504f, 1e-6f);
    EXPECT_TRUE(water->CurrentTechnique()->GetPass(0)->RenderStates()->State().fogEnable);
    renderer->LimitShaderVersion(0);
    Ptr<FlatWaterEffect> still = static_cast<FlatWaterEffect*>(Filled("ZEN.FlatWaterEffect").Get());
    still->SetColor(Vector4{0.25f, 0.5f, 0.75f, 1});
    ASSERT_EQ(still->GetPassCount(), 1u);
    const Vector4 factor = still->CurrentTechnique()->GetPass(0)->RenderStates()->State().stages[0].textureFactor;
    EXPECT_NEAR(factor.x, 0.25f * 0.65f + 90 / 255.0f * 0.35f, 1e-5f);
    EXPECT_NEAR(factor.z, 0.75f * 0.65f + 90 / 255.0f * 0.35f, 1e-5f);
    renderer->LimitShaderVersion(20);

    Ptr<LavaEffect> lava = new LavaEffect();
    lava->SetTexture(texture.Get());
    lava->SetColor(Vector4{1, 0.5f, 0.25f, 1});
    lava->SetParameters(LavaEffect::Parameters{{0.02f, 0.035f}, 0.5f, 0.04f, 0.25f, 0.3f});
    lava->Update(1.0);  // A quarter of the pulse: sin = 1, brightness 1.3.
    ASSERT_EQ(Draw(lava.Get()), 1);
    const Vector4 glow = renderer->PixelConstant(9);
    EXPECT_NEAR(glow.x, 1.3f, 1e-5f);
    EXPECT_NEAR(glow.y, 0.65f, 1e-5f);
    EXPECT_NEAR(renderer->VertexConstant(20).z, 1 - 0.02f / 3, 1e-5f);

    Ptr<CloudsEffect> clouds = new CloudsEffect();
    clouds->SetParameters(CloudsEffect::Parameters{{0.01f, 0.004f}, 2.7f, 0.35f, 3, 0.35f});
    const struct {
        float density, opacity;
    } opacities[] = {{0.2f, 0}, {0.35f, 0}, {0.5f, 0.45f}, {0.6f, 0.75f}, {0.9f, 1}};
    for (const auto& c : opacities)
        EXPECT_NEAR(clouds->Opacity(c.density), c.opacity, 1e-5f) << c.density;
}

TEST_F(NatureEffects, GrassSwaysSmoothlyAndIsLitFromAbove)
{
    Ptr<GrassEffect> grass = new GrassEffect();
    grass->SetWind(GrassEffect::Wind{{3, 4}, 0.2f, 0.5f});
    // At time 0 the phase alone: f = 0 or 1 is one end, 1/2 the other, 1/4 the middle.
    const struct {
        float weight, phase, sway;
    } cases[] = {{1, 0, 1}, {1, 0.5f, -1}, {1, 0.25f, 0}, {0.5f, 0, 0.5f}, {0, 0.3f, 0}, {1, 0.125f, 0.6875f}};  // t = 0.75: 2 x 0.84375 - 1.
    for (const auto& c : cases)
        EXPECT_NEAR(grass->Sway(c.weight, c.phase), c.sway, 1e-5f) << c.weight << " " << c.phase;
    grass->Update(1.0);  // Half a sway on: phase 0 is now the other end.
    EXPECT_NEAR(grass->Sway(1, 0), -1, 1e-5f);

    // The sun 30 degrees above the horizon: diffuse x 0.5, plus ambient.
    sun->SetColors(Vector4{0.2f, 0.2f, 0.2f, 1}, Vector4{1, 0.8f, 0.6f, 1}, Vector4{1, 1, 1, 1});
    ASSERT_EQ(sun->SetDirection(Vector3{0.8660254f, -0.5f, 0}), kSuccess);
    sun->UpdateState(0.0, true);
    grass->SetMaterial(Vector4{1, 1, 1, 1}, Vector4{1, 1, 1, 1}, Vector4{0, 0, 0, 1}, Vector4{0, 0, 0, 1}, 1);
    grass->SetColor(Vector4{0.5f, 1, 1, 1});
    EXPECT_EQ(grass->LitColor(), (Vector4{0.5f, 1, 1, 1}));  // No light: unlit.
    grass->SetLight(sun.Get());
    const Vector4 lit{0.5f * (0.2f + 0.5f), 0.2f + 0.4f, 0.2f + 0.3f, 0};
    test::ExpectNear(grass->LitColor(), lit, 1e-5f, "lit", false);
    // Wind constants: direction (3, 4) scaled to the amplitude.
    grass->SetTexture(texture.Get());
    ASSERT_EQ(Draw(grass.Get()), 1);
    const Vector4 wind = renderer->VertexConstant(10);
    EXPECT_NEAR(wind.x, 0.12f, 1e-5f);
    EXPECT_NEAR(wind.z, 0.16f, 1e-5f);
    EXPECT_NEAR(wind.w, 0.5f, 1e-5f);
}

TEST_F(NatureEffects, BadInputDrawsNothingAndIsLoggedOnce)
{
    Ptr<Light> lamp = new Light(Light::kPoint);
    const struct {
        const char* type;
        std::function<void(GeometryNodeEffect&)> spoil;
        const char* line;
    } cases[] = {
        {"ZEN.ReflectiveQuietFlatWaterEffect",
         [](GeometryNodeEffect& e) { static_cast<ReflectiveQuietFlatWaterEffect&>(e).SetReflection(nullptr); },
         "нет изображения: текстура отражения"},
        {"ZEN.ReflectiveRefractiveQuietFlatWaterEffect",
         [](GeometryNodeEffect& e) { static_cast<ReflectiveRefractiveQuietFlatWaterEffect&>(e).SetRefraction(nullptr); },
         "нет изображения: текстура преломления"},
        {"ZEN.FlatWaterEffect", [](GeometryNodeEffect& e) { static_cast<FlatWaterEffect&>(e).SetCubeMap(nullptr); },
         "нет изображения: кубическая карта"},
        {"ZEN.FlatWater1DLEffect",
         [&](GeometryNodeEffect& e) { static_cast<FlatWater1DLEffect&>(e).SetLight(lamp.Get()); },
         "источник света не направленный"},
        {"ZEN.CloudsEffect", [&](GeometryNodeEffect& e) { e.SetEffectTexture(sky.Get()); },
         "нет изображения: текстура облаков"},
        {"ZEN.LavaEffect", [](GeometryNodeEffect& e) { static_cast<LavaEffect&>(e).SetTexture(nullptr); },
         "нет изображения: текстура"},
        {"ZEN.GrassEffect", [&](GeometryNodeEffect& e) { static_cast<GrassEffect&>(e).SetLight(lamp.Get()); },
         "источник света не направленный"},
    };
    for (uint32_t level : {20u, 11u}) {
        renderer->LimitShaderVersion(level);
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(c.type) + " at " + std::to_string(level));
            Ptr<GeometryNodeEffect> effect = Filled(c.type);
            effect->SetName(String("Broken"));
            c.spoil(*effect);
            test::LogCapture log;
            EXPECT_EQ(Draw(effect.Get(), 3), 0);
            int errors = 0;
            for (const std::string& line : log.Lines())
                errors += line.rfind("ERROR. ", 0) == 0;
            EXPECT_EQ(errors, 1) << log.Joined();
            EXPECT_TRUE(log.ContainsText(std::string("Эффект не рисует узел: ") + c.line + ". Имя[Broken]"))
                << log.Joined();
            EXPECT_EQ(renderer->StateDepth(), 0u);
        }
    }
}

TEST_F(NatureEffects, AnEffectSharedByNodesMovesOncePerUpdate)
{
    Ptr<SceneNode> root = new SceneNode();
    Ptr<LavaEffect> lava = new LavaEffect();
    for (const char* name : {"A", "B", "C"})
        test::AttachQuad(*root, name, Vector3{}, lava.Get());
    root->UpdateState(0.5, true);
    root->UpdateState(0.25, true);
    EXPECT_DOUBLE_EQ(lava->LavaTime(), 0.75);
    // The owner (the last to attach) goes: another holder takes over, still once per update.
    ASSERT_EQ(root->DetachChild(root->GetChild(2)), kSuccess);
    root->UpdateState(0.125, true);
    root->UpdateState(0.125, true);
    EXPECT_DOUBLE_EQ(lava->LavaTime(), 1.0);
}

}  // namespace
}  // namespace zen
