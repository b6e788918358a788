#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "engine/particles/IntervalParticleSystemController.h"
#include "engine/particles/SpriteParticleSystem.h"
#include "engine/scene/SceneNode.h"
#include "support/RecordBytes.h"
#include "support/EngineScope.h"
#include "support/LogCapture.h"

// The on/off cycle of emission: on while fmod(clock, period) <= onTime, and its stream form.
namespace zen {
namespace {

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
        SpriteParticleSystem system;
        Ptr<IntervalParticleSystemController> controller = new IntervalParticleSystemController();
        controller->SetTiming(c.period, c.onTime);
        ASSERT_EQ(system.SetController(controller.Get()), kSuccess);
        std::string seen;
        for (size_t i = 0; i < std::strlen(c.expected); ++i) {
            system.Update(c.step);
            seen += system.EmissionStopped() ? '0' : '1';
        }
        EXPECT_EQ(seen, c.expected) << c.period << " " << c.onTime;
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
    test::PutString(expected, "Gusts");
    test::PutInt(expected, 0);  // No controllers of its own.
    expected.push_back(1);      // Active.
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
