#include "modules/directx9/D3D9Formats.h"

namespace zen {

const D3D9Formats::ColorFormat D3D9Formats::kDisplayFormats[kDisplayFormatCount] = {
    {D3DFMT_X8R8G8B8, 32, 0},
    {D3DFMT_X1R5G5B5, 16, 0},
    {D3DFMT_R5G6B5, 16, 0},
    {D3DFMT_A2R10G10B10, 32, 2},
};

const D3D9Formats::ColorFormat D3D9Formats::kBackBufferFormats[kBackBufferFormatCount] = {
    {D3DFMT_A8R8G8B8, 32, 8}, {D3DFMT_X8R8G8B8, 32, 0}, {D3DFMT_A2R10G10B10, 32, 2},
    {D3DFMT_R5G6B5, 16, 0},   {D3DFMT_A1R5G5B5, 16, 1}, {D3DFMT_X1R5G5B5, 16, 0},
};

const D3D9Formats::DepthFormat D3D9Formats::kDepthFormats[kDepthFormatCount] = {
    {D3DFMT_D24S8, 24, 8}, {D3DFMT_D24X4S4, 24, 4}, {D3DFMT_D15S1, 15, 1},
    {D3DFMT_D24X8, 24, 0}, {D3DFMT_D32, 32, 0},     {D3DFMT_D16, 16, 0},
};

const D3DMULTISAMPLE_TYPE D3D9Formats::kMultisampleTypes[kMultisampleTypeCount] = {
    D3DMULTISAMPLE_NONE,       D3DMULTISAMPLE_2_SAMPLES,  D3DMULTISAMPLE_3_SAMPLES,  D3DMULTISAMPLE_4_SAMPLES,
    D3DMULTISAMPLE_5_SAMPLES,  D3DMULTISAMPLE_6_SAMPLES,  D3DMULTISAMPLE_7_SAMPLES,  D3DMULTISAMPLE_8_SAMPLES,
    D3DMULTISAMPLE_9_SAMPLES,  D3DMULTISAMPLE_10_SAMPLES, D3DMULTISAMPLE_11_SAMPLES, D3DMULTISAMPLE_12_SAMPLES,
    D3DMULTISAMPLE_13_SAMPLES, D3DMULTISAMPLE_14_SAMPLES, D3DMULTISAMPLE_15_SAMPLES, D3DMULTISAMPLE_16_SAMPLES,
};

static_assert(D3DMULTISAMPLE_16_SAMPLES == 16 && D3DMULTISAMPLE_2_SAMPLES == 2,
              "sample counts are read from the multisample type's value");

uint32_t D3D9Formats::ColorBits(D3DFORMAT format)
{
    for (const ColorFormat& entry : kBackBufferFormats)
        if (entry.format == format)
            return entry.colorBits;
    return 0;
}

uint32_t D3D9Formats::Samples(D3DMULTISAMPLE_TYPE type)
{
    return type == D3DMULTISAMPLE_NONE || type == D3DMULTISAMPLE_NONMASKABLE ? 0 : static_cast<uint32_t>(type);
}

D3DFORMAT D3D9Formats::BackBufferFormat(uint32_t colorBits, uint32_t alphaBits, uint32_t greenBits)
{
    if (colorBits == 16) {
        if (alphaBits == 1)
            return D3DFMT_A1R5G5B5;
        if (alphaBits == 0)
            return greenBits == 5 ? D3DFMT_X1R5G5B5 : D3DFMT_R5G6B5;
        return D3DFMT_UNKNOWN;
    }
    if (colorBits == 32) {
        switch (alphaBits) {
        case 0: return D3DFMT_X8R8G8B8;
        case 2: return D3DFMT_A2R10G10B10;
        case 8: return D3DFMT_A8R8G8B8;
        default: return D3DFMT_UNKNOWN;
        }
    }
    return D3DFMT_UNKNOWN;
}

D3DFORMAT D3D9Formats::DepthStencilFormat(uint32_t depthBits, uint32_t stencilBits)
{
    for (const DepthFormat& entry : kDepthFormats)
        if (entry.depthBits == depthBits && entry.stencilBits == stencilBits)
            return entry.format;
    return D3DFMT_UNKNOWN;
}

}  // namespace zen
