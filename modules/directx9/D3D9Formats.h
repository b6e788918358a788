#pragma once
#include <d3d9.h>

#include <cstdint>

namespace zen {

// The Direct3D 9 formats the renderer works with and what each means in a display-mode
// record: the display (adapter) formats it looks for modes in, the back-buffer formats it
// offers in each, the depth-stencil formats, and the multisample types it probes.
class D3D9Formats {
public:
    struct ColorFormat {
        D3DFORMAT format;
        uint32_t colorBits;  // Bits per pixel.
        uint32_t alphaBits;
    };
    struct DepthFormat {
        D3DFORMAT format;
        uint32_t depthBits;
        uint32_t stencilBits;
    };

    static constexpr uint32_t kDisplayFormatCount = 4;
    static constexpr uint32_t kBackBufferFormatCount = 6;
    static constexpr uint32_t kDepthFormatCount = 6;
    static constexpr uint32_t kMultisampleTypeCount = 16;  // None, then 2 to 16 samples.

    // In the order modes are looked for (earlier ones win between equal records).
    static const ColorFormat kDisplayFormats[kDisplayFormatCount];
    static const ColorFormat kBackBufferFormats[kBackBufferFormatCount];
    static const DepthFormat kDepthFormats[kDepthFormatCount];
    static const D3DMULTISAMPLE_TYPE kMultisampleTypes[kMultisampleTypeCount];

    // Bits of a colour format the renderer knows; 0 for any other.
    static uint32_t ColorBits(D3DFORMAT format);
    // Samples of a multisample type: 0 for none, else 2 to 16.
    static uint32_t Samples(D3DMULTISAMPLE_TYPE type);

    // A mode record's formats: the back-buffer format of (colour, alpha, green) bits and the
    // depth-stencil format of (depth, stencil) bits; D3DFMT_UNKNOWN when none has them. In
    // 16-bit colour, 5 green bits without alpha is X1R5G5B5 and 6 is R5G6B5.
    static D3DFORMAT BackBufferFormat(uint32_t colorBits, uint32_t alphaBits, uint32_t greenBits);
    static D3DFORMAT DepthStencilFormat(uint32_t depthBits, uint32_t stencilBits);
};

}  // namespace zen
