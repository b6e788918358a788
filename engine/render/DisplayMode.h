#pragma once
#include <cstdint>

namespace zen {

// One way the renderer can present: a back-buffer size and format with its depth-stencil
// format and sample count, full screen or in a window. A back end lists the modes its adapter
// offers when it is created; the application and the settings dialog choose among them by index.
struct DisplayMode {
    uint32_t width = 0;        // Pixels.
    uint32_t height = 0;       // Pixels.
    uint32_t colorBits = 0;    // Bits per pixel of the back buffer: 16 or 32.
    uint32_t alphaBits = 0;    // Of those, alpha bits: 0, 1, 2 or 8.
    uint32_t depthBits = 0;    // Depth buffer: 15, 16, 24 or 32.
    uint32_t stencilBits = 0;  // Stencil: 0, 1, 4 or 8.
    uint32_t samples = 0;      // Multisample count; 0 without multisampling.
    bool fullscreen = false;

    // The order renderers list their modes in, which is also the order of preference where
    // several modes have the wanted size and colour depth: full screen before windowed, then by
    // width, height and colour bits (ascending), then the deepest depth and stencil buffer first,
    // then the fewest alpha bits and samples (the plainest back buffer of a size comes first).
    static bool Precedes(const DisplayMode& a, const DisplayMode& b)
    {
        if (a.fullscreen != b.fullscreen)
            return a.fullscreen;
        if (a.width != b.width)
            return a.width < b.width;
        if (a.height != b.height)
            return a.height < b.height;
        if (a.colorBits != b.colorBits)
            return a.colorBits < b.colorBits;
        if (a.depthBits != b.depthBits)
            return a.depthBits > b.depthBits;
        if (a.stencilBits != b.stencilBits)
            return a.stencilBits > b.stencilBits;
        if (a.alphaBits != b.alphaBits)
            return a.alphaBits < b.alphaBits;
        return a.samples < b.samples;
    }

    friend bool operator==(const DisplayMode&, const DisplayMode&) = default;
};

}  // namespace zen
