#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <limits>
#include <numeric>
#include <string>
#include <vector>

#include "anim/AnimTestSupport.h"
#include "engine/anim/IKController.h"
#include "engine/anim/NodeAnimation.h"
#include "engine/anim/NodeAnimationController.h"
#include "engine/anim/SkeletonAnimationController.h"
#include "engine/anim/SkinController.h"
#include "engine/scene/SceneNode.h"
#include "engine/scene/SphereBoundingVolume.h"
#include "engine/scene/Triangles.h"
#include "support/EngineScope.h"
#include "support/LogCapture.h"
#include "support/RecordBytes.h"
#include "support/RecordingFixture.h"
#include "support/SceneBuilder.h"
#include "support/Near.h"

// Skinning on the processor and the palette for the vertex programs, the skeleton controller's
// fan-out to the bones, and the inverse-kinematics step.
namespace zen {
namespace {

using test::Bytes;

using test::ExpectNear;

// A mesh skinned to two bones:
//   bone 0: world translation (1, 0, 0); bind transform identity.
//   bone 1: world rotation 90 degrees about z, translation (0, 2, 0); bind transform
//           translation (-2, 0, 0), so the bind-pose point (2, 0, 0) sits at the bone's root.
// Vertices (bind pose), weights, indices and what skinning makes of them:
//   (1, 0, 0)  on bone 0 alone        -> (2, 0, 0)
//   (3, 0, 0)  on bone 1 (weight 0 on bone 0, which still counts)
//              -> (3 - 2, 0, 0) = (1, 0, 0) turned to (0, 1, 0), plus (0, 2, 0) -> (0, 3, 0)
//   (2, 0, 0)  half on each           -> ((3, 0, 0) + (0, 2, 0)) / 2 = (1.5, 1, 0)
//   (0, 0, 5)  0.25, 0.25, 0.5 on bones 0, 0, 1 -> 0.5 (1, 0, 5) + 0.5 (0, 0, 5) + (0, 2, 0) / 2
//              bone 1: (-2, 0, 5) turned to (0, -2, 5), plus (0, 2, 0) -> (0, 0, 5)
//              -> (0.5, 0, 5)
// Bind normals are all (0, 1, 0): bone 0 keeps it, bone 1 turns it to (-1, 0, 0), half and
// half gives (-1, 1, 0) / sqrt 2.
struct TwoBoneMesh {
    Ptr<SceneNode> root{new SceneNode()};
    Ptr<SceneNode> bone0{new SceneNode()};
    Ptr<SceneNode> bone1{new SceneNode()};
    Ptr<Triangles> mesh{new Triangles()};
    Ptr<SkinController> skin{new SkinController()};

