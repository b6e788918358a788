#include <gtest/gtest.h>

#include <cmath>
#include <ctime>

#include "engine/core/Random.h"
#include "support/EngineScope.h"

namespace zen {
namespace {

// The first draws after seeding, as the Microsoft C runtime's rand() gives them for the same
// seeds (values printed by that runtime, not derived from this generator).
TEST(Random, DrawsMatchTheClassicRuntimeSequence)
{
    const struct {
        uint32_t seed;
        int32_t draws[5];
    } cases[] = {
        {1, {41, 18467, 6334, 26500, 19169}},
        {0, {38, 7719, 21238, 2437, 8855}},
        {42, {175, 400, 17869, 30056, 16083}},
    };
    for (const auto& c : cases) {
        Random::Seed(c.seed);
        for (int32_t expected : c.draws)
            EXPECT_EQ(Random::Next(), expected) << "seed " << c.seed;
    }
}

TEST(Random, StateRestores)
{
    Random::Seed(12345);
    const uint32_t saved = Random::State();
    const int32_t next = Random::Next();
    Random::Next();
    Random::SetState(saved);
    EXPECT_EQ(Random::Next(), next);
}

// Over many draws every value stays within 0..32767, both ends occur, and the mean of Unit()
// and Spread() sit where a uniform distribution puts them.
TEST(Random, RangesAndMeans)
{
    Random::Seed(7);
    int32_t low = Random::kMax, high = 0;
    double unitSum = 0, spreadSum = 0;
    float spreadMin = 100, spreadMax = -100;
    const int kDraws = 400000;
    for (int i = 0; i < kDraws; ++i) {
        const int32_t value = Random::Next();
        low = std::min(low, value);
        high = std::max(high, value);
        unitSum += Random::Unit();
        const float spread = Random::Spread(3.0f, 0.5f);
        spreadMin = std::min(spreadMin, spread);
        spreadMax = std::max(spreadMax, spread);
        spreadSum += spread;
    }
    EXPECT_EQ(low, 0);
    EXPECT_EQ(high, Random::kMax);
    EXPECT_NEAR(unitSum / kDraws, 0.5, 0.005);
    EXPECT_NEAR(spreadSum / kDraws, 3.0, 0.005);
    EXPECT_GE(spreadMin, 2.5f);
    EXPECT_LE(spreadMax, 3.5f);
    EXPECT_LT(spreadMin, 2.501f);
    EXPECT_GT(spreadMax, 3.499f);
}

TEST(Random, SpreadEndsAndZeroRangeStillDraws)
{
    // Unit() is r / 32767: a state whose next draw is 0 gives base - range, one giving 32767
    // gives base + range. Seed 1's tenth draw is searched rather than assumed.
    const struct {
        int32_t draw;
        float expected;
    } cases[] = {{0, 1.0f}, {Random::kMax, 5.0f}};
    for (const auto& c : cases) {
        bool found = false;
        for (uint32_t seed = 0; seed < 2000000 && !found; ++seed) {
            Random::Seed(seed);
            if (Random::Next() != c.draw)
                continue;
            Random::Seed(seed);
            EXPECT_FLOAT_EQ(Random::Spread(3.0f, 2.0f), c.expected);
            found = true;
        }
        EXPECT_TRUE(found);
    }
    Random::Seed(99);
    Random::Next();
    const uint32_t afterOne = Random::State();
    Random::Seed(99);
    EXPECT_FLOAT_EQ(Random::Spread(4.0f, 0.0f), 4.0f);
    EXPECT_EQ(Random::State(), afterOne);
}

// Engine start seeds the generator with the calendar time in seconds.
TEST(Random, EngineStartSeedsWithTheTime)
{
    Random::Seed(1);
    const uint32_t before = static_cast<uint32_t>(std::time(nullptr));
    uint32_t state = 0;
    {
        test::EngineScope engine;
        state = Random::State();
    }
    const uint32_t after = static_cast<uint32_t>(std::time(nullptr));
    bool matched = false;
    for (uint32_t t = before; t <= after; ++t)
        matched = matched || state == t;
    EXPECT_TRUE(matched) << state;
}

}  // namespace
}  // namespace zen
