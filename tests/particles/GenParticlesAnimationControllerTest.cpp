#include <gtest/gtest.h>

#include <string>

#include "engine/anim/BoolKeyframe.h"
#include "engine/anim/GenParticlesAnimation.h"
#include "engine/particles/GenParticlesAnimationController.h"
#include "engine/particles/SpriteParticleSystem.h"
#include "engine/scene/SceneNode.h"
#include "anim/AnimTestSupport.h"
#include "support/EngineScope.h"

// The bool track of the gen-particles controller switches emission on and off at its keys.
namespace zen {
namespace {

// A track of `period` seconds with one frame over all of it playing keys at the given times.
Ptr<GenParticlesAnimationController> MakeController(double period, std::initializer_list<std::pair<double, bool>> keys)
{
    Ptr<GenParticlesAnimation> animation = test::MakeAnimation<GenParticlesAnimation, BoolKeyframe, bool>(
        "Spray", keys, [](BoolKeyframe& key, bool value) { key.value = value; });
    Ptr<GenParticlesAnimationController> controller = new GenParticlesAnimationController();
    controller->SetTrackPeriod(period);
    EXPECT_EQ(controller->AddAnimation(animation.Get()), kSuccess);
    EXPECT_EQ(controller->AddFrame(test::Frame(animation.Get(), 0, 1)), kSuccess);
    return controller;
}

TEST(GenParticlesAnimationController, TheBoolTrackSwitchesEmission)
{
    const struct {
        std::initializer_list<std::pair<double, bool>> keys;
        const char* expected;  // Emission after each 1 s step of an 8 s track: '1' on, '0' off.
    } cases[] = {
        // On from 0, off from 0.3, on again from 0.7; positions 0.125 ... 0.875, then 0 (wrapped).
        {{{0.0, true}, {0.3, false}, {0.7, true}}, "11000111"},
        {{{0.0, false}, {0.5, true}}, "00011110"},
        {{{0.25, false}}, "00000000"},  // One key: its value throughout.
        {{}, "11111111"},               // No keys: the switch is true.
    };
    for (const auto& c : cases) {
        SpriteParticleSystem system;
        system.SetEmissionStopped(true);
        Ptr<GenParticlesAnimationController> controller = MakeController(8.0, c.keys);
        ASSERT_EQ(system.SetController(controller.Get()), kSuccess);
        std::string seen;
        for (int i = 0; i < 8; ++i) {
            system.Update(1.0);
            seen += system.EmissionStopped() ? '0' : '1';
        }
        EXPECT_EQ(seen, c.expected);
    }
}

TEST(GenParticlesAnimationController, LeavesOtherOwnersAloneAndRoundTrips)
{
    test::EngineScope engine;
    SceneNode group;
    Ptr<GenParticlesAnimationController> controller = MakeController(2.0, {{0.0, false}});
    ASSERT_EQ(group.SetController(controller.Get()), kSuccess);
    group.Update(0.5);  // Not a particle system: nothing to switch.
    EXPECT_DOUBLE_EQ(controller->TrackPosition(), 0.25);

    controller->SetName(String("Bursts"));
    Ptr<GenParticlesAnimationController> back =
        test::LoadedRecord<GenParticlesAnimationController>(test::SavedRecord(controller.Get()));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->Name(), "Bursts");
    EXPECT_EQ(back->TrackPeriod(), 2.0);
    ASSERT_EQ(back->AnimationCount(), 1u);
    EXPECT_TRUE(back->GetAnimation(0)->IsExactly(&GenParticlesAnimation::TYPE));
    SpriteParticleSystem system;
    ASSERT_EQ(system.SetController(back.Get()), kSuccess);
    system.Update(0.1);
    EXPECT_TRUE(system.EmissionStopped());
}

}  // namespace
}  // namespace zen
