#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "anim/AnimTestSupport.h"
#include "engine/anim/AmbientLightAnimationController.h"
#include "engine/anim/CameraActivateAnimationController.h"
#include "engine/anim/ColorAnimationController.h"
#include "engine/anim/DiffuseLightAnimationController.h"
#include "engine/anim/FlareColorController.h"
#include "engine/anim/FlareSizeController.h"
#include "engine/anim/LensFlareColorController.h"
#include "engine/anim/LensFlareSizeController.h"
#include "engine/anim/LightmapAnimationController.h"
#include "engine/anim/NodeAnimation.h"
#include "engine/anim/NodeAnimationController.h"
#include "engine/anim/SpecularLightAnimationController.h"
#include "engine/anim/TextureAnimationController.h"
#include "engine/scene/ColorEffect.h"
#include "engine/scene/Flare.h"
#include "engine/scene/LensFlares.h"
#include "engine/scene/Light.h"
#include "engine/scene/LightmapTexture1DLEffect.h"
#include "engine/scene/TextureEffect.h"
#include "engine/scene/Triangles.h"
#include "support/Near.h"
#include "support/RecordingFixture.h"
#include "support/SceneBuilder.h"

// The animation controllers that write into their owners: node paths through a scene update,
// colours of effects and lights, flare colours and sizes, texture and light-map flip-books, and
// the camera-activated switches.
namespace zen {
namespace {

using test::Frame;

struct Pose {
    double t;
    Vector3 translation;
    Quaternion rotation;
};

// 90 degrees about y, and 45 (half way).
const Quaternion kQuarterTurnY{0, 0.70710678f, 0, 0.70710678f};
const Quaternion kEighthTurnY{0, 0.38268343f, 0, 0.92387953f};

Ptr<NodeAnimation> NodePath(const char* name, std::initializer_list<std::pair<double, Pose>> keys)
{
    return test::MakeAnimation<NodeAnimation, NodeKeyframe, Pose>(name, keys, [](NodeKeyframe& key, const Pose& pose) {
        key.translation = pose.translation;
        key.rotation = pose.rotation;
    });
}

using test::ExpectNear;

void ExpectSameRotation(const Quaternion& actual, const Quaternion& expected)
{
    // q and -q are the same rotation.
    const float dot = actual.x * expected.x + actual.y * expected.y + actual.z * expected.z + actual.w * expected.w;
    EXPECT_NEAR(std::fabs(dot), 1.0f, 1e-5f);
}

// A scene root at (0, 0, 10) with a quad carrying a node animation controller, drawn through
// the recording renderer by a camera 30 units behind the root, unturned: the path is checked
// where the renderer receives it, the translation row of the draw's world-view matrix (the
// vertex program's registers 4-7), which is the quad's world position less the camera's.
struct PathScene {
    Ptr<SceneNode> root{new SceneNode()};
    Ptr<Triangles> mover = test::MakeQuad("Mover", 1);
    Ptr<Camera> camera{new Camera()};
    Ptr<NodeAnimationController> controller{new NodeAnimationController()};

