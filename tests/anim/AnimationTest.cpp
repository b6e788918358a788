#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "anim/AnimTestSupport.h"
#include "engine/anim/BlendStage.h"
#include "engine/anim/BoolAnimation.h"
#include "engine/anim/ColorAnimation.h"
#include "engine/anim/FloatAnimation.h"
#include "engine/anim/GenParticlesAnimation.h"
#include "engine/anim/Interpolation.h"
#include "engine/anim/NodeAnimation.h"
#include "engine/anim/SoundNodeAnimation.h"
#include "engine/anim/TextureAnimation.h"
#include "engine/anim/TextureKeyframe.h"
#include "support/EngineScope.h"
#include "support/LogCapture.h"
#include "support/RecordBytes.h"

// Keyframe animations: the key search and the stage position between keys, the kinds and the
// keys they make, and the stream form with its refusals.
namespace zen {
namespace {

using test::Bytes;
using test::FloatKeys;

// --- Key search and stage evaluation --------------------------------------------------------------

struct EvaluateCase {
    const char* what;
    std::vector<double> times;
    double t;
    uint32_t key;
    uint32_t next;
    double fraction;
};

TEST(BlendStageEvaluate, FindsTheKeyInForceAndTheFractionToTheNext)
{
    const EvaluateCase cases[] = {
        {"before the first key wraps to the last", {0.25, 0.75}, 0.1, 1, 0, 0.7},
        {"on the first key", {0.25, 0.75}, 0.25, 0, 1, 0.0},
        {"between two keys", {0.25, 0.75}, 0.5, 0, 1, 0.5},
        {"on the last key", {0.25, 0.75}, 0.75, 1, 0, 0.0},
        {"after the last key", {0.25, 0.75}, 0.9, 1, 0, 0.3},
        {"equal times resolve to the later key", {0.0, 0.5, 0.5, 0.8}, 0.5, 2, 3, 0.0},
        {"past the repeated time", {0.0, 0.5, 0.5, 0.8}, 0.6, 2, 3, 1.0 / 3.0},
        {"a single key is constant", {0.4}, 0.9, 0, 0, 0.0},
        {"five keys, bisection lands in the middle", {0.0, 0.1, 0.2, 0.3, 0.4}, 0.25, 2, 3, 0.5},
        {"five keys, the last span wraps", {0.0, 0.1, 0.2, 0.3, 0.4}, 0.7, 4, 0, 0.5},
        {"a time past the cycle stays on the last key", {0.0, 0.5}, 1.0, 1, 0, 1.0},
        {"a time that is not a number is taken as 0", {0.0, 0.5}, std::nan(""), 0, 1, 0.0},
    };
    for (const EvaluateCase& c : cases) {
        SCOPED_TRACE(c.what);
        Ptr<FloatAnimation> animation(new FloatAnimation());
        for (double time : c.times) {
            Keyframe* key = animation->NewKeyframe();
            key->time = time;
            ASSERT_EQ(animation->AppendKeyframe(key), kSuccess);
        }
        BlendStage stage;
        stage.animation = animation.Get();
        stage.Evaluate(c.t);
        EXPECT_EQ(stage.keyIndex, c.key);
        EXPECT_EQ(stage.nextKeyIndex, c.next);
        EXPECT_NEAR(stage.fraction, c.fraction, 1e-12);
    }
}

TEST(AnimationSearch, AnyHintGivesTheBisectionsAnswer)
{
    // Keys with repeated times and a gap; every hint (in range, past the end, the answer's
    // neighbours) must give the last key whose time is <= t, or the last key before the first.
    const std::vector<std::vector<double>> keySets = {
        {0.0, 0.1, 0.1, 0.1, 0.5, 0.9}, {0.2, 0.2, 0.7}, {0.3}, {0.0, 0.25, 0.5, 0.75}};
    for (const std::vector<double>& times : keySets) {
        Ptr<FloatAnimation> animation(new FloatAnimation());
        for (double time : times) {
            Keyframe* key = animation->NewKeyframe();
            key->time = time;
            ASSERT_EQ(animation->AppendKeyframe(key), kSuccess);
        }
        const uint32_t count = animation->KeyframeCount();
        std::vector<double> probes(times);  // Exactly on each key time, and on a grid.
        for (double t = -0.05; t < 1.1; t += 0.025)
            probes.push_back(t);
        for (double t : probes) {
            uint32_t expected = count - 1;
            for (uint32_t i = 0; i < count; ++i)
                if (times[i] <= t)
                    expected = i;
            for (uint32_t hint = 0; hint <= count + 1; ++hint)
                ASSERT_EQ(animation->FindKeyframe(t, hint), expected) << "t " << t << " hint " << hint;
        }
    }
}

TEST(BlendStageEvaluate, WithoutAnimationOrKeysNothingMoves)
{
    BlendStage stage;
    stage.keyIndex = 7;
    stage.fraction = 0.25;
    stage.Evaluate(0.5);
    EXPECT_EQ(stage.keyIndex, 7u);
    Ptr<FloatAnimation> empty(new FloatAnimation());
    stage.animation = empty.Get();
    stage.Evaluate(0.5);
    EXPECT_EQ(stage.keyIndex, 7u);
    EXPECT_DOUBLE_EQ(stage.fraction, 0.25);
    EXPECT_FALSE(stage.HasKeys(Keyframe::kFloat));
}

// --- Spherical interpolation -----------------------------------------------------------------------

TEST(Slerp, TurnsAlongTheShorterArc)
{
    // sin 22.5 = 0.38268343, cos 22.5 = 0.92387953: an eighth turn has half-angle 22.5 degrees.
    const Quaternion identity{0, 0, 0, 1};
    const Quaternion quarterY{0, 0.70710678f, 0, 0.70710678f};
    const Quaternion negatedQuarterY{0, -0.70710678f, 0, -0.70710678f};  // The same rotation.
    struct Case {
        const char* what;
        Quaternion p, q;
        float t;
        Quaternion expected;
    };
    const Case cases[] = {
        {"half way to a quarter turn", identity, quarterY, 0.5f, {0, 0.38268343f, 0, 0.92387953f}},
        // d < 0: p sin(theta/2)/sin theta - q sin(theta/2)/sin theta with theta = 45 degrees.
        {"the same turn written negated goes the short way", identity, negatedQuarterY, 0.5f,
         {0, 0.38268343f, 0, 0.92387953f}},
        // d = 0, theta = 90 degrees: weights sin 67.5 and sin 22.5 of a half turn about z.
        {"a quarter of a half turn", identity, {0, 0, 1, 0}, 0.25f, {0, 0, 0.38268343f, 0.92387953f}},
        {"the end of the way", quarterY, identity, 1.0f, identity},
        {"rotations within float precision give p", quarterY, {0, 0.70710683f, 0, 0.70710673f}, 0.5f, quarterY},
        {"opposite signs of one rotation give p", quarterY, negatedQuarterY, 0.5f, quarterY},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Quaternion r = Slerp(c.t, c.p, c.q);
        EXPECT_NEAR(r.x, c.expected.x, 1e-6f);
        EXPECT_NEAR(r.y, c.expected.y, 1e-6f);
        EXPECT_NEAR(r.z, c.expected.z, 1e-6f);
        EXPECT_NEAR(r.w, c.expected.w, 1e-6f);
    }
}

// --- Kinds ---------------------------------------------------------------------------------------

TEST(AnimationKinds, EachMakesItsKeyKindAndRefusesOthers)
{
    struct Case {
        Ptr<Animation> animation;
        Keyframe::Kind kind;
    };
    const Case cases[] = {
        {new Animation(), Keyframe::kPlain},       {new NodeAnimation(), Keyframe::kNode},
        {new TextureAnimation(), Keyframe::kTexture}, {new ColorAnimation(), Keyframe::kColor},
        {new FloatAnimation(), Keyframe::kFloat},  {new BoolAnimation(), Keyframe::kBool},
        {new GenParticlesAnimation(), Keyframe::kBool}, {new SoundNodeAnimation(), Keyframe::kBool},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.animation->GetRtti()->Name().CStr());
        Keyframe* key = c.animation->NewKeyframe();
        ASSERT_NE(key, nullptr);
        EXPECT_EQ(key->GetKind(), c.kind);
        EXPECT_EQ(c.animation->AppendKeyframe(key), kSuccess);
        // A key of another kind would be read as the wrong type by a controller.
        Keyframe* other = c.kind == Keyframe::kColor ? static_cast<Keyframe*>(new FloatKeyframe())
                                                     : static_cast<Keyframe*>(new ColorKeyframe());
        EXPECT_EQ(c.animation->AppendKeyframe(other), kInvalidArgument);
        EXPECT_EQ(c.animation->KeyframeCount(), 1u);
    }
}

TEST(AnimationKinds, AppendRefusesTimesOutOfOrderOrNotFinite)
{
    Ptr<FloatAnimation> animation = FloatKeys("f", {{0.2, 1.0f}});
    const double refused[] = {0.1, std::nan(""), std::numeric_limits<double>::infinity()};
    for (double time : refused) {
        Keyframe* key = animation->NewKeyframe();
        key->time = time;
        EXPECT_EQ(animation->AppendKeyframe(key), kInvalidArgument) << time;
    }
    Keyframe* same = animation->NewKeyframe();
    same->time = 0.2;
    EXPECT_EQ(animation->AppendKeyframe(same), kSuccess);
    EXPECT_EQ(animation->AppendKeyframe(nullptr), kInvalidArgument);
    EXPECT_EQ(animation->KeyframeCount(), 2u);
}

// --- Stream --------------------------------------------------------------------------------------

// The record of a float animation named "f" with keys (t0, v0), (t1, v1), built by hand.
Bytes FloatAnimationRecord(uint32_t id, double t0, float v0, double t1, float v1, uint32_t count = 2)
{
    Bytes bytes;
    test::PutInt(bytes, id);
    test::PutString(bytes, "ZEN.FloatAnimation");
    test::PutString(bytes, "f");
    test::PutInt(bytes, 0);  // No controllers.
    test::PutInt(bytes, count);
    test::PutDouble(bytes, t0);
    test::PutFloat(bytes, v0);
    test::PutDouble(bytes, t1);
    test::PutFloat(bytes, v1);
    return bytes;
}

TEST(AnimationStream, CountThenEachKeyTimeAndValue)
{
    test::EngineScope engine;
    Ptr<FloatAnimation> animation = FloatKeys("f", {{0.25, 3.5f}, {0.75, -1.0f}});
    const Bytes saved = test::SavedRecord(animation.Get());
    EXPECT_EQ(saved, FloatAnimationRecord(animation->ID(), 0.25, 3.5f, 0.75, -1.0f));

    Ptr<FloatAnimation> back = test::LoadedRecord<FloatAnimation>(saved);
    ASSERT_TRUE(back);
    ASSERT_EQ(back->KeyframeCount(), 2u);
    EXPECT_EQ(back->GetKeyframe(1)->time, 0.75);
    EXPECT_EQ(static_cast<FloatKeyframe*>(back->GetKeyframe(1))->value, -1.0f);
}

TEST(AnimationStream, EveryKindRoundTripsItsFields)
{
    test::EngineScope engine;
    Ptr<NodeAnimation> node = test::MakeAnimation<NodeAnimation, NodeKeyframe, float>(
        "n", {{0.0, 1.0f}, {0.5, 2.0f}}, [](NodeKeyframe& key, float v) {
            key.translation = {v, 2 * v, 3 * v};
            key.rotation = {0, 0.6f, 0, 0.8f};
            key.scale = {v, v, 1};
        });
    Ptr<ColorAnimation> color = test::MakeAnimation<ColorAnimation, ColorKeyframe, float>(
        "c", {{0.1, 0.5f}}, [](ColorKeyframe& key, float v) { key.color = {v, 0.25f, 1, 0.75f}; });
    Ptr<SoundNodeAnimation> sound = test::MakeAnimation<SoundNodeAnimation, BoolKeyframe, bool>(
        "s", {{0.0, false}, {0.3, true}}, [](BoolKeyframe& key, bool v) { key.value = v; });

    Ptr<NodeAnimation> nodeBack = test::LoadedRecord<NodeAnimation>(test::SavedRecord(node.Get()));
    ASSERT_TRUE(nodeBack);
    const auto* key = static_cast<NodeKeyframe*>(nodeBack->GetKeyframe(1));
    EXPECT_EQ(key->translation, (Vector3{2, 4, 6}));
    EXPECT_EQ(key->rotation, (Quaternion{0, 0.6f, 0, 0.8f}));
    EXPECT_EQ(key->scale, (Vector3{2, 2, 1}));

    Ptr<ColorAnimation> colorBack = test::LoadedRecord<ColorAnimation>(test::SavedRecord(color.Get()));
    ASSERT_TRUE(colorBack);
    EXPECT_EQ(static_cast<ColorKeyframe*>(colorBack->GetKeyframe(0))->color, (Vector4{0.5f, 0.25f, 1, 0.75f}));

    const Bytes soundBytes = test::SavedRecord(sound.Get());
    EXPECT_EQ(soundBytes.back(), 1);  // The last key's bool as one byte.
    Ptr<SoundNodeAnimation> soundBack = test::LoadedRecord<SoundNodeAnimation>(soundBytes);
    ASSERT_TRUE(soundBack);
    EXPECT_FALSE(static_cast<BoolKeyframe*>(soundBack->GetKeyframe(0))->value);
    EXPECT_TRUE(static_cast<BoolKeyframe*>(soundBack->GetKeyframe(1))->value);
}

TEST(AnimationStream, RefusesBadKeysWithALogLine)
{
    test::EngineScope engine;
    struct Case {
        const char* what;
        Bytes bytes;
        const char* line;
    };
    Bytes truncated = FloatAnimationRecord(7, 0.0, 1, 0.5, 2);
    truncated.resize(truncated.size() - 2);
    const Case cases[] = {
        {"times out of order", FloatAnimationRecord(7, 0.5, 1, 0.25, 2), "Время кифрейма анимации вне порядка."},
        {"a time that is not a number", FloatAnimationRecord(7, std::nan(""), 1, 0.5, 2),
         "Время кифрейма анимации вне порядка."},
        {"an infinite time", FloatAnimationRecord(7, 0.0, 1, std::numeric_limits<double>::infinity(), 2),
         "Время кифрейма анимации вне порядка."},
        {"a key cut short", truncated, "Невозможно загрузить данные кифрейма."},
        {"more keys than bytes", FloatAnimationRecord(7, 0.0, 1, 0.5, 2, 0x40000000u),
         "Невозможно загрузить количество кифреймов анимации."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        test::LogCapture log;
        EXPECT_FALSE(test::LoadedRecord<FloatAnimation>(c.bytes));
        EXPECT_TRUE(log.ContainsText(c.line)) << log.Joined();
    }
}

TEST(AnimationStream, AnEmptyAnimationLoadsAndEvaluatesToNothing)
{
    test::EngineScope engine;
    Ptr<FloatAnimation> empty(new FloatAnimation());
    Ptr<FloatAnimation> back = test::LoadedRecord<FloatAnimation>(test::SavedRecord(empty.Get()));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->KeyframeCount(), 0u);
    EXPECT_EQ(back->FindKeyframe(0.5), 0u);
}

}  // namespace
}  // namespace zen