    TwoBoneMesh()
    {
        EXPECT_EQ(root->AttachChild(bone0.Get()), kSuccess);
        EXPECT_EQ(root->AttachChild(bone1.Get()), kSuccess);
        EXPECT_EQ(root->AttachChild(mesh.Get()), kSuccess);
        bone0->LocalTransform().SetTranslation({1, 0, 0});
        bone1->LocalTransform().SetRotation({0, 0, 0.70710678f, 0.70710678f});
        bone1->LocalTransform().SetTranslation({0, 2, 0});
        Transform bind1;
        bind1.SetTranslation({-2, 0, 0});
        EXPECT_EQ(skin->AddBone(bone0.Get(), Transform()), kSuccess);
        EXPECT_EQ(skin->AddBone(bone1.Get(), bind1), kSuccess);
        skin->SetBindVertices(test::MakeVector3Buffer({{1, 0, 0}, {3, 0, 0}, {2, 0, 0}, {0, 0, 5}}).Get());
        skin->SetBindNormals(test::MakeVector3Buffer({{0, 1, 0}, {0, 1, 0}, {0, 1, 0}, {0, 1, 0}}).Get());
        skin->SetWeights(
            test::MakeVector4Buffer({{1, 0, 0, 0}, {0, 1, 0, 0}, {0.5f, 0.5f, 0, 0}, {0.25f, 0.25f, 0.5f, 0}}).Get());
        skin->SetIndices(test::MakeVector4Buffer({{0, 7, 7, 7}, {0, 1, 7, 7}, {0, 1, 7, 7}, {0, 0, 1.9f, 7}}).Get());
        mesh->SetVertices(test::MakeVector3Buffer({{9, 9, 9}, {9, 9, 9}, {9, 9, 9}, {9, 9, 9}}).Get());
        mesh->SetNormals(test::MakeVector3Buffer({{0, 0, 1}, {0, 0, 1}, {0, 0, 1}, {0, 0, 1}}).Get());
        mesh->SetIndices(test::MakeIntBuffer({0, 1, 2, 1, 2, 3}).Get());
        mesh->LocalTransform().SetTranslation({100, 0, 0});
        EXPECT_EQ(mesh->SetController(skin.Get()), kSuccess);
    }
    void Update() { root->UpdateState(0.016, true); }
};

TEST(SkinController, DeformsPositionsAndNormalsOnTheProcessor)
{
    TwoBoneMesh scene;
    scene.Update();
    const Vector3* out = scene.mesh->Vertices()->Data();
    ExpectNear(out[0], {2, 0, 0});
    ExpectNear(out[1], {0, 3, 0});
    ExpectNear(out[2], {1.5f, 1, 0});
    ExpectNear(out[3], {0.5f, 0, 5});
    const Vector3* normals = scene.mesh->Normals()->Data();
    ExpectNear(normals[0], {0, 1, 0});
    ExpectNear(normals[1], {-1, 0, 0});
    ExpectNear(normals[2], {-0.70710678f, 0.70710678f, 0});
    EXPECT_TRUE(scene.mesh->Vertices()->IsDirty());

    // The vertices are in world space: the mesh's own placement is dropped and kept off.
    EXPECT_TRUE(scene.mesh->WorldTransform().isIdentity);
    EXPECT_FALSE(scene.mesh->UpdatesWorldTransform());
    // Bound: the sphere around the bones (1, 0, 0) and (0, 2, 0), half as wide again.
    auto* bound = static_cast<SphereBoundingVolume*>(scene.mesh->WorldBound());
    ExpectNear(bound->GetCenter(), {0.5f, 1, 0});
    EXPECT_NEAR(bound->Radius(), 1.5f * std::sqrt(1.25f), 1e-5f);
    EXPECT_FALSE(scene.mesh->UpdatesWorldBound());

    // The palette: bone 1's matrix takes the bind-pose root (2, 0, 0) to the bone's (0, 2, 0).
    ASSERT_NE(scene.skin->Palette(), nullptr);
    ExpectNear(scene.skin->Palette()[1].TransformPoint({2, 0, 0}), {0, 2, 0});

    // The bones move: the mesh follows in the next update.
    scene.bone0->LocalTransform().SetTranslation({1, 0, -3});
    scene.Update();
    ExpectNear(out[0], {2, 0, -3});
}

// The palette is also written to a (recording) device's vertex program constants.
class SkinPalette : public test::RecordingFixture {};

TEST_F(SkinPalette, InactiveTheSkinOnlyKeepsThePaletteForTheVertexPrograms)
{
    TwoBoneMesh scene;
    scene.skin->SetActive(false);
    scene.Update();
    ExpectNear(scene.mesh->Vertices()->Data()[0], {9, 9, 9});
    ExpectNear(scene.mesh->WorldTransform().translation, {100, 0, 0});
    EXPECT_TRUE(scene.mesh->UpdatesWorldTransform());
    EXPECT_FALSE(scene.mesh->UpdatesWorldBound());
    ExpectNear(scene.skin->Palette()[0].TransformPoint({1, 0, 0}), {2, 0, 0});
    EXPECT_EQ(SkinController::Find(scene.mesh.Get()), scene.skin.Get());
    EXPECT_EQ(SkinController::Find(scene.bone0.Get()), nullptr);

    // The constants the programs read: three columns per bone from c16, then (16, 3, 1, 0).
    float registers[12];
    scene.skin->PaletteRegisters(1, registers);
    // dp4 of the bind-pose root (2, 0, 0, 1) with each register gives the bone's (0, 2, 0).
    const float root[4] = {2, 0, 0, 1};
    const float expected[3] = {0, 2, 0};
    for (int axis = 0; axis < 3; ++axis)
        EXPECT_NEAR(std::inner_product(root, root + 4, registers + axis * 4, 0.0f), expected[axis], 1e-5f);
    renderer->ClearJournal();
    ASSERT_EQ(scene.skin->WritePaletteConstants(*renderer), kSuccess);
    const std::vector<std::string> calls = {"SetVertexShaderConstants 16 3", "SetVertexShaderConstants 19 3",
                                            "SetVertexShaderConstants 208 1"};
    EXPECT_EQ(renderer->Journal(), calls);
}

TEST(SkinController, OneBoneMeansAnEndlessBound)
{
    TwoBoneMesh scene;
    Ptr<SkinController> single(new SkinController());
    ASSERT_EQ(single->AddBone(scene.bone0.Get(), Transform()), kSuccess);
    single->SetBindVertices(test::MakeVector3Buffer({{0, 0, 0}}).Get());
    single->SetWeights(test::MakeVector4Buffer({{1, 0, 0, 0}}).Get());
    single->SetIndices(test::MakeVector4Buffer({{0, 0, 0, 0}}).Get());
    Ptr<Triangles> mesh(new Triangles());
    mesh->SetVertices(test::MakeVector3Buffer({{0, 0, 0}}).Get());
    ASSERT_EQ(mesh->SetController(single.Get()), kSuccess);
    scene.Update();  // Places bone 0 at (1, 0, 0).
    single->Update(0);
    ExpectNear(mesh->Vertices()->Data()[0], {1, 0, 0});
    auto* bound = static_cast<SphereBoundingVolume*>(mesh->WorldBound());
    EXPECT_EQ(bound->Radius(), FLT_MAX);
    ExpectNear(bound->GetCenter(), {0, 0, 0});
}

TEST(SkinController, DoesNothingWithBindingsItCannotReadSafely)
{
    struct Case {
        const char* what;
        Vector4 weights;
        Vector4 indices;
        bool mismatchVertices;
    };
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const Case cases[] = {
        {"index past the bones", {1, 0, 0, 0}, {2, 0, 0, 0}, false},
        {"negative index", {1, 0, 0, 0}, {-1, 0, 0, 0}, false},
        {"weighted second slot past the bones", {0.5f, 0.5f, 0, 0}, {0, 5, 0, 0}, false},
        {"index not a number", {1, 0, 0, 0}, {nan, 0, 0, 0}, false},
        {"weight not a number", {nan, 0, 0, 0}, {0, 0, 0, 0}, false},
        {"infinite weight on an unused slot", {1, 0, 0, std::numeric_limits<float>::infinity()}, {0, 0, 0, 0}, false},
        {"mesh vertex count differs", {1, 0, 0, 0}, {0, 0, 0, 0}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TwoBoneMesh scene;
        scene.skin->Weights()->Data()[2] = c.weights;
        scene.skin->Indices()->Data()[2] = c.indices;
        if (c.mismatchVertices)
            scene.mesh->SetVertices(test::MakeVector3Buffer({{9, 9, 9}}).Get());
        scene.Update();
        ExpectNear(scene.mesh->Vertices()->Data()[0], {9, 9, 9});
        EXPECT_TRUE(scene.mesh->UpdatesWorldTransform());
    }
}

TEST(SkinController, StreamsBonesTransformsAndBuffersAndRefusesBadBindings)
{
    test::EngineScope engine;
    TwoBoneMesh scene;
    scene.skin->SetName(String("skin"));
    // The bones are links: the scene that holds them comes along in its record.
    Ptr<SceneNode> loaded = test::LoadedRecord<SceneNode>(test::SavedRecord(scene.root.Get()));
    ASSERT_TRUE(loaded);
    Array<Object*> skins(1, 1);
    loaded->CollectByType(&SkinController::TYPE, skins);
    ASSERT_EQ(skins.Count(), 1u);
    auto* back = static_cast<SkinController*>(skins[0]);
    ASSERT_EQ(back->BoneCount(), 2u);
    ExpectNear(back->BindTransform(1)->translation, {-2, 0, 0});
    ExpectNear(back->GetBone(1)->LocalTransform().translation, {0, 2, 0});
    ASSERT_TRUE(back->Indices());
    EXPECT_EQ(back->Indices()->GetCount(), 4u);
    EXPECT_EQ(back->BindTangents(), nullptr);

    // The block after the controller's: count 2, the two bone records, two 40-byte transforms.
    Stream out;
    ASSERT_EQ(scene.skin->Save(out), kSuccess);
    Bytes head;
    test::PutControllerBlock(head, "skin");
    test::PutInt(head, 2);
    ASSERT_GT(out.Position(), head.size());
    EXPECT_EQ(Bytes(out.Data(), out.Data() + head.size()), head);

    struct Case {
        const char* what;
        Vector4 indices;
        float weight;
        const char* line;
    };
    const Case cases[] = {
        {"an index past the bones", {3, 0, 0, 0}, 1, "Недопустимый вес или индекс кости. Имя[skin]"},
        {"a weight that is not a number", {0, 0, 0, 0}, std::nanf(""), "Недопустимый вес или индекс кости."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        scene.skin->Indices()->Data()[1] = c.indices;
        scene.skin->Weights()->Data()[1].x = c.weight;
        test::LogCapture log;
        EXPECT_FALSE(test::LoadedRecord<SkinController>(test::SavedRecord(scene.skin.Get())));
        EXPECT_TRUE(log.ContainsText(c.line)) << log.Joined();
        scene.skin->Indices()->Data()[1] = {0, 1, 7, 7};
        scene.skin->Weights()->Data()[1] = {0, 1, 0, 0};
    }

    // A null bone link is refused too.
    Ptr<SkinController> holes(new SkinController());
    holes->SetName(String("holes"));
    ASSERT_EQ(holes->AddBone(scene.bone0.Get(), Transform()), kSuccess);
    Bytes bytes = test::SavedRecord(holes.Get());
    const Bytes bone = test::SavedRecord(scene.bone0.Get());
    // Replace the bone record (right after the count) by a null link.
    // ID, type name, name, controller count, flag, bone count.
    const size_t at = 4 + (4 + std::string("ZEN.SkinController").size()) + (4 + 5) + 4 + 1 + 4;
    ASSERT_EQ(Bytes(bytes.begin() + at, bytes.begin() + at + 4), Bytes(bone.begin(), bone.begin() + 4));
    bytes.erase(bytes.begin() + at, bytes.begin() + at + bone.size());
    Bytes null;
    test::PutInt(null, Stream::kNullID);
    bytes.insert(bytes.begin() + at, null.begin(), null.end());
    test::LogCapture log;
    EXPECT_FALSE(test::LoadedRecord<SkinController>(bytes));
    EXPECT_TRUE(log.ContainsText("Кость скина не задана. Имя[holes]")) << log.Joined();
}

// --- Skeleton -------------------------------------------------------------------------------------

struct Skeleton {
    Ptr<SceneNode> bones[2] = {new SceneNode(), new SceneNode()};
    Ptr<NodeAnimationController> controllers[2] = {new NodeAnimationController(), new NodeAnimationController()};
    Ptr<SkeletonAnimationController> skeleton{new SkeletonAnimationController()};

    // Bone b's "walk" holds (b + 1, 0, 0), its "run" (0, b + 1, 0).
    Skeleton()
    {
        for (int b = 0; b < 2; ++b) {
            const float v = static_cast<float>(b + 1);
            for (const char* name : {"walk", "run"}) {
                const Vector3 at = name[0] == 'w' ? Vector3{v, 0, 0} : Vector3{0, v, 0};
                Ptr<NodeAnimation> animation = test::MakeAnimation<NodeAnimation, NodeKeyframe, Vector3>(
                    name, {{0.0, at}}, [](NodeKeyframe& key, const Vector3& p) { key.translation = p; });
                EXPECT_EQ(controllers[b]->AddAnimation(animation.Get()), kSuccess);
            }
            controllers[b]->SetTrackPeriod(4);
            controllers[b]->SetActive(false);
            EXPECT_EQ(bones[b]->SetController(controllers[b].Get()), kSuccess);
            EXPECT_EQ(skeleton->AddBoneController(controllers[b].Get()), kSuccess);
        }
        skeleton->SetTrackPeriod(4);
    }
};

TEST(SkeletonAnimationController, PlaysANamedAnimationOnEveryBone)
{
    Skeleton s;
    s.skeleton->SetStageAnimationByName(String("run"), 0, 1.0f);
    for (int b = 0; b < 2; ++b)
        EXPECT_EQ(s.controllers[b]->GetStage(0)->animation->Name(), "run");
    s.skeleton->Update(1.0);
    for (int b = 0; b < 2; ++b) {
        ExpectNear(s.bones[b]->LocalTransform().translation, {0, static_cast<float>(b + 1), 0});
        EXPECT_FALSE(s.controllers[b]->IsActive());  // Back to inactive after its turn.
        EXPECT_EQ(s.controllers[b]->TrackPosition(), 0.25);
    }

    // On their own (the scene walk) the inactive bone controllers do nothing.
    s.bones[0]->LocalTransform().SetTranslation({7, 7, 7});
    s.bones[0]->UpdateControllers(1.0);
    ExpectNear(s.bones[0]->LocalTransform().translation, {7, 7, 7});

    s.skeleton->SetStageAnimationByName(String("walk"), 1, 0.5f);
    s.skeleton->SetStageWeight(1, 0.25f);
    s.skeleton->SetStageWeight(5, 0.75f);  // No bone has stage 5: nothing.
    for (int b = 0; b < 2; ++b) {
        EXPECT_EQ(s.controllers[b]->GetStage(1)->weight, 0.25f);
        EXPECT_EQ(s.controllers[b]->StageCount(), 2u);
    }
    s.skeleton->SetTrackPosition(0.75);
    EXPECT_EQ(s.controllers[1]->TrackPosition(), 0.75);
    s.skeleton->Reset();
    EXPECT_EQ(s.skeleton->TrackPosition(), 0.0);
    for (int b = 0; b < 2; ++b) {
        EXPECT_EQ(s.controllers[b]->StageCount(), 0u);
        EXPECT_EQ(s.controllers[b]->TrackPosition(), 0.75);  // Only the stages are emptied.
    }
}

TEST(SkeletonAnimationController, ListingItselfDoesNotRecurse)
{
    test::EngineScope engine;
    Skeleton s;
    ASSERT_EQ(s.skeleton->AddBoneController(s.skeleton.Get()), kSuccess);
    s.skeleton->SetTrackPosition(0.5);
    s.skeleton->Update(1.0);
    s.skeleton->Reset();
    EXPECT_EQ(s.skeleton->TrackPosition(), 0.0);
    s.skeleton->ClearBoneControllers();  // Lets go of itself.
}

// --- Inverse kinematics ---------------------------------------------------------------------------

// A chain of three joints along x, kSegment apart, with the effector kSegment past the last (reach 180),
// and a target node.
constexpr float kSegment = 60;
constexpr float kReach = 3 * kSegment;

struct Arm {
    Ptr<SceneNode> root{new SceneNode()};
    Ptr<SceneNode> joints[3] = {new SceneNode(), new SceneNode(), new SceneNode()};
    Ptr<SceneNode> effector{new SceneNode()};
    Ptr<SceneNode> target{new SceneNode()};
    Ptr<IKController> ik{new IKController()};

    explicit Arm(const Vector3& goal)
    {
        EXPECT_EQ(root->AttachChild(joints[0].Get()), kSuccess);
        EXPECT_EQ(joints[0]->AttachChild(joints[1].Get()), kSuccess);
        EXPECT_EQ(joints[1]->AttachChild(joints[2].Get()), kSuccess);
        EXPECT_EQ(joints[2]->AttachChild(effector.Get()), kSuccess);
        EXPECT_EQ(root->AttachChild(target.Get()), kSuccess);
        joints[1]->LocalTransform().SetTranslation({kSegment, 0, 0});
        joints[2]->LocalTransform().SetTranslation({kSegment, 0, 0});
        effector->LocalTransform().SetTranslation({kSegment, 0, 0});
        target->LocalTransform().SetTranslation(goal);
        EXPECT_EQ(ik->AddChainNode(effector.Get()), kSuccess);
        for (int i = 2; i >= 0; --i)
            EXPECT_EQ(ik->AddChainNode(joints[i].Get()), kSuccess);
        EXPECT_EQ(target->SetController(ik.Get()), kSuccess);
    }
    float Distance() const
    {
        return (target->WorldTransform().translation - effector->WorldTransform().translation).Length();
    }
};

class InverseKinematics : public test::RecordingFixture {
protected:
    // One frame: the update (which registers the controller), then the frame start (which
    // runs the step).
    void Frame(Arm& arm)
    {
        arm.root->UpdateState(0.016, true);
        ASSERT_EQ(renderer->StartFrame(), kSuccess);
    }
};

TEST_F(InverseKinematics, TheEffectorApproachesAReachableTargetEveryFrame)
{
    const Vector3 goals[] = {{90, 90, 0}, {0, 120, 45}, {-75, 30, -60}, {110, -40, 10}};
    for (const Vector3& goal : goals) {
        SCOPED_TRACE(testing::Message() << goal.x << "," << goal.y << "," << goal.z);
        Arm arm(goal);
        arm.root->UpdateState(0, true);
        float previous = arm.Distance();
        for (int frame = 0; frame < 200; ++frame) {
            Frame(arm);
            const float now = arm.Distance();
            ASSERT_LE(now, previous + 1e-3f) << "frame " << frame;
            previous = now;
        }
        arm.root->UpdateState(0, true);
        EXPECT_LT(arm.Distance(), 0.01f * kReach) << arm.Distance();
        // The segments keep their lengths.
        EXPECT_NEAR((arm.effector->WorldTransform().translation - arm.joints[2]->WorldTransform().translation).Length(),
                    kSegment, 1e-2);
    }
}

TEST_F(InverseKinematics, OneStepTurnsEachJointByItsColumnDotTheError)
{
    // A joint at (0, 0, 5) under a root turned a quarter about x, its effector 10 along the
    // joint's x, the target 10 along the world's y from the joint: a = (10, 0, 0),
    // b = (0, 10, 0), e = (-10, 10, 0), axis z, column (0, 10, 0), angle 100 * 0.00001 = 0.001
    // about the world's z. The local rotation is that turn seen from the turned root.
    Ptr<SceneNode> root(new SceneNode()), joint(new SceneNode()), tip(new SceneNode()), goal(new SceneNode());
    Ptr<SceneNode> world(new SceneNode());
    ASSERT_EQ(world->AttachChild(root.Get()), kSuccess);
    ASSERT_EQ(root->AttachChild(joint.Get()), kSuccess);
    ASSERT_EQ(joint->AttachChild(tip.Get()), kSuccess);
    ASSERT_EQ(world->AttachChild(goal.Get()), kSuccess);
    const Quaternion quarterX{0.70710678f, 0, 0, 0.70710678f};  // Takes y to z and z to -y.
    root->LocalTransform().SetRotation(quarterX);
    joint->LocalTransform().SetTranslation({0, 5, 0});  // (0, 0, 5) in the world.
    joint->LocalTransform().SetRotation({-0.70710678f, 0, 0, 0.70710678f});  // Unturned in the world.
    tip->LocalTransform().SetTranslation({10, 0, 0});
    goal->LocalTransform().SetTranslation({0, 10, 5});
    Ptr<IKController> ik(new IKController());
    ASSERT_EQ(ik->AddChainNode(tip.Get()), kSuccess);
    ASSERT_EQ(ik->AddChainNode(joint.Get()), kSuccess);
    ASSERT_EQ(goal->SetController(ik.Get()), kSuccess);
    world->UpdateState(0.016, true);
    ASSERT_EQ(renderer->StartFrame(), kSuccess);
    // Local = inverse(quarterX) * turn(z, 0.001) = (-r, 0, 0, r) * (0, 0, sin h, cos h) with
    // h = 0.0005 and r = 0.70710678: (-r cos h, r sin h, r sin h, r cos h).
    const float h = 0.0005f, r = 0.70710678f;
    const Quaternion expected{-r * std::cos(h), r * std::sin(h), r * std::sin(h), r * std::cos(h)};
    const Quaternion got = joint->LocalTransform().rotation;
    EXPECT_NEAR(got.x, expected.x, 1e-6f);
    EXPECT_NEAR(got.y, expected.y, 1e-7f);
    EXPECT_NEAR(got.z, expected.z, 1e-7f);
    EXPECT_NEAR(got.w, expected.w, 1e-6f);
    world->UpdateState(0, true);
    EXPECT_NEAR(tip->WorldTransform().translation.y, 10 * std::sin(0.001f), 1e-5f);
}

TEST_F(InverseKinematics, AnUnreachableTargetStretchesTheChainTowardsItWithoutNaN)
{
    Arm arm({300, 200, 0});
    for (int frame = 0; frame < 300; ++frame)
        Frame(arm);
    arm.root->UpdateState(0, true);
    const Vector3 tip = arm.effector->WorldTransform().translation;
    ASSERT_TRUE(std::isfinite(tip.x) && std::isfinite(tip.y) && std::isfinite(tip.z));
    // Stretched: the whole reach from the root, pointing at the target.
    EXPECT_NEAR(tip.Length(), kReach, 0.5f);
    const Vector3 towards = Vector3{300, 200, 0}.Normalized();
    EXPECT_GT(tip.Normalized().Dot(towards), 0.999f);
}

TEST_F(InverseKinematics, CloseEnoughInactiveOrEmptyChangesNothing)
{
    Arm near({kReach + 0.005f, 0, 0});
    Frame(near);
    Frame(near);
    EXPECT_TRUE(near.joints[0]->LocalTransform().noRotation);

    Arm idle({0, 100, 0});
    idle.ik->SetActive(false);
    Frame(idle);
    EXPECT_EQ(renderer->PostUpdateCount(), 0u);
    EXPECT_TRUE(idle.joints[0]->LocalTransform().noRotation);

    Ptr<IKController> empty(new IKController());
    Ptr<SceneNode> alone(new SceneNode());
    ASSERT_EQ(alone->SetController(empty.Get()), kSuccess);
    empty->PostUpdate();
}

}  // namespace
}  // namespace zen
