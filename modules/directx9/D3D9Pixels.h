#pragma once
#include <d3d9.h>

#include <cstdint>

namespace zen {

// Pixel conversions between the engine's images (R8G8B8, R8G8B8A8, A8, A16B16G16R16 in their
// byte order, rows bottom-up) and device surfaces (32-bit ARGB or 64-bit ABGR, rows top-down).
// Textures take 8-bit images as A8R8G8B8 / X8R8G8B8 (an A8 image as grey with that alpha, so it
// serves as a mask and as a grey picture) and 16-bit images as A16B16G16R16 where the device
// has it; the frame is read back from the usual back-buffer formats.
class D3D9Pixels {
public:
    // The device format a texture of image format `imageFormat` is made in; `wide` tells whether
    // the device takes A16B16G16R16 textures. D3DFMT_UNKNOWN for no image format.
    static D3DFORMAT TextureFormat(uint32_t imageFormat, bool wide);
    // Bytes per pixel of the texture formats above (0 for others).
    static uint32_t TextureBytes(D3DFORMAT format);
    // One row of `width` image pixels into a row of `format` (one of TextureFormat's).
    static void ToDevice(uint32_t imageFormat, const uint8_t* source, uint32_t width, D3DFORMAT format,
                         uint8_t* target);
    // True when frames of `format` can be read back.
    static bool CanRead(D3DFORMAT format);
    // One row of `width` pixels of `format` into R, G, B bytes (CanRead formats only).
    static void ToRgb(D3DFORMAT format, const uint8_t* source, uint32_t width, uint8_t* target);
};

}  // namespace zen
