#include "modules/directx9/D3D9Pixels.h"

#include <cstring>

namespace zen {
namespace {

// Image formats, as the engine numbers them.
enum : uint32_t { kR8G8B8 = 0, kR8G8B8A8 = 1, kA8 = 2, kA16B16G16R16 = 3, kImageFormatCount = 4 };

uint16_t Load16(const uint8_t* p)
{
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

uint32_t Load32(const uint8_t* p)
{
    return uint32_t{p[0]} | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16) | (uint32_t{p[3]} << 24);
}

// A channel of `bits` bits scaled to 8 bits.
uint8_t Expand(uint32_t value, uint32_t bits)
{
    const uint32_t maximum = (1u << bits) - 1;
    return static_cast<uint8_t>((value * 255 + maximum / 2) / maximum);
}

}  // namespace

D3DFORMAT D3D9Pixels::TextureFormat(uint32_t imageFormat, bool wide)
{
    switch (imageFormat) {
    case kR8G8B8: return D3DFMT_X8R8G8B8;
    case kR8G8B8A8: return D3DFMT_A8R8G8B8;
    case kA8: return D3DFMT_A8R8G8B8;
    case kA16B16G16R16: return wide ? D3DFMT_A16B16G16R16 : D3DFMT_A8R8G8B8;
    default: return D3DFMT_UNKNOWN;
    }
}

uint32_t D3D9Pixels::TextureBytes(D3DFORMAT format)
{
    switch (format) {
    case D3DFMT_X8R8G8B8:
    case D3DFMT_A8R8G8B8: return 4;
    case D3DFMT_A16B16G16R16: return 8;
    default: return 0;
    }
}

void D3D9Pixels::ToDevice(uint32_t imageFormat, const uint8_t* source, uint32_t width, D3DFORMAT format,
                          uint8_t* target)
{
    if (format == D3DFMT_A16B16G16R16) {
        // The image keeps the same four 16-bit channels in the same order.
        std::memcpy(target, source, size_t{width} * 8);
        return;
    }
    // 32-bit ARGB: bytes B, G, R, A in memory.
    for (uint32_t x = 0; x < width; ++x, target += 4) {
        switch (imageFormat) {
        case kR8G8B8:
            target[0] = source[2];
            target[1] = source[1];
            target[2] = source[0];
            target[3] = 0xFF;
            source += 3;
            break;
        case kR8G8B8A8:
            target[0] = source[2];
            target[1] = source[1];
            target[2] = source[0];
            target[3] = source[3];
            source += 4;
            break;
        case kA8:
            target[0] = target[1] = target[2] = target[3] = source[0];
            source += 1;
            break;
        case kA16B16G16R16:
            // The high byte of each 16-bit channel (little-endian: the second byte).
            target[0] = source[5];
            target[1] = source[3];
            target[2] = source[1];
            target[3] = source[7];
            source += 8;
            break;
        default:
            std::memset(target, 0, 4);
            break;
        }
    }
}

bool D3D9Pixels::CanRead(D3DFORMAT format)
{
    switch (format) {
    case D3DFMT_X8R8G8B8:
    case D3DFMT_A8R8G8B8:
    case D3DFMT_R5G6B5:
    case D3DFMT_X1R5G5B5:
    case D3DFMT_A1R5G5B5:
    case D3DFMT_A2R10G10B10: return true;
    default: return false;
    }
}

void D3D9Pixels::ToRgb(D3DFORMAT format, const uint8_t* source, uint32_t width, uint8_t* target)
{
    for (uint32_t x = 0; x < width; ++x, target += 3) {
        switch (format) {
        case D3DFMT_X8R8G8B8:
        case D3DFMT_A8R8G8B8:
            target[0] = source[2];
            target[1] = source[1];
            target[2] = source[0];
            source += 4;
            break;
        case D3DFMT_R5G6B5: {
            const uint16_t p = Load16(source);
            target[0] = Expand((p >> 11) & 0x1F, 5);
            target[1] = Expand((p >> 5) & 0x3F, 6);
            target[2] = Expand(p & 0x1F, 5);
            source += 2;
            break;
        }
        case D3DFMT_X1R5G5B5:
        case D3DFMT_A1R5G5B5: {
            const uint16_t p = Load16(source);
            target[0] = Expand((p >> 10) & 0x1F, 5);
            target[1] = Expand((p >> 5) & 0x1F, 5);
            target[2] = Expand(p & 0x1F, 5);
            source += 2;
            break;
        }
        case D3DFMT_A2R10G10B10: {
            // Red in bits 20-29, green 10-19, blue 0-9 (the device's "A2R10G10B10").
            const uint32_t p = Load32(source);
            target[0] = static_cast<uint8_t>(((p >> 20) & 0x3FF) >> 2);
            target[1] = static_cast<uint8_t>(((p >> 10) & 0x3FF) >> 2);
            target[2] = static_cast<uint8_t>((p & 0x3FF) >> 2);
            source += 4;
            break;
        }
        default:
            target[0] = target[1] = target[2] = 0;
            break;
        }
    }
}

}  // namespace zen
