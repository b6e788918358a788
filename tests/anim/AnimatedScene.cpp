#include "anim/AnimatedScene.h"

#include "anim/AnimTestSupport.h"
#include "engine/anim/AmbientLightAnimationController.h"
#include "engine/anim/BoolAnimation.h"
#include "engine/anim/CameraActivateAnimationController.h"
#include "engine/anim/ClockHourController.h"
#include "engine/anim/ClockMinuteController.h"
#include "engine/anim/ColorAnimation.h"
#include "engine/anim/ColorAnimationController.h"
#include "engine/anim/CosTextureController.h"
#include "engine/anim/DiffuseLightAnimationController.h"
#include "engine/anim/IKController.h"
#include "engine/anim/NodeAnimation.h"
#include "engine/anim/NodeAnimationController.h"
#include "engine/anim/ScreensaverController.h"
#include "engine/anim/SinTextureController.h"
#include "engine/anim/SkeletonAnimationController.h"
#include "engine/anim/SkinController.h"
#include "engine/anim/SpecularLightAnimationController.h"
#include "engine/anim/TargetCameraController.h"
#include "engine/anim/TargetLightController.h"
#include "engine/anim/TextureAnimation.h"
#include "engine/anim/TextureAnimationController.h"
#include "engine/anim/TextureKeyframe.h"
#include "engine/scene/Camera.h"
#include "engine/scene/ColorEffect.h"
#include "engine/scene/Light.h"
#include "engine/scene/TextureEffect.h"
#include "support/SceneBuilder.h"

