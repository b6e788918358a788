#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "engine/scene/GlossmapTexture1DLEffect.h"
#include "engine/scene/Image.h"
#include "engine/scene/NormalmapLightmapTexture1DLEffect.h"
#include "engine/scene/NormalmapTexture1DL1PLEffect.h"
#include "engine/scene/ParallaxLightmapTexture1DLEffect.h"
#include "engine/scene/Texture.h"
#include "support/AttachedQuad.h"
#include "support/RecordingFixture.h"
#include "support/LogCapture.h"
#include "support/SceneBuilder.h"

// The light-mapped relief, gloss-map and normal-mapped two-light effects through the recording
// renderer: which texture each shader level binds to which stage, how many vertex streams it
// reads and which lights the fixed-function level pushes; the fixed-function level's relief
// factor and the gloss highlight's colour; and bad input (a missing map, a light of the wrong
// kind, geometry without tangents) drawn as nothing and logged once.
namespace zen {
namespace {

struct Maps {
    Texture* base;
    Texture* normal;
    Texture* light;
    Texture* gloss;
    Light* sun;
    Light* lamp;
};

using Factory = std::function<Ptr<GeometryNodeEffect>(const Maps&)>;

template <class T>
Ptr<T> Based(const Maps& m)
{
    Ptr<T> effect = new T();
    effect->SetName(String("Effect"));
    effect->SetTexture(m.base);
    return effect;
}

template <class T>
Ptr<GeometryNodeEffect> Relief(const Maps& m, bool lit)
{
    Ptr<T> effect = Based<T>(m);
    effect->SetNormalMap(m.normal);
    effect->SetLightmap(m.light);
    if constexpr (requires { effect->SetLight(m.sun); })
        if (lit)
            effect->SetLight(m.sun);
    return effect.Get();
}

template <class T>
Ptr<GeometryNodeEffect> Gloss(const Maps& m)
{
    Ptr<T> effect = Based<T>(m);
    effect->SetGlossMap(m.gloss);
    if constexpr (requires { effect->SetLight(m.sun); })
        effect->SetLight(m.sun);
    return effect.Get();
}

Ptr<GeometryNodeEffect> TwoLights(const Maps& m)
{
    Ptr<NormalmapTexture1DL1PLEffect> effect = Based<NormalmapTexture1DL1PLEffect>(m);
    effect->SetNormalMap(m.normal);
    effect->SetLight(m.sun);
    effect->SetPointLight(m.lamp);
    return effect.Get();
}

struct Kind {
    const char* name;
    Factory make;
    // Per level 20, 11, 0: the textures bound from stage 0 ("B" base, "N" normal map, "L" light
    // map, "G" gloss map), the streams read.
    const char* stages[3];
    uint32_t streams[3];
    uint32_t lights;  // Pushed by the fixed-function level.
};

const std::vector<Kind>& Kinds()
{
    static const std::vector<Kind> kinds = {
        {"NormalmapLightmapTexture", [](const Maps& m) { return Relief<NormalmapLightmapTextureEffect>(m, false); },
         {"BNL", "BNL", "BL"}, {4, 4, 3}, 0},
        {"NormalmapLightmapTexture1DL", [](const Maps& m) { return Relief<NormalmapLightmapTexture1DLEffect>(m, true); },
         {"BNL", "BNL", "BL"}, {6, 6, 4}, 1},
        {"ParallaxLightmapTexture", [](const Maps& m) { return Relief<ParallaxLightmapTextureEffect>(m, false); },
         {"BNL", "BNL", "BL"}, {6, 4, 3}, 0},
        {"ParallaxLightmapTexture1DL", [](const Maps& m) { return Relief<ParallaxLightmapTexture1DLEffect>(m, true); },
         {"BNL", "BNL", "BL"}, {6, 6, 4}, 1},
        {"GlossmapTexture", &Gloss<GlossmapTextureEffect>, {"BG", "BG", "B"}, {4, 4, 3}, 0},
        {"GlossmapTexture1DL", &Gloss<GlossmapTexture1DLEffect>, {"BG", "BG", "B"}, {4, 4, 3}, 1},
        {"NormalmapTexture1DL1PL", &TwoLights, {"BN", "BN", "B"}, {5, 5, 3}, 2},
    };
    return kinds;
}

class MapEffects : public test::RecordingFixture {
protected:
    void SetUp() override
    {
        RecordingFixture::SetUp();
        for (auto& [texture, name] : {std::pair{&base, "Base"}, {&normal, "Normal"}, {&light, "Light"}, {&gloss, "Gloss"}})
            *texture = new Texture(String(name), new Image(String(name), Image::kR8G8B8, 2, 2));
        sun = new Light(Light::kDirectional);
        lamp = new Light(Light::kPoint);
        quad = test::MakeQuad("Quad", 1.0f);
        ASSERT_EQ(quad->SetTexCoords(1, quad->TexCoords(0)), kSuccess);
    }
    Maps Inputs() { return {base.Get(), normal.Get(), light.Get(), gloss.Get(), sun.Get(), lamp.Get()}; }

