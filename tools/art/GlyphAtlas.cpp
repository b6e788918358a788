#include "tools/art/GlyphAtlas.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "engine/core/MessageLog.h"

// The rasteriser is a single-header library from Debian's libstb-dev; it is compiled here, its
// symbols kept private to this file, and its own code exempt from our warnings.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wall"
#pragma GCC diagnostic ignored "-Wextra"
#pragma GCC diagnostic ignored "-Wconversion"
#pragma GCC diagnostic ignored "-Wsign-conversion"
#pragma GCC diagnostic ignored "-Wcast-qual"
#pragma GCC diagnostic ignored "-Wdouble-promotion"
#pragma GCC diagnostic ignored "-Wunused-function"
#define STBTT_STATIC
#define STB_TRUETYPE_IMPLEMENTATION
#include <stb_truetype.h>
#pragma GCC diagnostic pop

#include "tools/art/Canvas.h"

namespace zen::art {

Result GlyphAtlas::Make(const std::vector<uint8_t>& font, float pixelHeight, int first, int last, int width, int height)
{
    if (first > last || first < 0 || last > 255 || width <= 0 || height <= 0 || !(pixelHeight > 1.0f))
        return kInvalidArgument;
    // The table directory alone is 12 bytes; anything shorter cannot be a font.
    stbtt_fontinfo info;
    const int offset = font.size() >= 12 ? stbtt_GetFontOffsetForIndex(font.data(), 0) : -1;
    if (offset < 0 || !stbtt_InitFont(&info, font.data(), offset)) {
        Error("Не удалось прочитать шрифт TrueType (%u байт).", static_cast<unsigned>(font.size()));
        return kFailure;
    }
    const float scale = stbtt_ScaleForPixelHeight(&info, pixelHeight);
    int ascent = 0, descent = 0, gap = 0;
    stbtt_GetFontVMetrics(&info, &ascent, &descent, &gap);
    m_width = width;
    m_height = height;
    m_ascent = static_cast<int>(std::ceil(static_cast<float>(ascent) * scale));
    m_descent = static_cast<int>(std::ceil(static_cast<float>(-descent) * scale));
    m_glyphs.clear();
    m_coverage.assign(static_cast<size_t>(width) * static_cast<size_t>(height), 0);

    const int line = m_ascent + m_descent + 2;  // Two empty rows between lines of cells.
    int penX = 0, top = 0;
    std::vector<uint8_t> bitmap;
    for (int code = first; code <= last; ++code) {
        const int index = stbtt_FindGlyphIndex(&info, code);
        if (index == 0 && code != ' ') {
            Error("В шрифте нет знака [%d].", code);
            return kFailure;
        }
        int advance = 0, bearing = 0;
        stbtt_GetGlyphHMetrics(&info, index, &advance, &bearing);
        Glyph glyph;
        glyph.code = code;
        glyph.advance = static_cast<int>(std::lround(static_cast<float>(advance) * scale));
        const int cell = glyph.advance + 2 * kMargin;
        if (penX + cell > width) {
            penX = 0;
            top += line;
        }
        if (cell > width || top + line > height) {
            Error("Знаки шрифта не помещаются в изображение %dx%d.", width, height);
            return kFailure;
        }
        glyph.x = penX;
        glyph.y = top + m_ascent;
        int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
        stbtt_GetGlyphBitmapBox(&info, index, scale, scale, &x0, &y0, &x1, &y1);
        const int w = x1 - x0, h = y1 - y0;
        if (w > 0 && h > 0) {
            bitmap.assign(static_cast<size_t>(w) * static_cast<size_t>(h), 0);
            stbtt_MakeGlyphBitmap(&info, bitmap.data(), w, h, w, scale, scale, index);
            // Into the cell, clipped to it so that no glyph reaches into its neighbour's.
            for (int row = 0; row < h; ++row) {
                const int ty = glyph.y + y0 + row;
                if (ty < top || ty >= top + m_ascent + m_descent)
                    continue;
                for (int column = 0; column < w; ++column) {
                    const int tx = glyph.x + kMargin + x0 + column;
                    if (tx < glyph.x || tx >= glyph.x + cell)
                        continue;
                    m_coverage[static_cast<size_t>(ty) * static_cast<size_t>(width) + static_cast<size_t>(tx)] =
                        bitmap[static_cast<size_t>(row) * static_cast<size_t>(w) + static_cast<size_t>(column)];
                }
            }
        }
        m_glyphs.push_back(glyph);
        penX += cell;
    }
    return kSuccess;
}

uint8_t GlyphAtlas::Coverage(int x, int y) const
{
    if (x < 0 || y < 0 || x >= m_width || y >= m_height)
        return 0;
    return m_coverage[static_cast<size_t>(y) * static_cast<size_t>(m_width) + static_cast<size_t>(x)];
}

Ptr<Image> GlyphAtlas::ToImage(const String& name) const
{
    if (m_width <= 0 || m_height <= 0)
        return nullptr;
    Canvas canvas(m_width, m_height);
    canvas.Shade([&](Vec2 centre, Color) {
        const int x = static_cast<int>(centre.x), y = static_cast<int>(centre.y);
        return Color(1, 1, 1, static_cast<float>(Coverage(x, y)) / 255.0f);
    });
    return canvas.ToImage(Image::kR8G8B8A8, name);
}

std::string GlyphAtlas::Parameters() const
{
    std::string text;
    char line[160];
    std::snprintf(line, sizeof line, "ascent = %d\ndescent = %d\nheight = %d\nxOffset = %d\nyOffset = %d\nnumChars = %d\n",
                  m_ascent, m_descent, m_ascent + m_descent, kMargin, 0, static_cast<int>(m_glyphs.size()));
    text += line;
    for (const Glyph& glyph : m_glyphs) {
        std::snprintf(line, sizeof line, "char = %d; A = 0; B = %d; C = 0; x = %d; y = %d;\n", glyph.code,
                      glyph.advance, glyph.x, glyph.y);
        text += line;
    }
    return text;
}

}  // namespace zen::art
