// Writes the seed inputs of the object-graph fuzz targets from the sample scenes the unit tests
// build: for each, a scene file for STRSceneCodecFuzz (version header and one object record) and
// the bare record for ReadObjectFuzz; the animated scene's controllers and the particle systems
// as records of their own; and the default record of every registered class, so a class added
// later is among the seeds as soon as the seeds are written again. Run after a change to what
// classes store, by `scripts/fuzz.sh --write-scene-seeds`:
//     WriteSceneSeeds CORPUS_ROOT     (tests/fuzz/corpus)
#include <cstdio>
#include <fstream>
#include <initializer_list>
#include <string>
#include <vector>

#include "anim/AnimTestSupport.h"
#include "anim/AnimatedScene.h"
#include "engine/anim/BoolKeyframe.h"
#include "engine/anim/GenParticlesAnimation.h"
#include "engine/anim/IKController.h"
#include "engine/anim/NodeAnimation.h"
#include "engine/anim/NodeAnimationController.h"
#include "engine/anim/ScreensaverController.h"
#include "engine/anim/SkinController.h"
#include "engine/core/ClassRegistry.h"
#include "engine/core/Engine.h"
#include "engine/core/Ptr.h"
#include "engine/core/Stream.h"
#include "engine/particles/Foliage.h"
#include "engine/particles/GenParticlesAnimationController.h"
#include "engine/particles/IntervalParticleSystemController.h"
#include "engine/particles/NodeParticleSystem.h"
#include "engine/particles/SphereVolumeEmitter.h"
#include "engine/particles/SpriteParticleSystem.h"
#include "engine/particles/TrianglesEmitter.h"
#include "engine/scene/Camera.h"
#include "engine/scene/ColorEffect.h"
#include "engine/scene/SpriteEffect.h"
#include "support/SceneBuilder.h"

namespace {

using namespace zen;

// The scene file's bytes: the engine version, then the object record.
bool SaveScene(Object* root, std::vector<uint8_t>& bytes)
{
    Stream stream;
    stream.WriteInt(static_cast<int32_t>(kEngineVersionMajor));
    stream.WriteInt(static_cast<int32_t>(kEngineVersionMinor));
    stream.WriteInt(static_cast<int32_t>(kEngineVersionRelease));
    if (stream.WriteObject(root) != kSuccess || stream.Position() <= 12)
        return false;
    bytes.assign(stream.Data(), stream.Data() + stream.Position());
    return true;
}

bool WriteFile(const std::string& path, const uint8_t* data, size_t size)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    return static_cast<bool>(out);
}

// A scene file's bytes as the scene seed `name`, and its record without the version as the
// object seed of the same name.
bool WriteSceneSeed(const std::string& corpus, const std::string& name, const std::vector<uint8_t>& file)
{
    const std::string scenePath = corpus + "/STRSceneCodecFuzz/scene-" + name + ".STR";
    if (!WriteFile(scenePath, file.data(), file.size()) ||
        !WriteFile(corpus + "/ReadObjectFuzz/scene-" + name + ".bin", file.data() + 12, file.size() - 12)) {
        std::fprintf(stderr, "WriteSceneSeeds: cannot write %s\n", scenePath.c_str());
        return false;
    }
    std::printf("%s (%zu bytes)\n", scenePath.c_str(), file.size());
    return true;
}

int WriteSampleSceneSeeds(const std::string& corpus)
{
    test::SampleScene scene = test::BuildSampleScene();
    Ptr<Triangles> quad = test::MakeQuad("Quad", 1);
    Ptr<SceneNode> tree = test::BuildTree(20, 4, 10);
    std::vector<uint8_t> sample;
    if (!SaveScene(scene.root.Get(), sample))
        return 1;
    // The other seeds stand alone: a node saved with a parent would carry its whole ancestry.
    std::vector<Ptr<Node>> held;  // Detaching drops the slots' references.
    for (Node* node : std::initializer_list<Node*>{scene.camera, scene.eye, scene.sun, scene.grid, scene.path}) {
        held.emplace_back(node);
        if (scene.root->DetachChild(node) != kSuccess)
            return 1;
    }
    held.emplace_back(scene.sparks);
    if (scene.group->DetachChild(scene.sparks) != kSuccess)
        return 1;
    const struct {
        const char* name;
        Object* root;
    } seeds[] = {{"sample-scene", scene.root.Get()}, {"quad", quad.Get()}, {"tree", tree.Get()},
                 {"camera", scene.camera}, {"light", scene.sun}, {"fp-camera", scene.eye},
                 {"points", scene.sparks}, {"lines", scene.grid}, {"strip-lines", scene.path},
                 {"buffer", scene.quad->Vertices()}, {"sphere", scene.quad->LocalBound()}};
    for (const auto& seed : seeds) {
        std::vector<uint8_t> file;
        if (seed.root == scene.root.Get())
            file = sample;
        else if (!SaveScene(seed.root, file))
            return 1;
        if (!WriteSceneSeed(corpus, seed.name, file))
            return 1;
    }
    return 0;
}

