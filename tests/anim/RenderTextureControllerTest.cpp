#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "engine/anim/RenderCubeTextureController.h"
#include "engine/anim/RenderDropsNormalmapTextureController.h"
#include "engine/anim/RenderScreenspaceReflectTextureController.h"
#include "engine/anim/RenderScreenspaceRefractTextureController.h"
#include "engine/anim/RenderWavesTextureController.h"
#include "engine/core/Stream.h"
#include "engine/scene/ColorEffect.h"
#include "engine/scene/CubeTexture.h"
#include "engine/scene/DarkmapNormalmapTextureEffect.h"
#include "engine/scene/GlossReflectiveCubeTextureEffect.h"
#include "engine/scene/LightmapTextureEffect.h"
#include "engine/scene/NormalmapTextureEffect.h"
#include "engine/scene/RipplePostRenderEffect.h"
#include "engine/scene/SpriteEffect.h"
#include "engine/scene/TextureEffect.h"
#include "engine/scene/Texture.h"
#include "engine/scene/VolumeImage.h"
#include "engine/scene/VolumeTexture.h"
#include "support/RecordingFixture.h"
#include "support/LogCapture.h"
#include "support/RecordBytes.h"
#include "support/RecordChecks.h"
#include "support/StreamForm.h"
#include "support/SceneBuilder.h"

// The controllers that render into their texture at the start of the frame, through the
// recording renderer: what they draw, into which target, with which constants, and when.
namespace zen {
namespace {

using test::PutFloat;

class RenderTextures : public test::RecordingFixture {
protected:
    void SetUp() override
    {
        RecordingFixture::SetUp();
        UseDeviceAndScene();
    }

    // Updates `texture` by `elapsed` (which registers its controllers), then runs the frame
    // start (the registered controllers) with a fresh journal.
    void StartFrame(BaseTexture* texture = nullptr, double elapsed = 0)
    {
        if (texture)
            texture->Update(elapsed);
        renderer->ClearJournal();
        ASSERT_EQ(renderer->StartFrame(), kSuccess);
    }

