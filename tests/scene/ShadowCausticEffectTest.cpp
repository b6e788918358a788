#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "engine/anim/ProjectedCausticAnimationController.h"
#include "engine/anim/RenderShadowmapEffectController.h"
#include "engine/anim/TextureAnimation.h"
#include "engine/anim/TextureKeyframe.h"
#include "engine/scene/ColorEffect.h"
#include "engine/scene/Image.h"
#include "engine/scene/ProjectedCausticEffect.h"
#include "engine/scene/ShadowmapEffect.h"
#include "engine/scene/SphereBoundingVolume.h"
#include "anim/AnimTestSupport.h"
#include "support/AttachedQuad.h"
#include "support/EngineScope.h"
#include "support/RecordingFixture.h"
#include "support/LogCapture.h"
#include "support/RecordBytes.h"
#include "support/StreamForm.h"
#include "support/SceneBuilder.h"

// Shadow maps and projected caustics through the recording renderer: the map drawn before the
// frame, the children, then the overlay over the same surfaces; the light's view from
// hand-computed points; bad input; the stream forms.
namespace zen {
namespace {

using test::PutFloat;
using In = test::ByteStream;

Vector3 Project(const Matrix4& m, const Vector3& p)
{
    const Vector4 v = m.Transform(Vector4{p.x, p.y, p.z, 1});
    return {v.x / v.w, v.y / v.w, v.z / v.w};
}

class Receivers : public test::RecordingFixture {
protected:
    void SetUp() override
    {
        RecordingFixture::SetUp();
        UseDeviceAndScene();
        const struct {
            const char* name;
            Vector3 at;
        } parts[] = {{"Ball", {0, 0, 5}}, {"Floor", {0, -1.5f, 6}}};
        for (const auto& part : parts)
            test::AttachQuad(*root, part.name, part.at, new ColorEffect());
        sun = new Light(Light::kDirectional);
        ASSERT_EQ(sun->SetDirection(Vector3{0, -1, 0.2f}), kSuccess);
        sun->UpdateState(0, true);
    }

    // The shadow effect on the root with its controller.
    Ptr<ShadowmapEffect> AddShadow()
    {
        Ptr<ShadowmapEffect> shadow = new ShadowmapEffect();
        shadow->SetLight(sun.Get());
        Ptr<RenderShadowmapEffectController> controller = new RenderShadowmapEffectController();
        EXPECT_EQ(shadow->SetController(controller.Get()), kSuccess);
        EXPECT_EQ(root->AddEffect(shadow.Get()), kSuccess);
        return shadow;
    }