    PathScene()
    {
        root->LocalTransform().SetTranslation({0, 0, 10});
        camera->LocalTransform().SetTranslation({0, 0, -30});
        EXPECT_EQ(mover->SetEffect(Ptr<ColorEffect>(new ColorEffect()).Get()), kSuccess);
        EXPECT_EQ(root->AttachChild(mover.Get()), kSuccess);
        EXPECT_EQ(root->AttachChild(camera.Get()), kSuccess);
        EXPECT_EQ(mover->SetController(controller.Get()), kSuccess);
    }
    // One frame: the update, then the scene drawn; where the drawn quad stands in the world.
    Vector3 Advance(double seconds)
    {
        root->UpdateState(seconds, true);
        RecordingRenderer* renderer = RecordingRenderer::Latest();
        renderer->SetCamera(camera.Get());
        renderer->ClearJournal();
        EXPECT_EQ(renderer->StartFrame(), kSuccess);
        root->DrawIfVisible(renderer);
        renderer->FinishFrame();
        const std::vector<std::string>& journal = renderer->Journal();
        EXPECT_EQ(std::count(journal.begin(), journal.end(), "DrawCurrentGeometry [Mover] 2"), 1);
        const Vector4 row = renderer->VertexConstant(7);
        return Vector3{row.x, row.y, row.z} + Vector3{0, 0, -20};
    }
};

class DrawnAnimation : public test::RecordingFixture {};

TEST_F(DrawnAnimation, FollowsTheKeyframedPathAndWrapsWithTheTrack)
{
    // Keys at 0 (origin, no turn) and 0.5 ((10, 0, 0), a quarter turn about y); a 4 s track.
    PathScene scene;
    Ptr<NodeAnimation> path = NodePath("path", {{0.0, {0, {0, 0, 0}, {}}}, {0.5, {0, {10, 0, 0}, kQuarterTurnY}}});
    scene.controller->SetTrackPeriod(4);
    ASSERT_EQ(scene.controller->AddFrame(Frame(path.Get(), 0, 1)), kSuccess);
    struct Step {
        double elapsed;
        Vector3 world;
        Quaternion rotation;
    };
    const Step steps[] = {
        {1.0, {5, 0, 10}, kEighthTurnY},       // 0.25: half way from key 0 to key 1.
        {1.0, {10, 0, 10}, kQuarterTurnY},     // 0.5: on key 1.
        {1.0, {5, 0, 10}, kEighthTurnY},       // 0.75: half way back round the wrap to key 0.
        {1.5, {2.5, 0, 10}, Quaternion{0, 0.19509032f, 0, 0.98078528f}},  // 1.125 wraps to 0.125.
    };
    for (const Step& step : steps) {
        const Vector3 drawn = scene.Advance(step.elapsed);
        SCOPED_TRACE(scene.controller->TrackPosition());
        ExpectNear(drawn, step.world, 1e-4f);
        ExpectSameRotation(scene.mover->WorldTransform().rotation, step.rotation);
        EXPECT_TRUE(scene.mover->UpdatesWorldTransform());
        EXPECT_FALSE(scene.mover->LocalTransform().isIdentity);
    }
}

TEST_F(DrawnAnimation, EasesBetweenTwoOverlappingClips)
{
    // Clip A holds the origin over [0, 0.6], clip B holds (10, 0, 0) over [0.5, 1]; across the
    // overlap B's weight is w = (position - 0.5) / 0.1. Each stage moves the value the node
    // already has (the previous frame's) towards its own by its weight, so with x the previous
    // value the new one is (x + (0 - x)(1 - w)) + (10 - that) w:
    //   0.52 (w 0.2): from 0 -> 0 -> 2;  0.55 (w 0.5): from 2 -> 1 -> 5.5;
    //   0.58 (w 0.8): from 5.5 -> 4.4 -> 8.88;  0.6 (w 1): 10.
    PathScene scene;
    Ptr<NodeAnimation> here = NodePath("here", {{0.0, {0, {0, 0, 0}, {}}}});
    Ptr<NodeAnimation> there = NodePath("there", {{0.0, {0, {10, 0, 0}, kQuarterTurnY}}});
    scene.controller->SetTrackPeriod(10);
    ASSERT_EQ(scene.controller->AddFrame(Frame(here.Get(), 0, 0.6)), kSuccess);
    ASSERT_EQ(scene.controller->AddFrame(Frame(there.Get(), 0.5, 1)), kSuccess);
    struct Step {
        double elapsed;
        float x;
    };
    const Step steps[] = {{4.0, 0}, {1.0, 0}, {0.2, 2}, {0.3, 5.5f}, {0.3, 8.88f}, {0.2, 10}, {1.0, 10}};
    for (const Step& step : steps) {
        const Vector3 drawn = scene.Advance(step.elapsed);
        SCOPED_TRACE(scene.controller->TrackPosition());
        ExpectNear(drawn, {step.x, 0, 10}, 1e-4f);
    }
}

TEST_F(DrawnAnimation, InactiveOrWithoutANodeOwnerChangesNothing)
{
    PathScene scene;
    Ptr<NodeAnimation> path = NodePath("path", {{0.0, {0, {7, 0, 0}, {}}}});
    scene.controller->SetTrackPeriod(1);
    ASSERT_EQ(scene.controller->AddFrame(Frame(path.Get(), 0, 1)), kSuccess);
    scene.controller->SetActive(false);
    ExpectNear(scene.Advance(0.5), {0, 0, 10});
    EXPECT_EQ(scene.controller->TrackPosition(), 0.0);

    Ptr<ColorEffect> notANode(new ColorEffect());
    Ptr<NodeAnimationController> stray(new NodeAnimationController());
    stray->SetTrackPeriod(1);
    ASSERT_EQ(stray->AddFrame(Frame(path.Get(), 0, 1)), kSuccess);
    ASSERT_EQ(notANode->SetController(stray.Get()), kSuccess);
    stray->Update(0.5);  // Nothing to write into: no crash, the track still runs.
    EXPECT_EQ(stray->TrackPosition(), 0.5);
}

// Keys black at 0 and (1, 0.5, 0.25, 1) at 0.5; after 1 s of an 8 s track (position 0.125) a
// quarter of the way.
const Vector4 kQuarterGlow{0.25f, 0.125f, 0.0625f, 0.25f};

Ptr<ColorAnimation> Glow()
{
    return test::ColorKeys("glow", {{0.0, {0, 0, 0, 0}}, {0.5, {1, 0.5f, 0.25f, 1}}});
}

Ptr<FloatAnimation> Grow()
{
    return test::FloatKeys("grow", {{0.0, 2.0f}, {0.5, 10.0f}});
}

void Play(AnimationController& controller, Animation* animation)
{
    controller.SetTrackPeriod(8);
    ASSERT_EQ(controller.AddFrame(Frame(animation, 0, 1)), kSuccess);
    controller.Update(1);
}

TEST(ColorControllers, BlendTheColourOfEffectsAndLights)
{
    Ptr<ColorAnimation> glow = Glow();

    Ptr<ColorEffect> effect(new ColorEffect());
    Ptr<ColorAnimationController> effectColor(new ColorAnimationController());
    ASSERT_EQ(effect->SetController(effectColor.Get()), kSuccess);
    Play(*effectColor, glow.Get());
    ExpectNear(effect->Color(), kQuarterGlow, 1e-6f, "effect");

    const Vector4 ambient{0.1f, 0.1f, 0.1f, 1}, diffuse{0.2f, 0.2f, 0.2f, 1}, specular{0.3f, 0.3f, 0.3f, 1};
    Ptr<AnimationController> lightControllers[] = {new AmbientLightAnimationController(),
                                                   new DiffuseLightAnimationController(),
                                                   new SpecularLightAnimationController()};
    for (int which = 0; which < 3; ++which) {
        SCOPED_TRACE(which);
        Ptr<Light> light(new Light(Light::kPoint));
        light->SetColors(ambient, diffuse, specular);
        ASSERT_EQ(light->SetController(lightControllers[which].Get()), kSuccess);
        Play(*lightControllers[which], glow.Get());
        ExpectNear(light->Ambient(), which == 0 ? kQuarterGlow : ambient, 1e-6f, "ambient");
        ExpectNear(light->Diffuse(), which == 1 ? kQuarterGlow : diffuse, 1e-6f, "diffuse");
        ExpectNear(light->Specular(), which == 2 ? kQuarterGlow : specular, 1e-6f, "specular");
    }

    // A light controller on an effect writes nothing.
    Ptr<ColorEffect> other(new ColorEffect());
    Ptr<DiffuseLightAnimationController> misplaced(new DiffuseLightAnimationController());
    ASSERT_EQ(other->SetController(misplaced.Get()), kSuccess);
    Play(*misplaced, glow.Get());
    ExpectNear(other->Color(), {1, 1, 1, 1}, 1e-6f, "misplaced");
}

// The four flare controllers blend their animation into a flare's or lens flares' colour or
// size, and write nothing into an owner of another kind (a light, or a flare for a lens-flare
// controller).
TEST(FlareControllers, ColourAndSizeFollowTheirAnimationsOnTheirOwnKindOnly)
{
    Ptr<Flare> flare(new Flare()), bare(new Flare());
    Ptr<LensFlares> lens(new LensFlares());
    Ptr<Light> light(new Light(Light::kPoint));
    const Vector4 diffuse = light->Diffuse();
    struct Case {
        Object* owner;
        Ptr<AnimationController> controller;
        bool colour;
    };
    Case cases[] = {{flare.Get(), new FlareColorController(), true},
                    {lens.Get(), new LensFlareColorController(), true},
                    {flare.Get(), new FlareSizeController(), false},
                    {lens.Get(), new LensFlareSizeController(), false},
                    {light.Get(), new FlareColorController(), true},
                    {light.Get(), new LensFlareColorController(), true},
                    {bare.Get(), new LensFlareSizeController(), false}};
    Ptr<ColorAnimation> glow = Glow();
    Ptr<FloatAnimation> grow = Grow();
    for (Case& c : cases) {
        SCOPED_TRACE(c.controller->GetRtti()->Name().CStr());
        ASSERT_EQ(c.owner->SetController(c.controller.Get()), kSuccess);
        Play(*c.controller, c.colour ? static_cast<Animation*>(glow.Get()) : grow.Get());
    }
    EXPECT_EQ(flare->Color(), kQuarterGlow);
    EXPECT_EQ(lens->Color(), kQuarterGlow);
    EXPECT_FLOAT_EQ(flare->Size(), 4.0f);
    EXPECT_FLOAT_EQ(lens->Size(), 4.0f);
    EXPECT_EQ(light->Diffuse(), diffuse);
    EXPECT_EQ(bare->Size(), 1.0f);
}

// Steps through a flip-book of three pictures keyed at 0, 1/3 and 2/3 of a 3 s track: track
// positions 0.1, 0.4, 0.9, 0.3 (wrapped), 0.6333, 0.7, and the picture in force at each.
const struct FlipStep {
    double elapsed;
    int picture;
} kFlipSteps[] = {{0.3, 0}, {0.9, 1}, {1.5, 2}, {1.2, 0}, {1.0, 1}, {0.2, 2}};

TEST_F(DrawnAnimation, ATextureAnimationBindsTheTextureOfTheKeyInForce)
{
    // The flip-book on the quad's texture effect: each frame's draw binds the key in force to
    // stage 0.
    PathScene scene;
    test::FlipBook book;
    Ptr<TextureEffect> effect(new TextureEffect());
    ASSERT_EQ(scene.mover->SetEffect(effect.Get()), kSuccess);
    Ptr<TextureAnimationController> controller(new TextureAnimationController());
    ASSERT_EQ(effect->SetController(controller.Get()), kSuccess);
    controller->SetTrackPeriod(3);
    ASSERT_EQ(controller->AddFrame(Frame(book.animation.Get(), 0, 1)), kSuccess);
    for (const FlipStep& step : kFlipSteps) {
        scene.Advance(step.elapsed);
        SCOPED_TRACE(controller->TrackPosition());
        const std::vector<std::string>& journal = renderer->Journal();
        const std::string bound = "SetTexture 0 " + renderer->Tag(book.pictures[step.picture].Get());
        EXPECT_EQ(std::count(journal.begin(), journal.end(), bound), 1);
    }
}

// Light-map flip-books: the light map of the key in force, on light-mapped effects and their
// lit subclass; the base texture untouched; other owners left alone; the stream form round trip.
TEST(LightmapAnimationController, ShowsTheLightMapOfTheKeyInForce)
{
    for (bool lit : {false, true}) {
        SCOPED_TRACE(lit ? "LightmapTexture1DL" : "LightmapTexture");
        test::FlipBook book;
        Ptr<Texture> base(new Texture());
        Ptr<LightmapTextureEffect> effect(lit ? new LightmapTexture1DLEffect() : new LightmapTextureEffect());
        effect->SetTexture(base.Get());
        Ptr<LightmapAnimationController> controller(new LightmapAnimationController());
        ASSERT_EQ(effect->SetController(controller.Get()), kSuccess);
        controller->SetTrackPeriod(3);
        ASSERT_EQ(controller->AddFrame(Frame(book.animation.Get(), 0, 1)), kSuccess);
        for (const FlipStep& step : kFlipSteps) {
            controller->Update(step.elapsed);
            SCOPED_TRACE(controller->TrackPosition());
            EXPECT_EQ(effect->GetLightmap(), book.pictures[step.picture].Get());
            EXPECT_EQ(effect->GetTexture(), base.Get());
        }
    }
}

TEST(LightmapAnimationController, LeavesOtherOwnersAloneAndKeepsItsTrackThroughAStream)
{
    test::EngineScope engine;
    test::FlipBook book;
    Ptr<TextureEffect> plain(new TextureEffect());
    Ptr<Texture> base(new Texture());
    plain->SetTexture(base.Get());
    Ptr<LightmapAnimationController> controller(new LightmapAnimationController());
    ASSERT_EQ(plain->SetController(controller.Get()), kSuccess);
    controller->SetTrackPeriod(3);
    ASSERT_EQ(controller->AddFrame(Frame(book.animation.Get(), 0, 1)), kSuccess);
    controller->Update(1.5);
    EXPECT_EQ(plain->GetTexture(), base.Get());

    Ptr<LightmapAnimationController> loaded =
        test::LoadedRecord<LightmapAnimationController>(test::SavedRecord(controller.Get()));
    ASSERT_TRUE(loaded);
    Ptr<LightmapTextureEffect> effect(new LightmapTextureEffect());
    ASSERT_EQ(effect->SetController(loaded.Get()), kSuccess);
    loaded->Update(2.7);  // Position 0.9: the third picture of the loaded copy's animation.
    ASSERT_TRUE(effect->GetLightmap());
    EXPECT_NE(effect->GetLightmap(), book.pictures[2].Get());  // A loaded copy, not the original.
}

// --- Camera-activated switches ----------------------------------------------------------------

class CameraActivate : public test::RecordingFixture {
protected:
    void SetUp() override
    {
        RecordingFixture::SetUp();
        camera = new Camera();
        flight->SetTrackPeriod(10);
        ASSERT_EQ(camera->SetController(flight.Get()), kSuccess);
        ASSERT_EQ(camera->SetController(activate.Get()), kSuccess);
        activate->SetCameraAnimation(flight.Get());
        activate->SetTargetAnimation(targetFlight.Get());
        ASSERT_EQ(activate->AddController(switched.Get()), kSuccess);
        // On between 0.25 and 0.5 of the flight.
        Ptr<BoolAnimation> window = test::BoolKeys("window", {{0.0, false}, {0.25, true}, {0.5, false}});
        ASSERT_EQ(activate->AddFrame(Frame(window.Get(), 0, 1)), kSuccess);
        activate->SetTrackPeriod(1000);  // Its own period never matters: it follows the flight.
        switched->SetTrackPeriod(5);
    }

