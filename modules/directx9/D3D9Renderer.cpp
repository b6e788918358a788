#include "modules/directx9/D3D9Renderer.h"

#include <new>

#include "engine/core/MessageLog.h"
#include "engine/scene/RenderResource.h"
#include "modules/directx9/D3D9RenderStates.h"

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

DWORD PackColor(const Vector4& color)
{
    return D3D9RenderStates::PackColor(color);
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
    SetCapabilities(m_capabilities.ForEngine());
    m_wideTextures = SUCCEEDED(m_direct3d->CheckDeviceFormat(kAdapter, kDeviceType, mode.displayFormat, 0,
                                                             D3DRTYPE_TEXTURE, D3DFMT_A16B16G16R16));

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
    ReleaseTable(m_managed);
    ReleaseShaderCache();
    m_boundIndices = nullptr;
    if (m_inScene) {
        m_device->EndScene();
        m_inScene = false;
    }
    m_device->Release();
    m_device = nullptr;
    if (m_desktopRampKept) {
        if (HDC screen = GetDC(nullptr)) {
            SetDeviceGammaRamp(screen, &m_desktopRamp);
            ReleaseDC(nullptr, screen);
        }
        m_desktopRampKept = false;
    }
    m_stage = Stage::kDirect3D;
    SetCapabilities(RendererCapabilities{});
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
    m_bindings.BeginPass();
    m_boundIndices = nullptr;
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
    if (m_defaultPool.Find(resource) || m_managed.Find(resource))
        return kFailure;
    DeviceObject* record = new (std::nothrow) DeviceObject;
    if (!record)
        return kOutOfMemory;
    record->resource = resource;
    record->object = object;
    record->defaultPool = true;
    const Result inserted = m_defaultPool.Insert(resource, record);
    if (inserted != kSuccess)
        delete record;
    return inserted;
}

void D3D9Renderer::ReleaseDefaultPoolObject(RenderResource* resource)
{
    if (m_defaultPool.Find(resource))
        Drop(resource);
}

void D3D9Renderer::ReleaseTable(Table& table)
{
    // Collected first: clearing a handle must not run while the table is walked.
    std::vector<DeviceObject*> records;
    records.reserve(table.Count());
    table.ForEach([&records](RenderResource*, DeviceObject* record) {
        records.push_back(record);
        return false;
    });
    table.Clear();
    for (DeviceObject* record : records) {
        if (record->object)
            record->object->Release();
        if (record->depth)
            record->depth->Release();
        // The handle goes and the object is rebuilt on next use; the resource keeps its
        // reference to this renderer (dropping it here could end the renderer mid-call).
        RenderResource* resource = record->resource;
        if (resource->BoundRenderer() == this)
            resource->Bind(this, 0, nullptr);
        resource->SetDirty(true);
        delete record;
    }
}

void D3D9Renderer::ReleaseDefaultPool()
{
    if (m_inTarget)
        EndRenderTarget();
    ReleaseTable(m_defaultPool);
}


// --- Frame ----------------------------------------------------------------------------------

Result D3D9Renderer::BeginFrame()
{
    if (!m_device)
        return kInvalidArgument;  // No device: no frame will ever be drawn.
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
        // The frame's clear came before this reset and was lost with the device: the new
        // buffers hold nothing defined, and a stale depth buffer would hide the whole frame.
        if (m_lastClearFlags)
            m_device->Clear(0, nullptr, m_lastClearFlags, PackColor(m_clearColor), m_lastClearDepth,
                            m_lastClearStencil);
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
    m_lastClearFlags = deviceFlags;
    m_lastClearDepth = depth;
    m_lastClearStencil = stencil;
    if (deviceFlags)
        m_device->Clear(0, nullptr, deviceFlags, PackColor(color), depth, stencil);
}

}  // namespace zen
