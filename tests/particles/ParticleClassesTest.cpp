#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "engine/anim/BoolKeyframe.h"
#include "engine/core/ClassRegistry.h"
#include "engine/anim/GenParticlesAnimation.h"
#include "engine/particles/Foliage.h"
#include "engine/particles/GenParticlesAnimationController.h"
#include "engine/particles/IntervalParticleSystemController.h"
#include "engine/particles/NodeParticleSystem.h"
#include "engine/particles/SphereVolumeEmitter.h"
#include "engine/particles/SpriteParticleSystem.h"
#include "engine/particles/TrianglesEmitter.h"
#include "engine/scene/ColorEffect.h"
#include "engine/scene/SpriteEffect.h"
#include "particles/ParticleTestStreams.h"
#include "support/EngineScope.h"
#include "support/SceneBuilder.h"

// Writes particle records as fuzzing seeds when ZEN_WRITE_PARTICLE_SEEDS names the corpus root
// (tests/fuzz/corpus): one object record per seed for ParticleSystemFuzz and ReadObjectFuzz.
namespace zen {
namespace {

TEST(ParticleFuzzSeeds, Write)
{
    const char* corpus = std::getenv("ZEN_WRITE_PARTICLE_SEEDS");
    if (!corpus)
        GTEST_SKIP() << "set ZEN_WRITE_PARTICLE_SEEDS to the corpus folder to write seeds";
    test::EngineScope engine;
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
    Ptr<GenParticlesAnimation> track = new GenParticlesAnimation();
    for (double time : {0.0, 0.5}) {
        auto* key = static_cast<BoolKeyframe*>(track->NewKeyframe());
        key->time = time;
        key->value = time == 0.0;
        (void)track->AppendKeyframe(key);
    }
    Ptr<GenParticlesAnimationController> switcher = new GenParticlesAnimationController();
    switcher->SetTrackPeriod(1.0);
    (void)switcher->AddAnimation(track.Get());
    AnimationFrame frame;
    frame.animation = track;
    frame.end = 1;
    (void)switcher->AddFrame(frame);
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
    } seeds[] = {{"sprite-rain", rain.Get()}, {"zero-interval", torrent.Get()}, {"node-leaves", leaves.Get()}, {"foliage-grass", grass.Get()},
                 {"sphere-emitter", cloud.Get()}, {"triangles-emitter", ground.Get()},
                 {"interval-controller", gusts.Get()}, {"gen-particles-controller", switcher.Get()}};
    for (const auto& seed : seeds) {
        const test::Bytes bytes = test::SavedRecord(seed.root);
        for (const char* target : {"ParticleSystemFuzz", "ReadObjectFuzz"})
            std::ofstream(std::string(corpus) + "/" + target + "/particles-" + seed.name + ".bin", std::ios::binary)
                .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
}

}  // namespace
}  // namespace zen

namespace zen {
namespace {

// Every particle class is created by its run-time type name once the engine runs, with its
// base as the type record says; the emitter base is abstract and makes nothing.
TEST(ParticleClasses, AreCreatedByTheirTypeNames)
{
    test::EngineScope engine;
    const struct {
        const char* name;
        const Rtti* base;
    } classes[] = {
        {"ZEN.PointEmitter", &Emitter::TYPE},
        {"ZEN.SphereVolumeEmitter", &PointEmitter::TYPE},
        {"ZEN.TrianglesEmitter", &PointEmitter::TYPE},
        {"ZEN.ParticleSystem", &GeometryNode::TYPE},
        {"ZEN.SpriteParticleSystem", &ParticleSystem::TYPE},
        {"ZEN.NodeParticleSystem", &ParticleSystem::TYPE},
        {"ZEN.Foliage", &SpriteParticleSystem::TYPE},
        {"ZEN.IntervalParticleSystemController", &Controller::TYPE},
        {"ZEN.GenParticlesAnimationController", &AnimationController::TYPE},
        {"ZEN.SpriteEffect", &GeometryNodeEffect::TYPE},
    };
    for (const auto& c : classes) {
        CreateFunction create = ClassRegistry::LookupCreator(String(c.name));
        ASSERT_NE(create, nullptr) << c.name;
        Object* made = nullptr;
        ASSERT_EQ(create(&made), kSuccess) << c.name;
        Ptr<Object> keep(made);
        EXPECT_EQ(made->GetRtti()->Name(), c.name);
        EXPECT_TRUE(made->IsDerivedFrom(c.base)) << c.name;
    }
    CreateFunction abstract = ClassRegistry::LookupCreator(String("ZEN.Emitter"));
    ASSERT_NE(abstract, nullptr);
    Object* none = nullptr;
    EXPECT_NE(abstract(&none), kSuccess);
    EXPECT_EQ(none, nullptr);
}

}  // namespace
}  // namespace zen