    Ptr<Camera> otherCamera{new Camera()};
    Ptr<AnimationController> flight{new AnimationController()};
    Ptr<AnimationController> targetFlight{new AnimationController()};
    Ptr<CameraActivateAnimationController> activate{new CameraActivateAnimationController()};
    Ptr<AnimationController> switched{new AnimationController()};
};

TEST_F(CameraActivate, FollowsTheFlightAndSwitchesItsControllers)
{
    renderer->SetCamera(camera.Get());
    struct Step {
        double elapsed;
        bool on;
    };
    // The activate controller is the newest, so it runs before the flight advances: it sees
    // the flight's position of the previous frame: 0, 0.2, 0.4, 0.5 (off again), 0.6.
    const Step steps[] = {{2.0, false}, {2.0, false}, {1.0, true}, {1.0, false}, {1.0, false}};
    for (const Step& step : steps) {
        camera->UpdateControllers(step.elapsed);
        SCOPED_TRACE(flight->TrackPosition());
        EXPECT_EQ(activate->TrackPosition(), flight->TrackPosition() - step.elapsed / 10);
        EXPECT_EQ(switched->IsActive(), step.on);
        EXPECT_TRUE(flight->IsActive());
        EXPECT_TRUE(targetFlight->IsActive());
    }
}

TEST_F(CameraActivate, AnotherCameraStopsTheFlightsAndRewindsTheControllersOnce)
{
    renderer->SetCamera(camera.Get());
    camera->UpdateControllers(3.0);
    camera->UpdateControllers(0.5);  // Flight at 0.35: the switch is on.
    ASSERT_TRUE(switched->IsActive());
    switched->Update(1.0);
    ASSERT_NEAR(switched->TrackPosition(), 0.2, 1e-12);

    renderer->SetCamera(otherCamera.Get());
    camera->UpdateControllers(1.0);
    EXPECT_FALSE(flight->IsActive());
    EXPECT_FALSE(targetFlight->IsActive());
    EXPECT_EQ(flight->TrackPosition(), 0.0);
    EXPECT_FALSE(switched->IsActive());
    EXPECT_EQ(switched->TrackPosition(), 0.0);

    // Once rewound, a later frame leaves the listed controllers alone.
    switched->SetTrackPosition(0.7);
    camera->UpdateControllers(1.0);
    EXPECT_EQ(switched->TrackPosition(), 0.7);
}

TEST_F(CameraActivate, StreamsItsLinksAfterTheTrack)
{
    // Its controllers are links: the scene holds them (here all hang under the camera).
    ASSERT_EQ(camera->SetController(targetFlight.Get()), kSuccess);
    ASSERT_EQ(camera->SetController(switched.Get()), kSuccess);
    Ptr<Camera> loaded = test::LoadedRecord<Camera>(test::SavedRecord(camera.Get()));
    ASSERT_TRUE(loaded);
    CameraActivateAnimationController* back = nullptr;
    for (uint32_t i = 0; i < loaded->ControllerCount(); ++i)
        if (loaded->GetController(i)->IsExactly(&CameraActivateAnimationController::TYPE))
            back = static_cast<CameraActivateAnimationController*>(loaded->GetController(i));
    ASSERT_TRUE(back);
    ASSERT_TRUE(back->CameraAnimation());
    ASSERT_TRUE(back->TargetAnimation());
    EXPECT_EQ(back->CameraAnimation()->TrackPeriod(), 10.0);
    ASSERT_EQ(back->ControlledCount(), 1u);
    EXPECT_EQ(back->GetControlled(0)->TrackPeriod(), 5.0);
    EXPECT_EQ(back->FrameCount(), 1u);

    // Without a flight it does nothing at all.
    Ptr<CameraActivateAnimationController> idle(new CameraActivateAnimationController());
    ASSERT_EQ(otherCamera->SetController(idle.Get()), kSuccess);
    renderer->SetCamera(otherCamera.Get());
    idle->SetTrackPosition(0.5);
    idle->Update(1.0);
    EXPECT_EQ(idle->TrackPosition(), 0.5);
}

}  // namespace
}  // namespace zen
