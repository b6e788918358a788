#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "tools/art/Lettering.h"
#include "tools/art/StrokeFont.h"

namespace zen::art {
namespace {

const StrokeFont& Font()
{
    return StrokeFont::Standard();
}

// Every character the pictures letter, and the whole alphabet besides.
TEST(StrokeFont, HasEveryGlyphThePicturesUse)
{
    const std::string used = "LIGHTHOUSE 3D SCREENSAVER BRIGHTFOLD presents Loading... N 0123456789 .:apm";
    for (const char c : used)
        EXPECT_TRUE(c == ' ' || Font().HasGlyph(c)) << "'" << c << "'";
    for (char c = 'A'; c <= 'Z'; ++c)
        EXPECT_TRUE(Font().HasGlyph(c)) << c;
    for (char c = 'a'; c <= 'z'; ++c)
        EXPECT_TRUE(Font().HasGlyph(c)) << c;
    EXPECT_FALSE(Font().HasGlyph('#'));
}

// A definition that fails to parse loses its later strokes; every glyph's ink must stay inside
// its advance and between the descender and the capital height.
TEST(StrokeFont, EveryGlyphParsesIntoItsOwnBox)
{
    for (int code = 33; code < 127; ++code) {
        const char c = static_cast<char>(code);
        if (!Font().HasGlyph(c))
            continue;
        const std::string text(1, c);
        const Path path = Font().Layout(text, Vec2(0, 0), 10);
        Vec2 low;
        Vec2 high;
        ASSERT_TRUE(path.Bounds(low, high)) << c;
        const float width = Font().Measure(text, 10);
        EXPECT_GE(low.x, -1.5f) << c;  // Only a hook (j) reaches back into the gap.
        EXPECT_LE(high.x, width + 0.9f) << c;
        EXPECT_GE(low.y, -11.1f) << c;  // y grows downwards: -10 is the capital height.
        EXPECT_LE(high.y, 3.6f) << c;
    }
    // Capitals reach from the baseline to the capital height.
    for (const char c : std::string("EHIKLMNTXZ")) {
        Vec2 low;
        Vec2 high;
        ASSERT_TRUE(Font().Layout(std::string(1, c), Vec2(0, 0), 10).Bounds(low, high));
        EXPECT_NEAR(low.y, -10, 0.05f) << c;
        EXPECT_NEAR(high.y, 0, 0.05f) << c;
    }
}

TEST(StrokeFont, LayoutAdvancesByMeasureAndScales)
{
    const Path one = Font().Layout("H", Vec2(5, 50), 20);
    Vec2 low;
    Vec2 high;
    ASSERT_TRUE(one.Bounds(low, high));
    EXPECT_NEAR(low.x, 5, 1e-4);
    EXPECT_NEAR(high.x, 5 + 14, 1e-4);  // H is 7 units wide.
    EXPECT_NEAR(low.y, 30, 1e-4);
    EXPECT_NEAR(high.y, 50, 1e-4);

    const float pair = Font().Measure("HH", 20);
    EXPECT_NEAR(pair, 2 * 14 + StrokeFont::kGap * 2, 1e-4);
    ASSERT_TRUE(Font().Layout("HH", Vec2(0, 0), 20).Bounds(low, high));
    EXPECT_NEAR(high.x - low.x, pair, 1e-4);
    EXPECT_NEAR(Font().Measure("HH", 20, 0.5f), pair + 10, 1e-4);
    EXPECT_EQ(Font().Measure("", 20), 0.0f);
    // Unknown characters take a space's room.
    EXPECT_NEAR(Font().Measure("H#H", 10), Font().Measure("H H", 10), 1e-5);
}

TEST(Lettering, AlignsOnTheAnchor)
{
    TextStyle style;
    style.capHeight = 12;
    Vec2 low;
    Vec2 high;
    ASSERT_TRUE(Lettering::Strokes("LIGHT", Vec2(100, 40), Align::kCentre, style).Bounds(low, high));
    EXPECT_NEAR((low.x + high.x) * 0.5f, 100, 0.5f);
    ASSERT_TRUE(Lettering::Strokes("LIGHT", Vec2(100, 40), Align::kRight, style).Bounds(low, high));
    EXPECT_NEAR(high.x, 100, 0.5f);
    EXPECT_NEAR(Lettering::Width("LIGHT", style), Font().Measure("LIGHT", 12) + 12 * style.weight, 1e-4);
}

TEST(Lettering, DrawsFillOverOutlineAndShadow)
{
    Canvas canvas(80, 40);
    TextStyle style;
    style.capHeight = 24;
    style.weight = 0.15f;
    style.outline = Color(0, 0, 0, 1);
    style.outlineWidth = 2;
    style.shadow = Color(0, 0, 0, 0.5f);
    style.shadowOffset = Vec2(2, 2);
    Lettering::Draw(canvas, "I", Vec2(40, 32), Align::kCentre, style);
    EXPECT_GT(canvas.At(40, 20).r, 0.99f);  // The stroke itself: white.
    EXPECT_GT(canvas.At(40, 20).a, 0.99f);
    const Color rim = canvas.At(43, 20);   // Just outside the stroke: the dark outline.
    EXPECT_GT(rim.a, 0.5f);
    EXPECT_LT(rim.r, 0.2f);
    EXPECT_EQ(canvas.At(5, 5).a, 0.0f);
}

}  // namespace
}  // namespace zen::art
