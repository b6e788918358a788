#include "modules/directx9/D3D9Capabilities.h"

#include "engine/core/MessageLog.h"

namespace zen {
namespace {

constexpr UINT kAdapter = D3DADAPTER_DEFAULT;
constexpr D3DDEVTYPE kDeviceType = D3DDEVTYPE_HAL;

// Device formats of render-target textures by image format (R8G8B8, R8G8B8A8, A8,
// A16B16G16R16), and the names the log uses for them, in the log's order.
constexpr D3DFORMAT kRenderTargetFormats[] = {D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8, D3DFMT_A8, D3DFMT_A16B16G16R16};
static_assert(sizeof kRenderTargetFormats / sizeof kRenderTargetFormats[0] == D3D9Capabilities::kImageFormatCount,
              "one render-target format per image format");

struct AutogenLine {
    uint32_t imageFormat;
    const char* name;
};
constexpr AutogenLine kAutogenLines[] = {{2, "A8"}, {3, "A16B16G16R16"}, {0, "R8G8B8"}, {1, "R8G8B8A8"}};
static_assert(sizeof kAutogenLines / sizeof kAutogenLines[0] == D3D9Capabilities::kImageFormatCount);

const char* Flag(bool value)
{
    return value ? "true" : "false";
}

uint32_t ShaderVersion(DWORD version)
{
    return D3DSHADER_VERSION_MAJOR(version) * 10 + D3DSHADER_VERSION_MINOR(version);
}

// D3D_OK only: D3DOK_NOAUTOGEN says the format works but without automatic mip-maps.
bool Autogen(IDirect3D9* direct3d, D3DFORMAT displayFormat, D3DRESOURCETYPE type, D3DFORMAT format)
{
    return direct3d->CheckDeviceFormat(kAdapter, kDeviceType, displayFormat,
                                       D3DUSAGE_RENDERTARGET | D3DUSAGE_AUTOGENMIPMAP, type, format) == D3D_OK;
}

}  // namespace

D3DFORMAT D3D9Capabilities::RenderTargetFormat(uint32_t imageFormat)
{
    return imageFormat < kImageFormatCount ? kRenderTargetFormats[imageFormat] : D3DFMT_UNKNOWN;
}

D3D9Capabilities D3D9Capabilities::Probe(IDirect3D9* direct3d, IDirect3DDevice9* device, D3DFORMAT displayFormat)
{
    D3D9Capabilities result;
    D3DADAPTER_IDENTIFIER9 identifier{};
    if (SUCCEEDED(direct3d->GetAdapterIdentifier(kAdapter, 0, &identifier))) {
        result.vendor = identifier.Description;
        result.driver = identifier.Driver;
    }
    D3DCAPS9 caps{};
    if (SUCCEEDED(device->GetDeviceCaps(&caps))) {
        result.simultaneousTextures = caps.MaxSimultaneousTextures;
        result.maxActiveLights = caps.MaxActiveLights;
        result.volumeTextures = (caps.TextureCaps & D3DPTEXTURECAPS_VOLUMEMAP) != 0;
        result.cubeTextures = (caps.TextureCaps & D3DPTEXTURECAPS_CUBEMAP) != 0;
        result.projectedTextures = (caps.TextureCaps & D3DPTEXTURECAPS_PROJECTED) != 0;
        result.vertexShaderVersion = ShaderVersion(caps.VertexShaderVersion);
        result.pixelShaderVersion = ShaderVersion(caps.PixelShaderVersion);
        result.pointSprites = caps.MaxPointSize > 1.0f;
        result.maxPointSize = caps.MaxPointSize;
    }
    IDirect3DQuery9* query = nullptr;
    if (SUCCEEDED(device->CreateQuery(D3DQUERYTYPE_OCCLUSION, &query)) && query) {
        result.occlusionQuery = true;
        query->Release();
    }
    result.hardwareShadowMaps = SUCCEEDED(direct3d->CheckDeviceFormat(kAdapter, kDeviceType, displayFormat,
                                                                     D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_TEXTURE,
                                                                     D3DFMT_D24S8));
    result.halfFloatTextures = SUCCEEDED(
        direct3d->CheckDeviceFormat(kAdapter, kDeviceType, displayFormat, 0, D3DRTYPE_TEXTURE, D3DFMT_A16B16G16R16F));
    for (uint32_t format = 0; format < kImageFormatCount; ++format) {
        result.renderTargetAutogen[format] =
            Autogen(direct3d, displayFormat, D3DRTYPE_TEXTURE, kRenderTargetFormats[format]);
        result.cubeRenderTargetAutogen[format] =
            Autogen(direct3d, displayFormat, D3DRTYPE_CUBETEXTURE, kRenderTargetFormats[format]);
    }
    return result;
}

void D3D9Capabilities::Log(const DisplayMode& mode) const
{
    Info("COLOR BPP %d", static_cast<int>(mode.colorBits));
    Info("Alpha BPP %d", static_cast<int>(mode.alphaBits));
    Info("Depth BPP %d", static_cast<int>(mode.depthBits));
    Info("Stencil BPP %d", static_cast<int>(mode.stencilBits));
    Info("Samples %d", static_cast<int>(mode.samples));
    Info("Vendor [%s]", vendor.c_str());
    Info("Driver [%s]", driver.c_str());
    Info("Simultaneous Textures [%d]", static_cast<int>(simultaneousTextures));
    Info("Max Active Lights [%d]", static_cast<int>(maxActiveLights));
    Info("Volume Textures [%s]", Flag(volumeTextures));
    Info("Cube Textures [%s]", Flag(cubeTextures));
    Info("Projected Textures [%s]", Flag(projectedTextures));
    Info("VERTEX SHADER %d", static_cast<int>(vertexShaderVersion));
    Info("PIXEL SHADER %d", static_cast<int>(pixelShaderVersion));
    Info("Point Sprites [%s]", Flag(pointSprites));
    Info("Occlusion Query [%s]", Flag(occlusionQuery));
    Info("Hardware Shadowmaps [%s]", Flag(hardwareShadowMaps));
    Info("A16B16G16R16F Textures [%s]", Flag(halfFloatTextures));
    for (const AutogenLine& line : kAutogenLines)
        Info("%s RenderTarget Textures MipMap Autogen support[%s]", line.name,
             Flag(renderTargetAutogen[line.imageFormat]));
    for (const AutogenLine& line : kAutogenLines)
        Info("%s CubeRenderTarget Textures MipMap Autogen support[%s]", line.name,
             Flag(cubeRenderTargetAutogen[line.imageFormat]));
}

RendererCapabilities D3D9Capabilities::ForEngine() const
{
    RendererCapabilities result;
    result.valid = true;
    result.vertexShaderVersion = vertexShaderVersion;
    result.pixelShaderVersion = pixelShaderVersion;
    result.simultaneousTextures = simultaneousTextures;
    result.maxActiveLights = maxActiveLights;
    result.volumeTextures = volumeTextures;
    result.cubeTextures = cubeTextures;
    result.projectedTextures = projectedTextures;
    result.pointSprites = pointSprites;
    result.occlusionQuery = occlusionQuery;
    result.hardwareShadowMaps = hardwareShadowMaps;
    result.halfFloatTextures = halfFloatTextures;
    static_assert(kImageFormatCount == RendererCapabilities::kImageFormatCount);
    for (uint32_t format = 0; format < kImageFormatCount; ++format) {
        result.renderTargetAutogen[format] = renderTargetAutogen[format];
        result.cubeRenderTargetAutogen[format] = cubeRenderTargetAutogen[format];
    }
    return result;
}

}  // namespace zen
