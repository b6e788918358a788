#pragma once
#include <cstddef>
#include <cstdint>

#include "engine/core/Result.h"

namespace zen {

// Makes a texture's next mip level from the one above it with a box filter: each target texel
// is the area-weighted mean of the source texels it covers, in width, height and depth, so odd
// sizes (5 -> 2) weigh the shared texel by the part each side covers and a dimension already at
// 1 stays. Channels marked sRGB (8-bit colour of photographs and paintings) are averaged in
// linear light, decoded from and encoded back to the sRGB curve, so that distant textures keep
// their brightness; the other channels (alpha, 16-bit data) are averaged as stored. Results are
// rounded to nearest, so a uniform level stays exactly uniform.
class MipFilter {
public:
    // How texels are laid out: `channels` interleaved channels of `bytesPerChannel` (1 or 2,
    // little-endian) each; bit c of `srgbMask` marks channel c as sRGB-encoded (8-bit only).
    struct Layout {
        uint32_t channels;
        uint32_t bytesPerChannel;
        uint32_t srgbMask;
    };
    // One level (or one face) in memory: rows `rowPitch` bytes apart, slices `slicePitch`.
    struct Level {
        uint8_t* bits;
        uint32_t width;
        uint32_t height;
        uint32_t depth;
        size_t rowPitch;
        size_t slicePitch;
    };

    // Filters `source` into `target`. kSuccess; kInvalidArgument for a bad layout (1-4 channels
    // of 1 or 2 bytes, sRGB only on 1-byte channels), null bits, a zero size, a target larger
    // than the source in any dimension or pitches smaller than a row (a slice); kOutOfMemory.
    static Result Reduce(const Layout& layout, const Level& source, const Level& target);

    // The sRGB curve on one 8-bit value, as the filter uses it (exposed for its tests).
    static float DecodeSrgb(uint8_t value);
    static uint8_t EncodeSrgb(float linear);
    // The same results through a table of where each 8-bit value begins (what Reduce uses).
    static uint8_t EncodeSrgbByTable(float linear);
};

}  // namespace zen
