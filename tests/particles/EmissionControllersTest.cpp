#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

#include "anim/AnimTestSupport.h"
#include "engine/anim/GenParticlesAnimation.h"
#include "engine/particles/GenParticlesAnimationController.h"
#include "engine/particles/IntervalParticleSystemController.h"
#include "engine/particles/SpriteParticleSystem.h"
#include "engine/scene/SceneNode.h"
#include "support/EngineScope.h"
#include "support/LogCapture.h"
#include "support/RecordBytes.h"

// The controllers that switch a particle system's emission on and off: the bool track of the
// gen-particles controller at its keys, and the interval controller's cycle, on while
// fmod(clock, period) <= onTime; and their stream forms.
namespace zen {
namespace {

// Emission after each of `steps` updates of `step` seconds of a sprite system driven by
// `controller`, its emission first `stopped` or not: '1' emitting, '0' stopped.
std::string Emission(Controller* controller, double step, size_t steps, bool stopped = false)
{
    SpriteParticleSystem system;
    system.SetEmissionStopped(stopped);
    EXPECT_EQ(system.SetController(controller), kSuccess);
    std::string seen;
    for (size_t i = 0; i < steps; ++i) {
        system.Update(step);
        seen += system.EmissionStopped() ? '0' : '1';
    }
    return seen;
}

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
    for (const auto& c : cases)
        EXPECT_EQ(Emission(MakeController(8.0, c.keys).Get(), 1.0, 8, true), c.expected);
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

TEST(IntervalParticleSystemController, SwitchesEmissionAtItsTimes)
{
    const struct {
        float period, onTime;
        double step;
        const char* expected;  // Emission after each step: '1' on, '0' stopped.
    } cases[] = {
        // Period 1, on for 0.5: clock 0.25 0.5 0.75 1.0 (phase 0) 1.25 1.5 1.75 2.0 2.25.
        {1.0f, 0.5f, 0.25, "110111011"},
        {2.0f, 0.5f, 0.5, "1001100110"},  // Clock 0.5 on, 1.0 and 1.5 off, 2.0 on (phase 0).
        {1.0f, 0.0f, 0.5, "0101"},      // On only at the start of each period.
        {1.0f, 1.0f, 0.3, "1111111"},   // Always on.
        {0.0f, 0.5f, 0.3, "111"},       // No period: emission stays on.
        {NAN, 0.5f, 0.3, "111"},
    };
    for (const auto& c : cases) {
        Ptr<IntervalParticleSystemController> controller = new IntervalParticleSystemController();
        controller->SetTiming(c.period, c.onTime);
        EXPECT_EQ(Emission(controller.Get(), c.step, std::strlen(c.expected)), c.expected)
            << c.period << " " << c.onTime;
    }
}

// Inactive controllers change nothing; an owner that is not a particle system is left alone;
// a controller that goes leaves its system emitting.
TEST(IntervalParticleSystemController, InactiveWrongOwnerAndDestruction)
{
    SpriteParticleSystem system;
    Ptr<IntervalParticleSystemController> controller = new IntervalParticleSystemController();
    controller->SetTiming(1.0f, 0.1f);
    ASSERT_EQ(system.SetController(controller.Get()), kSuccess);
    system.Update(0.5);
    EXPECT_TRUE(system.EmissionStopped());
    controller->SetActive(false);
    system.Update(0.6);  // Would be on again (phase 0.1).
    EXPECT_TRUE(system.EmissionStopped());
    EXPECT_DOUBLE_EQ(controller->Clock(), 0.5);

    SceneNode group;
    Ptr<IntervalParticleSystemController> stray = new IntervalParticleSystemController();
    ASSERT_EQ(group.SetController(stray.Get()), kSuccess);
    group.Update(0.7);  // Nothing to switch; no crash.
    EXPECT_DOUBLE_EQ(stray->Clock(), 0.7);

    controller = nullptr;
    EXPECT_TRUE(system.EmissionStopped());  // Still attached: the system holds it.
    ASSERT_EQ(system.RemoveControllers(), kSuccess);
    EXPECT_FALSE(system.EmissionStopped());
}

TEST(IntervalParticleSystemController, StreamFormIsTheControllerBlockThenPeriodAndOnTime)
{
    test::EngineScope engine;
    IntervalParticleSystemController controller;
    controller.SetName(String("Gusts"));
    controller.SetTiming(4.0f, 1.5f);
    Stream out;
    ASSERT_EQ(controller.Save(out), kSuccess);
    std::vector<uint8_t> expected;
    test::PutControllerBlock(expected, "Gusts");
    test::PutFloat(expected, 4.0f);
    test::PutFloat(expected, 1.5f);
    EXPECT_EQ(std::vector<uint8_t>(out.Data(), out.Data() + out.Position()), expected);

    Ptr<IntervalParticleSystemController> back =
        test::LoadedRecord<IntervalParticleSystemController>(test::SavedRecord(&controller));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->Period(), 4.0f);
    EXPECT_EQ(back->OnTime(), 1.5f);
    EXPECT_EQ(back->Clock(), 0.0);

    // Cut inside onTime: the controller's own message.
    test::ByteStream shortened(test::Bytes(expected.begin(), expected.end() - 2));
    IntervalParticleSystemController partial;
    test::LogCapture log;
    EXPECT_EQ(partial.Load(shortened), kFailure);
    EXPECT_TRUE(log.ContainsText("Невозможно загрузить данные интервальной системы частиц."));
}

}  // namespace
}  // namespace zen
