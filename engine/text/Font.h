#pragma once
#include <cstdint>

#include "engine/core/Object.h"
#include "engine/core/Vector4.h"

namespace zen {

// A font that draws strings on the screen ("ZEN.Font", abstract): the longest string it draws,
// the glyph size factors, the extra advance after each character and the text colour. Screen
// coordinates run from (0, 0) at the bottom left to (1, 1) at the top right. Loading passes
// maxChars and the colour through SetMaxChars and SetColour, so a subclass builds its mesh
// while it loads.
// Stream form after the Object fields: maxChars (uint32), scaleY, scaleX, spacing (float32),
// colour (4 x float32).
class Font : public Object {
    ZEN_DECLARE_CLASS

public:
    ~Font() override;

    virtual void SetMaxChars(uint32_t count);
    virtual void SetColour(const Vector4& colour);
    // Formats the text printf-style (at most maxChars bytes) and draws it from (x, y) at depth z.
    virtual void DrawText(float x, float y, float z, const char* format, ...) __attribute__((format(printf, 5, 6))) = 0;

    uint32_t MaxChars() const { return m_maxChars; }
    float ScaleX() const { return m_scaleX; }
    float ScaleY() const { return m_scaleY; }
    void SetScale(float scaleX, float scaleY);
    float Spacing() const { return m_spacing; }
    void SetSpacing(float spacing) { m_spacing = spacing; }
    const Vector4& Colour() const { return m_colour; }

    Result Save(Stream& stream) override;
    Result Load(Stream& stream) override;

protected:
    Font();

    uint32_t m_maxChars = 256;
    float m_scaleY = 0.03f;     // Screen units per normalised texture unit, vertically.
    float m_scaleX = 0.04f;     // The same horizontally.
    float m_spacing = 0.0f;     // Extra advance after each character, screen units.
    Vector4 m_colour{1, 1, 1, 1};
};

}  // namespace zen
