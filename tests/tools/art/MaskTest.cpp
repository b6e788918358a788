#include <gtest/gtest.h>

#include <cmath>

#include "tools/art/Mask.h"

namespace zen::art {
namespace {

// Non-zero winding test of a point against a closed polygon.
bool Inside(const std::vector<Vec2>& polygon, Vec2 p)
{
    int winding = 0;
    for (size_t i = 0; i < polygon.size(); ++i) {
        const Vec2 a = polygon[i];
        const Vec2 b = polygon[(i + 1) % polygon.size()];
        const float side = (b.x - a.x) * (p.y - a.y) - (p.x - a.x) * (b.y - a.y);
        if (a.y <= p.y && b.y > p.y && side > 0)
            ++winding;
        else if (a.y > p.y && b.y <= p.y && side < 0)
            --winding;
    }
    return winding != 0;
}

float Total(const Mask& mask)
{
    float sum = 0;
    for (int y = 0; y < mask.Height(); ++y)
        for (int x = 0; x < mask.Width(); ++x)
            sum += mask.At(x, y);
    return sum;
}

TEST(MaskFill, PixelAlignedRectangleCoversWholePixelsExactly)
{
    Mask mask(10, 8);
    mask.FillPath(Path::Rectangle(2, 1, 5, 3));
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 10; ++x) {
            const bool inside = x >= 2 && x < 7 && y >= 1 && y < 4;
            EXPECT_FLOAT_EQ(mask.At(x, y), inside ? 1.0f : 0.0f) << x << "," << y;
        }
}

TEST(MaskFill, EdgesThroughPixelsGiveTheCoveredFraction)
{
    Mask mask(6, 6);
    mask.FillPath(Path::Rectangle(1.5f, 1.25f, 3, 2));  // x 1.5..4.5, y 1.25..3.25
    EXPECT_NEAR(mask.At(1, 2), 0.5f, 1e-5);   // Half across.
    EXPECT_NEAR(mask.At(2, 1), 0.75f, 1e-5);  // Three quarters down.
    EXPECT_NEAR(mask.At(1, 1), 0.375f, 1e-5);
    EXPECT_NEAR(mask.At(3, 2), 1.0f, 1e-5);
    EXPECT_NEAR(mask.At(4, 3), 0.125f, 1e-5);
    EXPECT_NEAR(Total(mask), 6.0f, 1e-4);
}

TEST(MaskFill, DiagonalEdgesAndCirclesKeepTheirArea)
{
    Mask triangle(20, 20);
    triangle.FillPath(Path::Polygon({{2.3f, 3.1f}, {17.6f, 5.2f}, {6.4f, 18.9f}}));
    const float expected = 0.5f * std::fabs((17.6f - 2.3f) * (18.9f - 3.1f) - (6.4f - 2.3f) * (5.2f - 3.1f));
    EXPECT_NEAR(Total(triangle), expected, 1e-3);

    Mask circle(64, 64);
    circle.FillPath(Path::Circle({31.3f, 30.8f}, 20));
    EXPECT_NEAR(Total(circle), 3.14159265f * 400, 3.14159265f * 400 * 0.002f);
    EXPECT_FLOAT_EQ(circle.At(31, 31), 1.0f);
    EXPECT_FLOAT_EQ(circle.At(2, 2), 0.0f);
}

TEST(MaskFill, ShapesReachingPastEveryEdgeKeepOnlyTheInsidePart)
{
    // A square of side 20 centred on each corner and edge: the mask holds exactly the overlap,
    // and no row is left with coverage running on to its end.
    Mask mask(16, 12);
    mask.FillPath(Path::Rectangle(-10, -10, 20, 20));
    EXPECT_NEAR(Total(mask), 100.0f, 1e-3);
    Mask right(16, 12);
    right.FillPath(Path::Polygon({{10, -5}, {40, 3}, {25, 30}}));
    for (int y = 0; y < 12; ++y) {
        EXPECT_LE(right.At(0, y), 0.0f) << y;
        EXPECT_GE(right.At(15, y), right.At(10, y) - 1e-5f) << y;
    }
    Mask outside(16, 12);
    outside.FillPath(Path::Rectangle(-30, -30, 10, 10));
    outside.FillPath(Path::Rectangle(30, 20, 10, 10));
    EXPECT_EQ(Total(outside), 0.0f);
}

TEST(MaskFill, MatchesPointSamplingForShapesAcrossTheBorders)
{
    const std::vector<std::vector<Vec2>> shapes = {
        {{-6.3f, 2.2f}, {9.7f, -4.1f}, {21.4f, 7.9f}, {3.3f, 17.6f}},        // Over the left and top edges.
        {{5.5f, 3.5f}, {27.2f, 6.1f}, {12.8f, 9.4f}, {25.9f, 20.3f}, {2.1f, 13.7f}},  // Concave, over two.
        {{8.2f, 1.1f}, {14.6f, 1.1f}, {14.6f, 12.9f}, {8.2f, 12.9f}},         // Inside, off the grid.
    };
    for (const std::vector<Vec2>& shape : shapes) {
        Mask mask(20, 15);
        mask.FillPath(Path::Polygon(shape));
        for (int y = 0; y < 15; ++y)
            for (int x = 0; x < 20; ++x) {
                int hits = 0;
                for (int sy = 0; sy < 16; ++sy)
                    for (int sx = 0; sx < 16; ++sx)
                        hits += Inside(shape, Vec2(static_cast<float>(x) + (static_cast<float>(sx) + 0.5f) / 16,
                                                   static_cast<float>(y) + (static_cast<float>(sy) + 0.5f) / 16))
                                    ? 1
                                    : 0;
                EXPECT_NEAR(mask.At(x, y), static_cast<float>(hits) / 256.0f, 0.04f) << x << "," << y;
            }
    }
}

TEST(MaskFill, ReversedContourCutsAHole)
{
    Mask ring(40, 40);
    Path path = Path::Circle({20, 20}, 15);
    path.Append(Path::Circle({20, 20}, 8).Reversed());
    ring.FillPath(path);
    EXPECT_FLOAT_EQ(ring.At(20, 20), 0.0f);
    EXPECT_FLOAT_EQ(ring.At(20, 8), 1.0f);
    EXPECT_NEAR(Total(ring), 3.14159265f * (225 - 64), 2.0f);
}

TEST(MaskStroke, RoundCappedLineAndDotCoverTheirArea)
{
    Mask line(40, 20);
    Path path;
    path.MoveTo({10, 10}).LineTo({30, 10});
    line.StrokePath(path, 4);
    // A 20 × 4 band plus two half discs of radius 2.
    EXPECT_NEAR(Total(line), 80 + 3.14159265f * 4, 1.0f);
    EXPECT_FLOAT_EQ(line.At(20, 9), 1.0f);
    EXPECT_FLOAT_EQ(line.At(20, 13), 0.0f);

    Mask dot(20, 20);
    Path point;
    point.MoveTo({10, 10}).Close();
    dot.StrokePath(point, 6);
    EXPECT_NEAR(Total(dot), 3.14159265f * 9, 1.0f);
}

TEST(MaskStroke, HairlinesFadeInsteadOfVanishing)
{
    Mask mask(20, 10);
    Path path;
    path.MoveTo({0, 5}).LineTo({20, 5});
    mask.StrokePath(path, 0.5f);
    // Half a pixel's width: about half a pixel of coverage per column, never a gap.
    for (int x = 2; x < 18; ++x) {
        const float column = mask.At(x, 4) + mask.At(x, 5) + mask.At(x, 6);
        EXPECT_NEAR(column, 0.5f, 0.2f) << x;
    }
}

TEST(MaskOps, CombineFollowsEachOperator)
{
    Mask a(4, 1);
    Mask b(4, 1);
    a.Row(0)[0] = 0.5f;
    a.Row(0)[1] = 0.5f;
    b.Row(0)[1] = 0.75f;
    b.Row(0)[2] = 1.0f;
    // Pixel 0 combines 0.5 with nothing, pixel 1 0.5 with 0.75.
    const struct {
        Mask::Op op;
        float alone, both;
    } cases[] = {{Mask::Op::kUnion, 0.5f, 0.75f}, {Mask::Op::kAdd, 0.5f, 1.0f},
                 {Mask::Op::kSubtract, 0.5f, 0.125f}, {Mask::Op::kIntersect, 0.0f, 0.375f}};
    for (const auto& c : cases) {
        Mask combined = a;
        combined.Combine(b, c.op);
        EXPECT_FLOAT_EQ(combined.At(0, 0), c.alone) << static_cast<int>(c.op);
        EXPECT_FLOAT_EQ(combined.At(1, 0), c.both) << static_cast<int>(c.op);
    }

    // A shape intersected in clears everything outside it, not just inside its box.
    Mask full(8, 8);
    full.Apply([](int, int, float) { return 1.0f; });
    full.FillPath(Path::Rectangle(2, 2, 2, 2), Mask::Op::kIntersect);
    EXPECT_FLOAT_EQ(Total(full), 4.0f);
}

TEST(MaskOps, BlurSpreadsButKeepsTheMassAwayFromEdges)
{
    Mask mask(41, 41);
    mask.Row(20)[20] = 1;
    mask.Blur(3);
    EXPECT_NEAR(Total(mask), 1.0f, 1e-4);
    EXPECT_NEAR(mask.At(20, 20), 1.0f / (2 * 3.14159265f * 9), 2e-3);
    EXPECT_NEAR(mask.At(23, 20), mask.At(20, 23), 1e-6);
    EXPECT_NEAR(mask.At(17, 20), mask.At(23, 20), 1e-6);
}

TEST(MaskOps, ShiftedMovesContentAndFillsWithNothing)
{
    Mask mask(5, 5);
    mask.Row(1)[1] = 1;
    const Mask moved = mask.Shifted(2, 3);
    EXPECT_FLOAT_EQ(moved.At(3, 4), 1.0f);
    EXPECT_FLOAT_EQ(moved.At(1, 1), 0.0f);
    EXPECT_FLOAT_EQ(Total(mask.Shifted(-2, 0)), 0.0f);
}

}  // namespace
}  // namespace zen::art
