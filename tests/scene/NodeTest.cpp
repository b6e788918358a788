#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/core/Ptr.h"
#include "engine/render/Renderer.h"
#include "engine/scene/Camera.h"
#include "engine/scene/SceneNode.h"
#include "engine/scene/SphereBoundingVolume.h"
#include "support/LogCapture.h"
#include "support/RecordingFixture.h"
#include "support/SceneBuilder.h"
#include "support/TestClasses.h"

namespace zen {
namespace {

// A leaf that records its draws and the plane mask it was drawn with.
class RecordingNode : public Node {
public:
    RecordingNode(const char* name, std::vector<std::string>* journal) : m_journal(journal) { SetName(String(name)); }
    void Draw(Renderer*) override
    {
        m_journal->push_back(m_name.Std());
        drawnMask = camera ? camera->ActivePlanes() : 0;
    }
    void SetBound(const Vector3& center, float radius)
    {
        static_cast<SphereBoundingVolume*>(WorldBound())->Set(center, radius);
        SetUpdateWorldBound(false);
    }
    Camera* camera = nullptr;
    uint32_t drawnMask = 0;

private:
    std::vector<std::string>* m_journal;
};

// A group that culls its children against an explicit camera, as the renderer's camera would.
class CullingGroup : public RecordingNode {
public:
    using RecordingNode::RecordingNode;
    void Draw(Renderer* renderer) override
    {
        RecordingNode::Draw(renderer);
        for (RecordingNode* child : children)
            child->DrawCulled(renderer, camera);
    }
    std::vector<RecordingNode*> children;
};

// A controller that moves its owner node's local translation when updated.
class MovingController : public test::TestController {
public:
    MovingController(const char* name, std::string* journal, float x) : TestController(String(name), journal), m_x(x) {}
    void Update(double elapsed) override
    {
        TestController::Update(elapsed);
        static_cast<Node*>(Owner())->LocalTransform().SetTranslation({m_x, 0, 0});
    }

private:
    float m_x;
};

Ptr<SceneNode> MakeGroup(const char* name)
{
    Ptr<SceneNode> node = new SceneNode();
    node->SetName(String(name));
    return node;
}

TEST(NodeUpdate, ControllersRunNewestFirstBeforeTheWorldTransform)
{
    std::string journal;
    Ptr<SceneNode> root = MakeGroup("Root");
    test::Place(*root, {0, 10, 0});
    Ptr<SceneNode> child = MakeGroup("Child");
    ASSERT_EQ(root->AttachChild(child.Get()), kSuccess);
    ASSERT_EQ(child->SetController(new MovingController("A", &journal, 1)), kSuccess);
    ASSERT_EQ(child->SetController(new MovingController("B", &journal, 2)), kSuccess);
    root->UpdateState(0.5, true);
    EXPECT_EQ(journal, "B(0.5)A(0.5)");
    // A ran last, and its translation is in this frame's world transform, under the parent's.
    EXPECT_EQ(child->WorldTransform().translation, (Vector3{1, 10, 0}));
}

TEST(NodeUpdate, AWorldTransformDrivenElsewhereIsLeftAlone)
{
    Ptr<SceneNode> root = MakeGroup("Root");
    Ptr<SceneNode> child = MakeGroup("Child");
    root->AttachChild(child.Get());
    test::Place(*child, {1, 2, 3});
    child->SetUpdateWorldTransform(false);
    Transform driven;
    driven.SetTranslation({7, 7, 7});
    child->SetWorldTransform(driven);
    root->UpdateState(0, true);
    EXPECT_EQ(child->WorldTransform().translation, (Vector3{7, 7, 7}));
}

TEST(NodeUpdate, OnlyTheInitiatorPushesBoundsUpToTheRoot)
{
    Ptr<SceneNode> root = MakeGroup("Root");
    Ptr<SceneNode> middle = MakeGroup("Middle");
    Ptr<Triangles> quad = test::MakeQuad("Quad", 1);
    root->AttachChild(middle.Get());
    middle->AttachChild(quad.Get());
    root->UpdateState(0, true);
    EXPECT_FLOAT_EQ(static_cast<SphereBoundingVolume*>(root->WorldBound())->Radius(), std::sqrt(2.0f));

    test::Place(*quad, {100, 0, 0});
    quad->UpdateState(0, false);  // Not the initiator: the ancestors keep their old bounds.
    EXPECT_EQ(quad->WorldBound()->GetCenter(), (Vector3{100, 0, 0}));
    EXPECT_EQ(root->WorldBound()->GetCenter(), (Vector3{0, 0, 0}));
    quad->UpdateState(0, true);  // Initiator: middle, then root, follow.
    EXPECT_EQ(middle->WorldBound()->GetCenter(), (Vector3{100, 0, 0}));
    EXPECT_EQ(root->WorldBound()->GetCenter(), (Vector3{100, 0, 0}));
}

TEST(SceneNodeBound, EmptySlotsAreSkippedAndAChildlessNodeKeepsItsBound)
{
    Ptr<SceneNode> root = MakeGroup("Root");
    Ptr<Triangles> left = test::MakeQuad("Left", 1);
    Ptr<Triangles> right = test::MakeQuad("Right", 1);
    test::Place(*left, {-10, 0, 0});
    test::Place(*right, {10, 0, 0});
    ASSERT_EQ(root->SetChild(0, nullptr), kSuccess);  // Slot 0 stays empty.
    root->AttachChild(left.Get());                     // Fills the empty slot 0.
    EXPECT_EQ(root->GetChild(0), left.Get());
    root->SetChild(1, nullptr);
    root->SetChild(2, right.Get());
    root->UpdateState(0, true);
    EXPECT_EQ(root->WorldBound()->GetCenter(), (Vector3{0, 0, 0}));
    EXPECT_NEAR(static_cast<SphereBoundingVolume*>(root->WorldBound())->Radius(), 10 + std::sqrt(2.0f), 1e-4f);

    // Emptying every slot leaves the last bound in place.
    root->DetachChild(left.Get());
    root->DetachChild(right.Get());
    EXPECT_EQ(left->Parent(), nullptr);
    root->UpdateState(0, true);
    EXPECT_NEAR(static_cast<SphereBoundingVolume*>(root->WorldBound())->Radius(), 10 + std::sqrt(2.0f), 1e-4f);
    Ptr<SceneNode> lonely = MakeGroup("Lonely");
    static_cast<SphereBoundingVolume*>(lonely->WorldBound())->Set({1, 2, 3}, 4);
    lonely->UpdateState(0, true);
    EXPECT_EQ(lonely->WorldBound()->GetCenter(), (Vector3{1, 2, 3}));
}

TEST(SceneNodeChildren, CyclesAreRefusedSoWalksEnd)
{
    Ptr<SceneNode> a = MakeGroup("A");
    Ptr<SceneNode> b = MakeGroup("B");
    Ptr<SceneNode> c = MakeGroup("C");
    ASSERT_EQ(a->AttachChild(b.Get()), kSuccess);
    ASSERT_EQ(b->AttachChild(c.Get()), kSuccess);
    test::LogCapture log;
    EXPECT_EQ(a->AttachChild(a.Get()), kInvalidArgument);
    EXPECT_EQ(c->AttachChild(a.Get()), kInvalidArgument);
    EXPECT_EQ(c->SetParent(a.Get()), kSuccess);  // An ancestor as parent is fine...
    EXPECT_EQ(a->SetParent(c.Get()), kInvalidArgument);  // ...a descendant is not.
    EXPECT_TRUE(log.ContainsText("Узел не может стать потомком самого себя. Имя[C]"));
    EXPECT_EQ(c->ChildCount(), 0u);
    // Sharing without a loop is allowed (the child's parent is its latest holder).
    Ptr<SceneNode> d = MakeGroup("D");
    EXPECT_EQ(a->AttachChild(c.Get()), kSuccess);
    EXPECT_EQ(c->Parent(), a.Get());
    EXPECT_EQ(d->AttachChild(b.Get()), kSuccess);
}

TEST(SceneNodeChildren, ReleaseOfTheParentClearsTheChildrensLinks)
{
    Ptr<SceneNode> root = MakeGroup("Root");
    Ptr<SceneNode> kids[4] = {MakeGroup("0"), MakeGroup("1"), MakeGroup("2"), MakeGroup("3")};
    for (auto& kid : kids)
        ASSERT_EQ(root->AttachChild(kid.Get()), kSuccess);
    EXPECT_EQ(kids[2]->Parent(), root.Get());
    EXPECT_EQ(root->SetChild(9, kids[0].Get()), kInvalidArgument);  // Past the end.
    root = nullptr;  // The children survive through `kids`; their parent links are cleared.
    for (auto& kid : kids)
        EXPECT_EQ(kid->Parent(), nullptr);
}

TEST(SceneNodeSearch, FindsThroughChildrenAndBuffers)
{
    test::SampleScene scene = test::BuildSampleScene();
    EXPECT_EQ(scene.root->FindByName(String("Sun")), scene.sun);
    EXPECT_EQ(scene.root->FindByName(String("QuadVertices")), scene.quad->Vertices());
    EXPECT_EQ(scene.root->FindByName(String("Nobody")), nullptr);
    Array<Object*> cameras(1, 4);
    scene.root->CollectByType(&Camera::TYPE, cameras);
    ASSERT_EQ(cameras.Count(), 2u);
    EXPECT_EQ(cameras[0], scene.camera);
    EXPECT_EQ(cameras[1], scene.eye);
}

TEST(SceneNodeEffects, OnlySceneNodeEffectsAreAccepted)
{
    Ptr<SceneNode> root = MakeGroup("Root");
    Ptr<test::Thing> thing = new test::Thing();
    EXPECT_EQ(root->AddEffect(nullptr), kInvalidArgument);
    EXPECT_EQ(root->AddEffect(thing.Get()), kInvalidArgument);
    EXPECT_EQ(root->EffectCount(), 0u);
}

class Culling : public ::testing::Test {
protected:
    Culling()
    {
        // At the origin looking along +z, 90 degrees, square: planes x = +-z, y = +-z, z = 1, z = 100.
        camera->SetFrustum(3.14159265f / 2, 1, 100);
        camera->UpdateState(0, true);
        camera->UpdateMatrices(1.0f);
        group.camera = camera.Get();
        for (RecordingNode* leaf : {&inside, &outside, &straddling}) {
            leaf->camera = camera.Get();
            group.children.push_back(leaf);
        }
        inside.SetBound({0, 0, 50}, 1);
        outside.SetBound({0, 0, 108}, 1);  // Inside the group's bound, past the far plane.
        straddling.SetBound({0, 0, 100}, 5);  // Across the far plane.
    }

