#include "modules/directx9/D3D9Renderer.h"

#include <algorithm>
#include <new>

#include "engine/core/MessageLog.h"
#include "engine/scene/DeviceLight.h"
#include "engine/scene/Light.h"
#include "engine/scene/RenderResource.h"

namespace zen {
namespace {

// Direct3DCreate9's SDK version: the one the renderer was written against.
constexpr UINT kSdkVersion = 31;
constexpr UINT kAdapter = D3DADAPTER_DEFAULT;
constexpr D3DDEVTYPE kDeviceType = D3DDEVTYPE_HAL;

bool g_exists = false;  // One Direct3D 9 renderer per process.

// Clear flags: bit n of the engine's flags to the device's.
constexpr DWORD kClearFlags[] = {D3DCLEAR_TARGET, D3DCLEAR_ZBUFFER, D3DCLEAR_STENCIL};
static_assert(sizeof kClearFlags / sizeof kClearFlags[0] == 3 && Renderer::kClearStencil == 1u << 2,
              "one device flag per engine clear flag");

// DeviceLight::Type (1 point, 2 spot, 3 directional) to the device's light types.
constexpr D3DLIGHTTYPE kLightTypes[] = {D3DLIGHT_POINT, D3DLIGHT_SPOT, D3DLIGHT_DIRECTIONAL};
static_assert(sizeof kLightTypes / sizeof kLightTypes[0] == DeviceLight::kDirectional - DeviceLight::kPoint + 1,
              "one device light type per engine light type");

static_assert(sizeof(Matrix4) == sizeof(D3DMATRIX), "matrices go to the device as they are (row vectors)");

const char* const kPendingNames[] = {"ресурсы", "рисование", "рендеринг в текстуру", "блоки состояний"};

D3DCOLORVALUE ColorValue(const Vector4& color)
{
    return D3DCOLORVALUE{color.x, color.y, color.z, color.w};
}

D3DVECTOR DeviceVector(const Vector3& vector)
{
    return D3DVECTOR{vector.x, vector.y, vector.z};
}

DWORD PackColor(const Vector4& color)
{
    auto channel = [](float value) -> DWORD {
        value = value != value ? 0.0f : std::clamp(value, 0.0f, 1.0f);  // NaN counts as 0.
        return static_cast<DWORD>(value * 255.0f + 0.5f);
    };
    return D3DCOLOR_ARGB(channel(color.w), channel(color.x), channel(color.y), channel(color.z));
}

D3DLIGHT9 ToDevice(const DeviceLight& light)
{
    D3DLIGHT9 result;
    ZeroMemory(&result, sizeof result);
    const int32_t index = static_cast<int32_t>(light.type) - DeviceLight::kPoint;
    result.Type = index >= 0 && index < 3 ? kLightTypes[index] : D3DLIGHT_DIRECTIONAL;
    result.Diffuse = ColorValue(light.diffuse);
    result.Specular = ColorValue(light.specular);
    result.Ambient = ColorValue(light.ambient);
    result.Position = DeviceVector(light.position);
    result.Direction = DeviceVector(light.direction);
    result.Range = light.range;
    result.Falloff = light.falloff;
    result.Attenuation0 = light.attenuation0;
    result.Attenuation1 = light.attenuation1;
    result.Attenuation2 = light.attenuation2;
    result.Theta = light.innerCone;
    result.Phi = light.outerCone;
    return result;
}

}  // namespace

// --- Creation -------------------------------------------------------------------------------

bool D3D9Renderer::Exists()
{
    return g_exists;
}

Result D3D9Renderer::Create(Renderer** out)
{
    if (!out || Renderer::Current() || g_exists)
        return kFailure;
    // The library is only looked for: Direct3DCreate9 comes from the import table.
    HMODULE library = LoadLibraryA("d3d9.dll");
    if (!library)
        return kFailure;
    FreeLibrary(library);
    D3D9Renderer* renderer = new (std::nothrow) D3D9Renderer();
    if (!renderer)
        return kOutOfMemory;
    *out = renderer;
    return kSuccess;
}

D3D9Renderer::D3D9Renderer()
{
    g_exists = true;
    m_direct3d = Direct3DCreate9(kSdkVersion);
    if (!m_direct3d) {
        Error("Невозможно создать экземпляр D3D9.");
        return;
    }
    m_stage = Stage::kDirect3D;
    m_modeList.Enumerate(m_direct3d);
    for (uint32_t i = 0; i < m_modeList.Count(); ++i)
        if (AddDisplayMode(m_modeList[i].mode) != kSuccess)
            break;
    // The base lists as many modes as it could take; an index past them is no desktop mode.
    const int32_t desktop = m_modeList.DesktopIndex();
    SetDesktopModeIndex(desktop >= 0 && static_cast<uint32_t>(desktop) < DisplayModeCount() ? desktop : -1);
}

D3D9Renderer::~D3D9Renderer()
{
    // Close reaches ReleaseDevice only from here (see Renderer::~Renderer).
    if (Window())
        (void)Close();
    ReleaseDevice();
    if (m_stage == Stage::kDirect3D) {
        m_direct3d->Release();
        m_direct3d = nullptr;
        m_stage = Stage::kNothing;
    }
    g_exists = false;
}

// --- Device ---------------------------------------------------------------------------------

Result D3D9Renderer::CreateDevice(uint32_t modeIndex, uint32_t width, uint32_t height)
{
    if (m_stage == Stage::kNothing) {
        Error("Невозможно создать устройство D3D9: нет экземпляра D3D9.");
        return kFailure;
    }
    if (modeIndex >= DisplayModeCount())
        return kInvalidArgument;
    ReleaseDevice();

    const D3D9ModeList::Entry& mode = m_modeList[modeIndex];
    HWND window = static_cast<HWND>(Window());
    D3DPRESENT_PARAMETERS presentation;
    ZeroMemory(&presentation, sizeof presentation);
    presentation.BackBufferWidth = mode.mode.fullscreen ? mode.mode.width : width;
    presentation.BackBufferHeight = mode.mode.fullscreen ? mode.mode.height : height;
    presentation.BackBufferFormat = mode.backBufferFormat;
    presentation.BackBufferCount = 1;
    presentation.MultiSampleType = mode.multisample;
    presentation.SwapEffect = D3DSWAPEFFECT_DISCARD;
    presentation.hDeviceWindow = window;
    presentation.Windowed = mode.mode.fullscreen ? FALSE : TRUE;
    presentation.EnableAutoDepthStencil = TRUE;
    presentation.AutoDepthStencilFormat = mode.depthFormat;
    presentation.FullScreen_RefreshRateInHz = D3DPRESENT_RATE_DEFAULT;
    presentation.PresentationInterval = D3DPRESENT_INTERVAL_DEFAULT;

    // Hardware vertex processing first; a device that refuses it gets software processing.
    const char* processing = "HARDWARE";
    IDirect3DDevice9* device = nullptr;
    D3DPRESENT_PARAMETERS attempt = presentation;  // The call may rewrite what it is given.
    HRESULT created = m_direct3d->CreateDevice(kAdapter, kDeviceType, window, D3DCREATE_HARDWARE_VERTEXPROCESSING,
                                               &attempt, &device);
    if (FAILED(created)) {
        processing = "SOFTWARE";
        attempt = presentation;
        created = m_direct3d->CreateDevice(kAdapter, kDeviceType, window, D3DCREATE_SOFTWARE_VERTEXPROCESSING,
                                           &attempt, &device);
    }
    if (FAILED(created) || !device) {
        Error("Невозможно создать устройство D3D9. Код [0x%08lX].", static_cast<unsigned long>(created));
        return kFailure;
    }
    m_device = device;
    m_presentation = attempt;
    m_modeIndex = modeIndex;
    m_stage = Stage::kDevice;
    Info("Created %s VERTEXPROCESSING", processing);

    m_capabilities = D3D9Capabilities::Probe(m_direct3d, m_device, mode.displayFormat);
    m_capabilities.Log(mode.mode);

    m_viewport = D3DVIEWPORT9{0, 0, m_presentation.BackBufferWidth, m_presentation.BackBufferHeight, 0.0f, 1.0f};
    WriteInitialStates();
    WriteTransforms();
    return kSuccess;
}

void D3D9Renderer::ReleaseDevice()
{
    if (m_stage != Stage::kDevice)
        return;
    ReleaseDefaultPool();
    if (m_inScene) {
        m_device->EndScene();
        m_inScene = false;
    }
    m_device->Release();
    m_device = nullptr;
    m_stage = Stage::kDirect3D;
}

void D3D9Renderer::WriteInitialStates()
{
    m_device->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
    m_device->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
    m_device->SetRenderState(D3DRS_LIGHTING, FALSE);
    m_device->SetRenderState(D3DRS_SPECULARENABLE, FALSE);
    m_device->SetRenderState(D3DRS_COLORVERTEX, FALSE);
    m_device->SetRenderState(D3DRS_NORMALIZENORMALS, TRUE);  // Scaled nodes keep unit normals.
    m_device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
    m_device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    m_device->SetRenderState(D3DRS_DITHERENABLE, TRUE);
    for (DWORD stage = 0; stage < kTextureStages; ++stage) {
        m_device->SetSamplerState(stage, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
        m_device->SetSamplerState(stage, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
        m_device->SetSamplerState(stage, D3DSAMP_MIPFILTER, D3DTEXF_LINEAR);
    }
}

void D3D9Renderer::WriteTransforms()
{
    m_device->SetTransform(D3DTS_WORLD, reinterpret_cast<const D3DMATRIX*>(&m_world));
    m_device->SetTransform(D3DTS_VIEW, reinterpret_cast<const D3DMATRIX*>(&m_view));
    m_device->SetTransform(D3DTS_PROJECTION, reinterpret_cast<const D3DMATRIX*>(&m_projection));
    for (uint32_t stage = 0; stage < kTextureStages; ++stage)
        m_device->SetTransform(static_cast<D3DTRANSFORMSTATETYPE>(D3DTS_TEXTURE0 + stage),
                               reinterpret_cast<const D3DMATRIX*>(&m_textureTransforms[stage]));
    m_device->SetViewport(&m_viewport);
}

// --- Default pool ---------------------------------------------------------------------------

Result D3D9Renderer::AddDefaultPoolObject(RenderResource* resource, IUnknown* object)
{
    if (!resource || !object)
        return kInvalidArgument;
    return m_defaultPool.Insert(resource, object);
}

void D3D9Renderer::ReleaseDefaultPoolObject(RenderResource* resource)
{
    if (IUnknown** object = m_defaultPool.Find(resource)) {
        (*object)->Release();
        (void)m_defaultPool.Remove(resource);
    }
}

void D3D9Renderer::ReleaseDefaultPool()
{
    m_defaultPool.ForEach([](RenderResource* resource, IUnknown* object) {
        object->Release();
        resource->Reset();  // Handle cleared, dirty: rebuilt on next use.
        return false;
    });
    m_defaultPool.Clear();
}

// --- Frame ----------------------------------------------------------------------------------

Result D3D9Renderer::BeginFrame()
{
    if (!m_device)
        return kFailure;
    const HRESULT level = m_device->TestCooperativeLevel();
    if (level == D3DERR_DEVICELOST) {
        // Still lost: nothing can be drawn, and what lives in the default pool is gone.
        ReleaseDefaultPool();
        return kFailure;
    }
    if (level == D3DERR_DEVICENOTRESET) {
        // The device can come back, but only through a reset, which needs every default-pool
        // object released first. The states, transforms and viewport are written anew.
        ReleaseDefaultPool();
        D3DPRESENT_PARAMETERS presentation = m_presentation;
        if (FAILED(m_device->Reset(&presentation)))
            return kFailure;
        WriteInitialStates();
        WriteTransforms();
    } else if (FAILED(level)) {
        return kFailure;
    }
    if (FAILED(m_device->BeginScene()))
        return kFailure;
    m_inScene = true;
    m_device->SetRenderState(D3DRS_LIGHTING, FALSE);
    m_device->SetRenderState(D3DRS_SPECULARENABLE, FALSE);
    return kSuccess;
}

void D3D9Renderer::EndFrame()
{
    if (!m_device || !m_inScene)
        return;  // A skipped frame has nothing to show.
    m_device->EndScene();
    m_inScene = false;
    // A device lost during the frame is found by the next BeginFrame.
    m_device->Present(nullptr, nullptr, nullptr, nullptr);
}

void D3D9Renderer::Clear(uint32_t flags, const Vector4& color, float depth, uint32_t stencil)
{
    if (flags & kClearColor)
        m_clearColor = color;
    if (!m_device)
        return;
    DWORD deviceFlags = 0;
    for (uint32_t bit = 0; bit < 3; ++bit)
        if (flags & (1u << bit))
            deviceFlags |= kClearFlags[bit];
    // Clearing a stencil the depth buffer does not have is an invalid call.
    if (GetDisplayMode(m_modeIndex)->stencilBits == 0)
        deviceFlags &= ~static_cast<DWORD>(D3DCLEAR_STENCIL);
    if (deviceFlags)
        m_device->Clear(0, nullptr, deviceFlags, PackColor(color), depth, stencil);
}

// --- Transforms and viewport ----------------------------------------------------------------

void D3D9Renderer::SetWorld(const Matrix4& matrix)
{
    m_world = matrix;
    if (m_device)
        m_device->SetTransform(D3DTS_WORLD, reinterpret_cast<const D3DMATRIX*>(&m_world));
}

void D3D9Renderer::SetView(const Matrix4& matrix)
{
    m_view = matrix;
    if (m_device)
        m_device->SetTransform(D3DTS_VIEW, reinterpret_cast<const D3DMATRIX*>(&m_view));
}

void D3D9Renderer::SetProjection(const Matrix4& matrix)
{
    m_projection = matrix;
    if (m_device)
        m_device->SetTransform(D3DTS_PROJECTION, reinterpret_cast<const D3DMATRIX*>(&m_projection));
}

const Matrix4& D3D9Renderer::GetTextureTransform(uint32_t stage) const
{
    static const Matrix4 kIdentity;
    return stage < kTextureStages ? m_textureTransforms[stage] : kIdentity;
}

void D3D9Renderer::SetTextureTransform(uint32_t stage, const Matrix4& matrix, bool projected)
{
    if (stage >= kTextureStages)
        return;
    m_textureTransforms[stage] = matrix;
    if (!m_device)
        return;
    m_device->SetTransform(static_cast<D3DTRANSFORMSTATETYPE>(D3DTS_TEXTURE0 + stage),
                           reinterpret_cast<const D3DMATRIX*>(&m_textureTransforms[stage]));
    // Projected coordinates are divided by their last component; otherwise three are used.
    m_device->SetTextureStageState(stage, D3DTSS_TEXTURETRANSFORMFLAGS,
                                   projected ? D3DTTFF_COUNT4 | D3DTTFF_PROJECTED : D3DTTFF_COUNT3);
}

void D3D9Renderer::SetViewport(float x, float y, float width, float height)
{
    auto pixels = [](float value) -> DWORD { return value > 0.0f ? static_cast<DWORD>(value) : 0; };
    m_viewport.X = pixels(x);
    m_viewport.Y = pixels(y);
    m_viewport.Width = pixels(width);
    m_viewport.Height = pixels(height);
    m_viewport.MinZ = 0.0f;
    m_viewport.MaxZ = 1.0f;
    if (m_device)
        m_device->SetViewport(&m_viewport);
}

void D3D9Renderer::SetGammaRamp(const uint16_t* ramp)
{
    if (!ramp || !m_device)
        return;
    D3DGAMMARAMP deviceRamp;
    static_assert(sizeof deviceRamp == 3 * 256 * sizeof(uint16_t), "red, green and blue, 256 entries each");
    std::copy(ramp, ramp + 256, deviceRamp.red);
    std::copy(ramp + 256, ramp + 512, deviceRamp.green);
    std::copy(ramp + 512, ramp + 768, deviceRamp.blue);
    m_device->SetGammaRamp(0, D3DSGR_CALIBRATE, &deviceRamp);
}

// --- Lights ---------------------------------------------------------------------------------

void D3D9Renderer::PushLight(Light* light)
{
    const uint32_t depth = StateDepth();
    if (!light || !m_device || depth == 0)
        return;
    if (depth == 1) {
        m_device->SetRenderState(D3DRS_LIGHTING, TRUE);
        m_device->SetRenderState(D3DRS_SPECULARENABLE, TRUE);
    }
    const D3DLIGHT9 deviceLight = ToDevice(light->ToDeviceLight());
    m_device->SetLight(depth - 1, &deviceLight);
    m_device->LightEnable(depth - 1, TRUE);
}

void D3D9Renderer::PopState()
{
    if (!m_device)
        return;
    const uint32_t depth = StateDepth();
    m_device->LightEnable(depth, FALSE);
    if (depth == 0) {
        m_device->SetRenderState(D3DRS_LIGHTING, FALSE);
        m_device->SetRenderState(D3DRS_SPECULARENABLE, FALSE);
    }
}

// --- Resources, drawing and render targets ---------------------------------------------------
// Unbinding (a null argument) works now; mirroring scene resources on the device, vertex
// declarations, draw calls, render-to-texture and recorded state blocks arrive with the
// resource classes they need, and until then each kind says so once.

void D3D9Renderer::ReportPending(Pending kind, const char* operation)
{
    if (m_reported[kind])
        return;
    m_reported[kind] = true;
    Warning("Рендерер DirectX9: %s (%s) пока не поддерживаются.", kPendingNames[kind], operation);
}

void D3D9Renderer::ReleaseBuffer(Buffer* buffer)
{
    if (buffer)
        ReportPending(kPendingResources, "ReleaseBuffer");
}

void D3D9Renderer::ReleaseTexture(BaseTexture* texture)
{
    if (texture)
        ReportPending(kPendingResources, "ReleaseTexture");
}

void D3D9Renderer::ReleaseShader(Shader* shader)
{
    if (shader)
        ReportPending(kPendingResources, "ReleaseShader");
}

void D3D9Renderer::ReleasePass(Pass* pass)
{
    if (pass)
        ReportPending(kPendingResources, "ReleasePass");
}

void D3D9Renderer::ReleaseQuery(OcclusionQuery* query)
{
    if (query)
        ReportPending(kPendingResources, "ReleaseQuery");
}

void D3D9Renderer::BeginOcclusionQuery(OcclusionQuery* query)
{
    if (query)
        ReportPending(kPendingResources, "BeginOcclusionQuery");
}

void D3D9Renderer::EndOcclusionQuery(OcclusionQuery* query)
{
    if (query)
        ReportPending(kPendingResources, "EndOcclusionQuery");
}

void D3D9Renderer::SetTexture(uint32_t stage, BaseTexture* texture)
{
    if (texture) {
        ReportPending(kPendingResources, "SetTexture");
        return;
    }
    if (m_device)
        m_device->SetTexture(stage, nullptr);
}

void D3D9Renderer::SetVertexShader(VertexShader* shader)
{
    if (shader) {
        ReportPending(kPendingResources, "SetVertexShader");
        return;
    }
    if (m_device)
        m_device->SetVertexShader(nullptr);
}

void D3D9Renderer::SetPixelShader(PixelShader* shader)
{
    if (shader) {
        ReportPending(kPendingResources, "SetPixelShader");
        return;
    }
    if (m_device)
        m_device->SetPixelShader(nullptr);
}

void D3D9Renderer::SetVertexShaderConstants(uint32_t firstRegister, const float* values, uint32_t count)
{
    if (m_device && values && count > 0)
        m_device->SetVertexShaderConstantF(firstRegister, values, count);
}

void D3D9Renderer::SetPixelShaderConstants(uint32_t firstRegister, const float* values, uint32_t count)
{
    if (m_device && values && count > 0)
        m_device->SetPixelShaderConstantF(firstRegister, values, count);
}

void D3D9Renderer::BindNullStream(uint32_t stream, const void* buffer)
{
    if (buffer) {
        ReportPending(kPendingResources, "SetStream");
        return;
    }
    if (m_device)
        m_device->SetStreamSource(stream, nullptr, 0, 0);
}

void D3D9Renderer::SetStream(FloatBuffer* buffer, uint32_t stream) { BindNullStream(stream, buffer); }
void D3D9Renderer::SetStream(Vector2Buffer* buffer, uint32_t stream) { BindNullStream(stream, buffer); }
void D3D9Renderer::SetStream(Vector3Buffer* buffer, uint32_t stream) { BindNullStream(stream, buffer); }
void D3D9Renderer::SetStream(Vector4Buffer* buffer, uint32_t stream) { BindNullStream(stream, buffer); }
void D3D9Renderer::SetStream(ColorBuffer* buffer, uint32_t stream) { BindNullStream(stream, buffer); }
void D3D9Renderer::SetStream(IntBuffer* buffer, uint32_t stream) { BindNullStream(stream, buffer); }
void D3D9Renderer::SetStream(Buffer* buffer, uint32_t stream) { BindNullStream(stream, buffer); }

void D3D9Renderer::SetIndices(IntBuffer* indices)
{
    if (indices) {
        ReportPending(kPendingResources, "SetIndices");
        return;
    }
    if (m_device)
        m_device->SetIndices(nullptr);
}

void D3D9Renderer::SetPass(Pass* pass)
{
    if (pass)
        ReportPending(kPendingStateBlocks, "SetPass");
}

void D3D9Renderer::DrawCurrentGeometry()
{
    if (CurrentGeometry())
        ReportPending(kPendingDrawing, "DrawCurrentGeometry");
}

void D3D9Renderer::DrawGeometry(GeometryNode* node)
{
    if (node)
        ReportPending(kPendingDrawing, "DrawGeometry");
}

void D3D9Renderer::DrawNonIndexed(uint32_t primitiveCount)
{
    if (CurrentGeometry() && primitiveCount > 0)
        ReportPending(kPendingDrawing, "DrawNonIndexed");
}

void D3D9Renderer::BeginRenderTarget(Texture* texture)
{
    if (texture)
        ReportPending(kPendingTargets, "BeginRenderTarget");
}

void D3D9Renderer::BeginRenderTarget(CubeTexture* texture, uint32_t)
{
    if (texture)
        ReportPending(kPendingTargets, "BeginRenderTarget");
}

void D3D9Renderer::EndRenderTarget()
{
    ReportPending(kPendingTargets, "EndRenderTarget");
}

void D3D9Renderer::ReleaseRenderState(RenderStateBlock* block)
{
    if (block)
        ReportPending(kPendingStateBlocks, "ReleaseRenderState");
}

void D3D9Renderer::ApplyRenderState(RenderStateBlock* block)
{
    if (block)
        ReportPending(kPendingStateBlocks, "ApplyRenderState");
}

}  // namespace zen
