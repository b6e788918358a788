#include <gtest/gtest.h>

#include <string>

#include "engine/core/Quaternion.h"
#include "engine/scene/EffectLighting.h"
#include "engine/scene/GeometryNodeEffectPass.h"
#include "engine/scene/Image.h"
#include "engine/scene/Texture.h"
#include "engine/scene/Texture1DL1PLEffect.h"
#include "engine/scene/Texture1DLEffect.h"
#include "support/RecordBytes.h"
#include "support/RecordingFixture.h"
#include "support/LogCapture.h"
#include "support/SceneBuilder.h"

// The lit effects: the constants their programs read (against values worked out by hand), the
// technique each shader level gets, what a fixed-function pass pushes, the stream form, and bad
// input (no texture, a light of the wrong kind, geometry without normals) drawn as nothing and
// logged once.
namespace zen {
namespace {

class LitEffects : public test::RecordingFixture {
protected:
    void SetUp() override
    {
        RecordingFixture::SetUp();
        image = new Image(String("base"), Image::kR8G8B8, 4, 4);
        texture = new Texture(String("Base"), image.Get());
        sun = new Light(Light::kFixedDirectional);
        sun->SetName(String("Sun"));
        lamp = new Light(Light::kPoint);
        lamp->SetName(String("Lamp"));
        quad = test::MakeQuad("Quad", 1.0f);
    }