    Ptr<Light> sun;
};

TEST_F(Receivers, TheMapIsDrawnBeforeTheFrameThenChildrenThenTheShadowOverThem)
{
    Ptr<ShadowmapEffect> shadow = AddShadow();
    DrawFrame();
    Texture* map = shadow->ShadowMap();
    ASSERT_NE(map, nullptr);
    EXPECT_EQ(map->Name(), "Shadow Map Texture");
    EXPECT_EQ(map->GetImage()->Name(), "Shadow Map Image");
    EXPECT_EQ(map->GetImage()->Format(), Image::kR8G8B8A8);
    EXPECT_EQ(map->GetImage()->Width(), ShadowmapEffect::kDefaultMapSize);
    const std::string tag = renderer->Tag(map);
    const std::vector<std::string> expected = {
        "BeginRenderTarget " + tag, "Clear 3 (1 1 1 1) 1 0",   // Far everywhere.
        "DrawCurrentGeometry [Ball] 2", "DrawCurrentGeometry [Floor] 2", "EndRenderTarget",  // Depth.
        "DrawCurrentGeometry [Ball] 2", "DrawCurrentGeometry [Floor] 2",                     // Lit.
        "SetTexture 0 " + tag, "DrawCurrentGeometry [Ball] 2",                                // Shadow.
        "SetTexture 0 " + tag, "DrawCurrentGeometry [Floor] 2"};
    EXPECT_EQ(Lines({"BeginRenderTarget", "Clear 3", "DrawCurrentGeometry", "EndRenderTarget", "SetTexture 0"}),
              expected);
    EXPECT_EQ(renderer->PixelConstant(0), (Vector4{0.4f, 0.4f, 0.4f, 1}));  // The shadow colour.

    // The shadow multiplies what the children drew, on their depths, without writing depth.
    ASSERT_NE(renderer->CurrentPass(), nullptr);
    ASSERT_TRUE(renderer->CurrentPass()->IsDerivedFrom(&ProjectionPass::TYPE));
    const RenderState& state = renderer->CurrentPass()->RenderStates()->State();
    EXPECT_TRUE(state.alphaBlendEnable);
    EXPECT_EQ(state.srcBlend, RenderState::kBlendZero);
    EXPECT_EQ(state.destBlend, RenderState::kBlendSourceColor);
    EXPECT_FALSE(state.depthWrite);
    EXPECT_EQ(state.depthFunc, RenderState::kCompareLessEqual);
    EXPECT_FALSE(state.cullEnable);  // Over both sides, as the children may have drawn them.
}

TEST_F(Receivers, TheMapCoordinatesPutTheBoundsCentreMidMapAndTheBiasTowardsTheLight)
{
    Ptr<ShadowmapEffect> shadow = AddShadow();
    shadow->SetBias(0.25f);
    DrawFrame();
    const auto* sphere = static_cast<const SphereBoundingVolume*>(root->WorldBound());
    const Vector3 c = sphere->GetCenter();
    const float r = sphere->Radius();
    // c4-c7 of the last receiver (the floor) carry its world matrix: undo it for a world point.
    Matrix4 world = root->GetChild(1)->WorldTransform().ToMatrix(), inverse;
    ASSERT_TRUE(world.Inverse(inverse));
    const Matrix4 constants = Matrix4::FromRows(renderer->VertexConstant(4), renderer->VertexConstant(5),
                                                renderer->VertexConstant(6), renderer->VertexConstant(7));
    const Matrix4 map = inverse * constants;
    // Orthographic over the bound, four texels wider at each side (p = r (1 + 8 / 1024)): depths
    // over the widened sphere, the centre half way, less the bias and two texels over 2p.
    const float p = r * (1 + 8.0f / ShadowmapEffect::kDefaultMapSize);
    const float offset = 0.25f + 2 * (2 * p / ShadowmapEffect::kDefaultMapSize);
    const float range = 2 * p;
    test::ExpectNear(Project(map, c), {0.5f, 0.5f, (p - offset) / range}, 1e-5f, "centre");
    // One radius towards the light: p - r from the nearest depth; across, short of the edge.
    const Vector3 d = Vector3{0, -1, 0.2f};
    const float n = std::sqrt(1.04f);
    const Vector3 near = Project(map, Vector3{c.x - d.x / n * r, c.y - d.y / n * r, c.z - d.z / n * r});
    EXPECT_NEAR(near.z, (p - r - offset) / range, 1e-5f);
    const Vector3 edge = Project(map, Vector3{c.x + r, c.y, c.z});  // World x is the light's right.
    EXPECT_NEAR(edge.x, 0.5f + 0.5f * r / p, 1e-5f);
    EXPECT_NEAR(edge.y, 0.5f, 1e-5f);
}

TEST(ShadowmapLightView, HandComputedPoints)
{
    struct Case {
        const char* what;
        int32_t type;
        Vector3 direction, position;  // The light's.
        Vector3 point;                // World point...
        Vector3 clip;                 // ...and where it lands (x, y, depth after the divide).
        float sceneRadius = 2;        // Of a scene sphere around `sceneCenter`...
        Vector3 sceneCenter{1, 2, 3}; // ...(by default the casters' own).
    };
    const Vector3 c{1, 2, 3};
    const float r = 2;
    const Case cases[] = {
        // Straight down: light right = world x, light up = world z, depth (r - y') / 2r.
        {"down, centre", Light::kDirectional, {0, -1, 0}, {}, c, {0, 0, 0.5f}},
        {"down, top", Light::kDirectional, {0, -1, 0}, {}, {1, 4, 3}, {0, 0, 0}},
        {"down, bottom", Light::kDirectional, {0, -1, 0}, {}, {1, 0, 3}, {0, 0, 1}},
        {"down, +x edge", Light::kDirectional, {0, -1, 0}, {}, {3, 2, 3}, {1, 0, 0.5f}},
        {"down, +z edge", Light::kDirectional, {0, -1, 0}, {}, {1, 2, 5}, {0, 1, 0.5f}},
        // Along +x: right = (0, 0, -1), up = (0, 1, 0).
        {"along x, -x side", Light::kDirectional, {1, 0, 0}, {}, {-1, 2, 3}, {0, 0, 0}},
        {"along x, +z", Light::kDirectional, {1, 0, 0}, {}, {1, 2, 4}, {-0.5f, 0, 0.5f}},
        {"along x, +y", Light::kDirectional, {1, 0, 0}, {}, {1, 3, 3}, {0, 0.5f, 0.5f}},
        // Fixed directional shines along +z whatever its rotation.
        {"fixed, -z side", Light::kFixedDirectional, {1, 0, 0}, {}, {1, 2, 1}, {0, 0, 0}},
        // A point light 6 above the centre: near 4, far 8, half angle asin(1/3).
        {"point, nearest", Light::kPoint, {0, 0, 1}, {1, 8, 3}, {1, 4, 3}, {0, 0, 0}},
        {"point, farthest", Light::kPoint, {0, 0, 1}, {1, 8, 3}, {1, 0, 3}, {0, 0, 1}},
        // (1, 2, 3) + 2 x: 6 away along the axis, 2 across: 2/6 x cot(asin(1/3)) = 2/3 x sqrt(8).
        // Depth at distance 6 between near 4 and far 8: 8/4 - 32/(4 x 6) = 2/3.
        {"point, across", Light::kPoint, {0, 0, 1}, {1, 8, 3}, {3, 2, 3}, {0.9428090f, 0, 0.6666667f}},
        // A scene reaching 6 below the casters' centre: depths along the light run from -4 to 10
        // (from 2 to 16 from the eye); across, still the casters' 2.
        {"down, deep scene top", Light::kDirectional, {0, -1, 0}, {}, {1, 4, 3}, {0, 0, 0}, 6, {1, -4, 3}},
        {"down, deep scene centre", Light::kDirectional, {0, -1, 0}, {}, c, {0, 0, 1 / 7.0f}, 6, {1, -4, 3}},
        {"down, deep scene floor", Light::kDirectional, {0, -1, 0}, {}, {5, -10, 3}, {2, 0, 1}, 6, {1, -4, 3}},
        // A point light: far reaches the scene's bottom, 12 + 6 away: 18/14 - 72/(14 x 6) at the centre.
        {"point, deep scene", Light::kPoint, {0, 0, 1}, {1, 8, 3}, c, {0, 0, 0.4285714f}, 6, {1, -4, 3}},
    };
    for (const Case& k : cases) {
        Light light(k.type);
        ASSERT_EQ(light.SetDirection(k.direction), kSuccess);
        light.LocalTransform().SetTranslation(k.position);
        light.UpdateState(0, true);
        Matrix4 view, projection;
        ASSERT_TRUE(ShadowmapEffect::LightView(light, c, r, k.sceneCenter, k.sceneRadius, view, projection)) << k.what;
        test::ExpectNear(Project(view * projection, k.point), k.clip, 1e-5f, k.what);
    }
    Light point(Light::kPoint);
    point.LocalTransform().SetTranslation(c);
    point.UpdateState(0, true);
    Matrix4 view, projection;
    EXPECT_FALSE(ShadowmapEffect::LightView(point, c, r, c, r, view, projection));  // At the centre: no view.
    const Light sun(Light::kDirectional);
    EXPECT_FALSE(ShadowmapEffect::LightView(sun, c, 0, c, r, view, projection));  // No casters.
    EXPECT_FALSE(ShadowmapEffect::LightView(sun, c, r, c, NAN, view, projection));
}

TEST_F(Receivers, WithoutMapTheChildrenAreDrawnOncePlainly)
{
    struct Case {
        const char* what;
        uint32_t shaderVersion;
        bool light, controller, refuseTargets, lostMap;
        bool mapDrawn;
    };
    const Case cases[] = {
        {"shader model 1", 11, true, true, false, false, false},
        {"no light", 20, false, true, false, false, false},
        {"no controller", 20, true, false, false, false, false},
        {"target refused", 20, true, true, true, false, false},
        {"map lost with the device", 20, true, true, false, true, true},
    };
    for (const Case& c : cases) {
        SetUp();
        UseShaderVersion(c.shaderVersion);
        renderer->RefuseRenderTargets(c.refuseTargets);
        Ptr<ShadowmapEffect> shadow = new ShadowmapEffect();
        if (c.light)
            shadow->SetLight(sun.Get());
        Ptr<RenderShadowmapEffectController> controller = new RenderShadowmapEffectController();
        if (c.controller) {
            ASSERT_EQ(shadow->SetController(controller.Get()), kSuccess);
        }
        ASSERT_EQ(root->AddEffect(shadow.Get()), kSuccess);
        test::LogCapture log;
        if (c.lostMap) {
            // A device lost after the map was drawn and before the scene: the overlay waits.
            root->UpdateState(0, true);
            renderer->ClearJournal();
            ASSERT_EQ(renderer->StartFrame(), kSuccess);
            ASSERT_NE(shadow->ShadowMap(), nullptr);
            shadow->ShadowMap()->SetDirty(true);
            root->DrawIfVisible(renderer);
            renderer->FinishFrame();
        } else {
            DrawFrame();
            DrawFrame();
        }
        EXPECT_EQ(Lines({"EndRenderTarget"}).size(), c.mapDrawn ? 1u : 0u) << c.what;
        EXPECT_EQ(Lines({"DrawCurrentGeometry"}).size(), c.mapDrawn ? 4u : 2u) << c.what;
        int reported = 0;  // Once, not every frame.
        for (const std::string& line : log.Lines())
            reported += line.find("Нет источника света для теневой карты") != std::string::npos;
        EXPECT_EQ(reported, c.light ? 0 : 1) << c.what;
        if (c.lostMap) {  // The next frame draws the map anew and the shadow with it.
            DrawFrame();
            EXPECT_EQ(Lines({"DrawCurrentGeometry"}).size(), 6u);
        }
        TearDown();
    }
    SetUp();  // For the fixture's own TearDown.
}

TEST(ShadowmapEffectSettings, MapSizesOutsideTheRangeAreRefused)
{
    test::EngineScope engine;
    const struct {
        uint32_t size;
        Result result;
    } cases[] = {{0, kInvalidArgument},   {8, kInvalidArgument}, {16, kSuccess},
                 {4096, kSuccess},        {4097, kInvalidArgument}, {0xFFFFFFFFu, kInvalidArgument}};
    for (const auto& c : cases) {
        ShadowmapEffect* shadow = new ShadowmapEffect();
        Ptr<ShadowmapEffect> held(shadow);
        test::LogCapture log;
        EXPECT_EQ(shadow->SetMapSize(c.size), c.result) << c.size;
        EXPECT_EQ(shadow->MapSize(), c.result == kSuccess ? c.size : ShadowmapEffect::kDefaultMapSize) << c.size;
        EXPECT_EQ(log.Lines().size(), c.result == kSuccess ? 0u : 1u) << c.size;
    }
}

TEST_F(Receivers, TheCausticIsAddedOverItsReceiversAndDrifts)
{
    Ptr<Image> picture = new Image(String("c.bmp"), Image::kR8G8B8, 4, 4);
    Ptr<Texture> caustic = new Texture(String("Caustic"), picture.Get());
    Ptr<ProjectedCausticEffect> effect = new ProjectedCausticEffect();
    effect->SetCaustic(caustic.Get());
    effect->SetColor(Vector4{0.5f, 0.6f, 0.7f, 1});
    effect->SetScale(0.5f);
    effect->SetSpeed(2.0f);
    ASSERT_EQ(effect->Receivers().Add(root->GetChild(1)), kSuccess);  // The floor alone.
    ASSERT_EQ(root->AddEffect(effect.Get()), kSuccess);
    DrawFrame(0.25);
    const std::string tag = renderer->Tag(caustic.Get());
    const std::vector<std::string> expected = {"DrawCurrentGeometry [Ball] 2", "DrawCurrentGeometry [Floor] 2",
                                               "SetTexture 0 " + tag, "DrawCurrentGeometry [Floor] 2"};
    EXPECT_EQ(Lines({"DrawCurrentGeometry", "SetTexture 0"}), expected);
    EXPECT_EQ(renderer->PixelConstant(0), (Vector4{0.5f, 0.6f, 0.7f, 1}));
    ASSERT_NE(renderer->CurrentPass(), nullptr);
    const RenderState& state = renderer->CurrentPass()->RenderStates()->State();
    EXPECT_TRUE(state.alphaBlendEnable);
    EXPECT_EQ(state.srcBlend, RenderState::kBlendOne);
    EXPECT_EQ(state.destBlend, RenderState::kBlendOne);
    EXPECT_FALSE(state.depthWrite);
    EXPECT_FALSE(state.cullEnable);

    // Coordinates of world points after 0.25 s: x and z times the scale, drifting by
    // speed x time x scale = 0.25 texture widths along (1, 0.6).
    const struct {
        Vector3 point;
        float u, v;
    } points[] = {{{0, 0, 0}, 0.25f, 0.15f}, {{2, 7, 0}, 1.25f, 0.15f}, {{-1, -3, 4}, -0.25f, 2.15f}};
    const Matrix4 projection = effect->ProjectionMatrix();
    for (const auto& p : points) {
        const Vector4 uv = projection.Transform(Vector4{p.point.x, p.point.y, p.point.z, 1});
        EXPECT_NEAR(uv.x, p.u, 1e-6f);
        EXPECT_NEAR(uv.y, p.v, 1e-6f);
    }
    // A long run wraps the clock by whole texture widths: the picture does not jump.
    const float before = effect->ProjectionMatrix().m[3][0];
    effect->Update(1000.0 * 2 / (2.0 * 0.5));  // 2000 widths later.
    EXPECT_NEAR(std::fmod(effect->ProjectionMatrix().m[3][0], 1.0f), std::fmod(before, 1.0f), 1e-3f);
    EXPECT_LT(effect->Clock(), 1001.0);

    // No picture: the children alone.
    effect->SetCaustic(nullptr);
    DrawFrame();
    EXPECT_EQ(Lines({"DrawCurrentGeometry"}).size(), 2u);
}

TEST(ProjectedCausticAnimation, ShowsTheCausticOfTheKeyInForce)
{
    Ptr<Texture> pictures[3] = {new Texture(), new Texture(), new Texture()};
    Ptr<TextureAnimation> animation = new TextureAnimation();
    for (int i = 0; i < 3; ++i) {
        auto* key = static_cast<TextureKeyframe*>(animation->NewKeyframe());
        key->time = i / 3.0;
        key->texture = pictures[i].Get();
        ASSERT_EQ(animation->AppendKeyframe(key), kSuccess);
    }
    Ptr<ProjectedCausticEffect> effect = new ProjectedCausticEffect();
    Ptr<ProjectedCausticAnimationController> controller = new ProjectedCausticAnimationController();
    ASSERT_EQ(effect->SetController(controller.Get()), kSuccess);
    controller->SetTrackPeriod(3);
    ASSERT_EQ(controller->AddFrame(test::Frame(animation.Get(), 0, 1)), kSuccess);
    // Track positions 0.1, 0.4, 0.9, 0.3 (wrapped).
    const struct {
        double elapsed;
        int picture;
    } steps[] = {{0.3, 0}, {0.9, 1}, {1.5, 2}, {1.2, 0}};
    for (const auto& step : steps) {
        effect->Update(step.elapsed);  // The effect's update runs its controllers.
        EXPECT_EQ(effect->GetCaustic(), pictures[step.picture].Get()) << controller->TrackPosition();
    }
}

TEST(ReceiverStreamForms, FieldsAfterTheObjectFields)
{
    test::EngineScope engine;
    std::vector<uint8_t> shadow;
    test::PutInt(shadow, 0xFFFFFFFFu);  // No light.
    test::PutInt(shadow, 1024);
    PutFloat(shadow, 0.05f);
    for (float v : {0.4f, 0.4f, 0.4f, 1.0f})
        PutFloat(shadow, v);
    std::vector<uint8_t> caustic;
    test::PutInt(caustic, 0xFFFFFFFFu);  // No picture.
    for (float v : {1.0f, 1.0f, 1.0f, 1.0f, 0.25f, 0.1f})
        PutFloat(caustic, v);
    test::PutInt(caustic, 0);  // No receivers listed.
    test::ExpectStreamForm("ZEN.ShadowmapEffect", shadow);
    test::ExpectStreamForm("ZEN.ProjectedCausticEffect", caustic);
}

TEST(ReceiverStreamForms, DamagedValuesAreRefusedOrReplaced)
{
    test::EngineScope engine;
    const struct {
        uint32_t size;
        float bias;
        Result result;
    } shadows[] = {{0, 0.05f, kFailure}, {15, 0.05f, kFailure}, {1u << 20, 0.05f, kFailure},
                   {512, NAN, kFailure}, {512, 0.5f, kSuccess}};
    for (const auto& c : shadows) {
        std::vector<uint8_t> bytes;
        test::PutString(bytes, "s");
        test::PutInt(bytes, 0);
        test::PutInt(bytes, 0xFFFFFFFFu);
        test::PutInt(bytes, c.size);
        PutFloat(bytes, c.bias);
        for (float v : {0.1f, 0.2f, 0.3f, 1.0f})
            PutFloat(bytes, v);
        Ptr<ShadowmapEffect> shadow = new ShadowmapEffect();
        In in(bytes);
        test::LogCapture log;
        EXPECT_EQ(shadow->Load(in), c.result) << c.size;
        EXPECT_EQ(shadow->MapSize(), c.result == kSuccess ? c.size : ShadowmapEffect::kDefaultMapSize) << c.size;
        EXPECT_EQ(log.ContainsText("Неверные данные теневой карты"), c.result != kSuccess) << c.size;
    }
    // A caustic with an infinite scale keeps its usable defaults.
    std::vector<uint8_t> bytes;
    test::PutString(bytes, "c");
    test::PutInt(bytes, 0);
    test::PutInt(bytes, 0xFFFFFFFFu);
    for (float v : {1.0f, 1.0f, 1.0f, 1.0f, INFINITY, 3.0f})
        PutFloat(bytes, v);
    test::PutInt(bytes, 0);
    Ptr<ProjectedCausticEffect> effect = new ProjectedCausticEffect();
    In in(bytes);
    test::LogCapture log;
    EXPECT_EQ(effect->Load(in), kSuccess);
    EXPECT_EQ(effect->Scale(), 0.25f);
    EXPECT_EQ(effect->Speed(), 0.1f);
    EXPECT_TRUE(log.ContainsText("Неверные данные каустика"));
}

TEST(ReceiverStreamForms, TheControllerKeepsItsCasters)
{
    test::EngineScope engine;
    Ptr<ShadowmapEffect> shadow = new ShadowmapEffect();
    Ptr<RenderShadowmapEffectController> controller = new RenderShadowmapEffectController();
    ASSERT_EQ(shadow->SetController(controller.Get()), kSuccess);
    Ptr<Triangles> caster = test::MakeQuad("Caster", 1.0f);
    ASSERT_EQ(controller->Casters().Add(caster.Get()), kSuccess);
    Ptr<ShadowmapEffect> loaded = test::LoadedRecord<ShadowmapEffect>(test::SavedRecord(shadow.Get()));
    ASSERT_NE(loaded, nullptr);
    ASSERT_EQ(loaded->ControllerCount(), 1u);
    ASSERT_TRUE(loaded->GetController(0)->IsDerivedFrom(&RenderShadowmapEffectController::TYPE));
    auto* back = static_cast<RenderShadowmapEffectController*>(loaded->GetController(0));
    ASSERT_EQ(back->Casters().Count(), 1u);
    EXPECT_EQ(back->Casters().Get(0)->Name(), "Caster");
}

}  // namespace
}  // namespace zen
