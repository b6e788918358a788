#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "engine/core/Ptr.h"
#include "engine/anim/BoolKeyframe.h"
#include "engine/anim/GenParticlesAnimation.h"
#include "engine/particles/Foliage.h"
#include "engine/particles/GenParticlesAnimationController.h"
#include "engine/particles/IntervalParticleSystemController.h"
#include "engine/particles/NodeParticleSystem.h"
#include "engine/particles/SphereVolumeEmitter.h"
#include "engine/particles/SpriteParticleSystem.h"
#include "engine/particles/TrianglesEmitter.h"
#include "engine/scene/SpriteEffect.h"
#include "engine/scene/Image.h"
#include "engine/scene/Node.h"
#include "engine/scene/SceneNode.h"
#include "engine/scene/Texture.h"
#include "engine/scene/TextureEffect.h"
#include "engine/sound/SoundNode.h"
#include "engine/sound/SoundNode2.h"
#include "engine/text/LearnSystem.h"
#include "anim/AnimTestSupport.h"
#include "sound/SoundTestSupport.h"
#include "support/SceneBuilder.h"
#include "support/SoundFiles.h"
#include "support/TempFolder.h"
#include "support/ToolOutput.h"

// `zen scene dump`, run as a program on a scene written by the codec.
namespace zen {
namespace {

// `object` given the name `name`.
template <class T>
T* Named(T* object, const char* name)
{
    object->SetName(String(name));
    return object;
}

// Dumps a scene of a root "Root" that fill gives its children, and checks that each fragment
// is in the output.
void ExpectDumpShows(const std::function<void(SceneNode&)>& fill, const std::vector<std::string>& fragments)
{
    const test::TempFolder folder;
    const std::string path = folder.Path("scene.STR");
    ASSERT_TRUE(test::SaveSceneFile(path, [&] {
        Ptr<SceneNode> root = Named(new SceneNode(), "Root");
        fill(*root);
        return root;
    }));
    EXPECT_TRUE(test::Said(test::RunZen("scene dump " + path), 0, fragments));
}

TEST(SceneDumpTool, PrintsTheTreeWithSharedObjectsOnce)
{
    const test::TempFolder folder;
    const std::string path = folder.Path("sample.STR");
    ASSERT_TRUE(test::SaveSceneFile(path, [] { return test::BuildSampleScene().root; }));
    EXPECT_TRUE(test::Said(test::RunZen("scene dump " + path), 0, {
             "#1 ZEN.SceneNode \"Root\" translation=(0, 0, 0) slots=6 increment=2\n",
             "  [0] #2 ZEN.SceneNode \"Group\" parent=#1 translation=(0, 0, 10) slots=4 increment=2\n",
             "      vertices: #4 ZEN.Vector3Buffer \"QuadVertices\" count=4\n",
             "      vertices: -> #4\n",  // Twin shares Quad's vertices.
             "      indices: -> #10\n",
             "    [2] (empty)\n",
             "  [3] #24 ZEN.Camera \"Camera\" parent=#1 translation=(0, 0, -5) fov=1 near=0.5 far=500\n",
             " parameters=(2, 4, true)\n",
             " type=spot diffuse=(1, 0.9, 0.8, 1) attenuation=(1, 0.25, 0.125) spot-angle=0.5 falloff=2\n",
         }));
    EXPECT_TRUE(
        test::Said(test::RunZen("scene dump " + folder.Path("absent.STR")), 1, {"is not a readable scene file"}));
    EXPECT_TRUE(test::Said(test::RunZen("scene dump"), 2, {"usage: zen scene dump FILE.STR"}));
}

TEST(SceneDumpTool, ShowsTexturesUnderTheirEffectsAndImagesUnderTheirTextures)
{
    ExpectDumpShows(
        [](SceneNode& root) {
            Ptr<Texture> texture = new Texture(String("GlowTexture"), new Image(String("Glow"), Image::kR8G8B8A8, 8, 4));
            texture->SetMipLevels(3);
            for (const char* name : {"A", "B"}) {
                Ptr<Triangles> mesh = test::MakeQuad(name, 1);
                Ptr<TextureEffect> effect = new TextureEffect();
                effect->SetName(String(std::string("Effect") + name));
                effect->SetTexture(texture.Get());
                EXPECT_EQ(mesh->SetEffect(effect.Get()), kSuccess);
                EXPECT_EQ(root.AttachChild(mesh.Get()), kSuccess);
            }
        },
        {
            "texture: #", "ZEN.Texture \"GlowTexture\" mip-levels=3\n",
            "image: #", "ZEN.Image \"Glow\" size=8x4 format=1\n",
            "texture: -> #",  // The second effect shares the texture.
        });
}

// Particle systems show their pool and values, their emitter and what it emits from, node
// systems their model, sprite effects their texture, interval controllers their timing.
TEST(SceneDumpTool, ShowsParticleSystemsWithTheirEmittersAndModels)
{
    ExpectDumpShows(
        [](SceneNode& root) {
            Ptr<SpriteParticleSystem> rain = Named(new SpriteParticleSystem(), "Rain");
            EXPECT_EQ(rain->SetMaxParticles(300), kSuccess);
            ParticleSystem::Parameters p;
            p.intervalBase = 0.25f;
            p.burstBase = 6;
            p.burstRandom = 2;
            p.accelerationBase = {0, -9, 0};
            EXPECT_EQ(rain->SetParameters(p), kSuccess);
            Ptr<SphereVolumeEmitter> cloud = Named(new SphereVolumeEmitter(), "Cloud");
            cloud->SetRadius(2.5f);
            rain->SetEmitter(cloud.Get());
            Ptr<SpriteEffect> drops = Named(new SpriteEffect(), "Drops");
            drops->SetTexture(new Texture(String("DropTexture"), new Image(String("Drop"), Image::kA8, 4, 4)));
            EXPECT_EQ(rain->SetEffect(drops.Get()), kSuccess);
            Ptr<IntervalParticleSystemController> gusts = Named(new IntervalParticleSystemController(), "Gusts");
            gusts->SetTiming(3.0f, 1.0f);
            EXPECT_EQ(rain->SetController(gusts.Get()), kSuccess);

            Ptr<Triangles> leaf = test::MakeQuad("Leaf", 0.5f);
            Ptr<NodeParticleSystem> leaves = Named(new NodeParticleSystem(), "Leaves");
            EXPECT_EQ(leaves->SetModel(leaf.Get()), kSuccess);
            Ptr<GenParticlesAnimation> fall = test::MakeAnimation<GenParticlesAnimation, BoolKeyframe, bool>(
                "Fall", {{0.0, true}, {0.5, false}}, [](BoolKeyframe& key, bool value) { key.value = value; });
            Ptr<GenParticlesAnimationController> autumn = Named(new GenParticlesAnimationController(), "Autumn");
            EXPECT_EQ(autumn->AddAnimation(fall.Get()), kSuccess);
            EXPECT_EQ(autumn->AddFrame(test::Frame(fall.Get(), 0, 1)), kSuccess);
            EXPECT_EQ(leaves->SetController(autumn.Get()), kSuccess);
            Ptr<Foliage> grass = Named(new Foliage(), "Grass");
            Ptr<TrianglesEmitter> ground = Named(new TrianglesEmitter(), "Ground");
            ground->SetTriangles(leaf.Get());
            grass->SetEmitter(ground.Get());
            for (Node* child : {static_cast<Node*>(rain.Get()), static_cast<Node*>(leaves.Get()),
                                static_cast<Node*>(grass.Get())})
                EXPECT_EQ(root.AttachChild(child), kSuccess);
        },
        {
            "ZEN.SpriteParticleSystem \"Rain\" parent=#1 translation=(0, 0, 0) pool=300 interval=0.25+-0 burst=6+-2 "
            "speed=1+-0 lifetime=5+-0 size=1+-0..1+-0 color=(0, 0, 0, 1)..(1, 1, 1, 0) acceleration=(0, -9, 0)\n",
            "controller: #", "ZEN.IntervalParticleSystemController \"Gusts\" active period=3 on=1\n",
            "effect: #", "ZEN.SpriteEffect \"Drops\"\n",
            "texture: #", "ZEN.Texture \"DropTexture\"",
            "emitter: #", "ZEN.SphereVolumeEmitter \"Cloud\" angles=0..3.14159 radius=2.5\n",
            "ZEN.NodeParticleSystem \"Leaves\"",
            "controller: #", "ZEN.GenParticlesAnimationController \"Autumn\" active",
            "animation: #", "ZEN.GenParticlesAnimation \"Fall\" keys=2 times=0..0.5\n",
            "model: #", "ZEN.Triangles \"Leaf\"",
            "ZEN.Foliage \"Grass\"",
            "ZEN.TrianglesEmitter \"Ground\" angles=0..3.14159\n",
            "triangles: -> #",  // The foliage's emitter shares the leaves' model.
            "ZEN.PointEmitter \"\" angles=0..3.14159\n",  // The node system's own default emitter.
        });
}

TEST(SceneDumpTool, ShowsSoundNodesWithTheirFilesAndSettings)
{
    ExpectDumpShows(
        [](SceneNode& root) {
            test::AddSoundFile("surf.ogg", test::EncodeVorbis(test::MakeTone(22050, 1, 0.1, 300), 0.4f));
            Ptr<SoundNode> surf = Named(new SoundNode(), "Surf");
            surf->SetLoop(true);
            surf->SetVolume(70);
            surf->SetMinDistance(4);
            EXPECT_EQ(surf->SetSound(FileManager::FindFile(String("surf.ogg")), true), kSuccess);
            Ptr<SoundNode2> gulls = Named(new SoundNode2(), "Gulls");
            gulls->SetInterval(3, 1);
            EXPECT_EQ(gulls->SetSounds(String("gull1.ogg"), String("gull2.ogg")), kSuccess);
            EXPECT_EQ(root.AttachChild(surf.Get()), kSuccess);
            EXPECT_EQ(root.AttachChild(gulls.Get()), kSuccess);
        },
        {
            "ZEN.SoundNode \"Surf\" parent=#1 translation=(0, 0, 0) file=\"surf.ogg\" positional loop playing "
            "volume=70 min-distance=4\n",
            "ZEN.SoundNode2 \"Gulls\" parent=#1 translation=(0, 0, 0) files=(\"gull1.ogg\", \"gull2.ogg\") volume=100 "
            "min-distance=3.40282e+38 interval=3+-1\n",
        });
}

TEST(SceneDumpTool, ShowsOnScreenMessageNodesWithTheirConfiguration)
{
    ExpectDumpShows(
        [](SceneNode& root) {
            Ptr<LearnSystem> learn = Named(new LearnSystem(), "Tips");
            learn->SetConfigFile(String("Tips.xml"));  // Not in this file tree: nothing loads.
            EXPECT_EQ(root.AttachChild(learn.Get()), kSuccess);
        },
        {"  [0] #2 ZEN.LearnSystem \"Tips\" parent=#1 translation=(0, 0, 0) config=\"Tips.xml\" textures=0 "
         "fonts=0 styles=0 messages=0 activators=0\n"});
}

}  // namespace
}  // namespace zen