bool WriteRecord(const std::string& path, Object* object)
{
    const test::Bytes record = test::SavedRecord(object);
    if (record.empty() || !WriteFile(path, record.data(), record.size())) {
        std::fprintf(stderr, "WriteSceneSeeds: cannot write %s\n", path.c_str());
        return false;
    }
    std::printf("%s (%zu bytes)\n", path.c_str(), record.size());
    return true;
}

// The animated scene whole, and its controllers as records that stand alone: nodes without
// parents, since a node's parent link would carry its whole ancestry along.
int WriteAnimationSeeds(const std::string& corpus)
{
    Ptr<SceneNode> scene = test::BuildAnimatedScene();
    std::vector<uint8_t> whole;
    if (!SaveScene(scene.Get(), whole) || !WriteSceneSeed(corpus, "animated", whole))
        return 1;
    Ptr<Camera> cameras[2] = {new Camera(), new Camera()};
    Ptr<SceneNode> loose[3] = {new SceneNode(), new SceneNode(), new SceneNode()};
    Ptr<NodeAnimationController> flight(new NodeAnimationController());
    Ptr<NodeAnimation> path = test::MakeAnimation<NodeAnimation, NodeKeyframe, float>(
        "p", {{0.0, 0.0f}, {0.25, 1.0f}, {0.75, 2.0f}}, [](NodeKeyframe& key, float x) { key.translation = {x, 0, 0}; });
    (void)flight->AddAnimation(path.Get());
    (void)flight->AddFrame(test::Frame(path.Get(), 0, 0.6, AnimationFrame::kClamp, 2, 0.5));
    (void)flight->AddFrame(test::Frame(path.Get(), 0.4, 1, AnimationFrame::kPingPong, 3));
    flight->SetTrackPeriod(5);
    (void)cameras[0]->SetController(flight.Get());
    Ptr<ScreensaverController> director(new ScreensaverController());
    (void)director->AddSet(cameras[0].Get(), 1, 10);
    (void)director->AddSet(cameras[1].Get(), 0.5, 4);
    Ptr<SkinController> skin(new SkinController());
    (void)skin->AddBone(loose[0].Get(), Transform());
    (void)skin->AddBone(loose[1].Get(), Transform());
    skin->SetBindVertices(test::MakeVector3Buffer({{0, 0, 0}, {1, 0, 0}}).Get());
    skin->SetWeights(test::MakeVector4Buffer({{1, 0, 0, 0}, {0.5f, 0.5f, 0, 0}}).Get());
    skin->SetIndices(test::MakeVector4Buffer({{0, 0, 0, 0}, {0, 1, 0, 0}}).Get());
    Ptr<IKController> ik(new IKController());
    for (Ptr<SceneNode>& node : loose)
        (void)ik->AddChainNode(node.Get());
    const struct {
        const char* name;
        Object* object;
    } parts[] = {{"node-animation", flight.Get()}, {"director", director.Get()}, {"skin", skin.Get()},
                 {"ik", ik.Get()}, {"texture-flipbook", scene->FindByName(String("Slides"))}};
    for (const auto& part : parts)
        if (!part.object || !WriteRecord(corpus + "/ReadObjectFuzz/anim-" + part.name + ".bin", part.object))
            return 1;
    return 0;
}

