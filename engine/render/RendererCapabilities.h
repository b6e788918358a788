#pragma once
#include <cstdint>

namespace zen {

// What the current device can do, as its renderer recorded it when the device was made. Effects
// choose their technique from it on first use (vertex and pixel shader versions above all), and
// the renderer's own upload paths consult it. All zero (not valid) until a device exists: no
// technique is chosen from an empty record.
struct RendererCapabilities {
    static constexpr uint32_t kImageFormatCount = 4;  // The image formats 0 to 3.

    bool valid = false;                 // Recorded from a device (or set up by a test renderer).
    uint32_t vertexShaderVersion = 0;   // Major x 10 + minor: 11 for vs_1_1, 20 for vs_2_0; 0 none.
    uint32_t pixelShaderVersion = 0;    // The same for pixel shaders: 11 for ps.1.1.
    uint32_t simultaneousTextures = 0;  // Texture stages a fixed-function pass may use.
    uint32_t maxActiveLights = 0;
    bool volumeTextures = false;
    bool cubeTextures = false;
    bool projectedTextures = false;
    bool pointSprites = false;          // Points larger than one pixel.
    bool occlusionQuery = false;
    bool hardwareShadowMaps = false;    // A depth-stencil format usable as a texture.
    bool halfFloatTextures = false;     // A16B16G16R16F.
    bool renderTargetAutogen[kImageFormatCount] = {};      // Mip-map generation, by image format.
    bool cubeRenderTargetAutogen[kImageFormatCount] = {};  // The same for cube render targets.
};

}  // namespace zen
