#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "tools/art/Gradient.h"
#include "tools/art/Path.h"
#include "tools/art/Random.h"
#include "tools/art/ValueNoise.h"

namespace zen::art {
namespace {

TEST(Random, SameSeedSameSequenceAndUniformRange)
{
    Random a(42);
    Random b(42);
    Random c(43);
    int differ = 0;
    double sum = 0;
    for (int i = 0; i < 10000; ++i) {
        const float x = a.Next();
        EXPECT_EQ(x, b.Next());
        differ += x != c.Next() ? 1 : 0;
        ASSERT_GE(x, 0.0f);
        ASSERT_LT(x, 1.0f);
        sum += x;
    }
    EXPECT_GT(differ, 9990);
    EXPECT_NEAR(sum / 10000, 0.5, 0.01);
    // A fixed sequence: pictures depend on it staying the same.
    Random fixed(1);
    EXPECT_EQ(fixed.NextBits(), 0x910A2DEC89025CC1ull);
}

TEST(ValueNoise, DeterministicBoundedAndContinuous)
{
    const ValueNoise noise(7);
    const ValueNoise same(7);
    const ValueNoise other(8);
    float low = 1;
    float high = 0;
    int differ = 0;
    for (int i = 0; i < 2000; ++i) {
        const float x = static_cast<float>(i) * 0.137f - 50;
        const float y = static_cast<float>(i % 37) * 0.71f - 9;
        const float v = noise.Fractal(x, y, 5);
        EXPECT_EQ(v, same.Fractal(x, y, 5));
        differ += v != other.Fractal(x, y, 5) ? 1 : 0;
        low = std::min(low, v);
        high = std::max(high, v);
        // Small steps make small changes (no seams at lattice lines).
        EXPECT_LT(std::fabs(noise.Sample(x + 1e-3f, y) - noise.Sample(x, y)), 0.01f);
    }
    EXPECT_GE(low, 0.0f);
    EXPECT_LE(high, 1.0f);
    EXPECT_GT(high - low, 0.4f);  // Not flat.
    EXPECT_GT(differ, 1900);
    // Lattice points take their own random values.
    std::set<float> corners;
    for (int i = 0; i < 20; ++i)
        corners.insert(noise.Sample(static_cast<float>(i), 3));
    EXPECT_GT(corners.size(), 15u);
}

TEST(Gradient, InterpolatesBetweenSortedStopsAndHoldsTheEnds)
{
    const Gradient g{{1, Color(0, 0, 1)}, {0, Color(1, 0, 0)}, {0.5f, Color(0, 1, 0)}};
    EXPECT_EQ(g.Sample(-1), Color(1, 0, 0));
    EXPECT_EQ(g.Sample(2), Color(0, 0, 1));
    const Color quarter = g.Sample(0.25f);
    EXPECT_NEAR(quarter.r, 0.5f, 1e-6);
    EXPECT_NEAR(quarter.g, 0.5f, 1e-6);
    const Paint radial = RadialPaint(Vec2(10, 10), 5, Gradient{{0, Color(1, 1, 1)}, {1, Color(0, 0, 0)}});
    EXPECT_NEAR(radial(Vec2(10, 12.5f)).r, 0.5f, 1e-6);
    const Paint linear = LinearPaint(Vec2(0, 0), Vec2(0, 10), Gradient{{0, Color(0, 0, 0)}, {1, Color(1, 1, 1)}});
    EXPECT_NEAR(linear(Vec2(123, 7)).g, 0.7f, 1e-6);
}

TEST(Path, FlattensCurvesCloseToTheTrueShape)
{
    Path arc;
    arc.ArcTo(Vec2(0, 0), 100, 100, 0, 90);
    for (const Vec2& p : arc.Contours()[0])
        EXPECT_NEAR(p.Length(), 100, 1e-3);
    const std::vector<Vec2>& points = arc.Contours()[0];
    EXPECT_NEAR(points.front().x, 100, 1e-3);
    EXPECT_NEAR(points.back().y, -100, 1e-3);  // 90 degrees is up on the picture.
    for (size_t i = 1; i < points.size(); ++i) {
        // The chord's middle stays within the tolerance of the circle.
        const Vec2 middle = (points[i - 1] + points[i]) * 0.5f;
        EXPECT_GT(middle.Length(), 100 - 0.11f);
    }
    Path curve;
    curve.MoveTo({0, 0}).CubicTo({0, 50}, {100, 50}, {100, 0});
    Vec2 low;
    Vec2 high;
    ASSERT_TRUE(curve.Bounds(low, high));
    EXPECT_NEAR(high.y, 37.5f, 0.2f);
    EXPECT_EQ(curve.Contours()[0].back(), Vec2(100, 0));
}

}  // namespace
}  // namespace zen::art
