#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "engine/anim/CameraActivateAnimationController.h"
#include "engine/anim/IKController.h"
#include "engine/anim/RenderCubeTextureController.h"
#include "engine/anim/RenderScreenspaceReflectTextureController.h"
#include "engine/anim/RenderShadowmapEffectController.h"
#include "engine/anim/ScreensaverController.h"
#include "engine/anim/SkinController.h"
#include "engine/anim/TargetCameraController.h"
#include "engine/anim/TargetLightController.h"
#include "engine/particles/NodeParticleSystem.h"
#include "engine/scene/Camera.h"
#include "engine/scene/CubeTexture.h"
#include "engine/scene/CustomGlowPostRenderEffect.h"
#include "engine/scene/LensFlares.h"
#include "engine/scene/Light.h"
#include "engine/scene/NormalmapTexture1DLEffect.h"
#include "engine/scene/ReflectiveCubeTextureEffect.h"
#include "engine/scene/SceneNode.h"
#include "engine/scene/ShadowmapEffect.h"
#include "engine/scene/Texture.h"
#include "engine/scene/TextureEffect.h"
#include "engine/scene/Triangles.h"
#include "support/EngineScope.h"
#include "support/LogCapture.h"
#include "support/RecordBytes.h"

// Links that point up or across a scene (targets, bones, chains, lights, centres, planes, the
// director's cameras) close rings with the tree that holds them. None of them may keep the
// scene alive: built in code or loaded from our own save, everything goes with the root's last
// reference; and a link whose target was freed first reads empty.
namespace zen {
namespace {

template <class T>
T* Named(Object& root, const char* name)
{
    Object* found = root.FindByName(String(name));
    return found && found->IsDerivedFrom(&T::TYPE) ? static_cast<T*>(found) : nullptr;
}

template <class T>
T* AttachedTo(Object* owner)
{
    for (uint32_t i = 0; owner && i < owner->ControllerCount(); ++i)
        if (owner->GetController(i)->IsDerivedFrom(&T::TYPE))
            return static_cast<T*>(owner->GetController(i));
    return nullptr;
}

template <class T>
T* Child(SceneNode& parent, const char* name)
{
    T* node = new T;
    node->SetName(String(name));
    EXPECT_EQ(parent.AttachChild(node), kSuccess);
    return node;
}

template <class T>
T* Attach(Object& owner)
{
    T* controller = new T;
    EXPECT_EQ(owner.SetController(controller), kSuccess);
    return controller;
}

Ptr<SceneNode> Root()
{
    Ptr<SceneNode> root(new SceneNode);
    root->SetName(String("root"));
    return root;
}

struct Ring {
    const char* what;
    std::function<void(SceneNode&)> build;
    std::function<bool(SceneNode&)> linked;  // The links lead where they were set, in this graph.
};

const std::vector<Ring>& Rings()
{
    static const std::vector<Ring> rings = {
        {"a camera looking at the root",
         [](SceneNode& root) { Attach<TargetCameraController>(*Child<Camera>(root, "eye"))->SetTarget(&root); },
         [](SceneNode& root) {
             auto* look = AttachedTo<TargetCameraController>(Named<Camera>(root, "eye"));
             return look && look->Target() == &root;
         }},
        {"a lamp aimed at the root",
         [](SceneNode& root) { Attach<TargetLightController>(*Child<Light>(root, "lamp"))->SetTarget(&root); },
         [](SceneNode& root) {
             auto* aim = AttachedTo<TargetLightController>(Named<Light>(root, "lamp"));
             return aim && aim->Target() == &root;
         }},
        {"an arm reaching with its own joints",
         [](SceneNode& root) {
             SceneNode* arm = Child<SceneNode>(root, "arm");
             SceneNode* hand = Child<SceneNode>(*arm, "hand");
             auto* ik = Attach<IKController>(*hand);
             (void)ik->AddChainNode(hand);
             (void)ik->AddChainNode(arm);
             (void)ik->AddChainNode(&root);
         },
         [](SceneNode& root) {
             SceneNode* hand = Named<SceneNode>(root, "hand");
             auto* ik = AttachedTo<IKController>(hand);
             return ik && ik->ChainLength() == 3 && ik->GetChainNode(0) == hand &&
                    ik->GetChainNode(1) == Named<SceneNode>(root, "arm") && ik->GetChainNode(2) == &root;
         }},
        {"a skin whose bones hold it",
         [](SceneNode& root) {
             SceneNode* bone = Child<SceneNode>(root, "bone");
             auto* skin = Attach<SkinController>(*Child<Triangles>(*bone, "mesh"));
             (void)skin->AddBone(&root, Transform());
             (void)skin->AddBone(bone, Transform());
         },
         [](SceneNode& root) {
             auto* skin = AttachedTo<SkinController>(Named<Triangles>(root, "mesh"));
             return skin && skin->BoneCount() == 2 && skin->GetBone(0) == &root &&
                    skin->GetBone(1) == Named<SceneNode>(root, "bone");
         }},
        {"an environment cube centred on the node that shows it",
         [](SceneNode& root) {
             Triangles* ball = Child<Triangles>(root, "ball");
             Ptr<ReflectiveCubeTextureEffect> effect(new ReflectiveCubeTextureEffect);
             Ptr<CubeTexture> cube(new CubeTexture);
             effect->SetCubeMap(cube.Get());
             EXPECT_EQ(ball->SetEffect(effect.Get()), kSuccess);
             auto* render = Attach<RenderCubeTextureController>(*cube);
             render->SetCentre(ball);
             (void)render->Nodes().Add(Child<Triangles>(root, "sky"));
         },
         [](SceneNode& root) {
             Triangles* ball = Named<Triangles>(root, "ball");
             auto* effect = ball ? static_cast<ReflectiveCubeTextureEffect*>(ball->GetEffect()) : nullptr;
             auto* render = effect ? AttachedTo<RenderCubeTextureController>(effect->GetCubeMap()) : nullptr;
             return render && render->Centre() == ball && render->Nodes().Get(0) == Named<Triangles>(root, "sky");
         }},
        {"a mirror whose plane is the water drawing it",
         [](SceneNode& root) {
             Triangles* water = Child<Triangles>(root, "water");
             Ptr<TextureEffect> effect(new TextureEffect);
             Ptr<Texture> mirror(new Texture);
             effect->SetTexture(mirror.Get());
             EXPECT_EQ(water->SetEffect(effect.Get()), kSuccess);
             auto* render = Attach<RenderScreenspaceReflectTextureController>(*mirror);
             render->SetPlaneNode(water);
             (void)render->Nodes().Add(Child<Triangles>(root, "shore"));
         },
         [](SceneNode& root) {
             Triangles* water = Named<Triangles>(root, "water");
             auto* effect = water ? static_cast<TextureEffect*>(water->GetEffect()) : nullptr;
             auto* render = effect ? AttachedTo<RenderScreenspaceReflectTextureController>(effect->GetTexture()) : nullptr;
             return render && render->PlaneNode() == water && render->Nodes().Get(0) == Named<Triangles>(root, "shore");
         }},
        {"a lit ground and its sun, aimed back at the root",
         [](SceneNode& root) {
             Light* sun = Child<Light>(root, "sun");
             Attach<TargetLightController>(*sun)->SetTarget(&root);
             Ptr<NormalmapTexture1DLEffect> lit(new NormalmapTexture1DLEffect);
             lit->SetLight(sun);
             EXPECT_EQ(Child<Triangles>(root, "ground")->SetEffect(lit.Get()), kSuccess);
         },
         [](SceneNode& root) {
             Triangles* ground = Named<Triangles>(root, "ground");
             auto* lit = ground ? static_cast<NormalmapTexture1DLEffect*>(ground->GetEffect()) : nullptr;
             return lit && lit->GetLight() == Named<Light>(root, "sun");
         }},
        {"a shadow on the root cast by its own light",
         [](SceneNode& root) {
             Ptr<ShadowmapEffect> shadow(new ShadowmapEffect);
             shadow->SetLight(Child<Light>(root, "sun"));
             EXPECT_EQ(root.AddEffect(shadow.Get()), kSuccess);
         },
         [](SceneNode& root) {
             auto* shadow = static_cast<ShadowmapEffect*>(root.GetEffect(0));
             return shadow && shadow->GetLight() == Named<Light>(root, "sun");
         }},
        {"a director carried by the camera it shows, switching itself",
         [](SceneNode& root) {
             Camera* eye = Child<Camera>(root, "eye");
             EXPECT_EQ(Attach<ScreensaverController>(*eye)->AddSet(eye, 1.0, 5.0), kSuccess);
             auto* flight = Attach<CameraActivateAnimationController>(*eye);
             flight->SetCameraAnimation(flight);
             EXPECT_EQ(flight->AddController(flight), kSuccess);
         },
         [](SceneNode& root) {
             Camera* eye = Named<Camera>(root, "eye");
             auto* director = AttachedTo<ScreensaverController>(eye);
             auto* flight = AttachedTo<CameraActivateAnimationController>(eye);
             return director && flight && director->SetCount() == 1 && director->GetSet(0)->camera.Get() == eye &&
                    flight->CameraAnimation() == flight && flight->GetControlled(0) == flight;
         }},
        {"lens ghosts cast from the root and aimed by a camera",
         [](SceneNode& root) {
             auto* ghosts = Child<LensFlares>(root, "ghosts");
             ghosts->SetSource(&root);
             ghosts->SetAimNode(Child<Camera>(root, "eye"));
         },
         [](SceneNode& root) {
             auto* ghosts = Named<LensFlares>(root, "ghosts");
             return ghosts && ghosts->Source() == &root && ghosts->AimNode() == Named<Camera>(root, "eye");
         }},
    };
    return rings;
}

// Built in code, then loaded from our own save of it: the links lead where they were set and
// everything goes with the root.
TEST(SceneLinks, ARingClosedByALinkGoesWithTheRoot)
{
    test::EngineScope engine;
    for (const Ring& ring : Rings()) {
        SCOPED_TRACE(ring.what);
        const uint32_t before = Object::LiveCount();
        test::Bytes saved;
        {
            Ptr<SceneNode> root = Root();
            ring.build(*root);
            EXPECT_TRUE(ring.linked(*root));
            saved = test::SavedRecord(root.Get());
        }
        ASSERT_FALSE(saved.empty());
        ASSERT_EQ(Object::LiveCount(), before);
        {
            test::ByteStream stream(saved);
            Ptr<SceneNode> root;
            ASSERT_EQ(stream.ReadObject(root), kSuccess);
            EXPECT_TRUE(ring.linked(*root));
        }
        EXPECT_EQ(Object::LiveCount(), before);
    }
}

// Parts a node owns that a file can make reach back to the node's own ancestors: a particle
// system's model (drawn per particle) and the node lists of glows and shadow casters (the
// nodes they draw apart). Such a ring is refused with a line saying so and everything the
// load made is freed.
TEST(SceneLinks, AnOwningRingInAFileIsRefused)
{
    struct Case {
        const char* what;
        // Closes the ring under `root`; returns what opens it again, once the graph is saved.
        std::function<std::function<void()>(SceneNode& root)> close;
        const char* logged;
    };
    const Case cases[] = {
        {"a particle system whose model is its parent",
         [](SceneNode& root) {
             Ptr<NodeParticleSystem> sparks(new NodeParticleSystem);
             EXPECT_EQ(sparks->SetModel(&root), kSuccess);  // Not yet below the root.
             EXPECT_EQ(root.AttachChild(sparks.Get()), kSuccess);
             return std::function<void()>([sparks] { (void)sparks->SetModel(nullptr); });
         },
         "ERROR. Модель системы частиц содержит саму систему."},
        {"a glow listing the node that carries it",
         [](SceneNode& root) {
             Ptr<CustomGlowPostRenderEffect> glow(new CustomGlowPostRenderEffect);
             (void)glow->GlowNodes().Add(&root);
             EXPECT_EQ(root.AddEffect(glow.Get()), kSuccess);
             return std::function<void()>([glow] { glow->GlowNodes().Clear(); });
         },
         "ERROR. Объекты потока удерживают друг друга по кругу."},
        {"shadow casters listing the node that carries the shadow",
         [](SceneNode& root) {
             Ptr<ShadowmapEffect> shadow(new ShadowmapEffect);
             EXPECT_EQ(root.AddEffect(shadow.Get()), kSuccess);
             Ptr<RenderShadowmapEffectController> casters(new RenderShadowmapEffectController);
             EXPECT_EQ(shadow->SetController(casters.Get()), kSuccess);
             (void)casters->Casters().Add(&root);
             return std::function<void()>([casters] { casters->Casters().Clear(); });
         },
         "ERROR. Объекты потока удерживают друг друга по кругу."},
    };
    test::EngineScope engine;
    for (const Case& item : cases) {
        SCOPED_TRACE(item.what);
        const uint32_t before = Object::LiveCount();
        test::Bytes saved;
        {
            Ptr<SceneNode> root = Root();
            const std::function<void()> open = item.close(*root);
            saved = test::SavedRecord(root.Get());
            open();
        }
        ASSERT_FALSE(saved.empty());
        ASSERT_EQ(Object::LiveCount(), before);
        test::LogCapture log;
        test::ByteStream stream(saved);
        Ptr<SceneNode> root;
        EXPECT_EQ(stream.ReadObject(root), kFailure);
        EXPECT_TRUE(log.ContainsText(item.logged)) << log.Joined();
        EXPECT_EQ(Object::LiveCount(), before);
    }
}

// The target of each kind of link, freed while the link's holder lives on: the link reads
// empty and running the holder reaches nothing freed.
TEST(SceneLinks, ALinkToAFreedNodeReadsEmpty)
{
    struct Case {
        const char* what;
        // Builds the holder under `root` with links to `gone` (a child of the root); returns a
        // step that runs the holder and tells whether its links read empty.
        std::function<std::function<bool()>(SceneNode& root, Node* gone)> build;
        const char* logged;  // Once, when the holder next runs; null for nothing.
    };
    const Case cases[] = {
        {"a camera's target",
         [](SceneNode& root, Node* gone) {
             auto* look = Attach<TargetCameraController>(*Child<Camera>(root, "eye"));
             look->SetTarget(gone);
             return std::function<bool()>([look] {
                 look->Update(0.1);
                 return look->Target() == nullptr;
             });
         },
         "WARNING. Цель контроллера удалена. Имя[] ID["},
        {"an IK joint",
         [](SceneNode& root, Node* gone) {
             auto* ik = Attach<IKController>(*Child<SceneNode>(root, "target"));
             (void)ik->AddChainNode(Child<SceneNode>(root, "effector"));
             (void)ik->AddChainNode(gone);
             return std::function<bool()>([ik] {
                 ik->PostUpdate();
                 return ik->GetChainNode(1) == nullptr && ik->GetChainNode(0) != nullptr;
             });
         },
         nullptr},
        {"a skin's bone",
         [](SceneNode& root, Node* gone) {
             auto* skin = Attach<SkinController>(*Child<Triangles>(root, "mesh"));
             (void)skin->AddBone(gone, Transform());
             return std::function<bool()>([skin] {
                 skin->Update(0.1);
                 return skin->GetBone(0) == nullptr;
             });
         },
         nullptr},
        {"a director's camera",
         [](SceneNode& root, Node* gone) {
             auto* director = Attach<ScreensaverController>(root);
             EXPECT_EQ(director->AddSet(static_cast<Camera*>(gone), 0.0, 1.0), kSuccess);
             return std::function<bool()>([director] {
                 director->ChooseNextSet();
                 director->Update(2.0);
                 return director->GetSet(0)->camera.Get() == nullptr;
             });
         },
         nullptr},
    };
    for (const Case& item : cases) {
        SCOPED_TRACE(item.what);
        const uint32_t before = Object::LiveCount();
        {
            Ptr<SceneNode> root = Root();
            Camera* gone = Child<Camera>(*root, "gone");
            const std::function<bool()> run = item.build(*root, gone);
            ASSERT_EQ(root->DetachChild(gone), kSuccess);  // Its last reference: freed.
            test::LogCapture log;
            EXPECT_TRUE(run());
            EXPECT_TRUE(run());
            int said = 0;
            for (const std::string& line : log.Lines())
                said += item.logged && line.rfind(item.logged, 0) == 0;
            EXPECT_EQ(said, item.logged ? 1 : 0) << log.Joined();
        }
        EXPECT_EQ(Object::LiveCount(), before);
    }
}

}  // namespace
}  // namespace zen
