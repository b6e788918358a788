#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "engine/scene/ColorEffect.h"
#include "engine/scene/Flare.h"
#include "engine/scene/Image.h"
#include "engine/scene/LensFlares.h"
#include "engine/scene/NormalmapLightmapTextureEffect.h"
#include "engine/scene/SphereBoundingVolume.h"
#include "engine/scene/SpriteEffect.h"
#include "engine/scene/Texture.h"
#include "engine/scene/Vector2Buffer.h"
#include "support/AttachedQuad.h"
#include "support/RecordingFixture.h"
#include "support/LogCapture.h"
#include "support/RecordBytes.h"
#include "support/SceneBuilder.h"

// Flares facing the camera, their occlusion measurement, and lens flares along the line through
// the screen centre, through the recording renderer.
namespace zen {
namespace {

class Flares : public test::RecordingFixture {
protected:
    void SetUp() override
    {
        RecordingFixture::SetUp();
        UseDeviceAndScene();  // At the origin looking along +z: right +x, up +y.
        camera->UpdateState(0.0, true);
        camera->UpdateMatrices(800.0f / 600.0f);
        Caps(false, false);
    }
    void Caps(bool pointSprites, bool occlusion, uint32_t shaderVersion = 20)
    {
        RendererCapabilities caps = renderer->GetCapabilities();
        caps.valid = true;
        caps.vertexShaderVersion = caps.pixelShaderVersion = shaderVersion;
        caps.pointSprites = pointSprites;
        caps.occlusionQuery = occlusion;
        renderer->SetDeviceCapabilities(caps);
    }
    Ptr<Flare> MakeFlare(const Vector3& at, float size)
    {
        Ptr<Flare> flare = new Flare();
        flare->SetName(String("Lamp"));
        test::Place(*flare, at);
        flare->SetSize(size);
        flare->SetColor({1, 0.5f, 0.25f, 1});
        Ptr<ColorEffect> effect = new ColorEffect();
        EXPECT_EQ(flare->SetEffect(effect.Get()), kSuccess);
        flare->UpdateState(0.0, true);
        return flare;
    }
};

void ExpectNear(const Vector3& a, const Vector3& b, const char* what)
{
    test::ExpectNear(a, b, 1e-5f, what);
}

TEST_F(Flares, AQuadFlareSpansTheCameraDiagonalsAroundItsPosition)
{
    Ptr<Flare> flare = MakeFlare({2, 3, 10}, 2.0f);
    EXPECT_EQ(flare->GetPrimitiveType(), GeometryNode::kTriangles);
    ASSERT_NE(flare->Vertices(), nullptr);
    ASSERT_EQ(flare->Vertices()->GetCount(), 6u);
    // d1 = 0.5 * size * normalise(R + U), d2 = 0.5 * size * normalise(U - R); in the node's space.
    const float h = 0.70710678f;
    const Vector3 expected[6] = {{-h, -h, 0}, {-h, h, 0}, {h, -h, 0}, {-h, h, 0}, {h, h, 0}, {h, -h, 0}};
    const char* names[6] = {"lower left", "upper left", "lower right", "upper left", "upper right", "lower right"};
    for (int i = 0; i < 6; ++i)
        ExpectNear(flare->Vertices()->Data()[i], expected[i], names[i]);
    const Vector2 uv[6] = {{0, 1}, {0, 0}, {1, 1}, {0, 0}, {1, 0}, {1, 1}};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(static_cast<Vector2Buffer*>(flare->TexCoords(0))->Data()[i], uv[i]) << i;
        EXPECT_EQ(flare->Colors()->Data()[i], (Vector4{1, 0.5f, 0.25f, 1}));
    }
    EXPECT_FLOAT_EQ(static_cast<SphereBoundingVolume*>(flare->LocalBound())->Radius(), 10000.0f);

