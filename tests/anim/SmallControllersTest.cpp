#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>

#include "anim/AnimTestSupport.h"
#include "engine/anim/ClockHourController.h"
#include "engine/anim/ClockMinuteController.h"
#include "engine/anim/CosTextureController.h"
#include "engine/anim/SinTextureController.h"
#include "engine/anim/TargetCameraController.h"
#include "engine/anim/TargetLightController.h"
#include "engine/scene/Camera.h"
#include "engine/scene/Light.h"
#include "engine/scene/SceneNode.h"
#include "engine/scene/Texture.h"
#include "support/EngineScope.h"
#include "support/LogCapture.h"
#include "support/Near.h"
#include "support/RecordBytes.h"
#include "support/StreamForm.h"

// The controllers without keyframes: cameras and lights that turn to a target, clock hands,
// and the one-shot sine and cosine textures.
namespace zen {
namespace {

using test::Bytes;
using test::ExpectNear;

// A scene: root, a camera or light somewhere, a target somewhere else.
struct TargetScene {
    Ptr<SceneNode> root{new SceneNode()};
    Ptr<SceneNode> target{new SceneNode()};

    void Update() { root->UpdateState(0.016, true); }
};

struct Placement {
    Vector3 eye;
    Vector3 target;
};

const Placement kPlacements[] = {
    {{0, 0, -5}, {0, 0, 0}},      {{3, 4, 5}, {-1, 2, 0.5f}},  {{-7, 0.5f, 2}, {4, -3, 9}},
    {{0, 0, 0}, {10, 0, 0}},      {{0, 0, 0}, {0, 0, -3}},     {{100, 50, -20}, {0, 0, 0}},
    {{0, 0, 0}, {0.001f, 8, 0}},  // Nearly straight up.
};

TEST(TargetCameraController, LooksAtItsTargetFromAnyPosition)
{
    for (const Placement& p : kPlacements) {
        SCOPED_TRACE(testing::Message() << p.eye.x << "," << p.eye.y << "," << p.eye.z);
        TargetScene scene;
        Ptr<Camera> camera(new Camera());
        Ptr<TargetCameraController> aim(new TargetCameraController());
        aim->SetTarget(scene.target.Get());
        ASSERT_EQ(camera->SetController(aim.Get()), kSuccess);
        // The target comes first, so its world position is current when the camera turns.
        ASSERT_EQ(scene.root->AttachChild(scene.target.Get()), kSuccess);
        ASSERT_EQ(scene.root->AttachChild(camera.Get()), kSuccess);
        scene.target->LocalTransform().SetTranslation(p.target);
        camera->LocalTransform().SetTranslation(p.eye);
        scene.Update();
        ExpectNear(camera->Forward(), (p.target - p.eye).Normalized());
        EXPECT_FALSE(camera->UpdatesWorldTransform());
        EXPECT_FALSE(camera->WorldTransform().noRotation);
        // The view follows the turned camera: the target lies on the view axis.
        const Vector4 seen = camera->View().Transform({p.target.x, p.target.y, p.target.z, 1});
        EXPECT_NEAR(seen.x, 0, 1e-3f);
        EXPECT_NEAR(seen.y, 0, 1e-3f);
        EXPECT_GT(seen.z, 0);
        // The camera moved on: the next update turns it again from the new place.
        camera->LocalTransform().SetTranslation(p.eye + Vector3{1, 1, 1});
        scene.Update();
        ExpectNear(camera->Forward(), (p.target - p.eye - Vector3{1, 1, 1}).Normalized());
    }
}

TEST(TargetLightController, TurnsTheLightToShineAtItsTarget)
{
    for (const Placement& p : kPlacements) {
        TargetScene scene;
        Ptr<Light> light(new Light(Light::kSpot));
        Ptr<TargetLightController> aim(new TargetLightController());
        aim->SetTarget(scene.target.Get());
        ASSERT_EQ(light->SetController(aim.Get()), kSuccess);
        ASSERT_EQ(scene.root->AttachChild(scene.target.Get()), kSuccess);
        ASSERT_EQ(scene.root->AttachChild(light.Get()), kSuccess);
        scene.target->LocalTransform().SetTranslation(p.target);
        light->LocalTransform().SetTranslation(p.eye);
        scene.Update();
        ExpectNear(light->WorldTransform().Forward(), (p.target - p.eye).Normalized());
        ExpectNear(light->ToDeviceLight().direction, (p.target - p.eye).Normalized());
    }
}

TEST(TargetControllers, WithoutTargetOrTheRightOwnerNothingTurns)
{
    TargetScene scene;
    Ptr<Camera> camera(new Camera());
    Ptr<TargetCameraController> noTarget(new TargetCameraController());
    ASSERT_EQ(camera->SetController(noTarget.Get()), kSuccess);
    ASSERT_EQ(scene.root->AttachChild(camera.Get()), kSuccess);
    scene.Update();
    EXPECT_TRUE(camera->UpdatesWorldTransform());
    EXPECT_TRUE(camera->WorldTransform().noRotation);

    Ptr<Light> light(new Light());
    Ptr<TargetCameraController> onALight(new TargetCameraController());
    onALight->SetTarget(scene.target.Get());
    ASSERT_EQ(light->SetController(onALight.Get()), kSuccess);
    onALight->Update(0);
    EXPECT_TRUE(light->LocalTransform().noRotation);

    // A target in the same place as the camera gives no direction: the old one stays.
    Ptr<TargetCameraController> onTop(new TargetCameraController());
    onTop->SetTarget(camera.Get());
    Ptr<Camera> second(new Camera());
    ASSERT_EQ(second->SetController(onTop.Get()), kSuccess);
    onTop->Update(0);
    EXPECT_TRUE(second->LocalTransform().noRotation);
}

TEST(TargetControllers, StreamTheTargetLinkAfterTheControllerBlock)
{
    test::EngineScope engine;
    Ptr<SceneNode> target(new SceneNode());
    target->SetName(String("lighthouse"));
    Ptr<TargetCameraController> camera(new TargetCameraController());
    camera->SetTarget(target.Get());
    Bytes noTarget;
    test::PutInt(noTarget, Stream::kNullID);
    test::ExpectStreamForm("ZEN.TargetLightController", noTarget, true, {1});  // After the active flag.

    // The target is a link: the scene holds it (here the controller hangs under it).
    ASSERT_EQ(target->SetController(camera.Get()), kSuccess);
    Ptr<SceneNode> scene = test::LoadedRecord<SceneNode>(test::SavedRecord(target.Get()));
    ASSERT_TRUE(scene);
    auto* back = static_cast<TargetCameraController*>(scene->GetController(0));
    ASSERT_TRUE(back && back->Target());
    EXPECT_EQ(back->Target(), scene.Get());
    EXPECT_EQ(back->Target()->Name(), "lighthouse");

    // A target link to something that is not a node is refused.
    Bytes wrong;
    test::PutInt(wrong, 1);
    test::PutString(wrong, "ZEN.TargetLightController");
    test::PutControllerBlock(wrong, "");
    const Bytes texture = test::SavedRecord(Ptr<Texture>(new Texture()).Get());
    wrong.insert(wrong.end(), texture.begin(), texture.end());
    test::LogCapture log;
    EXPECT_FALSE(test::LoadedRecord<TargetLightController>(wrong));
    EXPECT_TRUE(log.ContainsText("Невозможно загрузить цель источника света. ID[")) << log.Joined();
}

// --- Clock hands ----------------------------------------------------------------------------------

TEST(ClockControllers, HandAngles)
{
    constexpr double kPi = std::numbers::pi;
    struct HourCase {
        int hour, minute;
        double angle;
    };
    const HourCase hours[] = {
        {0, 0, 2 * kPi}, {12, 0, 0},         {13, 0, 11 * kPi / 6}, {1, 0, 11 * kPi / 6},
        {3, 0, 1.5 * kPi}, {6, 30, 5.5 * kPi / 6}, {23, 59, (12 - (11 + 59 / 60.0)) * kPi / 6},
    };
    for (const HourCase& c : hours)
        EXPECT_NEAR(ClockHourController::HourAngle(c.hour, c.minute), c.angle, 1e-12) << c.hour << ":" << c.minute;
    struct MinuteCase {
        int minute, second;
        double angle;
    };
    const MinuteCase minutes[] = {{0, 0, 2 * kPi}, {30, 0, kPi}, {15, 0, 1.5 * kPi}, {59, 30, kPi / 60}};
    for (const MinuteCase& c : minutes)
        EXPECT_NEAR(ClockMinuteController::MinuteAngle(c.minute, c.second), c.angle, 1e-12) << c.minute;
}

TEST(ClockControllers, TurnTheHandAboutXByTheHalfAngleQuaternion)
{
    Ptr<SceneNode> hand(new SceneNode());
    ClockHourController::TurnAboutX(hand.Get(), std::numbers::pi / 2);
    const Quaternion& q = hand->LocalTransform().rotation;
    EXPECT_NEAR(q.x, std::sin(std::numbers::pi / 4), 1e-7);
    EXPECT_EQ(q.y, 0.0f);
    EXPECT_EQ(q.z, 0.0f);
    EXPECT_NEAR(q.w, std::cos(std::numbers::pi / 4), 1e-7);
    EXPECT_FALSE(hand->LocalTransform().isIdentity);
    EXPECT_FALSE(hand->LocalTransform().noRotation);
    // The hand's y axis turns towards z: a quarter turn about x maps (0, 1, 0) to (0, 0, 1).
    const Vector3 up = q.Rotate({0, 1, 0});
    EXPECT_NEAR(up.z, 1.0f, 1e-6f);

    // The update reads the wall clock: whatever the time, the rotation is about x only and
    // of unit length.
    Ptr<SceneNode> minuteHand(new SceneNode());
    Ptr<ClockMinuteController> minutes(new ClockMinuteController());
    ASSERT_EQ(minuteHand->SetController(minutes.Get()), kSuccess);
    minutes->Update(0);
    const Quaternion& m = minuteHand->LocalTransform().rotation;
    EXPECT_EQ(m.y, 0.0f);
    EXPECT_EQ(m.z, 0.0f);
    EXPECT_NEAR(m.x * m.x + m.w * m.w, 1.0f, 1e-6f);
}

// --- One-shot textures -----------------------------------------------------------------------------

Ptr<Texture> TextureOf(uint32_t format, uint32_t width, uint32_t height)
{
    return Ptr<Texture>(new Texture(String("t"), new Image(String("i"), format, width, height)));
}

TEST(WaveTextureControllers, FillEveryByteOfAColumnWithTheWave)
{
    struct Case {
        const char* what;
        bool sine;
        float exponent;
        uint32_t format;
        std::vector<uint8_t> columns;
    };
    const Case cases[] = {
        // 127.5, 255, about 127.5, 0, truncated.
        {"sine, RGB", true, 1.0f, Image::kR8G8B8, {127, 255, 127, 0}},
        {"sine, RGBA", true, 1.0f, Image::kR8G8B8A8, {127, 255, 127, 0}},
        {"sine, A8", true, 1.0f, Image::kA8, {127, 255, 127, 0}},
        {"sine, 16-bit channels byte by byte", true, 1.0f, Image::kA16B16G16R16, {127, 255, 127, 0}},
        // 255 * 0.5^2 = 63.75.
        {"sine squared", true, 2.0f, Image::kR8G8B8, {63, 255, 63, 0}},
        // 255, 127.5, 0, 127.5 less a rounding hair.
        {"cosine", false, 1.0f, Image::kR8G8B8, {255, 127, 0, 127}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Ptr<Texture> texture = TextureOf(c.format, 4, 3);
        texture->SetDirty(false);
        Ptr<Controller> controller;
        if (c.sine) {
            auto* sine = new SinTextureController();
            sine->SetExponent(c.exponent);
            controller = sine;
        } else {
            controller = new CosTextureController();
        }
        ASSERT_EQ(texture->SetController(controller.Get()), kSuccess);
        controller->Update(0.1);
        const Image* image = texture->GetImage();
        ASSERT_EQ(image->Width(), 4u);
        ASSERT_EQ(image->Format(), c.format);
        const uint32_t bytes = Image::BytesPerPixel(c.format);
        for (uint32_t y = 0; y < 3; ++y)
            for (uint32_t x = 0; x < 4; ++x)
                for (uint32_t b = 0; b < bytes; ++b)
                    ASSERT_EQ(image->Data()[(y * 4 + x) * bytes + b], c.columns[x]) << x << "," << y << "," << b;
        EXPECT_TRUE(texture->IsDirty());
    }
}

TEST(WaveTextureControllers, RunOnceAndMarkDoneEvenWithoutATexture)
{
    Ptr<Texture> texture = TextureOf(Image::kA8, 4, 1);
    Ptr<SinTextureController> sine(new SinTextureController());
    ASSERT_EQ(texture->SetController(sine.Get()), kSuccess);
    sine->Update(0);
    ASSERT_TRUE(sine->IsDone());
    texture->GetImage()->Data()[1] = 9;
    sine->Update(0);
    EXPECT_EQ(texture->GetImage()->Data()[1], 9);  // Not generated again.

    Ptr<SceneNode> notATexture(new SceneNode());
    Ptr<CosTextureController> cosine(new CosTextureController());
    ASSERT_EQ(notATexture->SetController(cosine.Get()), kSuccess);
    cosine->Update(0);
    EXPECT_TRUE(cosine->IsDone());

    // Inactive: nothing, and not done.
    Ptr<Texture> later = TextureOf(Image::kA8, 4, 1);
    Ptr<CosTextureController> waiting(new CosTextureController());
    waiting->SetActive(false);
    ASSERT_EQ(later->SetController(waiting.Get()), kSuccess);
    waiting->Update(0);
    EXPECT_FALSE(waiting->IsDone());
    EXPECT_EQ(later->GetImage()->Data()[0], 0);

    // A texture without an image is left alone.
    Ptr<Texture> bare(new Texture());
    Ptr<SinTextureController> onBare(new SinTextureController());
    ASSERT_EQ(bare->SetController(onBare.Get()), kSuccess);
    onBare->Update(0);
    EXPECT_TRUE(onBare->IsDone());
    EXPECT_EQ(bare->GetImage(), nullptr);
}

}  // namespace
}  // namespace zen