    Ptr<Texture> base, normal, light, gloss;
    Ptr<Light> sun, lamp;
    Ptr<Triangles> quad;
};

TEST_F(MapEffects, EachLevelBindsItsMapsToTheirStagesAndReadsItsStreams)
{
    const uint32_t levels[3] = {20, 11, 0};
    for (const Kind& kind : Kinds()) {
        for (int l = 0; l < 3; ++l) {
            SCOPED_TRACE(std::string(kind.name) + " at level " + std::to_string(levels[l]));
            UseShaderVersion(levels[l]);
            Ptr<GeometryNodeEffect> effect = kind.make(Inputs());
            ASSERT_EQ(quad->SetEffect(effect.Get()), kSuccess);
            ASSERT_EQ(effect->GetPassCount(), 1u);
            EXPECT_EQ(effect->CurrentTechnique(), effect->GetTechnique(static_cast<uint32_t>(l)));
            ASSERT_EQ(Draws(*quad, 1), 1);
            const std::string stages = kind.stages[l];
            for (uint32_t stage = 0; stage < 3; ++stage) {
                Texture* expected = nullptr;
                if (stage < stages.size())
                    expected = stages[stage] == 'B' ? base.Get()
                               : stages[stage] == 'N' ? normal.Get()
                               : stages[stage] == 'L' ? light.Get()
                                                      : gloss.Get();
                for (Texture* texture : {base.Get(), normal.Get(), light.Get(), gloss.Get()})
                    EXPECT_EQ(Journaled("SetTexture " + std::to_string(stage) + " " + renderer->Tag(texture)),
                              texture == expected)
                        << "stage " << stage << " " << texture->Name().Std();
            }
            auto* pass = static_cast<GeometryNodeEffectPass*>(effect->CurrentTechnique()->GetPass(0));
            EXPECT_EQ(pass->Layout().Count(), kind.streams[l]);
            const bool fixed = levels[l] == 0;
            EXPECT_EQ(Journaled("PushLight " + renderer->Tag(sun.Get()) + " depth 1"), fixed && kind.lights >= 1);
            EXPECT_EQ(Journaled("PushLight " + renderer->Tag(lamp.Get()) + " depth 2"), fixed && kind.lights == 2);
            EXPECT_EQ(renderer->StateDepth(), 0u);
        }
    }
}

// A normal map tilted all the way to +x (texels (255, 128, 128)) lit from the upper left,
// (0.5, 0.5, 1): the relief factor is N.(0.5, 0.5, 1) = 0.5 + 0.5 x 0.0039 + 0.0039 = 0.506,
// which the fixed-function level applies to the colour of stage 0.
TEST_F(MapEffects, TheFixedFunctionLevelScalesTheColourByTheReliefsMean)
{
    Image* image = normal->GetImage();
    for (uint32_t i = 0; i < 4; ++i) {
        uint8_t* texel = image->Data() + i * 3;
        texel[0] = 255;
        texel[1] = texel[2] = 128;
    }
    UseShaderVersion(0);
    for (const Kind& kind : {Kinds()[0], Kinds()[2]}) {
        SCOPED_TRACE(kind.name);
        Ptr<GeometryNodeEffect> effect = kind.make(Inputs());
        static_cast<ColorEffect*>(effect.Get())->SetColor(Vector4{0.5f, 1, 1, 1});
        // Set again after the map's texels changed, so it is measured anew.
        if (effect->IsDerivedFrom(&NormalmapLightmapTextureEffect::TYPE))
            static_cast<NormalmapLightmapTextureEffect*>(effect.Get())->SetNormalMap(normal.Get());
        else
            static_cast<ParallaxLightmapTextureEffect*>(effect.Get())->SetNormalMap(normal.Get());
        ASSERT_EQ(effect->GetPassCount(), 1u);
        const Vector4& factor = effect->CurrentTechnique()->GetPass(0)->RenderStates()->State().stages[0].textureFactor;
        const float relief = (0.5f * 1.0f + 0.5f * (128 / 255.0f * 2 - 1) + (128 / 255.0f * 2 - 1)) /
                             std::sqrt(1.0f + 2 * (128 / 255.0f * 2 - 1) * (128 / 255.0f * 2 - 1));
        EXPECT_NEAR(factor.x, 0.5f * relief, 1e-4f);
        EXPECT_NEAR(factor.y, relief, 1e-4f);
        EXPECT_NEAR(factor.w, 1.0f, 1e-6f);
    }
}

// Without a light the gloss highlight takes the material's specular colour as it is, in the
// vertex program's c13 and the pixel program's c3; the power goes to c12.x and c2.x.
TEST_F(MapEffects, TheUnlitGlossHighlightTakesTheMaterialsSpecularColour)
{
    for (uint32_t level : {20u, 11u}) {
        SCOPED_TRACE(level);
        UseShaderVersion(level);
        Ptr<GeometryNodeEffect> effect = Gloss<GlossmapTextureEffect>(Inputs());
        effect->SetMaterial(Vector4{1, 1, 1, 1}, Vector4{1, 1, 1, 1}, Vector4{0.25f, 0.5f, 0.75f, 1},
                            Vector4{0, 0, 0, 1}, 12);
        ASSERT_EQ(quad->SetEffect(effect.Get()), kSuccess);
        ASSERT_EQ(Draws(*quad, 1), 1);
        EXPECT_EQ(renderer->VertexConstant(13), (Vector4{0.25f, 0.5f, 0.75f, 0}));
        EXPECT_EQ(renderer->PixelConstant(3), (Vector4{0.25f, 0.5f, 0.75f, 0}));
        EXPECT_EQ(renderer->VertexConstant(12).x, 12.0f);
        EXPECT_EQ(renderer->PixelConstant(2).x, 12.0f);
    }
}

TEST_F(MapEffects, BadInputDrawsNothingAndIsLoggedOnce)
{
    Ptr<Triangles> flat = test::MakeQuad("Flat", 1.0f);  // No tangents.
    ASSERT_EQ(flat->SetTexCoords(1, flat->TexCoords(0)), kSuccess);
    flat->SetTangents(nullptr);
    Ptr<Light> spot = new Light(Light::kSpot);
    Ptr<Texture> empty = new Texture(String("Empty"), nullptr);
    const struct {
        size_t kind;
        uint32_t level;
        const char* what;  // The input taken away or spoiled.
        const char* line;
    } cases[] = {
        {0, 20, "normal", "нет изображения: карта нормалей"},
        {0, 11, "light", "нет изображения: карта освещения"},
        {0, 0, "base", "нет изображения: текстура"},
        {1, 20, "tangents", "у геометрии нет буфера, который читает проход"},
        {1, 0, "sun", "нет источника света"},
        {1, 11, "spot", "источник света не направленный"},
        {2, 20, "light", "нет изображения: карта освещения"},
        {3, 20, "normal", "нет изображения: карта нормалей"},
        {3, 11, "tangents", "у геометрии нет буфера, который читает проход"},
        {4, 20, "gloss", "нет изображения: карта блеска"},
        {5, 11, "gloss", "нет изображения: карта блеска"},
        {5, 0, "spot", "источник света не направленный"},
        {6, 20, "lamp", "нет источника света"},
        {6, 11, "spot lamp", "второй источник света не точечный"},
        {6, 20, "tangents", "у геометрии нет буфера, который читает проход"},
    };
    for (const auto& row : cases) {
        const Kind& kind = Kinds()[row.kind];
        SCOPED_TRACE(std::string(kind.name) + " without " + row.what + " at " + std::to_string(row.level));
        UseShaderVersion(row.level);
        Maps maps = Inputs();
        const std::string what = row.what;
        const std::map<std::string, std::function<void()>> spoil = {
            {"normal", [&] { maps.normal = empty.Get(); }}, {"light", [&] { maps.light = nullptr; }},
            {"base", [&] { maps.base = empty.Get(); }},     {"gloss", [&] { maps.gloss = nullptr; }},
            {"sun", [&] { maps.sun = nullptr; }},           {"spot", [&] { maps.sun = spot.Get(); }},
            {"lamp", [&] { maps.lamp = nullptr; }},         {"spot lamp", [&] { maps.lamp = spot.Get(); }},
            {"tangents", [] {}}};
        spoil.at(what)();
        Ptr<GeometryNodeEffect> effect = kind.make(maps);
        effect->SetName(String("Broken"));
        Triangles& node = what == "tangents" ? *flat : *quad;
        ASSERT_EQ(node.SetEffect(effect.Get()), kSuccess);
        test::LogCapture log;
        EXPECT_EQ(Draws(node, 3), 0);
        int errors = 0;
        for (const std::string& line : log.Lines())
            errors += line.rfind("ERROR. ", 0) == 0;
        EXPECT_EQ(errors, 1) << log.Joined();
        EXPECT_TRUE(log.ContainsText(std::string("Эффект не рисует узел: ") + row.line + ". Имя[Broken]"))
            << log.Joined();
        EXPECT_EQ(renderer->StateDepth(), 0u);
    }
}

// Blended catalogue effects keep their blending through their own render states and send their
// nodes to the back-to-front queue: the opaque node first, then the blended ones farthest first,
// each drawn with its blending pass (one effect shared by two nodes included).
TEST_F(MapEffects, BlendedEffectsAreDrawnAfterTheOpaqueOnesFarthestFirst)
{
    UseDeviceAndScene();
    UseShaderVersion(20);
    const Maps maps = Inputs();
    Ptr<GeometryNodeEffect> twoLights = Kinds()[6].make(maps), gloss = Kinds()[5].make(maps),
                            relief = Kinds()[0].make(maps), wall = Kinds()[1].make(maps);
    for (GeometryNodeEffect* effect : {twoLights.Get(), gloss.Get(), relief.Get()})
        ASSERT_EQ(effect->SetBlending(true, RenderState::kBlendSourceAlpha, RenderState::kBlendInverseSourceAlpha),
                  kSuccess);
    const struct {
        const char* name;
        float z;
        GeometryNodeEffect* effect;
    } nodes[] = {{"Near", 5, twoLights.Get()}, {"Wall", 30, wall.Get()},   {"Middle", 12, relief.Get()},
                 {"Far", 20, gloss.Get()},     {"Behind", 16, relief.Get()}};
    for (const auto& node : nodes) {
        Ptr<Triangles> quad = test::AttachQuad(*root, node.name, Vector3{0, 0, node.z}, node.effect);
        ASSERT_EQ(quad->SetTexCoords(1, quad->TexCoords(0)), kSuccess);
    }
    DrawFrame();

    std::vector<std::string> order;
    std::string lastPass;
    for (const std::string& line : renderer->Journal()) {
        if (line.rfind("SetPass ", 0) == 0)
            lastPass = line.substr(8);
        if (line.rfind("DrawCurrentGeometry [", 0) != 0)
            continue;
        const std::string name = line.substr(21, line.find(']') - 21);
        order.push_back(name);
        for (const auto& node : nodes)
            if (name == node.name) {
                Pass* pass = node.effect->CurrentTechnique()->GetPass(0);
                EXPECT_EQ(lastPass, renderer->Tag(pass)) << name;
                EXPECT_EQ(pass->RenderStates()->State().alphaBlendEnable, node.effect != wall.Get()) << name;
                // Drawn last and farthest first, blended surfaces leave the depth buffer alone.
                EXPECT_EQ(pass->RenderStates()->State().depthWrite, node.effect == wall.Get()) << name;
            }
    }
    EXPECT_EQ(order, (std::vector<std::string>{"Wall", "Far", "Behind", "Middle", "Near"}));
    renderer->SetCamera(nullptr);
}

}  // namespace
}  // namespace zen