    // The camera turns a quarter to the right (looking along +x): the quad turns with it.
    Quaternion turn = Quaternion::FromAxes({0, 0, -1}, {0, 1, 0}, {1, 0, 0});
    camera->LocalTransform().SetRotation(turn);
    camera->UpdateState(0.0, true);
    flare->UpdateState(0.0, true);
    ExpectNear(flare->Vertices()->Data()[0], {0, -h, h}, "lower left after the turn");
    ExpectNear(flare->Vertices()->Data()[4], {0, h, -h}, "upper right after the turn");
}

TEST_F(Flares, ASizeZeroFlareCollapsesToAPoint)
{
    Ptr<Flare> flare = MakeFlare({0, 0, 5}, 0.0f);
    for (int i = 0; i < 6; ++i)
        ExpectNear(flare->Vertices()->Data()[i], {0, 0, 0}, "corner");
    EXPECT_EQ(static_cast<SphereBoundingVolume*>(flare->LocalBound())->Radius(), 0.0f);
}

TEST_F(Flares, WithPointSpritesAFlareIsOneSizedPoint)
{
    Caps(true, false);
    Ptr<Flare> flare = MakeFlare({1, 1, 8}, 12.0f);
    EXPECT_EQ(flare->GetPrimitiveType(), GeometryNode::kPoints);
    ASSERT_EQ(flare->Vertices()->GetCount(), 1u);
    ExpectNear(flare->Vertices()->Data()[0], {0, 0, 0}, "the node's own origin");
    EXPECT_EQ(flare->PointSizes()->Data()[0], 12.0f);
    EXPECT_EQ(flare->Colors()->Data()[0], (Vector4{1, 0.5f, 0.25f, 1}));
    renderer->ClearJournal();
    flare->DrawIfVisible(renderer);
    EXPECT_EQ(Lines({"DrawNonIndexed", "DrawCurrentGeometry"}), std::vector<std::string>{"DrawNonIndexed 1"});
}

TEST_F(Flares, TheDrawIsMeasuredWhenTheDeviceHasOcclusionQueries)
{
    for (const bool occlusion : {false, true}) {
        Caps(false, occlusion);
        Ptr<Flare> flare = MakeFlare({0, 0, 6}, 1.0f);
        renderer->ClearJournal();
        flare->DrawIfVisible(renderer);
        const std::string query = renderer->Tag(flare->Query());
        std::vector<std::string> expected = {"DrawNonIndexed 2"};
        if (occlusion)
            expected = {"BeginOcclusionQuery " + query, "DrawNonIndexed 2", "EndOcclusionQuery " + query};
        EXPECT_EQ(Lines({"BeginOcclusionQuery", "DrawNonIndexed", "EndOcclusionQuery"}), expected);
    }
}

// A glow drawn after a multi-texture surface (with its programs, and at the fixed-function
// level without them) reads only its own texture on stage 0, with the stage cascade ending at
// stage 1 and no programs bound: frame after frame, not only on the first.
TEST_F(Flares, AGlowAfterAMultiTextureSurfaceReadsOnlyItsOwnTexture)
{
    const struct {
        uint32_t shaderVersion;
        uint32_t surfaceTextures;  // What the surface's pass binds from stage 0.
        bool surfacePrograms;
    } cases[] = {{20, 3, true}, {0, 2, false}};
    auto texture = [](const char* name) { return Ptr<Texture>(new Texture(String(name), new Image(String(name), Image::kR8G8B8A8, 2, 2))); };
    Ptr<Texture> base = texture("Base"), normal = texture("Normal"), light = texture("Light"), glow = texture("Glow");
    for (const auto& c : cases) {
        Caps(true, false, c.shaderVersion);
        root = new SceneNode();
        Ptr<NormalmapLightmapTextureEffect> relief = new NormalmapLightmapTextureEffect();
        relief->SetTexture(base.Get());
        relief->SetNormalMap(normal.Get());
        relief->SetLightmap(light.Get());
        Ptr<Triangles> wall = test::AttachQuad(*root, "Wall", {0, 0, 30}, relief.Get(), 4.0f);
        ASSERT_EQ(wall->SetTexCoords(1, wall->TexCoords(0)), kSuccess);
        Ptr<Flare> moon = new Flare();
        moon->SetName(String("Moon"));
        moon->SetSize(40.0f);
        moon->SetColor({0.8f, 0.9f, 1.0f, 0.5f});
        test::Place(*moon, {0, 0, 20});
        Ptr<SpriteEffect> sprite = new SpriteEffect();
        sprite->SetTexture(glow.Get());
        ASSERT_EQ(sprite->SetBlending(true, RenderState::kBlendSourceAlpha, RenderState::kBlendOne), kSuccess);
        ASSERT_EQ(moon->SetEffect(sprite.Get()), kSuccess);
        ASSERT_EQ(root->AttachChild(moon.Get()), kSuccess);
        for (int frame = 0; frame < 2; ++frame) {
            DrawFrame(0.02);
            const auto& draws = renderer->Draws();
            ASSERT_EQ(draws.size(), 2u) << "shader level " << c.shaderVersion;
            const RecordingRenderer::DrawBindings& surface = draws[0];
            const RecordingRenderer::DrawBindings& flare = draws[1];
            EXPECT_EQ(surface.cascade, c.surfacePrograms ? StageBindings::kNoStage : c.surfaceTextures);
            EXPECT_EQ(surface.pixelShader != nullptr, c.surfacePrograms);
            EXPECT_NE(surface.textures[c.surfaceTextures - 1], nullptr);
            EXPECT_EQ(flare.textures[0], glow.Get());
            for (uint32_t stage = 1; stage < StageBindings::kStages; ++stage)
                EXPECT_EQ(flare.textures[stage], nullptr) << "stage " << stage << ", frame " << frame;
            EXPECT_EQ(flare.cascade, 1u);
            EXPECT_EQ(flare.vertexShader, nullptr);
            EXPECT_EQ(flare.pixelShader, nullptr);
        }
        const RenderState& glowState = sprite->CurrentTechnique()->GetPass(0)->RenderStates()->State();
        EXPECT_TRUE(glowState.pointSprites);
        EXPECT_FALSE(glowState.depthWrite) << "a glow must not hide what is drawn after it";
    }
}

TEST_F(Flares, WithoutVerticesNothingIsDrawn)
{
    Ptr<Flare> flare = new Flare();
    Ptr<ColorEffect> effect = new ColorEffect();
    ASSERT_EQ(flare->SetEffect(effect.Get()), kSuccess);
    renderer->ClearJournal();
    flare->Draw(renderer);
    EXPECT_TRUE(Lines({"Draw"}).empty());
}

// A lamp's ghosts: cast only while its beam (the aim node's +z) points near the camera, and not
// while the source flare is hidden from the last occlusion measurement.
TEST_F(Flares, AimedGhostsShowOnlyAlongTheBeamAndWhileTheSourceIsSeen)
{
    const struct {
        float degrees;  // The beam's turn away from the camera, about y.
        bool occlusion;
        uint32_t seen;  // The source's visible pixels.
        float fade;
    } cases[] = {{0, false, 0, 1},    {3, false, 0, 1},    {9, false, 0, 0.77f}, {16, false, 0, 0},
                 {180, false, 0, 0},  {0, true, 40, 1},    {0, true, 0, 0},      {9, true, 1, 0.77f}};
    for (const auto& c : cases) {
        Caps(false, c.occlusion);
        Ptr<Flare> eye = MakeFlare({0, 0, 50}, 1.0f);
        eye->Query()->SetVisiblePixels(c.seen);
        // The beam starts pointing back at the camera (-z) and turns about y.
        Ptr<SceneNode> beam = new SceneNode();
        const float half = (180.0f + c.degrees) * 0.5f * 3.14159265f / 180.0f;
        beam->LocalTransform().SetRotation(Quaternion{0, std::sin(half), 0, std::cos(half)});
        beam->UpdateState(0.0, true);
        Ptr<LensFlares> ghosts = new LensFlares();
        ghosts->SetSource(eye.Get());
        ghosts->SetAimNode(beam.Get());
        ghosts->UpdateState(0.0, true);
        EXPECT_NEAR(ghosts->CurrentFade(), c.fade, 0.02f) << c.degrees << " degrees, " << c.seen << " pixels";
    }
}

TEST_F(Flares, FlareStreamFormComesBack)
{
    Ptr<Flare> flare = MakeFlare({0, 0, 6}, 3.5f);
    test::Bytes bytes = test::SavedRecord(flare.Get());
    ASSERT_GE(bytes.size(), 20u);
    // The record ends with the colour and size.
    std::vector<float> tail(5);
    std::memcpy(tail.data(), bytes.data() + bytes.size() - 20, 20);
    EXPECT_EQ(tail, (std::vector<float>{1.0f, 0.5f, 0.25f, 1.0f, 3.5f}));
    Ptr<Flare> back = test::LoadedRecord<Flare>(bytes);
    ASSERT_TRUE(back && back->IsExactly(&Flare::TYPE));
    EXPECT_EQ(back->Size(), 3.5f);
    EXPECT_FLOAT_EQ(static_cast<SphereBoundingVolume*>(back->LocalBound())->Radius(), 17500.0f);
    // Short by one byte: the group's message.
    bytes.pop_back();
    test::LogCapture log;
    Result read = kSuccess;
    EXPECT_EQ(test::LoadedRecord<Flare>(bytes, &read), nullptr);
    EXPECT_NE(read, kSuccess);
    EXPECT_TRUE(log.ContainsText("Невозможно загрузить данные флара. Имя[Lamp]"));
}

// --- Lens flares ------------------------------------------------------------------------------

TEST_F(Flares, ReflectionsRunFromTheSourceThroughTheCentreToItsMirrorImage)
{
    const struct {
        float sx, sy;
        int32_t index, count;
        float x, y;
    } cases[] = {{0.5f, 0.25f, 0, 4, 0.5f, 0.25f},      {0.5f, 0.25f, 3, 4, -0.5f, -0.25f},
                 {0.6f, -0.3f, 1, 3, 0, 0},              {0.6f, -0.3f, 1, 5, 0.3f, -0.15f},
                 {-0.9f, 0.9f, 0, 1, -0.9f, 0.9f}};
    for (const auto& c : cases) {
        float x, y;
        LensFlares::ReflectionCentre(c.sx, c.sy, c.index, c.count, x, y);
        EXPECT_NEAR(x, c.x, 1e-6) << c.index << "/" << c.count;
        EXPECT_NEAR(y, c.y, 1e-6) << c.index << "/" << c.count;
    }
    const struct {
        float sx, sy, fade;
    } fades[] = {{0, 0, 1}, {0.7f, 0, 1}, {0.8f, 0.1f, 0.8f}, {0, -0.9f, 0.4f}, {1, 0, 0}, {1.5f, 0.2f, 0}};
    for (const auto& f : fades)
        EXPECT_NEAR(LensFlares::Fade(f.sx, f.sy), f.fade, 1e-5) << f.sx << "," << f.sy;
}

// Screen position of a point of the lens flares' node.
Vector2 OnScreen(const Camera& camera, const LensFlares& flares, const Vector3& model)
{
    const Vector3 p = flares.WorldTransform().ApplyToPoint(model);
    const Matrix4& m = camera.ViewProjection();
    const float x = p.x * m.m[0][0] + p.y * m.m[1][0] + p.z * m.m[2][0] + m.m[3][0];
    const float y = p.x * m.m[0][1] + p.y * m.m[1][1] + p.z * m.m[2][1] + m.m[3][1];
    const float w = p.x * m.m[0][3] + p.y * m.m[1][3] + p.z * m.m[2][3] + m.m[3][3];
    return {x / w, y / w};
}

TEST_F(Flares, LensFlaresLieOnTheLineThroughTheCentreAndFadeTowardTheEdge)
{
    Ptr<SceneNode> sun = new SceneNode();
    Ptr<LensFlares> flares = new LensFlares();
    flares->SetSource(sun.Get());
    flares->SetCount(4);
    Ptr<ColorEffect> effect = new ColorEffect();
    ASSERT_EQ(flares->SetEffect(effect.Get()), kSuccess);
    test::Place(*flares, Vector3{5, -2, 1});  // Its own placement does not matter.
    struct Case {
        Vector3 sun;
        float fade;
    };
    // The sun 100 ahead; its screen x is 100 * x * xScale / 100.
    const float xScale = 1.0f / std::tan(0.7853982f / 2) / (800.0f / 600.0f);
    const Case cases[] = {{{0.3f / xScale * 100, 0, 100}, 1.0f},
                          {{0.85f / xScale * 100, 0, 100}, 0.6f},
                          {{1.2f / xScale * 100, 0, 100}, 0.0f},
                          {{0, 0, -100}, 0.0f}};
    for (const Case& c : cases) {
        test::Place(*sun, c.sun);
        sun->UpdateState(0.0, true);
        flares->UpdateState(0.0, true);
        EXPECT_NEAR(flares->CurrentFade(), c.fade, 1e-4) << c.sun.x;
        renderer->ClearJournal();
        flares->DrawIfVisible(renderer);
        const std::vector<std::string> draws = Lines({"DrawNonIndexed"});
        if (c.fade == 0) {
            EXPECT_TRUE(draws.empty()) << c.sun.x;
            continue;
        }
        EXPECT_EQ(draws, std::vector<std::string>{"DrawNonIndexed 8"});
        const float sx = c.sun.x * xScale / c.sun.z;
        for (int i = 0; i < 4; ++i) {
            const Vector3* q = flares->Vertices()->Data() + i * 6;
            const Vector2 a = OnScreen(*camera, *flares, q[0]), b = OnScreen(*camera, *flares, q[4]);
            const float cx = (a.x + b.x) / 2, cy = (a.y + b.y) / 2;
            EXPECT_NEAR(cx, sx * (1 - 2.0f * i / 3), 1e-4) << i;
            EXPECT_NEAR(cy, 0, 1e-4) << i;
            EXPECT_NEAR(flares->Colors()->Data()[i * 6].w, 0.5f * c.fade, 1e-4);
        }
    }
}

// Its source link is checked with the other links that close rings.
TEST_F(Flares, LensFlareStreamFormKeepsItsCountAndSize)
{
    Ptr<SceneNode> sun = new SceneNode();
    sun->SetName(String("Sun"));
    Ptr<LensFlares> flares = new LensFlares();
    flares->SetName(String("Lens"));
    flares->SetSource(sun.Get());
    flares->SetCount(6);
    flares->SetSize(0.3f);
    ASSERT_EQ(sun->AttachChild(flares.Get()), kSuccess);  // The source is a link: the scene holds it.
    Ptr<SceneNode> held = test::LoadedRecord<SceneNode>(test::SavedRecord(sun.Get()));
    ASSERT_TRUE(held);
    auto* back = static_cast<LensFlares*>(held->GetChild(0));
    ASSERT_TRUE(back && back->IsExactly(&LensFlares::TYPE));
    EXPECT_EQ(back->Count(), 6);
    EXPECT_EQ(back->Size(), 0.3f);
    EXPECT_EQ(back->GetPrimitiveType(), GeometryNode::kTriangles);
}

}  // namespace
}  // namespace zen
