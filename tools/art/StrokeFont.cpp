#include "tools/art/StrokeFont.h"

#include <cmath>
#include <cstdlib>
#include <string>

namespace zen::art {
namespace {

// Glyph outlines: "M x y" starts a stroke, "L x y" draws a line to a point, "A cx cy rx ry a0 a1"
// draws an elliptic arc from angle a0 to a1 (degrees, counter-clockwise, 0 to the right) and
// joins it to the stroke, "D x y" is a dot. Units: capital height 10, baseline 0, y up.
struct GlyphDefinition {
    char character;
    float width;
    const char* strokes;
};

constexpr GlyphDefinition kGlyphs[] = {
    {'A', 8, "M 0 0 L 4 10 L 8 0 M 1.44 3.6 L 6.56 3.6"},
    {'B', 6.6f, "M 0 0 L 0 10 L 3.1 10 A 3.1 7.6 2.5 2.4 90 -90 L 0 5.2 M 3.1 5.2 L 3.6 5.2 "
                "A 3.6 2.6 3 2.6 90 -90 L 0 0"},
    {'C', 8.6f, "A 5 5 5 5 45 315"},
    {'D', 7.6f, "M 0 0 L 0 10 L 2.6 10 A 2.6 5 5 5 90 -90 L 0 0"},
    {'E', 6, "M 6 10 L 0 10 L 0 0 L 6 0 M 0 5.1 L 5 5.1"},
    {'F', 6, "M 6 10 L 0 10 L 0 0 M 0 5.1 L 5 5.1"},
    {'G', 10, "A 5 5 5 5 45 360 L 5.6 5"},
    {'H', 7, "M 0 0 L 0 10 M 7 0 L 7 10 M 0 5.1 L 7 5.1"},
    {'I', 0, "M 0 0 L 0 10"},
    {'J', 5.4f, "M 5.4 10 L 5.4 2.9 A 2.7 2.9 2.7 2.9 0 -180 L 0 3.4"},
    {'K', 6.6f, "M 0 0 L 0 10 M 6.4 10 L 0 3.4 M 2.3 5.8 L 6.6 0"},
    {'L', 5.6f, "M 0 10 L 0 0 L 5.6 0"},
    {'M', 9, "M 0 0 L 0 10 L 4.5 1.6 L 9 10 L 9 0"},
    {'N', 7.6f, "M 0 0 L 0 10 L 7.6 0 L 7.6 10"},
    {'O', 10, "A 5 5 5 5 0 360"},
    {'P', 6.6f, "M 0 0 L 0 10 L 3.6 10 A 3.6 7.3 3 2.7 90 -90 L 0 4.6"},
    {'Q', 10, "A 5 5 5 5 0 360 M 6.6 3 L 9.8 -0.4"},
    {'R', 6.8f, "M 0 0 L 0 10 L 3.6 10 A 3.6 7.3 3 2.7 90 -90 L 0 4.6 M 3.4 4.6 L 6.8 0"},
    {'S', 6.6f, "A 3.3 7.55 3.2 2.45 35 270 A 3.3 2.55 3.3 2.55 90 -145"},
    {'T', 7, "M 0 10 L 7 10 M 3.5 10 L 3.5 0"},
    {'U', 7.2f, "M 0 10 L 0 3.6 A 3.6 3.6 3.6 3.6 180 360 L 7.2 10"},
    {'V', 8, "M 0 10 L 4 0 L 8 10"},
    {'W', 11, "M 0 10 L 2.75 0 L 5.5 8.4 L 8.25 0 L 11 10"},
    {'X', 7, "M 0 10 L 7 0 M 0 0 L 7 10"},
    {'Y', 7, "M 0 10 L 3.5 5 L 7 10 M 3.5 5 L 3.5 0"},
    {'Z', 7, "M 0 10 L 7 10 L 0 0 L 7 0"},

    {'0', 6.6f, "A 3.3 5 3.3 5 0 360"},
    {'1', 3.6f, "M 0.2 7.8 L 3 10 L 3 0"},
    {'2', 6.6f, "A 3.3 6.7 3.3 3.3 160 -38 L 0 0 L 6.6 0"},
    {'3', 6.4f, "A 3.1 7.65 2.9 2.35 150 -90 A 3.1 2.65 3.3 2.65 90 -150"},
    {'4', 7, "M 5.1 0 L 5.1 10 L 0 3 L 7 3"},
    {'5', 6.6f, "M 6.1 10 L 1.3 10 L 0.97 5.63 A 3.3 3.3 3.3 3.3 135 -150"},
    {'6', 6.6f, "M 5.3 10 L 0.5 4.7 A 3.3 3.3 3.3 3.3 160 520"},
    {'7', 6.6f, "M 0 10 L 6.6 10 L 2.2 0"},
    {'8', 6.6f, "A 3.3 7.6 2.8 2.4 -90 270 A 3.3 2.6 3.3 2.6 90 450"},
    {'9', 6.6f, "M 1.3 0 L 6.1 5.3 A 3.3 6.7 3.3 3.3 -20 340"},

    {'a', 6.6f, "A 3.3 3.25 3.3 3.25 0 360 M 6.6 6.5 L 6.6 0"},
    {'b', 6.6f, "M 0 10 L 0 0 M 0 3.25 A 3.3 3.25 3.3 3.25 180 540"},
    {'c', 6, "A 3.3 3.25 3.3 3.25 48 312"},
    {'d', 6.6f, "A 3.3 3.25 3.3 3.25 0 360 M 6.6 10 L 6.6 0"},
    {'e', 6.5f, "M 0.1 3.25 L 6.5 3.25 A 3.3 3.25 3.3 3.25 0 312"},
    {'f', 4.2f, "M 4.4 9.5 A 3.3 7.8 1.6 2 70 180 L 1.7 0 M 0 6.5 L 4 6.5"},
    {'g', 6.6f, "A 3.3 3.25 3.3 3.25 0 360 M 6.6 6.5 L 6.6 -1 A 3.3 -1 3.3 2.5 0 -155"},
    {'h', 6.4f, "M 0 10 L 0 0 M 0 3.3 A 3.2 3.3 3.2 3.2 180 0 L 6.4 0"},
    {'i', 0, "M 0 0 L 0 6.5 D 0 9.2"},
    {'j', 1.6f, "M 1.6 6.5 L 1.6 -1.8 A 0 -1.8 1.6 1.7 0 -140 D 1.6 9.2"},
    {'k', 5.6f, "M 0 10 L 0 0 M 5.2 6.5 L 0 2.1 M 1.9 3.7 L 5.6 0"},
    {'l', 0, "M 0 10 L 0 0"},
    {'m', 9.6f, "M 0 0 L 0 6.5 M 0 4.1 A 2.4 4.1 2.4 2.4 180 0 L 4.8 0 M 4.8 4.1 A 7.2 4.1 2.4 2.4 180 0 L 9.6 0"},
    {'n', 6.4f, "M 0 0 L 0 6.5 M 0 3.3 A 3.2 3.3 3.2 3.2 180 0 L 6.4 0"},
    {'o', 6.6f, "A 3.3 3.25 3.3 3.25 0 360"},
    {'p', 6.6f, "M 0 6.5 L 0 -3.2 M 0 3.25 A 3.3 3.25 3.3 3.25 180 540"},
    {'q', 6.6f, "A 3.3 3.25 3.3 3.25 0 360 M 6.6 6.5 L 6.6 -3.2"},
    {'r', 4.6f, "M 0 0 L 0 6.5 M 0 3.4 A 3.4 3.4 3.4 3.1 180 65"},
    {'s', 5.4f, "A 2.7 4.9 2.6 1.6 35 270 A 2.7 1.65 2.7 1.65 90 -145"},
    {'t', 4, "M 1.7 9 L 1.7 1.4 A 3.3 1.4 1.6 1.4 180 290 M 0 6.5 L 4 6.5"},
    {'u', 6.4f, "M 0 6.5 L 0 3.2 A 3.2 3.2 3.2 3.2 180 360 M 6.4 6.5 L 6.4 0"},
    {'v', 6, "M 0 6.5 L 3 0 L 6 6.5"},
    {'w', 9, "M 0 6.5 L 2.25 0 L 4.5 5.4 L 6.75 0 L 9 6.5"},
    {'x', 5.6f, "M 0 6.5 L 5.6 0 M 0 0 L 5.6 6.5"},
    {'y', 6, "M 0 6.5 L 3 0 M 6 6.5 L 1.4 -3.5"},
    {'z', 5.6f, "M 0 6.5 L 5.6 6.5 L 0 0 L 5.6 0"},

    {'.', 0, "D 0 0"},
    {',', 0.8f, "M 0.8 0.4 L 0 -1.8"},
    {':', 0, "D 0 0 D 0 5.5"},
    {';', 0.8f, "M 0.8 0.4 L 0 -1.8 D 0.8 5.5"},
    {'-', 3.6f, "M 0 4.2 L 3.6 4.2"},
    {'\'', 0, "M 0 10 L 0 7.4"},
    {'!', 0, "M 0 10 L 0 3.2 D 0 0"},
    {'?', 5.6f, "A 2.8 7.3 2.8 2.7 165 -70 L 2.8 3.2 D 2.8 0"},
    {'/', 5, "M 0 -1 L 5 11"},
};

// Reads the next number of a definition; false at the end or on anything else.
bool ReadNumber(std::string_view text, size_t& at, float& out)
{
    while (at < text.size() && text[at] == ' ')
        ++at;
    const std::string word(text.substr(at, text.find(' ', at) - at));
    if (word.empty())
        return false;
    char* end = nullptr;
    out = std::strtof(word.c_str(), &end);
    if (end != word.c_str() + word.size())
        return false;
    at += word.size();
    return true;
}

}  // namespace

const StrokeFont& StrokeFont::Standard()
{
    static const StrokeFont font;
    return font;
}

StrokeFont::StrokeFont()
{
    for (const GlyphDefinition& definition : kGlyphs)
        m_glyphs.push_back(Parse(definition.character, definition.width, definition.strokes));
}

StrokeFont::Glyph StrokeFont::Parse(char character, float width, std::string_view definition)
{
    Glyph glyph;
    glyph.character = character;
    glyph.width = width;
    size_t at = 0;
    while (at < definition.size()) {
        const char command = definition[at++];
        if (command == ' ')
            continue;
        float v[6] = {};
        const int count = command == 'A' ? 6 : 2;
        for (int i = 0; i < count; ++i)
            if (!ReadNumber(definition, at, v[i]))
                return glyph;  // A broken definition keeps what was read; the font's tests catch it.
        if (command == 'M' || command == 'D' || glyph.strokes.empty())
            glyph.strokes.emplace_back();
        std::vector<Vec2>& stroke = glyph.strokes.back();
        if (command == 'M' || command == 'L' || command == 'D') {
            stroke.push_back(Vec2(v[0], v[1]));
            if (command == 'D')
                glyph.strokes.emplace_back();  // A dot stands alone.
        } else if (command == 'A') {
            // Flattened finely enough for the largest lettering (a capital of a few hundred pixels).
            const int pieces = std::max(4, static_cast<int>(std::ceil(std::fabs(v[5] - v[4]) / 3.0f)));
            for (int i = 0; i <= pieces; ++i) {
                const float degrees = v[4] + (v[5] - v[4]) * static_cast<float>(i) / static_cast<float>(pieces);
                const float a = degrees * 3.14159265f / 180.0f;
                stroke.push_back(Vec2(v[0] + v[2] * std::cos(a), v[1] + v[3] * std::sin(a)));
            }
        }
    }
    std::erase_if(glyph.strokes, [](const std::vector<Vec2>& s) { return s.empty(); });
    return glyph;
}

const StrokeFont::Glyph* StrokeFont::Find(char c) const
{
    for (const Glyph& glyph : m_glyphs)
        if (glyph.character == c)
            return &glyph;
    return nullptr;
}

bool StrokeFont::HasGlyph(char c) const
{
    return Find(c) != nullptr;
}

Path StrokeFont::Layout(std::string_view text, Vec2 origin, float capHeight, float tracking) const
{
    Path path;
    const float scale = capHeight / kCapHeight;
    float pen = origin.x;
    for (const char c : text) {
        const Glyph* glyph = Find(c);
        if (!glyph) {
            pen += (kSpace + kGap) * scale + tracking * capHeight;
            continue;
        }
        for (const std::vector<Vec2>& stroke : glyph->strokes) {
            path.MoveTo(Vec2(pen + stroke[0].x * scale, origin.y - stroke[0].y * scale));
            for (size_t i = 1; i < stroke.size(); ++i)
                path.LineTo(Vec2(pen + stroke[i].x * scale, origin.y - stroke[i].y * scale));
            path.Close();
        }
        pen += (glyph->width + kGap) * scale + tracking * capHeight;
    }
    return path;
}

float StrokeFont::Measure(std::string_view text, float capHeight, float tracking) const
{
    if (text.empty())
        return 0;
    const float scale = capHeight / kCapHeight;
    float width = 0;
    for (const char c : text) {
        const Glyph* glyph = Find(c);
        width += ((glyph ? glyph->width : kSpace) + kGap) * scale + tracking * capHeight;
    }
    return width - kGap * scale - tracking * capHeight;
}

}  // namespace zen::art