// One record per particle system, emitter and emission controller, for both object fuzzers.
int WriteParticleSeeds(const std::string& corpus)
{
    ParticleSystem::Parameters p;
    p.intervalBase = 0.05f;
    p.intervalRandom = 0.02f;
    p.burstBase = 5;
    p.burstRandom = 2;
    p.speedRandom = 0.5f;
    p.accelerationBase = {0, -2, 0};
    p.lifetimeBase = 0.5f;
    p.lifetimeRandom = 0.25f;

    Ptr<SpriteParticleSystem> rain = new SpriteParticleSystem();
    (void)rain->SetMaxParticles(200);
    (void)rain->SetParameters(p);
    Ptr<SphereVolumeEmitter> cloud = new SphereVolumeEmitter();
    cloud->SetRadius(2);
    rain->SetEmitter(cloud.Get());
    (void)rain->SetEffect(new SpriteEffect());
    Ptr<IntervalParticleSystemController> gusts = new IntervalParticleSystemController();
    (void)rain->SetController(gusts.Get());

    Ptr<Triangles> leaf = test::MakeQuad("Leaf", 1);
    (void)leaf->SetEffect(new ColorEffect());
    Ptr<NodeParticleSystem> leaves = new NodeParticleSystem();
    (void)leaves->SetMaxParticles(50);
    (void)leaves->SetParameters(p);
    (void)leaves->SetModel(leaf.Get());
    Ptr<GenParticlesAnimation> track = test::MakeAnimation<GenParticlesAnimation, BoolKeyframe, bool>(
        "", {{0.0, true}, {0.5, false}}, [](BoolKeyframe& key, bool value) { key.value = value; });
    Ptr<GenParticlesAnimationController> switcher = new GenParticlesAnimationController();
    switcher->SetTrackPeriod(1.0);
    (void)switcher->AddAnimation(track.Get());
    (void)switcher->AddFrame(test::Frame(track.Get(), 0, 1));
    (void)leaves->SetController(switcher.Get());

    Ptr<Foliage> grass = new Foliage();
    (void)grass->SetMaxParticles(64);
    (void)grass->SetParameters(p);
    Ptr<TrianglesEmitter> ground = new TrianglesEmitter();
    ground->SetTriangles(test::MakeGrid("Ground", 3, 2).Get());
    grass->SetEmitter(ground.Get());
    (void)grass->SetEffect(new SpriteEffect());

    // A system with no pause between bursts: the update's burst cap is what ends it.
    Ptr<SpriteParticleSystem> torrent = new SpriteParticleSystem();
    (void)torrent->SetMaxParticles(4000);
    ParticleSystem::Parameters flood = p;
    flood.intervalBase = flood.intervalRandom = 0.0f;
    (void)torrent->SetParameters(flood);

    const struct {
        const char* name;
        Object* root;
    } seeds[] = {{"sprite-rain", rain.Get()}, {"zero-interval", torrent.Get()}, {"node-leaves", leaves.Get()},
                 {"foliage-grass", grass.Get()}, {"sphere-emitter", cloud.Get()}, {"triangles-emitter", ground.Get()},
                 {"interval-controller", gusts.Get()}, {"gen-particles-controller", switcher.Get()}};
    for (const auto& seed : seeds)
        for (const char* target : {"ParticleSystemFuzz", "ReadObjectFuzz"})
            if (!WriteRecord(corpus + "/" + target + "/particles-" + seed.name + ".bin", seed.root))
                return 1;
    return 0;
}

// The default record of every class that can be made by its type name.
int WriteClassSeeds(const std::string& corpus)
{
    Array<String> names(64, 64);
    if (ClassRegistry::TypeNames(names) != kSuccess)
        return 1;
    for (uint32_t i = 0; i < names.Count(); ++i) {
        Object* made = nullptr;
        const CreateFunction create = ClassRegistry::LookupCreator(names[i]);
        if (!create || create(&made) != kSuccess || !made)
            continue;  // Abstract.
        const Ptr<Object> object(made);
        const std::string name = names[i].Std();
        const std::string bare = name.rfind("ZEN.", 0) == 0 ? name.substr(4) : name;
        if (!WriteRecord(corpus + "/ReadObjectFuzz/class-" + bare + ".bin", object.Get()))
            return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: WriteSceneSeeds CORPUS_ROOT\n");
        return 2;
    }
    if (EngineInitialize() != kSuccess) {
        std::fprintf(stderr, "WriteSceneSeeds: the engine did not start\n");
        return 1;
    }
    const std::string corpus = argv[1];
    int result = 0;
    for (int (*write)(const std::string&) : {WriteSampleSceneSeeds, WriteAnimationSeeds, WriteParticleSeeds, WriteClassSeeds})
        if (result == 0)
            result = write(corpus);
    (void)EngineShutdown();
    return result;
}
