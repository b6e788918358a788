#include "engine/text/FontMetrics.h"

#include <cstdio>
#include <cstring>

namespace zen {
namespace {

// Copies the next "\n"-ended line of text[0..size) from `position` into `line` (cut to fit,
// zero-terminated) and moves past it. False at the end of the text.
bool NextLine(const char* text, uint32_t size, uint32_t& position, char (&line)[256])
{
    if (position >= size)
        return false;
    uint32_t end = position;
    while (end < size && text[end] != '\n')
        ++end;
    const uint32_t length = end - position < sizeof line - 1 ? end - position : sizeof line - 1;
    std::memcpy(line, text + position, length);
    line[length] = '\0';
    position = end < size ? end + 1 : end;
    return true;
}

}  // namespace

void FontMetrics::Clear()
{
    *this = FontMetrics{};
}

uint32_t FontMetrics::Parse(const char* text, uint32_t size, uint32_t width, uint32_t height)
{
    Clear();
    if (!text || width == 0 || height == 0)
        return 0;
    const float w = static_cast<float>(width);
    const float h = static_cast<float>(height);

    static const char* const kHeader[6] = {"ascent = %d", "descent = %d", "height = %d",
                                           "xOffset = %d", "yOffset = %d", "numChars = %d"};
    int header[6] = {};
    uint32_t position = 0;
    char line[256];
    for (int i = 0; i < 6 && NextLine(text, size, position, line); ++i)
        if (std::sscanf(line, kHeader[i], &header[i]) != 1)
            header[i] = 0;
    const int fontAscent = header[0], fontDescent = header[1], fontHeight = header[2];
    const int fontXOffset = header[3], fontYOffset = header[4], count = header[5];

    lineHeight = static_cast<float>(fontHeight) / h;
    xOffset = static_cast<float>(fontXOffset) / w;
    baseShift = static_cast<float>(static_cast<double>(fontHeight) - fontYOffset - fontAscent) / h;
    ascent = static_cast<float>(fontAscent) / h;
    descent = static_cast<float>(fontDescent) / h;

    uint32_t taken = 0;
    for (int i = 0; i < count && NextLine(text, size, position, line); ++i) {
        int code = -1, a = 0, b = 0, c = 0, x = 0, y = 0;
        if (std::sscanf(line, "char = %d; A = %d; B = %d; C = %d; x = %d; y = %d;", &code, &a, &b, &c, &x, &y) < 1 ||
            code < 0 || code > 255)
            continue;
        // Pixel sums in double: absurd values stay finite instead of overflowing an int.
        const double cell = static_cast<double>(b) + 2.0 * fontXOffset;
        present[code] = true;
        metrics[code][kPreSpace] = static_cast<float>(a / static_cast<double>(w));
        metrics[code][kGlyphWidth] = static_cast<float>(b / static_cast<double>(w));
        metrics[code][kPostSpace] = static_cast<float>(c / static_cast<double>(w));
        metrics[code][kCellWidth] = static_cast<float>(cell / w);
        texRect[code][kULeft] = static_cast<float>(x / static_cast<double>(w));
        texRect[code][kVTop] =
            static_cast<float>((2.0 * fontYOffset - fontHeight + static_cast<double>(y) + fontDescent) / h);
        texRect[code][kURight] = static_cast<float>((cell + x) / w);
        texRect[code][kVBottom] = static_cast<float>((static_cast<double>(y) + 2.0 * fontYOffset + fontDescent) / h);
        ++taken;
    }
    present[kSpace] = true;
    metrics[kSpace][kPreSpace] = 0;
    metrics[kSpace][kGlyphWidth] = lineHeight * 0.25f;
    metrics[kSpace][kPostSpace] = 0;
    metrics[kSpace][kCellWidth] = lineHeight * 0.25f;
    return taken;
}

float FontMetrics::CharWidth(uint8_t c, float scaleX, float spacing) const
{
    if (!present[c])
        return 0.0f;
    if (c == kSpace)
        return metrics[kSpace][kGlyphWidth] * scaleX + spacing;
    return metrics[c][kGlyphWidth] * scaleX + metrics[c][kPostSpace] + spacing;
}

}  // namespace zen
