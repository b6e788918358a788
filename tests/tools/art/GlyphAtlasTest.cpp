#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "support/RequiredTool.h"
#include "tools/art/GlyphAtlas.h"

namespace zen::art {
namespace {

constexpr const char* kFont = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

std::vector<uint8_t> ReadFont()
{
    std::ifstream in(kFont, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(GlyphAtlas, RefusesWhatIsNotAFontOrDoesNotFit)
{
    const std::vector<uint8_t> font = ReadFont();
    if (font.empty()) {
        if (test::InContinuousIntegration())
            FAIL() << kFont << " is missing: install fonts-dejavu-core (scripts/setup.sh)";
        GTEST_SKIP() << kFont << " is missing";
    }
    std::vector<uint8_t> text(4000, 'x');
    const struct {
        const char* what;
        std::vector<uint8_t> bytes;
        int width;
        Result expected;
    } cases[] = {
        {"nothing", {}, 512, kFailure},
        {"a short header", {0, 1, 0, 0, 0, 0}, 512, kFailure},
        {"text", text, 512, kFailure},
        {"too small a picture", font, 64, kFailure},
        {"no width", font, 0, kInvalidArgument},
        {"the font", font, 512, kSuccess},
    };
    for (const auto& c : cases) {
        GlyphAtlas atlas;
        EXPECT_EQ(atlas.Make(c.bytes, 48, 32, 126, c.width, 512), c.expected) << c.what;
    }
}

// The parameter file puts each glyph's cell at x (left edge) and y (baseline row), a margin
// either side of its advance, ascent above and descent below the baseline: every inked pixel
// lies in its own glyph's cell, and the ink sits where the letter's shape says.
TEST(GlyphAtlas, InkLiesInsideTheCellsAtTheBaseline)
{
    const std::vector<uint8_t> font = ReadFont();
    if (font.empty()) {
        if (test::InContinuousIntegration())
            FAIL() << kFont << " is missing: install fonts-dejavu-core (scripts/setup.sh)";
        GTEST_SKIP() << kFont << " is missing";
    }
    GlyphAtlas atlas;
    ASSERT_EQ(atlas.Make(font, 48, 32, 126, 512, 512), kSuccess);
    ASSERT_EQ(atlas.Glyphs().size(), 95u);
    // 48 pixels from the highest ascent to the lowest descent: DejaVu Sans's 1901 and 483
    // font units of 2384, rounded up.
    EXPECT_EQ(atlas.Ascent(), 39);
    EXPECT_EQ(atlas.Descent(), 10);

    std::vector<int> owner(512 * 512, -1);
    for (size_t i = 0; i < atlas.Glyphs().size(); ++i) {
        const GlyphAtlas::Glyph& g = atlas.Glyphs()[i];
        for (int y = g.y - atlas.Ascent(); y < g.y + atlas.Descent(); ++y)
            for (int x = g.x; x < g.x + g.advance + 2 * GlyphAtlas::kMargin; ++x) {
                ASSERT_EQ(owner[static_cast<size_t>(y * 512 + x)], -1) << "cells overlap at " << x << "," << y;
                owner[static_cast<size_t>(y * 512 + x)] = static_cast<int>(i);
            }
    }
    for (int y = 0; y < 512; ++y)
        for (int x = 0; x < 512; ++x)
            if (atlas.Coverage(x, y) > 0) {
                ASSERT_NE(owner[static_cast<size_t>(y * 512 + x)], -1) << "ink outside every cell at " << x << "," << y;
            }

    // Rows (relative to the baseline, up negative) between which each letter has ink.
    const struct {
        char c;
        int highestAbove;  // The ink reaches at least this far above the baseline ...
        bool below;        // ... and below it (a descender) or not.
    } letters[] = {{'l', 30, false}, {'x', 20, false}, {'g', 20, true}, {'p', 20, true}, {'.', 0, false}, {'T', 30, false}};
    for (const auto& l : letters) {
        const GlyphAtlas::Glyph& g = atlas.Glyphs()[static_cast<size_t>(l.c - 32)];
        int top = 0, bottom = -100;
        for (int y = g.y - atlas.Ascent(); y < g.y + atlas.Descent(); ++y)
            for (int x = g.x; x < g.x + g.advance + 2 * GlyphAtlas::kMargin; ++x)
                if (atlas.Coverage(x, y) > 128) {
                    top = std::min(top, y - g.y);
                    bottom = std::max(bottom, y - g.y);
                }
        SCOPED_TRACE(l.c);
        EXPECT_LE(top, -l.highestAbove);
        EXPECT_EQ(bottom > 1, l.below);
    }
    // The parameter file names every glyph with its cell.
    const std::string parameters = atlas.Parameters();
    EXPECT_EQ(parameters.rfind("ascent = 39\ndescent = 10\nheight = 49\nxOffset = 3\nyOffset = 0\nnumChars = 95\n", 0), 0u);
    const GlyphAtlas::Glyph& a = atlas.Glyphs()['A' - 32];
    EXPECT_NE(parameters.find("char = 65; A = 0; B = " + std::to_string(a.advance) + "; C = 0; x = " +
                              std::to_string(a.x) + "; y = " + std::to_string(a.y) + ";\n"),
              std::string::npos);
}

}  // namespace
}  // namespace zen::art
