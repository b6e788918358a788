#pragma once
#include <d3d9.h>

#include <cstdint>
#include <string>

#include "engine/render/DisplayMode.h"
#include "engine/render/RendererCapabilities.h"

namespace zen {

// What the device can do, read once after it is created and written to the log, one line each
// in a fixed order (support engineers compare logs line by line). The effects and the texture
// upload consult it; render-target formats follow the image formats (A8, A16B16G16R16,
// R8G8B8 as X8R8G8B8, R8G8B8A8 as A8R8G8B8).
struct D3D9Capabilities {
    static constexpr uint32_t kImageFormatCount = 4;  // The engine's image formats 0 to 3.

    std::string vendor;             // The adapter's description.
    std::string driver;             // The driver's file name.
    uint32_t simultaneousTextures = 0;
    uint32_t maxActiveLights = 0;
    bool volumeTextures = false;
    bool cubeTextures = false;
    bool projectedTextures = false;
    uint32_t vertexShaderVersion = 0;  // Major x 10 + minor: 11 for vs_1_1, 20 for vs_2_0.
    uint32_t pixelShaderVersion = 0;
    bool pointSprites = false;         // Points larger than one pixel.
    float maxPointSize = 0.0f;         // The largest point in pixels (the point sprites' limit).
    bool occlusionQuery = false;
    bool hardwareShadowMaps = false;   // A depth-stencil format usable as a texture.
    bool halfFloatTextures = false;    // A16B16G16R16F.
    bool renderTargetAutogen[kImageFormatCount] = {};      // By image format.
    bool cubeRenderTargetAutogen[kImageFormatCount] = {};  // By image format.

    // Reads the capabilities of `device` on adapter 0 showing `displayFormat`. A test occlusion
    // query is created and released.
    static D3D9Capabilities Probe(IDirect3D9* direct3d, IDirect3DDevice9* device, D3DFORMAT displayFormat);
    // The device format of a render-target texture of image format 0-3.
    static D3DFORMAT RenderTargetFormat(uint32_t imageFormat);
    // The capability lines, mode first ("COLOR BPP %d" ... "Samples %d"), then the device's.
    void Log(const DisplayMode& mode) const;
    // The record the engine's effects choose their techniques from.
    RendererCapabilities ForEngine() const;
};

}  // namespace zen