    Ptr<Image> image;
    Ptr<Texture> texture;
    Ptr<Light> sun, lamp;
    Ptr<Triangles> quad;
};

void ExpectNear(const Vector4& actual, const Vector4& expected, const char* what)
{
    test::ExpectNear(actual, expected, 1e-5f, what);
}

// A node at (1, 2, 3), scaled by 2 and turned half way round the y axis (x and z change sign
// whichever way it turns), lit by a light shining along +z and a lamp at (3, 2, 3), seen from
// the origin. In the node's model space the light comes from +z, the eye sits at
// ((0 - 1) / 2, (0 - 2) / 2, (0 - 3) / 2) turned: (0.5, -1, 1.5), and the lamp at (-1, 0, 0).
TEST_F(LitEffects, ConstantsCarryLightsAndEyeIntoModelSpaceAndMultiplyTheColours)
{
    quad->LocalTransform().SetScale(Vector3{2, 2, 2});
    quad->LocalTransform().SetRotation(Quaternion{0, 1, 0, 0});
    quad->LocalTransform().SetTranslation(Vector3{1, 2, 3});
    quad->UpdateState(0.0, true);
    sun->SetColors(Vector4{0.5f, 0.5f, 0.5f, 1}, Vector4{1, 0.5f, 0.25f, 1}, Vector4{0.5f, 0.5f, 0.5f, 1});
    lamp->SetColors(Vector4{0.25f, 0, 0, 1}, Vector4{0, 1, 0, 1}, Vector4{0, 0, 1, 1});
    lamp->SetAttenuation(Vector3{1, 0.5f, 0.25f}, true);
    lamp->LocalTransform().SetTranslation(Vector3{3, 2, 3});
    lamp->UpdateState(0.0, true);

    Ptr<Texture1DL1PLEffect> effect = new Texture1DL1PLEffect();
    effect->SetMaterial(Vector4{0.5f, 0.5f, 0.5f, 0.8f}, Vector4{0.4f, 0.4f, 0.4f, 1}, Vector4{1, 0.5f, 0, 1},
                        Vector4{0.1f, 0, 0, 1}, 16);
    effect->SetColor(Vector4{1, 1, 0.5f, 0.5f});
    effect->SetFog(true, Vector4{1, 1, 1, 1}, 0.5f, 2);
    EffectLighting lighting;
    lighting.SetDirectional(sun.Get());
    lighting.SetPoint(lamp.Get());
    Vector4 vertex[EffectLighting::kVertexRegisterCount], pixel[EffectLighting::kPixelRegisterCount];
    const Vector4 eye{0, 0, 0, 1};
    lighting.ComputeConstants(*effect, effect->Color(), *quad, &eye, true, vertex, pixel);

    const struct {
        uint32_t reg;
        Vector4 value;
        const char* what;
    } expected[] = {
        {8, {0.5f, 0.25f, 0.0625f, 0.4f}, "diffuse: 0.5 x (1, 0.5, 0.25) x (1, 1, 0.5); alpha 0.8 x 0.5"},
        {9, {-0.72134752f, 0, 1, 0.5f}, "fog: -0.5 x log2(e)"},
        // 0.4 x (0.5 + 0.25 from the lamp) + emissive 0.1 for red, 0.4 x 0.5 for the rest, x colour.
        {10, {0.4f, 0.2f, 0.1f, 0}, "ambient + emissive"},
        {11, {0, 0, 0, 0}, "specular offset"},
        {12, {16, 0, 1, 0.5f}, "power"},
        {13, {0.5f, 0.25f, 0, 0}, "specular: (1, 0.5, 0) x 0.5"},
        {14, {0, 0.5f, 0, 0}, "lamp diffuse: 0.5 x (0, 1, 0) x colour"},
        {15, {0, 0, 0, 0}, "lamp specular: (1, 0.5, 0) x (0, 0, 1)"},
        {16, {0, 0, 1, 0}, "towards the light, model space"},
        {17, {0.5f, -1, 1.5f, 1}, "eye, model space"},
        {18, {-1, 0, 0, 1}, "lamp, model space"},
        {19, {1, 0.5f, 0.25f, 0}, "attenuation"},
    };
    for (const auto& row : expected)
        ExpectNear(vertex[row.reg - EffectLighting::kFirstVertexRegister], row.value, row.what);
    // The per-pixel programs get the same products.
    ExpectNear(pixel[0], vertex[0], "pixel c0 diffuse");
    ExpectNear(pixel[1], vertex[2], "pixel c1 ambient");
    ExpectNear(pixel[2], vertex[4], "pixel c2 power");
    ExpectNear(pixel[3], vertex[5], "pixel c3 specular");
    ExpectNear(pixel[6], vertex[11], "pixel c6 attenuation");
}

TEST_F(LitEffects, EachShaderLevelGetsItsTechniqueAndTheFixedFunctionOnePushesTheLights)
{
    const struct {
        uint32_t level;
        uint32_t technique;
        const char* vertex;  // Start of the program text; null for fixed function.
        const char* pixel;
    } levels[] = {
        {30, 0, "vs_2_0\n", "ps_2_0\n"},
        {20, 0, "vs_2_0\n", "ps_2_0\n"},
        {11, 1, "vs_1_1\n", "ps.1.1\n"},
        {0, 2, nullptr, nullptr},
    };
    for (const auto& row : levels) {
        for (bool point : {false, true}) {
            SCOPED_TRACE(std::to_string(row.level) + (point ? " 1DL1PL" : " 1DL"));
            UseShaderVersion(row.level);
            auto sunlit = [&](auto* made) {
                made->SetLight(sun.Get());
                return Ptr<TextureEffect>(made);
            };
            Ptr<TextureEffect> effect = point ? sunlit(new Texture1DL1PLEffect()) : sunlit(new Texture1DLEffect());
            if (point)
                static_cast<Texture1DL1PLEffect*>(effect.Get())->SetPointLight(lamp.Get());
            effect->SetTexture(texture.Get());
            ASSERT_EQ(quad->SetEffect(effect.Get()), kSuccess);
            ASSERT_EQ(effect->GetPassCount(), 1u);
            EXPECT_EQ(effect->CurrentTechnique(), effect->GetTechnique(row.technique));
            auto* pass = static_cast<GeometryNodeEffectPass*>(effect->CurrentTechnique()->GetPass(0));
            if (row.vertex) {
                EXPECT_EQ(pass->GetVertexShader()->Source().Std().rfind(row.vertex, 0), 0u);
                EXPECT_EQ(pass->GetPixelShader()->Source().Std().rfind(row.pixel, 0), 0u);
            } else {
                EXPECT_FALSE(pass->UsesShaders());
            }
            EXPECT_EQ(Draws(*quad), 1);
            EXPECT_TRUE(Journaled("SetTexture 0 " + renderer->Tag(texture.Get())));
            // Positions, normals, coordinates; the shader levels write the lighting constants.
            EXPECT_EQ(pass->Layout().Count(), 3u);
            EXPECT_EQ(Journaled("SetVertexShaderConstants 8 12"), row.vertex != nullptr);
            EXPECT_EQ(Journaled("PushLight " + renderer->Tag(sun.Get()) + " depth 1"), row.vertex == nullptr);
            EXPECT_EQ(Journaled("PushLight " + renderer->Tag(lamp.Get()) + " depth 2"), row.vertex == nullptr && point);
            EXPECT_EQ(renderer->StateDepth(), 0u);  // Popped after the draw.
        }
    }
}

TEST_F(LitEffects, TheFixedFunctionFallbackModulatesTheLitTextureByTheColour)
{
    UseShaderVersion(0);
    Ptr<Texture1DLEffect> effect = new Texture1DLEffect();
    effect->SetColor(Vector4{0.5f, 0.25f, 1, 1});
    ASSERT_EQ(effect->GetPassCount(), 1u);
    const RenderState& state = effect->CurrentTechnique()->GetPass(0)->RenderStates()->State();
    EXPECT_EQ(state.stages[0].combineMode, RenderState::kCombineModulate);  // Texture x lit colour.
    EXPECT_EQ(state.stages[1].combineMode, RenderState::kCombineCustom);
    EXPECT_EQ(state.stages[1].colorOp, RenderState::kCombineMultiply);
    EXPECT_EQ(state.stages[1].colorArg[0], RenderState::kArgCurrent);
    EXPECT_EQ(state.stages[1].colorArg[1], RenderState::kArgTextureFactor);
    EXPECT_EQ(state.stages[1].textureFactor, (Vector4{0.5f, 0.25f, 1, 1}));
}

TEST_F(LitEffects, BadInputDrawsNothingAndIsLoggedOnce)
{
    Ptr<Triangles> bare = test::MakeQuad("Bare", 1.0f);
    bare->SetNormals(nullptr);
    Ptr<Light> spot = new Light(Light::kSpot);
    const struct {
        const char* what;
        Texture* texture;
        Light* light;
        Light* point;
        bool normals;
        const char* line;
    } cases[] = {
        {"no texture", nullptr, sun.Get(), lamp.Get(), true, "нет изображения: текстура"},
        {"no light", texture.Get(), nullptr, lamp.Get(), true, "нет источника света"},
        {"a point light for the sun", texture.Get(), lamp.Get(), lamp.Get(), true, "источник света не направленный"},
        {"a spot light for the lamp", texture.Get(), sun.Get(), spot.Get(), true, "второй источник света не точечный"},
        {"no normals", texture.Get(), sun.Get(), lamp.Get(), false, "у геометрии нет буфера, который читает проход"},
    };
    for (uint32_t level : {20u, 11u, 0u}) {
        UseShaderVersion(level);
        for (const auto& row : cases) {
            SCOPED_TRACE(std::string(row.what) + " at level " + std::to_string(level));
            Triangles& node = row.normals ? *quad : *bare;
            Ptr<Texture1DL1PLEffect> effect = new Texture1DL1PLEffect();
            effect->SetName(String("Broken"));
            effect->SetTexture(row.texture);
            effect->SetLight(row.light);
            effect->SetPointLight(row.point);
            ASSERT_EQ(node.SetEffect(effect.Get()), kSuccess);
            test::LogCapture log;
            EXPECT_EQ(Draws(node, 3), 0);
            int lines = 0;
            for (const std::string& line : log.Lines())
                lines += line.find("ERROR. ") == 0;
            EXPECT_EQ(lines, 1) << log.Joined();
            EXPECT_TRUE(log.ContainsText(std::string("Эффект не рисует узел: ") + row.line + ". Имя[Broken]"))
                << log.Joined();
            EXPECT_EQ(renderer->StateDepth(), 0u);
        }
    }
}

TEST_F(LitEffects, OneEffectDrawsNodesWithDifferentBuffers)
{
    // The same effect on a mesh with coordinates in set 0 and one with an extra set: each draw
    // binds its own node's buffers.
    Ptr<Triangles> other = test::MakeQuad("Other", 2.0f);
    ASSERT_EQ(other->SetTexCoords(3, other->TexCoords(0)), kSuccess);
    Ptr<Texture1DLEffect> effect = new Texture1DLEffect();
    effect->SetTexture(texture.Get());
    effect->SetLight(sun.Get());
    ASSERT_EQ(quad->SetEffect(effect.Get()), kSuccess);
    ASSERT_EQ(other->SetEffect(effect.Get()), kSuccess);
    for (int round = 0; round < 2; ++round) {
        EXPECT_EQ(Draws(*quad), 1);
        EXPECT_TRUE(Journaled("SetStream Vector3 " + renderer->Tag(quad->Normals()) + " 1"));
        EXPECT_EQ(Draws(*other), 1);
        EXPECT_TRUE(Journaled("SetStream Vector3 " + renderer->Tag(other->Normals()) + " 1"));
    }
}

TEST_F(LitEffects, TheLightsComeBackAsTheScenesOwnNodes)
{
    Ptr<SceneNode> root = new SceneNode();
    Ptr<Texture1DL1PLEffect> effect = new Texture1DL1PLEffect();
    effect->SetName(String("Lit"));
    effect->SetLight(sun.Get());
    effect->SetPointLight(lamp.Get());
    ASSERT_EQ(quad->SetEffect(effect.Get()), kSuccess);
    ASSERT_EQ(root->AttachChild(sun.Get()), kSuccess);
    ASSERT_EQ(root->AttachChild(lamp.Get()), kSuccess);
    ASSERT_EQ(root->AttachChild(quad.Get()), kSuccess);
    Ptr<SceneNode> loaded = test::LoadedRecord<SceneNode>(test::SavedRecord(root.Get()));
    ASSERT_TRUE(loaded);
    auto* lit = static_cast<Texture1DL1PLEffect*>(loaded->FindByName(String("Lit")));
    ASSERT_TRUE(lit && lit->IsExactly(&Texture1DL1PLEffect::TYPE));
    // Not copies: the effect's fields are checked with the catalogue, the lights' with theirs.
    EXPECT_EQ(lit->GetLight(), loaded->FindByName(String("Sun")));
    EXPECT_EQ(lit->GetPointLight(), loaded->FindByName(String("Lamp")));
}

}  // namespace
}  // namespace zen
