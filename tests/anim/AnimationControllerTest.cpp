#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "anim/AnimTestSupport.h"
#include "engine/anim/AnimationController.h"
#include "engine/anim/BoolAnimation.h"
#include "engine/anim/ColorAnimation.h"
#include "engine/anim/FloatAnimation.h"
#include "support/EngineScope.h"
#include "support/LogCapture.h"
#include "support/RecordBytes.h"

// The track of an animation controller: its step and wrap, the frames under the position, the
// cross-fade of the two stages, the local time of each play mode, the stage operations, the
// blend of the stages into a value, and the stream form.
namespace zen {
namespace {

using test::Bytes;
using test::FloatKeys;
using test::Frame;

// A controller that blends float stages into `value`, as a float-driven controller would into
// its owner.
class FloatTrack : public AnimationController {
public:
    float value = 0;
    bool switchValue = false;

protected:
    void ApplyStages() override
    {
        value = BlendStages<FloatKeyframe>(
            value, [](const FloatKeyframe& a, const FloatKeyframe& b, float f) { return a.value + (b.value - a.value) * f; },
            [](float acc, float v, float w) { return acc + (v - acc) * w; });
        switchValue = SwitchValue();
    }
};

TEST(AnimationTrack, AdvancesByElapsedOverPeriodAndWraps)
{
    AnimationController controller;
    controller.SetTrackPeriod(10);
    const double expected[] = {0.3, 0.6, 0.9, 0.2, 0.5};
    for (double position : expected) {
        controller.Update(3);
        EXPECT_NEAR(controller.TrackPosition(), position, 1e-12);
    }
    // A step of several periods keeps only the fraction.
    controller.Update(25);
    EXPECT_NEAR(controller.TrackPosition(), 0.0, 1e-12);
}

TEST(AnimationTrack, StandsStillWhenInactiveOrWithoutAUsablePeriod)
{
    struct Case {
        const char* what;
        double period;
        bool active;
        double elapsed;
    };
    const Case cases[] = {
        {"inactive", 10, false, 3},
        {"period 0 (the default before loading)", 0, true, 3},
        {"negative period", -2, true, 3},
        {"period not a number", std::nan(""), true, 3},
        {"infinite elapsed", 10, true, std::numeric_limits<double>::infinity()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        AnimationController controller;
        controller.SetTrackPeriod(c.period);
        controller.SetTrackPosition(0.25);
        controller.SetActive(c.active);
        controller.Update(c.elapsed);
        EXPECT_EQ(controller.TrackPosition(), 0.25);
    }
}

struct FadeCase {
    const char* what;
    double aStart, aEnd, bStart, bEnd;
    double position;
    float stage0, stage1;
};

TEST(AnimationTrack, CrossFadesTheStagesOverTheOverlap)
{
    const FadeCase cases[] = {
        {"B fades in: half way", 0, 0.6, 0.5, 1, 0.55, 0.5f, 0.5f},
        {"B fades in: four fifths", 0, 0.6, 0.5, 1, 0.58, 0.2f, 0.8f},
        {"B at the start of the overlap", 0, 0.6, 0.5, 1, 0.5, 1.0f, 0.0f},
        {"B at the end of the overlap", 0, 0.6, 0.5, 1, 0.6, 0.0f, 1.0f},
        {"the later frame first in the file fades in on stage 0", 0.5, 1, 0, 0.6, 0.58, 0.8f, 0.2f},
        {"one frame inside the other", 0, 1, 0.2, 0.4, 0.3, 0.5f, 0.5f},
        {"equal frames", 0.1, 0.9, 0.1, 0.9, 0.3, 0.5f, 0.5f},
    };
    Ptr<FloatAnimation> first = FloatKeys("first", {{0, 1}});
    Ptr<FloatAnimation> second = FloatKeys("second", {{0, 2}});
    for (const FadeCase& c : cases) {
        SCOPED_TRACE(c.what);
        AnimationController controller;
        controller.SetTrackPeriod(1);
        ASSERT_EQ(controller.AddFrame(Frame(first.Get(), c.aStart, c.aEnd)), kSuccess);
        ASSERT_EQ(controller.AddFrame(Frame(second.Get(), c.bStart, c.bEnd)), kSuccess);
        controller.SetTrackPosition(c.position);
        controller.Update(0);
        ASSERT_EQ(controller.StageCount(), 2u);
        EXPECT_EQ(controller.GetStage(0)->animation.Get(), first.Get());
        EXPECT_EQ(controller.GetStage(1)->animation.Get(), second.Get());
        EXPECT_NEAR(controller.GetStage(0)->weight, c.stage0, 1e-6);
        EXPECT_NEAR(controller.GetStage(1)->weight, c.stage1, 1e-6);
    }
}

TEST(AnimationTrack, LeavingTheOverlapEmptiesStageOneAndRestoresFullWeight)
{
    Ptr<FloatAnimation> first = FloatKeys("first", {{0, 1}});
    Ptr<FloatAnimation> second = FloatKeys("second", {{0, 2}});
    AnimationController controller;
    controller.SetTrackPeriod(10);
    ASSERT_EQ(controller.AddFrame(Frame(first.Get(), 0, 0.6)), kSuccess);
    ASSERT_EQ(controller.AddFrame(Frame(second.Get(), 0.5, 1)), kSuccess);
    controller.SetTrackPosition(0.55);
    controller.Update(0);
    controller.Update(1.5);  // 0.7: only the second frame, which is now A on stage 0.
    ASSERT_EQ(controller.StageCount(), 2u);
    EXPECT_EQ(controller.GetStage(0)->animation.Get(), second.Get());
    EXPECT_EQ(controller.GetStage(0)->weight, 1.0f);
    EXPECT_EQ(controller.GetStage(1)->animation.Get(), nullptr);
    EXPECT_EQ(controller.GetStage(1)->weight, 0.0f);
}

TEST(AnimationTrack, TakesAtMostTwoFramesInFileOrderAndSkipsEmptyOnes)
{
    Ptr<FloatAnimation> a = FloatKeys("a", {{0, 1}});
    Ptr<FloatAnimation> b = FloatKeys("b", {{0, 2}});
    Ptr<FloatAnimation> c = FloatKeys("c", {{0, 3}});
    AnimationController controller;
    controller.SetTrackPeriod(1);
    ASSERT_EQ(controller.AddFrame(Frame(nullptr, 0, 1)), kSuccess);
    ASSERT_EQ(controller.AddFrame(Frame(b.Get(), 0, 1)), kSuccess);
    ASSERT_EQ(controller.AddFrame(Frame(a.Get(), 0, 1)), kSuccess);
    ASSERT_EQ(controller.AddFrame(Frame(c.Get(), 0, 1)), kSuccess);
    controller.SetTrackPosition(0.5);
    controller.Update(0);
    ASSERT_EQ(controller.StageCount(), 2u);
    EXPECT_EQ(controller.GetStage(0)->animation.Get(), b.Get());
    EXPECT_EQ(controller.GetStage(1)->animation.Get(), a.Get());
}

struct LocalTimeCase {
    const char* what;
    double start, end;
    uint32_t mode;
    double scale, offset, position;
    bool first;
    double expected;
};

TEST(AnimationFrameLocalTime, EachPlayMode)
{
    const LocalTimeCase cases[] = {
        {"clamp, A past the end folds to 0", 0, 0.5, AnimationFrame::kClamp, 2, 0, 0.4, true, 0.0},
        {"clamp, B past the end holds 1", 0, 0.5, AnimationFrame::kClamp, 2, 0, 0.4, false, 1.0},
        {"clamp inside", 0, 0.5, AnimationFrame::kClamp, 2, 0, 0.1, true, 0.4},
        {"clamp, B before the start holds 0", 0.2, 0.6, AnimationFrame::kClamp, 1, -0.2, 0.3, false, 0.0},
        {"clamp, A before the start folds to 0", 0.2, 0.6, AnimationFrame::kClamp, 1, -0.2, 0.3, true, 0.0},
        {"repeat with offset", 0.2, 0.6, AnimationFrame::kRepeat, 1, 0.05, 0.5, true, 0.875},
        {"repeat wraps", 0, 0.5, AnimationFrame::kRepeat, 3, 0, 0.25, false, 0.5},
        {"repeat, negative local time", 0, 1, AnimationFrame::kRepeat, 1, -0.25, 0, true, 0.75},
        {"ping-pong, second pass runs back", 0, 1, AnimationFrame::kPingPong, 3, 0, 1.25 / 3, true, 0.75},
        {"ping-pong, third pass runs forward", 0, 1, AnimationFrame::kPingPong, 3, 0, 2.25 / 3, true, 0.25},
        {"ping-pong for any mode past 1", 0, 1, 7, 3, 0, 1.25 / 3, false, 0.75},
        {"ping-pong, A at the end of an odd pass folds to 0", 0, 1, AnimationFrame::kPingPong, 1, 0, 1, true, 0.0},
        {"ping-pong, B at the end of an odd pass stays 1", 0, 1, AnimationFrame::kPingPong, 1, 0, 1, false, 1.0},
        {"ping-pong, negative pass runs back", 0, 1, AnimationFrame::kPingPong, 1, -0.25, 0, true, 0.25},
        {"a frame of no length", 0.3, 0.3, AnimationFrame::kRepeat, 1, 0, 0.3, true, 0.0},
    };
    for (const LocalTimeCase& c : cases) {
        SCOPED_TRACE(c.what);
        const AnimationFrame frame = Frame(nullptr, c.start, c.end, c.mode, c.scale, c.offset);
        EXPECT_NEAR(frame.LocalTime(c.position, c.first), c.expected, 1e-12);
    }
}

TEST(AnimationStages, SetStageOperations)
{
    Ptr<FloatAnimation> walk = FloatKeys("walk", {{0, 1}, {0.5, 2}});
    Ptr<FloatAnimation> run = FloatKeys("run", {{0, 3}});
    Ptr<FloatAnimation> twin = FloatKeys("walk", {{0, 4}});
    AnimationController controller;
    ASSERT_EQ(controller.AddAnimation(walk.Get()), kSuccess);
    ASSERT_EQ(controller.AddAnimation(run.Get()), kSuccess);
    ASSERT_EQ(controller.AddAnimation(twin.Get()), kSuccess);
    EXPECT_EQ(controller.AddAnimation(nullptr), kInvalidArgument);

    controller.SetStageWeight(0, 0.3f);  // No stage yet: nothing.
    EXPECT_EQ(controller.StageCount(), 0u);

    controller.SetStageAnimation(run.Get(), 3, 0.25f);
    ASSERT_EQ(controller.StageCount(), 4u);
    for (uint32_t i = 0; i < 3; ++i) {
        EXPECT_EQ(controller.GetStage(i)->animation.Get(), nullptr);
        EXPECT_EQ(controller.GetStage(i)->weight, 1.0f);
    }
    EXPECT_EQ(controller.GetStage(3)->animation.Get(), run.Get());
    EXPECT_EQ(controller.GetStage(3)->weight, 0.25f);

    controller.SetStageAnimationByName(String("walk"), 1, 0.75f);  // The first of that name.
    EXPECT_EQ(controller.GetStage(1)->animation.Get(), walk.Get());
    EXPECT_EQ(controller.GetStage(1)->weight, 0.75f);
    controller.SetStageAnimationByName(String("Walk"), 1, 0.5f);  // Byte for byte: none.
    EXPECT_EQ(controller.GetStage(1)->animation.Get(), nullptr);
    EXPECT_EQ(controller.GetStage(1)->weight, 0.5f);

    controller.SetStageWeight(3, 0.9f);
    EXPECT_EQ(controller.GetStage(3)->weight, 0.9f);
    controller.SetStageAnimation(nullptr, 3, 0.0f);
    EXPECT_EQ(controller.GetStage(3)->animation.Get(), nullptr);

    controller.SetTrackPosition(-0.2);  // As given, not wrapped.
    EXPECT_EQ(controller.TrackPosition(), -0.2);
    controller.Reset();
    EXPECT_EQ(controller.StageCount(), 0u);
    EXPECT_EQ(controller.TrackPosition(), 0.0);
    EXPECT_EQ(walk->References(), 2);  // The test and the controller's list: no stage holds it.
}

TEST(AnimationStages, BlendIntoTheValueByFractionThenWeight)
{
    // Stage 0 plays keys 0 -> 10 (at 0 and 0.5), stage 1 a constant 100; frames A [0, 0.6] and
    // B [0.5, 1] at 0.55. A's local time 0.55 / 0.6 lies past its last key: key 1, fraction
    // (0.55/0.6 - 0.5) / 0.5 = 5/6, value 10 - 10 * 5/6 = 5/3. Weights 0.5 each: from 4,
    // 4 + (5/3 - 4) / 2 = 17/6, then 17/6 + (100 - 17/6) / 2 = 617/12.
    Ptr<FloatAnimation> ramp = FloatKeys("ramp", {{0, 0}, {0.5, 10}});
    Ptr<FloatAnimation> flat = FloatKeys("flat", {{0, 100}});
    FloatTrack track;
    track.SetTrackPeriod(4);
    ASSERT_EQ(track.AddFrame(Frame(ramp.Get(), 0, 0.6)), kSuccess);
    ASSERT_EQ(track.AddFrame(Frame(flat.Get(), 0.5, 1)), kSuccess);
    track.value = 4;
    track.SetTrackPosition(0.35);
    track.Update(0.8);  // 0.35 + 0.2
    EXPECT_NEAR(track.TrackPosition(), 0.55, 1e-12);
    EXPECT_NEAR(track.GetStage(0)->fraction, 5.0 / 6.0, 1e-9);
    EXPECT_NEAR(track.value, 617.0f / 12.0f, 1e-4);
}

TEST(AnimationStages, AStageOfAnotherKindOrWithoutKeysIsSkipped)
{
    Ptr<ColorAnimation> color(new ColorAnimation());
    ColorKeyframe* key = new ColorKeyframe();
    key->color = {9, 9, 9, 9};
    ASSERT_EQ(color->AppendKeyframe(key), kSuccess);
    Ptr<FloatAnimation> empty(new FloatAnimation());
    FloatTrack track;
    track.SetTrackPeriod(1);
    ASSERT_EQ(track.AddFrame(Frame(color.Get(), 0, 1)), kSuccess);
    ASSERT_EQ(track.AddFrame(Frame(empty.Get(), 0, 1)), kSuccess);
    track.value = 7;
    track.Update(0.5);
    EXPECT_EQ(track.value, 7.0f);
    EXPECT_TRUE(track.switchValue);  // No bool stage: the switch is on.
}

TEST(AnimationStages, SwitchSwitchesExactlyAtItsKeys)
{
    Ptr<BoolAnimation> blink = test::BoolKeys("blink", {{0.0, false}, {0.25, true}, {0.5, false}});
    FloatTrack track;
    track.SetTrackPeriod(8);
    ASSERT_EQ(track.AddFrame(Frame(blink.Get(), 0, 1)), kSuccess);
    struct Step {
        double position;
        bool value;
    };
    const Step steps[] = {{0.0, false}, {0.249, false}, {0.25, true}, {0.4999, true}, {0.5, false}, {0.99, false}};
    for (const Step& step : steps) {
        track.SetTrackPosition(step.position);
        track.Update(0);
        EXPECT_EQ(track.switchValue, step.value) << step.position;
    }

    // Where two clips overlap the switch is the last stage's: the clip second in the file.
    Ptr<BoolAnimation> off = test::BoolKeys("off", {{0.0, false}});
    Ptr<BoolAnimation> on = test::BoolKeys("on", {{0.0, true}});
    struct Overlap {
        bool offFirst;
        double position;
        bool value;
    };
    const Overlap overlaps[] = {{true, 0.3, false}, {true, 0.5, true}, {true, 0.8, true},
                                {false, 0.3, false}, {false, 0.5, false}, {false, 0.8, true}};
    for (const Overlap& o : overlaps) {
        FloatTrack two;
        two.SetTrackPeriod(1);
        const AnimationFrame offClip = Frame(off.Get(), 0, 0.6), onClip = Frame(on.Get(), 0.4, 1);
        ASSERT_EQ(two.AddFrame(o.offFirst ? offClip : onClip), kSuccess);
        ASSERT_EQ(two.AddFrame(o.offFirst ? onClip : offClip), kSuccess);
        two.SetTrackPosition(o.position);
        two.Update(0);
        EXPECT_EQ(two.switchValue, o.value) << o.offFirst << " " << o.position;
    }
}

// --- Stream --------------------------------------------------------------------------------------

TEST(AnimationControllerStream, BaseBlockAnimationsFramesThenPeriod)
{
    test::EngineScope engine;
    Ptr<FloatAnimation> ramp = FloatKeys("ramp", {{0, 0}});
    AnimationController controller;
    controller.SetName(String("track"));
    controller.SetActive(false);
    ASSERT_EQ(controller.AddAnimation(ramp.Get()), kSuccess);
    ASSERT_EQ(controller.AddFrame(Frame(ramp.Get(), 0.25, 0.75, AnimationFrame::kClamp, 2, 0.5)), kSuccess);
    controller.SetTrackPeriod(12.5);
    controller.SetTrackPosition(0.4);

    Stream out;
    ASSERT_EQ(controller.Save(out), kSuccess);
    const Bytes rampRecord = test::SavedRecord(ramp.Get());
    Bytes expected;
    test::PutControllerBlock(expected, "track", false);
    test::PutInt(expected, 1);
    expected.insert(expected.end(), rampRecord.begin(), rampRecord.end());
    test::PutInt(expected, 1);
    test::PutInt(expected, ramp->ID());  // Met before: the bare ID.
    test::PutInt(expected, AnimationFrame::kClamp);
    for (double value : {0.25, 0.75, 2.0, 0.5, 12.5})  // Start, end, scale, offset, then the period.
        test::PutDouble(expected, value);
    EXPECT_EQ(Bytes(out.Data(), out.Data() + out.Position()), expected);

    Ptr<AnimationController> back = test::LoadedRecord<AnimationController>(test::SavedRecord(&controller));
    ASSERT_TRUE(back);
    EXPECT_FALSE(back->IsActive());
    ASSERT_EQ(back->AnimationCount(), 1u);
    ASSERT_EQ(back->FrameCount(), 1u);
    EXPECT_EQ(back->GetFrame(0)->animation.Get(), back->GetAnimation(0));
    EXPECT_EQ(back->GetFrame(0)->mode, AnimationFrame::kClamp);
    EXPECT_EQ(back->GetFrame(0)->scale, 2.0);
    EXPECT_EQ(back->GetFrame(0)->offset, 0.5);
    EXPECT_EQ(back->TrackPeriod(), 12.5);
    EXPECT_EQ(back->TrackPosition(), 0.0);  // Not saved.
    EXPECT_EQ(back->StageCount(), 0u);
    EXPECT_EQ(back->FindByName(String("ramp")), back->GetAnimation(0));
}

// A controller record "c" with no animations, one frame (null animation) from `start` to `end`,
// and the period.
Bytes ControllerRecord(double start, double end, double period, uint32_t frames = 1)
{
    Bytes bytes;
    test::PutInt(bytes, 40);
    test::PutString(bytes, "ZEN.AnimationController");
    test::PutControllerBlock(bytes, "c");
    test::PutInt(bytes, 0);
    test::PutInt(bytes, frames);
    test::PutInt(bytes, Stream::kNullID);
    test::PutInt(bytes, 1);
    for (double value : {start, end, 1.0, 0.0, period})  // Start, end, scale, offset, then the period.
        test::PutDouble(bytes, value);
    return bytes;
}

TEST(AnimationControllerStream, RefusesBadFramesAndPeriodsWithALogLine)
{
    test::EngineScope engine;
    struct Case {
        const char* what;
        Bytes bytes;
        const char* line;
    };
    const Case cases[] = {
        {"end before start", ControllerRecord(0.6, 0.5, 2), "Конец фрейма анимации раньше начала."},
        {"the controller named", ControllerRecord(0.6, 0.5, 2), "Невозможно загрузить фрейм анимаций. Имя[c]"},
        {"start not a number", ControllerRecord(std::nan(""), 0.5, 2), "Недопустимое число во фрейме анимации."},
        {"infinite period", ControllerRecord(0, 1, std::numeric_limits<double>::infinity()),
         "Невозможно загрузить период трэка."},
        {"more frames than bytes", ControllerRecord(0, 1, 2, 1000), "Невозможно загрузить количество фреймов анимаций."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        test::LogCapture log;
        EXPECT_FALSE(test::LoadedRecord<AnimationController>(c.bytes));
        EXPECT_TRUE(log.ContainsText(c.line)) << log.Joined();
    }
    // A frame of no length and a period of 0 load (the track then stands still).
    EXPECT_TRUE(test::LoadedRecord<AnimationController>(ControllerRecord(0.5, 0.5, 0)));
}

TEST(AnimationControllerStream, AddFrameRefusesWhatLoadRefuses)
{
    AnimationController controller;
    EXPECT_EQ(controller.AddFrame(Frame(nullptr, 0.6, 0.5)), kInvalidArgument);
    EXPECT_EQ(controller.AddFrame(Frame(nullptr, 0, 1, 1, std::nan(""))), kInvalidArgument);
    EXPECT_EQ(controller.FrameCount(), 0u);
}

}  // namespace
}  // namespace zen
