#pragma once
#include <cstdint>

#include "engine/anim/Controller.h"

namespace zen {

// Fills a texture once with a sine ramp across its width ("ZEN.SinTextureController"; owner a
// ZEN.Texture): every byte of column x becomes 255 * ((sin(2 pi x / width) + 1) / 2)^exponent,
// truncated, in the image's own format and size. No fields of its own; the exponent (1.0)
// and the done flag are not saved, so a loaded scene generates again.
class SinTextureController : public Controller {
    ZEN_DECLARE_CLASS

public:
    SinTextureController() = default;

    // The first update fills the texture (when the owner is one with an image) and marks the
    // controller done whether or not it could; later updates do nothing.
    void Update(double elapsed) override;

    bool IsDone() const { return m_done; }
    float Exponent() const { return m_exponent; }
    void SetExponent(float exponent) { m_exponent = exponent; }

    // The byte of column `x` of `width`: 255 * ((sin(2 pi x / width) + 1) / 2)^exponent.
    static uint8_t SineByte(uint32_t x, uint32_t width, float exponent);

    // When `owner` is a ZEN.Texture whose image has a size: replaces the image's pixels with a
    // block of the same format and size whose every byte in column x is column(x, width,
    // exponent), and marks the texture changed. The image is unchanged when the block cannot
    // be allocated.
    using ColumnByte = uint8_t (*)(uint32_t x, uint32_t width, float exponent);
    static void FillColumns(Object* owner, ColumnByte column, float exponent);

private:
    bool m_done = false;
    float m_exponent = 1.0f;
};

}  // namespace zen