    // A small coloured quad at `at`, its state up to date.
    Ptr<Triangles> Marker(const char* name, const Vector3& at)
    {
        Ptr<Triangles> quad = test::MakeQuad(name, 0.5f);
        test::Place(*quad, at);
        Ptr<ColorEffect> effect = new ColorEffect();
        EXPECT_EQ(quad->SetEffect(effect.Get()), kSuccess);
        quad->UpdateState(0.0, true);
        return quad;
    }
};

// --- Waves ------------------------------------------------------------------------------------

TEST_F(RenderTextures, EffectsRunTheirTexturesControllersOncePerFrame)
{
    using Attach = void (*)(Effect&, Texture*);
    const struct {
        const char* type;
        Attach attach;
    } cases[] = {
        {"ZEN.TextureEffect", [](Effect& e, Texture* t) { static_cast<TextureEffect&>(e).SetTexture(t); }},
        {"ZEN.NormalmapTextureEffect", [](Effect& e, Texture* t) { static_cast<NormalmapTextureEffect&>(e).SetNormalMap(t); }},
        {"ZEN.LightmapTextureEffect", [](Effect& e, Texture* t) { static_cast<LightmapTextureEffect&>(e).SetLightmap(t); }},
        {"ZEN.DarkmapNormalmapTextureEffect",
         [](Effect& e, Texture* t) { static_cast<DarkmapNormalmapTextureEffect&>(e).SetDarkmap(t); }},
        {"ZEN.GlossReflectiveCubeTextureEffect",
         [](Effect& e, Texture* t) { static_cast<GlossReflectiveCubeTextureEffect&>(e).SetGlossMap(t); }},
        {"ZEN.SpriteEffect", [](Effect& e, Texture* t) { static_cast<SpriteEffect&>(e).SetTexture(t); }},
        {"ZEN.RipplePostRenderEffect", [](Effect& e, Texture* t) { static_cast<RipplePostRenderEffect&>(e).SetNormalMap(t); }},
    };
    for (const auto& c : cases) {
        Ptr<RenderWavesTextureController> waves = new RenderWavesTextureController;
        waves->SetNoiseTexture(new VolumeTexture(String("n"), new VolumeImage(String("nv"), Image::kA8, 4, 4, 2)));
        Ptr<Texture> water = new Texture(String("Water"), new Image(String("wi"), Image::kR8G8B8A8, 8, 8));
        ASSERT_EQ(water->SetController(waves.Get()), kSuccess);
        Ptr<Effect> effects[2];
        for (Ptr<Effect>& effect : effects) {
            effect = static_cast<Effect*>(test::CreateRegistered(c.type).Get());
            ASSERT_NE(effect, nullptr) << c.type;
            c.attach(*effect, water.Get());
        }
        // Two effects share the texture: its controllers run once for the frame ahead.
        effects[0]->Update(0.25);
        effects[1]->Update(0.25);
        EXPECT_FLOAT_EQ(waves->Time(), 0.25f) << c.type;
        StartFrame();
        renderer->FinishFrame();
        effects[1]->Update(0.5);
        effects[0]->Update(0.5);
        EXPECT_FLOAT_EQ(waves->Time(), 0.75f) << c.type;
        StartFrame();
        renderer->FinishFrame();
    }
    // The cube map of a reflective effect as well.
    Ptr<RenderCubeTextureController> room = new RenderCubeTextureController;
    Ptr<CubeTexture> sky = new CubeTexture(String("Sky"), new VolumeImage(String("si"), Image::kR8G8B8A8, 8, 8, 6));
    ASSERT_EQ(sky->SetController(room.Get()), kSuccess);
    Ptr<ReflectiveCubeTextureEffect> chrome = new ReflectiveCubeTextureEffect;
    chrome->SetCubeMap(sky.Get());
    chrome->Update(0.1);
    StartFrame();
    EXPECT_EQ(Lines({"BeginRenderTarget"}).size(), 6u);
}

TEST_F(RenderTextures, ARefusedTargetLeavesTheScreenAlone)
{
    UseShaderVersion(20);
    renderer->RefuseRenderTargets(true);
    Ptr<Triangles> marker = Marker("Marker", Vector3{0, -2, 10});
    Ptr<Node> water = new Node();
    water->UpdateState(0.0, true);
    Ptr<RenderWavesTextureController> waves = new RenderWavesTextureController;
    waves->SetNoiseTexture(new VolumeTexture(String("n"), new VolumeImage(String("nv"), Image::kA8, 4, 4, 2)));
    Ptr<RenderDropsNormalmapTextureController> drops = new RenderDropsNormalmapTextureController;
    Ptr<RenderScreenspaceReflectTextureController> reflect = new RenderScreenspaceReflectTextureController;
    Ptr<RenderScreenspaceRefractTextureController> refract = new RenderScreenspaceRefractTextureController;
    Ptr<RenderCubeTextureController> cube = new RenderCubeTextureController;
    for (RenderScreenspaceTextureController* c : {static_cast<RenderScreenspaceTextureController*>(reflect.Get()),
                                                  static_cast<RenderScreenspaceTextureController*>(refract.Get())}) {
        c->SetPlaneNode(water.Get());
        ASSERT_EQ(c->Nodes().Add(marker.Get()), kSuccess);
    }
    ASSERT_EQ(cube->Nodes().Add(marker.Get()), kSuccess);
    const struct {
        const char* what;
        Controller* controller;
    } cases[] = {{"waves", waves.Get()}, {"drops", drops.Get()}, {"reflect", reflect.Get()}, {"refract", refract.Get()}};
    for (const auto& c : cases) {
        Ptr<Texture> target = new Texture(String("t"), new Image(String("ti"), Image::kR8G8B8A8, 16, 16));
        ASSERT_EQ(target->SetController(c.controller), kSuccess);
        StartFrame(target.Get(), 0.5);
        EXPECT_TRUE(Lines({"Clear", "Draw"}).empty()) << c.what;
        target->RemoveControllers();
    }
    Ptr<CubeTexture> sky = new CubeTexture(String("Sky"), new VolumeImage(String("si"), Image::kR8G8B8A8, 8, 8, 6));
    ASSERT_EQ(sky->SetController(cube.Get()), kSuccess);
    StartFrame(sky.Get());
    EXPECT_TRUE(Lines({"Clear", "Draw"}).empty());
    EXPECT_EQ(Lines({"BeginRenderTarget"}).size(), 1u);
    EXPECT_EQ(renderer->GetCamera(), camera.Get());
    EXPECT_FALSE(cube->IsDone());  // Tried again next frame.
    renderer->RefuseRenderTargets(false);
}

TEST_F(RenderTextures, WavesDrawTheNoiseSliceAtTimeTimesSpeedIntoTheOwner)
{
    UseShaderVersion(20);
    Ptr<RenderWavesTextureController> waves = new RenderWavesTextureController;
    Ptr<VolumeTexture> noise = new VolumeTexture(String("n"), new VolumeImage(String("nv"), Image::kA8, 8, 4, 2));
    waves->SetNoiseTexture(noise.Get());
    waves->SetSpeed(0.05f);
    waves->SetBump(3.0f);
    Ptr<Texture> water = new Texture(String("Water"), new Image(String("WaterImage"), Image::kA8, 16, 16));
    ASSERT_EQ(water->SetController(waves.Get()), kSuccess);
    water->Update(1.5);
    water->Update(0.5);
    EXPECT_FLOAT_EQ(waves->Time(), 2.0f);
    EXPECT_EQ(renderer->PostUpdateCount(), 1u);
    StartFrame();

    // A normal map with height needs four channels: same name and size, format R8G8B8A8.
    const Image* image = water->GetImage();
    EXPECT_EQ(image->Format(), Image::kR8G8B8A8);
    EXPECT_EQ(image->Name(), "WaterImage");
    EXPECT_EQ(image->Width(), 16u);
    const std::string target = renderer->Tag(water.Get());
    const std::vector<std::string> expected = {
        "BeginRenderTarget " + target, "Clear 1 (0 0 0 0) 1 1", "SetTexture 0 " + renderer->Tag(noise.Get()),
        "DrawNonIndexed 2", "EndRenderTarget"};
    EXPECT_EQ(Lines({"BeginRenderTarget", "Clear", "SetTexture", "DrawNonIndexed", "EndRenderTarget"}), expected);
    EXPECT_FLOAT_EQ(renderer->VertexConstant(0).x, 0.1f);
    EXPECT_FLOAT_EQ(renderer->VertexConstant(0).w, 0.1f);
    EXPECT_FLOAT_EQ(renderer->VertexConstant(1).x, 1.0f / 8);
    EXPECT_FLOAT_EQ(renderer->VertexConstant(1).y, 1.0f / 4);
    EXPECT_EQ(renderer->PixelConstant(0), (Vector4{3, 3, 3, 3}));
}

TEST_F(RenderTextures, ControllersWithoutShaderModel2DrawNothingButKeepRegistering)
{
    const struct {
        uint32_t version;
        bool draws;
    } cases[] = {{11, false}, {20, true}, {30, true}, {0, false}};
    for (const auto& c : cases) {
        UseShaderVersion(c.version);
        Ptr<RenderWavesTextureController> waves = new RenderWavesTextureController;
        waves->SetNoiseTexture(new VolumeTexture(String("n"), new VolumeImage(String("nv"), Image::kA8, 2, 2, 2)));
        Ptr<RenderDropsNormalmapTextureController> drops = new RenderDropsNormalmapTextureController;
        Ptr<Texture> a = new Texture(String("a"), new Image(String("ai"), Image::kA8, 4, 4));
        Ptr<Texture> b = new Texture(String("b"), new Image(String("bi"), Image::kA8, 4, 4));
        ASSERT_EQ(a->SetController(waves.Get()), kSuccess);
        ASSERT_EQ(b->SetController(drops.Get()), kSuccess);
        for (int frame = 0; frame < 2; ++frame) {
            a->Update(0.1);
            b->Update(0.1);
            EXPECT_EQ(renderer->PostUpdateCount(), 2u);
            StartFrame();
            EXPECT_EQ(!Lines({"BeginRenderTarget"}).empty(), c.draws) << c.version;
            EXPECT_EQ(a->GetImage()->Format() == Image::kR8G8B8A8, c.draws) << c.version;
        }
    }
}

// --- Rain ripples -----------------------------------------------------------------------------

TEST_F(RenderTextures, RippleTimersTurnIntoWholeStepsAndDropsAndKeepTheRest)
{
    const struct {
        double timer;
        float rate;
        uint32_t steps;
        double left;
    } steps[] = {{0.1, 0.05f, 5, 0.0}, {0.019, 0.05f, 0, 0.019}, {0.05, 0.1f, 5, 0.0}, {100.0, 0.05f, 64, 0.0},
                 {1.0, 0.0f, 0, 1.0}, {-1.0, 0.05f, 0, -1.0}};
    for (const auto& c : steps) {
        double timer = c.timer;
        EXPECT_EQ(RenderDropsNormalmapTextureController::TakeSteps(timer, c.rate), c.steps) << c.timer;
        EXPECT_NEAR(timer, c.left, 1e-6) << c.timer;
    }
    const struct {
        double timer;
        uint32_t rate, drops;
        double left;
    } drops[] = {{1.5, 3, 4, 1.5 - 4.0 / 3}, {0.4, 1, 0, 0.4}, {2.0, 1, 2, 0.0}, {5.0, 1000, 64, 0.0}, {3.0, 0, 0, 3.0}};
    for (const auto& c : drops) {
        double timer = c.timer;
        EXPECT_EQ(RenderDropsNormalmapTextureController::TakeDrops(timer, c.rate), c.drops) << c.timer;
        EXPECT_NEAR(timer, c.left, 1e-9) << c.timer;
    }
}

TEST_F(RenderTextures, RipplesDropStepInTurnsAndWriteTheNormalMap)
{
    UseShaderVersion(20);
    Ptr<RenderDropsNormalmapTextureController> drops = new RenderDropsNormalmapTextureController;
    RenderDropsNormalmapTextureController::Parameters p;
    p.dropRate = 2;
    p.simulationRate = 0.025f;  // 25 steps per second.
    p.bump = 4.0f;
    drops->SetParameters(p);
    Ptr<Texture> water = new Texture(String("Water"), new Image(String("wi"), Image::kR8G8B8, 32, 16));
    ASSERT_EQ(water->SetController(drops.Get()), kSuccess);
    StartFrame(water.Get(), 1.0);  // Two drops, twenty-five steps.

    Texture* first = drops->HeightTexture(0);
    Texture* second = drops->HeightTexture(1);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(first->Name(), "Drops Height Texture 1");
    EXPECT_EQ(second->GetImage()->Name(), "Drops Height Image 2");
    EXPECT_EQ(first->GetImage()->Format(), Image::kA16B16G16R16);
    EXPECT_EQ(first->GetImage()->Width(), 32u);
    EXPECT_EQ(first->GetImage()->Height(), 16u);
    EXPECT_EQ(water->GetImage()->Format(), Image::kR8G8B8A8);

    const std::string one = renderer->Tag(first), two = renderer->Tag(second), out = renderer->Tag(water.Get());
    std::vector<std::string> expected = {
        "BeginRenderTarget " + one, "Clear 1 (0.5 0.5 0.5 0.5) 1 0", "EndRenderTarget",
        "BeginRenderTarget " + two, "Clear 1 (0.5 0.5 0.5 0.5) 1 0", "EndRenderTarget",
        "BeginRenderTarget " + one, "DrawNonIndexed 16", "DrawNonIndexed 16", "EndRenderTarget"};
    for (int step = 0; step < 25; ++step) {
        // Each step reads the current field and writes the other, which becomes current.
        const bool fromFirst = step % 2 == 0;
        expected.push_back("BeginRenderTarget " + (fromFirst ? two : one));
        expected.push_back("SetTexture 0 " + (fromFirst ? one : two));
        expected.push_back("DrawNonIndexed 2");
        expected.push_back("EndRenderTarget");
    }
    expected.insert(expected.end(), {"BeginRenderTarget " + out, "Clear 3 (0 0 0 0) 1 0", "SetTexture 0 " + two,
                                     "SetTexture 1 null", "DrawNonIndexed 2", "EndRenderTarget"});
    EXPECT_EQ(Lines({"BeginRenderTarget", "Clear", "SetTexture", "DrawNonIndexed", "EndRenderTarget"}), expected);
    EXPECT_EQ(drops->CurrentHeight(), 1u);
    EXPECT_FLOAT_EQ(renderer->VertexConstant(0).x, 1.0f / 32);
    EXPECT_FLOAT_EQ(renderer->VertexConstant(0).y, 1.0f / 16);
    EXPECT_FLOAT_EQ(renderer->PixelConstant(0).x, 4.0f);
    EXPECT_FLOAT_EQ(renderer->PixelConstant(2).x, 0.99f);  // 1 - damping, from the steps.

    // The same size again: the fields stay; a new size makes them anew.
    StartFrame(water.Get());
    EXPECT_EQ(drops->HeightTexture(0), first);
    water->SetImage(new Image(String("wi"), Image::kR8G8B8A8, 8, 8));
    StartFrame(water.Get());
    ASSERT_NE(drops->HeightTexture(0), nullptr);
    EXPECT_EQ(drops->HeightTexture(0)->GetImage()->Width(), 8u);
}

TEST_F(RenderTextures, DropsLandInsideTheTextureWithTheirStrengthAndRadius)
{
    UseShaderVersion(20);
    Ptr<RenderDropsNormalmapTextureController> drops = new RenderDropsNormalmapTextureController;
    RenderDropsNormalmapTextureController::Parameters p;
    p.dropRate = 1;
    p.simulationRate = 0;
    p.dropStrength = 0.6f;
    p.strengthSpread = 0.1f;
    p.dropRadius = 0.05f;
    p.radiusSpread = 0.01f;
    drops->SetParameters(p);
    Ptr<Texture> water = new Texture(String("w"), new Image(String("wi"), Image::kR8G8B8A8, 8, 8));
    ASSERT_EQ(water->SetController(drops.Get()), kSuccess);
    std::vector<float> xs;
    for (int frame = 0; frame < 20; ++frame) {
        StartFrame(water.Get(), 1.0);
        ASSERT_EQ(Lines({"DrawNonIndexed 16"}).size(), 1u);
        // The normal-map pass after the drop rewrites only vertex c0, so the drop's centre (c1)
        // and strength (c2) are still there: the centre anywhere in -1..1, the strength half
        // the configured one give or take the spread.
        const Vector4 centre = renderer->VertexConstant(1);
        EXPECT_GE(centre.x, -1.0f);
        EXPECT_LE(centre.x, 1.0f);
        EXPECT_GE(centre.y, -1.0f);
        EXPECT_LE(centre.y, 1.0f);
        const float strength = renderer->VertexConstant(2).x;
        EXPECT_GE(strength, 0.2f - 1e-6f);
        EXPECT_LE(strength, 0.4f + 1e-6f);
        xs.push_back(centre.x);
    }
    std::sort(xs.begin(), xs.end());
    EXPECT_LT(xs.front(), -0.2f);  // Spread over the texture, not stuck in one place.
    EXPECT_GT(xs.back(), 0.2f);
}

// --- Environment cube -------------------------------------------------------------------------

TEST_F(RenderTextures, EachCubeFaceSeesTheMarkerItFaces)
{
    const char* names[6] = {"PlusX", "MinusX", "PlusY", "MinusY", "PlusZ", "MinusZ"};
    const Vector3 at[6] = {{5, 0, 0}, {-5, 0, 0}, {0, 5, 0}, {0, -5, 0}, {0, 0, 5}, {0, 0, -5}};
    Ptr<Node> centre = new Node();
    test::Place(*centre, Vector3{0, 0, 0});
    centre->UpdateState(0.0, true);
    Ptr<RenderCubeTextureController> cube = new RenderCubeTextureController;
    cube->SetCentre(centre.Get());
    std::vector<Ptr<Triangles>> markers;
    for (int i = 0; i < 6; ++i) {
        markers.push_back(Marker(names[i], at[i]));
        ASSERT_EQ(cube->Nodes().Add(markers.back().Get()), kSuccess);
    }
    Ptr<CubeTexture> sky = new CubeTexture(String("Sky"), new VolumeImage(String("si"), Image::kR8G8B8A8, 16, 16, 6));
    ASSERT_EQ(sky->SetController(cube.Get()), kSuccess);
    StartFrame(sky.Get());

    std::vector<std::string> expected;
    const std::string tag = renderer->Tag(sky.Get());
    for (int face = 0; face < 6; ++face) {
        expected.push_back("BeginRenderTarget " + tag + " face " + std::to_string(face));
        expected.push_back("Clear 3 (0 0 0 1) 1 0");
        expected.push_back(std::string("DrawCurrentGeometry [") + names[face] + "] 2");
        expected.push_back("EndRenderTarget");
    }
    EXPECT_EQ(Lines({"BeginRenderTarget", "Clear", "DrawCurrentGeometry", "EndRenderTarget"}), expected);
    EXPECT_EQ(renderer->GetCamera(), camera.Get());
    EXPECT_TRUE(cube->IsDone());
}

TEST_F(RenderTextures, ACubeIsRenderedOnceAgainAfterALostDeviceOrEveryFrameWhenRegenerating)
{
    Ptr<RenderCubeTextureController> cube = new RenderCubeTextureController;
    Ptr<CubeTexture> sky = new CubeTexture(String("Sky"), new VolumeImage(String("si"), Image::kR8G8B8A8, 8, 8, 6));
    ASSERT_EQ(sky->SetController(cube.Get()), kSuccess);
    auto faces = [&] {
        StartFrame(sky.Get());
        return Lines({"BeginRenderTarget"}).size();
    };
    EXPECT_EQ(faces(), 6u);
    EXPECT_EQ(faces(), 0u);
    sky->Reset();  // The device copy is gone.
    EXPECT_EQ(faces(), 6u);
    EXPECT_EQ(faces(), 0u);
    cube->SetRegenerate(true);
    EXPECT_EQ(faces(), 6u);
    EXPECT_EQ(faces(), 6u);
}

TEST_F(RenderTextures, TheCubeCameraSitsAtTheCentreWithTheFrameCamerasDepthRange)
{
    camera->SetFrustum(0.9f, 2.0f, 300.0f);
    Ptr<Node> centre = new Node();
    test::Place(*centre, Vector3{10, 2, -3});
    centre->UpdateState(0.0, true);
    Ptr<RenderCubeTextureController> cube = new RenderCubeTextureController;
    cube->SetCentre(centre.Get());
    // Seen from (10, 2, -3), a marker at (10, 2, 3) lies along +Z (face 4) only.
    Ptr<Triangles> marker = Marker("Ahead", Vector3{10, 2, 3});
    ASSERT_EQ(cube->Nodes().Add(marker.Get()), kSuccess);
    // A marker 1 unit away is nearer than the near distance 2 and is never drawn.
    Ptr<Triangles> near = Marker("TooNear", Vector3{11, 2, -3});
    ASSERT_EQ(cube->Nodes().Add(near.Get()), kSuccess);
    Ptr<CubeTexture> sky = new CubeTexture(String("Sky"), new VolumeImage(String("si"), Image::kR8G8B8A8, 8, 8, 6));
    ASSERT_EQ(sky->SetController(cube.Get()), kSuccess);
    StartFrame(sky.Get());
    std::vector<std::string> lines = Lines({"BeginRenderTarget", "DrawCurrentGeometry"});
    std::vector<std::string> expected;
    for (int face = 0; face < 6; ++face) {
        expected.push_back("BeginRenderTarget " + renderer->Tag(sky.Get()) + " face " + std::to_string(face));
        if (face == 4)
            expected.push_back("DrawCurrentGeometry [Ahead] 2");
    }
    EXPECT_EQ(lines, expected);
}

// --- Planar reflection and refraction ---------------------------------------------------------

TEST_F(RenderTextures, TheObliqueNearPlaneIsTheWaterPlane)
{
    // Camera 3 above water at height 1, looking along +z.
    test::Place(*camera, Vector3{0, 4, 0});
    camera->UpdateState(0.0, true);
    camera->UpdateMatrices(1.0f);
    const Matrix4 view = camera->View();
    const Vector4 plane = RenderScreenspaceTextureController::ClipPlane(1.0f);
    EXPECT_EQ(plane, (Vector4{0, -1, 0, 1.8f}));
    const Matrix4 oblique = RenderScreenspaceTextureController::ObliqueProjection(view, camera->Projection(), plane);
    const struct {
        Vector3 world;
        int side;  // 0 on the plane, 1 kept (z/w in 0..1), -1 clipped (z < 0).
    } cases[] = {{{0, 1.8f, 10}, 0}, {{3, 1.8f, 25}, 0}, {{-2, 1.8f, 6}, 0}, {{0, 0, 10}, 1},
                 {{1, -5, 40}, 1},   {{0, 3, 10}, -1},   {{0, 2.5f, 30}, -1}};
    for (const auto& c : cases) {
        const Vector3 v = view.TransformPoint(c.world);
        const Vector4 clip = oblique.Transform({v.x, v.y, v.z, 1});
        const Vector4 plain = camera->Projection().Transform({v.x, v.y, v.z, 1});
        // Only depth changes: x, y and w are those of the ordinary projection.
        EXPECT_FLOAT_EQ(clip.x, plain.x);
        EXPECT_FLOAT_EQ(clip.y, plain.y);
        EXPECT_FLOAT_EQ(clip.w, plain.w);
        if (c.side == 0)
            EXPECT_NEAR(clip.z, 0.0f, 1e-4) << c.world.y;
        else if (c.side > 0) {
            EXPECT_GT(clip.z, 0.0f) << c.world.y;
            EXPECT_LE(clip.z, clip.w) << c.world.y;
        } else {
            EXPECT_LT(clip.z, 0.0f) << c.world.y;
        }
    }
    // A camera below the clip plane cannot use it: the projection stays.
    const Matrix4 same = RenderScreenspaceTextureController::ObliqueProjection(
        view, camera->Projection(), RenderScreenspaceTextureController::ClipPlane(10.0f));
    EXPECT_EQ(std::memcmp(&same, &camera->Projection(), sizeof same), 0);
}

// The clip-space height (y / w) at which the draw placed the marker's origin, from the
// world x view x projection rows the colour effect handed the device (origin: fourth row).
float DrawnHeight(const RecordingRenderer& renderer)
{
    const Vector4 origin = renderer.VertexConstant(3);
    return origin.y / origin.w;
}

TEST_F(RenderTextures, ReflectionMirrorsWhatIsAboveTheWaterAndRefractionShowsWhatIsBelow)
{
    renderer->SetViewport(0, 0, 64, 64);  // The frame keeps the camera square.
    test::Place(*camera, Vector3{0, 1, 0});
    camera->UpdateState(0.0, true);
    camera->UpdateMatrices(1.0f);
    const Matrix4 view = camera->View(), projection = camera->Projection();
    Ptr<Node> water = new Node();
    test::Place(*water, Vector3{0, 0, 0});
    water->UpdateState(0.0, true);
    Ptr<Triangles> sphere = Marker("Above", Vector3{0, 3, 10});
    Ptr<Triangles> floor = Marker("Below", Vector3{0, -4, 10});

    struct Case {
        Ptr<RenderScreenspaceTextureController> controller;
        const char* drawn;
        float height;  // Hand-computed: cot(pi / 8) * (y' - 1) / 10.
    };
    Case cases[] = {{new RenderScreenspaceReflectTextureController, "Above", 2.4142136f * (-3 - 1) / 10},
                    {new RenderScreenspaceRefractTextureController, "Below", 2.4142136f * (-4 * 0.7518797f - 1) / 10}};
    for (Case& c : cases) {
        c.controller->SetPlaneNode(water.Get());
        ASSERT_EQ(c.controller->Nodes().Add(sphere.Get()), kSuccess);
        ASSERT_EQ(c.controller->Nodes().Add(floor.Get()), kSuccess);
        Ptr<Texture> target = new Texture(String("t"), new Image(String("ti"), Image::kR8G8B8A8, 64, 64));
        ASSERT_EQ(target->SetController(c.controller.Get()), kSuccess);
        StartFrame(target.Get());
        EXPECT_EQ(Lines({"DrawCurrentGeometry"}), std::vector<std::string>{std::string("DrawCurrentGeometry [") +
                                                                             c.drawn + "] 2"});
        EXPECT_NEAR(DrawnHeight(*renderer), c.height, 1e-4) << c.drawn;
        EXPECT_EQ(Lines({"BeginRenderTarget"}), std::vector<std::string>{"BeginRenderTarget " + renderer->Tag(target.Get())});
        // The camera is left as it was, mirror culling off.
        EXPECT_EQ(std::memcmp(&camera->View(), &view, sizeof view), 0);
        EXPECT_EQ(std::memcmp(&camera->Projection(), &projection, sizeof projection), 0);
        EXPECT_FALSE(renderer->MirrorCulling());
        target->RemoveControllers();
    }
}

TEST_F(RenderTextures, ALetterboxedFrameNarrowsTheTargetViewportToTheBand)
{
    test::Place(*camera, Vector3{0, 1, 0});
    camera->UpdateState(0.0, true);
    renderer->SetViewport(0, 0, 200, 100);
    renderer->SetLetterbox(true);
    Ptr<RenderScreenspaceReflectTextureController> reflect = new RenderScreenspaceReflectTextureController;
    Ptr<Texture> target = new Texture(String("t"), new Image(String("ti"), Image::kR8G8B8A8, 64, 64));
    ASSERT_EQ(target->SetController(reflect.Get()), kSuccess);
    StartFrame(target.Get());
    EXPECT_EQ(Lines({"SetViewport"}), (std::vector<std::string>{"SetViewport 0 12.5 200 75", "SetViewport 0 0 200 100"}));
    renderer->SetLetterbox(false);
}

// --- Stream forms -----------------------------------------------------------------------------

TEST_F(RenderTextures, StreamFormsAfterTheControllerBlock)
{
    // Fields right after the active flag, at the defaults (links null, lists empty).
    struct Case {
        const char* type;
        std::vector<uint8_t> fields;
    };
    std::vector<uint8_t> drops;
    for (float v : {0.05f, 1.0f, 0.0f})
        PutFloat(drops, v);
    test::PutInt(drops, 1);
    for (float v : {0.02f, 0.0f, 0.01f, 0.6f, 0.1f, 5.0f})
        PutFloat(drops, v);
    std::vector<uint8_t> cube = {0};
    test::PutInt(cube, 0xFFFFFFFFu);  // No centre.
    test::PutInt(cube, 0);            // No nodes.
    std::vector<uint8_t> planar;
    test::PutInt(planar, 0xFFFFFFFFu);
    test::PutInt(planar, 0);
    const Case cases[] = {{"ZEN.RenderDropsNormalmapTextureController", drops},
                          {"ZEN.RenderCubeTextureController", cube},
                          {"ZEN.RenderScreenspaceReflectTextureController", planar},
                          {"ZEN.RenderScreenspaceRefractTextureController", planar}};
    for (const Case& c : cases)
        test::ExpectStreamForm(c.type, c.fields, false, {1});
}

TEST_F(RenderTextures, WavesStreamTheirNoiseTextureAndFindIt)
{
    Ptr<RenderWavesTextureController> waves = new RenderWavesTextureController;
    waves->SetSpeed(0.25f);
    waves->SetBump(7.0f);
    VolumeTexture* noise = waves->NoiseTexture();
    ASSERT_NE(noise, nullptr);
    EXPECT_EQ(noise->Name(), "Perlin volume texture");
    EXPECT_EQ(noise->GetImage(false)->Name(), "Perlin Volume");
    EXPECT_EQ(noise->GetImage(false)->Depth(), 128u);
    EXPECT_EQ(waves->FindByName(String("Perlin Volume")), noise->GetImage(false));
    // Replace the large default by a small volume before streaming it.
    waves->SetNoiseTexture(new VolumeTexture(String("small"), new VolumeImage(String("sv"), Image::kA8, 2, 2, 2)));
    Ptr<RenderWavesTextureController> loaded =
        test::LoadedRecord<RenderWavesTextureController>(test::SavedRecord(waves.Get()));
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(loaded->Speed(), 0.25f);
    EXPECT_EQ(loaded->Bump(), 7.0f);
    ASSERT_NE(loaded->NoiseTexture(), nullptr);
    EXPECT_EQ(loaded->NoiseTexture()->Name(), "small");
    Array<Object*> found;
    loaded->CollectByType(&VolumeImage::TYPE, found);
    EXPECT_EQ(found.Count(), 1u);
}

TEST_F(RenderTextures, NodeListsComeBackAndAbsurdCountsAreRefused)
{
    Ptr<RenderCubeTextureController> cube = new RenderCubeTextureController;
    Ptr<Node> centre = new SceneNode();
    centre->SetName(String("Centre"));
    cube->SetCentre(centre.Get());
    cube->SetRegenerate(true);
    for (const char* name : {"a", "b"}) {
        Ptr<SceneNode> node = new SceneNode();
        node->SetName(String(name));
        ASSERT_EQ(cube->Nodes().Add(node.Get()), kSuccess);
        if (name[0] == 'a') {
            ASSERT_EQ(node->AttachChild(centre.Get()), kSuccess);  // The centre is a link: "a" holds it.
        }
    }
    Ptr<RenderCubeTextureController> loaded =
        test::LoadedRecord<RenderCubeTextureController>(test::SavedRecord(cube.Get()));
    ASSERT_NE(loaded, nullptr);
    EXPECT_TRUE(loaded->Regenerate());
    ASSERT_NE(loaded->Centre(), nullptr);
    EXPECT_EQ(loaded->Centre()->Name(), "Centre");
    ASSERT_EQ(loaded->Nodes().Count(), 2u);
    EXPECT_EQ(loaded->Nodes().Get(1)->Name(), "b");

    // A node list claiming far more entries than bytes remain fails with the list's message.
    Ptr<RenderScreenspaceReflectTextureController> reflect = new RenderScreenspaceReflectTextureController;
    reflect->SetName(String("m"));
    test::Bytes corrupt = test::SavedRecord(reflect.Get());
    ASSERT_GE(corrupt.size(), 4u);
    const uint32_t huge = 0x7FFFFFF0u;
    std::memcpy(&corrupt[corrupt.size() - 4], &huge, 4);
    test::LogCapture log;
    EXPECT_EQ(test::LoadedRecord<Object>(corrupt), nullptr);
    EXPECT_TRUE(log.ContainsText("Невозможно загрузить узлы. Имя[m] ID[")) << log.Joined();
    // The top bit set reads as an empty list.
    const uint32_t topBit = 0x80000005u;
    std::memcpy(&corrupt[corrupt.size() - 4], &topBit, 4);
    Ptr<RenderScreenspaceReflectTextureController> empty =
        test::LoadedRecord<RenderScreenspaceReflectTextureController>(corrupt);
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(empty->Nodes().Count(), 0u);
}

}  // namespace
}  // namespace zen