namespace zen::test {
namespace {

Ptr<NodeAnimation> Path(const char* name, const Vector3& from, const Vector3& to)
{
    return MakeAnimation<NodeAnimation, NodeKeyframe, Vector3>(
        name, {{0.0, from}, {0.5, to}}, [](NodeKeyframe& key, const Vector3& p) { key.translation = p; });
}

Ptr<ColorAnimation> Pulse(const char* name)
{
    return MakeAnimation<ColorAnimation, ColorKeyframe, float>(
        name, {{0.0, 0.2f}, {0.5, 1.0f}}, [](ColorKeyframe& key, float v) { key.color = {v, v, v * 0.5f, 1}; });
}

Ptr<NodeAnimationController> Flight(Node& node, Animation* a, Animation* b, double period)
{
    Ptr<NodeAnimationController> controller(new NodeAnimationController());
    (void)controller->AddAnimation(a);
    (void)controller->AddFrame(Frame(a, 0, 0.6));
    if (b) {
        (void)controller->AddAnimation(b);
        (void)controller->AddFrame(Frame(b, 0.5, 1, AnimationFrame::kPingPong, 2, 0.25));
    }
    controller->SetTrackPeriod(period);
    (void)node.SetController(controller.Get());
    return controller;
}

template <class C>
Ptr<C> Attach(Object& owner, C* controller, double period, Animation* animation)
{
    Ptr<C> held(controller);
    held->SetTrackPeriod(period);
    (void)held->AddAnimation(animation);
    (void)held->AddFrame(Frame(animation, 0, 1, AnimationFrame::kClamp));
    (void)owner.SetController(held.Get());
    return held;
}

Ptr<SceneNode> Named(const char* name, SceneNode& parent)
{
    Ptr<SceneNode> node(new SceneNode());
    node->SetName(String(name));
    (void)parent.AttachChild(node.Get());
    return node;
}

}  // namespace

Ptr<SceneNode> BuildAnimatedScene()
{
    Ptr<SceneNode> root(new SceneNode());
    root->SetName(String("Root"));

    Ptr<SceneNode> mover = Named("Mover", *root);
    Flight(*mover, Path("Out", {0, 0, 0}, {10, 0, 0}).Get(), Path("Up", {0, 0, 0}, {0, 5, 0}).Get(), 8);

    Ptr<Camera> eye(new Camera());
    eye->SetName(String("Eye"));
    (void)root->AttachChild(eye.Get());
    Ptr<NodeAnimationController> eyeFlight = Flight(*eye, Path("EyePath", {0, 2, -20}, {5, 2, -15}).Get(), nullptr, 12);
    Ptr<TargetCameraController> aim(new TargetCameraController());
    aim->SetTarget(mover.Get());
    (void)eye->SetController(aim.Get());

    Ptr<Camera> side(new Camera());
    side->SetName(String("Side"));
    side->LocalTransform().SetTranslation({20, 5, 0});
    (void)root->AttachChild(side.Get());

    Ptr<Light> sun(new Light(Light::kSpot));
    sun->SetName(String("Sun"));
    sun->LocalTransform().SetTranslation({0, 30, 0});
    (void)root->AttachChild(sun.Get());
    Ptr<TargetLightController> shine(new TargetLightController());
    shine->SetTarget(mover.Get());
    (void)sun->SetController(shine.Get());
    Attach(*sun, new AmbientLightAnimationController(), 5, Pulse("SunAmbient").Get());
    Attach(*sun, new DiffuseLightAnimationController(), 6, Pulse("SunDiffuse").Get());
    Attach(*sun, new SpecularLightAnimationController(), 7, Pulse("SunSpecular").Get());

    Ptr<Triangles> glow = MakeQuad("Glow", 1);
    (void)root->AttachChild(glow.Get());
    Ptr<ColorEffect> glowEffect(new ColorEffect());
    (void)glow->SetEffect(glowEffect.Get());
    Ptr<ColorAnimationController> glowColor =
        Attach(*glowEffect, new ColorAnimationController(), 3, Pulse("GlowPulse").Get());

    // The camera-activate switch turns the glow on for the middle of Eye's flight.
    Ptr<BoolAnimation> window = BoolKeys("Window", {{0.0, false}, {0.3, true}, {0.7, false}});
    Ptr<CameraActivateAnimationController> activate(new CameraActivateAnimationController());
    activate->SetCameraAnimation(eyeFlight.Get());
    (void)activate->AddController(glowColor.Get());
    (void)activate->AddAnimation(window.Get());
    (void)activate->AddFrame(Frame(window.Get(), 0, 1));
    (void)eye->SetController(activate.Get());

    Ptr<Triangles> screen = MakeQuad("Screen", 2);
    (void)root->AttachChild(screen.Get());
    Ptr<TextureEffect> screenEffect(new TextureEffect());
    (void)screen->SetEffect(screenEffect.Get());
    Ptr<TextureAnimation> slides(new TextureAnimation());
    slides->SetName(String("Slides"));
    for (int i = 0; i < 2; ++i) {
        Ptr<Texture> texture(new Texture(String(i ? "Cosine" : "Sine"), new Image(String("Wave"), Image::kA8, 8, 2)));
        Ptr<Controller> fill(i ? static_cast<Controller*>(new CosTextureController())
                               : static_cast<Controller*>(new SinTextureController()));
        (void)texture->SetController(fill.Get());
        auto* key = static_cast<TextureKeyframe*>(slides->NewKeyframe());
        key->time = 0.5 * i;
        key->texture = texture.Get();
        (void)slides->AppendKeyframe(key);
    }
    Attach(*screenEffect, new TextureAnimationController(), 4, slides.Get());

    // Skinned mesh: two bones, each with a track the skeleton drives.
    Ptr<SceneNode> bones[2] = {Named("Bone0", *root), Named("Bone1", *root)};
    bones[1]->LocalTransform().SetTranslation({2, 0, 0});
    Ptr<SkeletonAnimationController> skeleton(new SkeletonAnimationController());
    skeleton->SetTrackPeriod(2);
    for (int b = 0; b < 2; ++b) {
        Ptr<NodeAnimationController> boneTrack =
            Flight(*bones[b], Path("Sway", {2.0f * b, 0, 0}, {2.0f * b, 1, 0}).Get(), nullptr, 2);
        boneTrack->SetActive(false);
        (void)skeleton->AddBoneController(boneTrack.Get());
    }
    (void)root->SetController(skeleton.Get());
    Ptr<Triangles> skin = MakeQuad("Skin", 1);
    (void)root->AttachChild(skin.Get());
    Ptr<SkinController> skinning(new SkinController());
    Transform bind1;
    bind1.SetTranslation({-2, 0, 0});
    (void)skinning->AddBone(bones[0].Get(), Transform());
    (void)skinning->AddBone(bones[1].Get(), bind1);
    skinning->SetBindVertices(MakeVector3Buffer({{-1, -1, 0}, {1, -1, 0}, {1, 1, 0}, {-1, 1, 0}}).Get());
    skinning->SetBindNormals(skin->Normals());
    skinning->SetWeights(MakeVector4Buffer({{1, 0, 0, 0}, {0.5f, 0.5f, 0, 0}, {0, 1, 0, 0}, {0.25f, 0.75f, 0, 0}}).Get());
    skinning->SetIndices(MakeVector4Buffer({{0, 0, 0, 0}, {0, 1, 0, 0}, {0, 1, 0, 0}, {0, 1, 0, 0}}).Get());
    (void)skin->SetController(skinning.Get());

    // IK chain: three joints 50 apart, the tip 50 past the last, reaching for Goal (the step's
    // gain grows with the square of the lengths; a chain this long settles in a few seconds).
    Ptr<SceneNode> joint = Named("Joint0", *root);
    Ptr<IKController> ik(new IKController());
    Ptr<SceneNode> chain[4] = {joint, nullptr, nullptr, nullptr};
    for (int i = 1; i < 4; ++i) {
        chain[i] = Named(i < 3 ? (i == 1 ? "Joint1" : "Joint2") : "Tip", *chain[i - 1]);
        chain[i]->LocalTransform().SetTranslation({50, 0, 0});
    }
    for (int i = 3; i >= 0; --i)
        (void)ik->AddChainNode(chain[i].Get());
    Ptr<SceneNode> goal = Named("Goal", *root);
    goal->LocalTransform().SetTranslation({70, 70, 0});
    (void)goal->SetController(ik.Get());

    // Clock hands and the director.
    Ptr<SceneNode> hour = Named("HourHand", *root);
    (void)hour->SetController(Ptr<Controller>(new ClockHourController()).Get());
    Ptr<SceneNode> minute = Named("MinuteHand", *root);
    (void)minute->SetController(Ptr<Controller>(new ClockMinuteController()).Get());
    Ptr<ScreensaverController> director(new ScreensaverController());
    director->SetName(String("Director"));
    (void)director->AddSet(eye.Get(), 1.0, 12);
    (void)director->AddSet(side.Get(), 0.5, 6);
    (void)root->SetController(director.Get());
    return root;
}

}  // namespace zen::test
