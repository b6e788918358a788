#pragma once
#include <cstdint>

#include "engine/anim/Controller.h"

namespace zen {

// Fills a texture once with a cosine ramp across its width ("ZEN.CosTextureController"; owner
// a ZEN.Texture): every byte of column x becomes 255 * (cos(2 pi x / width) + 1) / 2,
// truncated. No fields of its own; the done flag is not saved.
class CosTextureController : public Controller {
    ZEN_DECLARE_CLASS

public:
    CosTextureController() = default;

    // As the sine controller: the first update fills and marks done, later ones do nothing.
    void Update(double elapsed) override;

    bool IsDone() const { return m_done; }
    static uint8_t CosineByte(uint32_t x, uint32_t width, float exponent);  // The exponent is not used.

private:
    bool m_done = false;
};

}  // namespace zen
