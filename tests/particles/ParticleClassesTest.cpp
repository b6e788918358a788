#include <gtest/gtest.h>

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
#include "support/RecordBytes.h"
#include "support/EngineScope.h"
#include "support/SceneBuilder.h"

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