    Ptr<Camera> camera = new Camera();
    std::vector<std::string> journal;
    CullingGroup group{"Group", &journal};
    RecordingNode inside{"Inside", &journal};
    RecordingNode outside{"Outside", &journal};
    RecordingNode straddling{"Straddling", &journal};
};

TEST_F(Culling, PlanesPointInward)
{
    const Vector3 deep{0, 0, 50};
    for (uint32_t i = 0; i < Camera::kPlaneCount; ++i)
        EXPECT_GT(camera->GetPlane(i).DistanceTo(deep), 0) << "plane " << i;
    EXPECT_NEAR(camera->GetPlane(Camera::kNear).distance, 1, 1e-4f);
    EXPECT_NEAR(camera->GetPlane(Camera::kNear).normal.z, 1, 1e-5f);
    EXPECT_NEAR(camera->GetPlane(Camera::kFar).DistanceTo({0, 0, 100}), 0, 1e-2f);
    EXPECT_NEAR(camera->GetPlane(Camera::kLeft).DistanceTo({-10, 0, 10}), 0, 1e-4f);
}

TEST_F(Culling, SubtreesSkipThePlanesTheirParentIsWhollyInside)
{
    group.SetBound({0, 0, 80}, 30);  // Inside every plane but the far one (80 + 30 > 100).
    group.DrawCulled(nullptr, camera.Get());
    EXPECT_EQ(journal, (std::vector<std::string>{"Group", "Inside", "Straddling"}));
    EXPECT_EQ(group.drawnMask, Node::PlaneBit(Camera::kFar));
    EXPECT_EQ(inside.drawnMask, 0u);  // Wholly inside the far plane too.
    EXPECT_EQ(straddling.drawnMask, Node::PlaneBit(Camera::kFar));
    EXPECT_EQ(camera->ActivePlanes(), Camera::kAllPlanes);  // Restored afterwards.
}

TEST_F(Culling, TouchingAPlaneFromOutsideCulls)
{
    inside.SetBound({0, 0, 0}, 1);  // Centre 1 behind the near plane z = 1: s = -radius.
    inside.DrawCulled(nullptr, camera.Get());
    EXPECT_TRUE(journal.empty());
    inside.SetBound({0, 0, 2}, 1);  // s = +radius: drawn, near plane dropped.
    inside.DrawCulled(nullptr, camera.Get());
    ASSERT_EQ(journal.size(), 1u);
    EXPECT_EQ(inside.drawnMask & Node::PlaneBit(Camera::kNear), 0u);
    // Planes already cleared are not tested again, even by a bound that lies outside them.
    camera->SetActivePlanes(Node::PlaneBit(Camera::kFar));
    inside.SetBound({0, 0, -5}, 1);
    inside.DrawCulled(nullptr, camera.Get());
    EXPECT_EQ(journal.size(), 2u);
}

TEST_F(Culling, WithoutACameraEverythingIsDrawn)
{
    outside.DrawCulled(nullptr, nullptr);
    outside.DrawIfVisible(nullptr);
    EXPECT_EQ(journal, (std::vector<std::string>{"Outside", "Outside"}));
}

// The real path: the renderer's current camera, scene nodes passing the mask down.
using CullingThroughTheRenderer = test::RecordingFixture;

TEST_F(CullingThroughTheRenderer, SceneNodesCullTheirChildrenWithTheRendererCamera)
{
    renderer->SetViewport(0, 0, 200, 100);
    camera = new Camera();
    camera->SetFrustum(1.0f, 1, 100);
    camera->UpdateState(0, true);  // The aspect comes from the viewport.
    EXPECT_FLOAT_EQ(camera->Aspect(), 2.0f);
    EXPECT_FLOAT_EQ(camera->Projection().m[0][0], camera->Projection().m[1][1] / 2);
    renderer->SetCamera(camera.Get());
    EXPECT_EQ(camera->ActivePlanes(), Camera::kAllPlanes);

    std::vector<std::string> journal;
    root = MakeGroup("Root");
    Ptr<SceneNode> near = MakeGroup("Near");
    Ptr<SceneNode> behind = MakeGroup("Behind");
    RecordingNode* seen = new RecordingNode("Seen", &journal);
    RecordingNode* hidden = new RecordingNode("Hidden", &journal);
    RecordingNode* aside = new RecordingNode("Aside", &journal);
    seen->camera = camera.Get();
    root->AttachChild(near.Get());
    root->AttachChild(behind.Get());
    near->AttachChild(seen);
    near->AttachChild(aside);
    behind->AttachChild(hidden);
    test::Place(*near, {0, 0, 20});
    test::Place(*behind, {0, 0, -20});
    seen->SetBound({0, 0, 20}, 1);
    aside->SetBound({100, 0, 20}, 1);
    hidden->SetBound({0, 0, -20}, 1);
    root->UpdateState(0, true);
    root->DrawIfVisible(renderer);
    EXPECT_EQ(journal, (std::vector<std::string>{"Seen"}));
    // "Near" straddles the side planes (it encloses "Aside"); "Seen" lies inside every plane.
    EXPECT_EQ(seen->drawnMask, 0u);
    EXPECT_EQ(camera->ActivePlanes(), Camera::kAllPlanes);
}

}  // namespace
}  // namespace zen
