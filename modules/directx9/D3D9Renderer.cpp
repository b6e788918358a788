#include "modules/directx9/D3D9Renderer.h"

#include <d3dx9shader.h>

#include <algorithm>
#include <cstring>
#include <new>

#include "engine/core/MessageLog.h"
#include "engine/scene/ColorBuffer.h"
#include "engine/scene/CubeTexture.h"
#include "engine/scene/DeviceLight.h"
#include "engine/scene/FloatBuffer.h"
#include "engine/scene/GeometryNode.h"
#include "engine/scene/GeometryNodeEffectPass.h"
#include "engine/scene/Image.h"
#include "engine/scene/IntBuffer.h"
#include "engine/scene/Light.h"
#include "engine/scene/OcclusionQuery.h"
#include "engine/scene/Pass.h"
#include "engine/scene/PixelShader.h"
#include "engine/scene/RenderResource.h"
#include "engine/scene/RenderStateBlock.h"
#include "engine/scene/Texture.h"
#include "engine/scene/Vector2Buffer.h"
#include "engine/scene/Vector3Buffer.h"
#include "engine/scene/Vector4Buffer.h"
#include "engine/scene/VertexShader.h"
#include "engine/scene/VolumeTexture.h"
#include "modules/directx9/D3D9Pixels.h"
#include "modules/directx9/D3D9RenderStates.h"
#include "modules/directx9/D3D9TextureUpload.h"

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

// GeometryNode primitive types (points, lines, strip lines, triangles) to the device's.
constexpr D3DPRIMITIVETYPE kPrimitiveTypes[] = {D3DPT_POINTLIST, D3DPT_LINELIST, D3DPT_LINESTRIP,
                                                D3DPT_TRIANGLELIST};
static_assert(sizeof kPrimitiveTypes / sizeof kPrimitiveTypes[0] == GeometryNode::kTriangles + 1,
              "one device primitive type per geometry kind");

// VertexElement types and usages to the device's declaration values.
constexpr D3DDECLTYPE kDeclTypes[] = {D3DDECLTYPE_FLOAT1, D3DDECLTYPE_FLOAT2,   D3DDECLTYPE_FLOAT3,
                                      D3DDECLTYPE_FLOAT4, D3DDECLTYPE_D3DCOLOR, D3DDECLTYPE_UBYTE4};
static_assert(sizeof kDeclTypes / sizeof kDeclTypes[0] == VertexElement::kTypeCount, "one device type per element type");
constexpr D3DDECLUSAGE kDeclUsages[] = {D3DDECLUSAGE_POSITION,  D3DDECLUSAGE_NORMAL,   D3DDECLUSAGE_COLOR,
                                        D3DDECLUSAGE_TANGENT,   D3DDECLUSAGE_PSIZE,    D3DDECLUSAGE_TEXCOORD,
                                        D3DDECLUSAGE_BLENDINDICES};
static_assert(sizeof kDeclUsages / sizeof kDeclUsages[0] == VertexElement::kUsageCount,
              "one device usage per element usage");

// Texture stages whose bindings SetPass clears for a pass without device data.
constexpr uint32_t kStagesClearedBySetPass = 7;

// Marks a handle as one of the renderer's records (records are aligned, so the bit is free).
constexpr uintptr_t kRecordTag = 1;

// Polls for an occlusion query's result at most this long (ms): a device that never answers
// (lost meanwhile) must not hang the frame.
constexpr DWORD kQueryPatience = 2000;

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
    return D3D9RenderStates::PackColor(color);
}

// Stream bytes per vertex of a buffer: colours travel packed into four bytes.
UINT DeviceStride(const Buffer& buffer)
{
    return buffer.IsExactly(&ColorBuffer::TYPE) ? 4u : buffer.GetElementSize();
}

// The smallest element count of the streams `layout` takes from `node`: no draw reads past it.
uint32_t StreamVertices(const GeometryNode& node, const VertexLayout& layout)
{
    uint32_t count = 0xFFFFFFFFu;
    for (uint32_t i = 0; i < layout.Count(); ++i) {
        const Buffer* buffer = GeometryNodeEffectPass::SourceBuffer(node, layout[i].source, layout[i].set);
        count = std::min(count, buffer ? buffer->GetCount() : 0u);
    }
    return layout.Count() ? count : 0;
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
    m_stagesBound = 0;
    m_pixelShaderBound = false;
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

// --- Device objects of scene objects ----------------------------------------------------------

D3D9Renderer::DeviceObject* D3D9Renderer::Lookup(RenderResource* resource)
{
    if (!resource || resource->BoundRenderer() != this)
        return nullptr;
    uintptr_t handle = 0;
    resource->ReadHandle(sizeof handle, &handle);
    // Records are entered with the low bit set; a handle without it is someone else's value
    // (AddDefaultPoolObject's callers keep their own), for which only the tables can tell.
    if (handle & kRecordTag)
        return reinterpret_cast<DeviceObject*>(handle & ~kRecordTag);
    if (handle == 0)
        return nullptr;
    if (DeviceObject** found = m_defaultPool.Find(resource))
        return *found;
    if (DeviceObject** found = m_managed.Find(resource))
        return *found;
    return nullptr;
}

D3D9Renderer::DeviceObject* D3D9Renderer::Adopt(RenderResource* resource, DeviceObject::Kind kind, IUnknown* object,
                                                bool defaultPool)
{
    Drop(resource);
    DeviceObject* record = new (std::nothrow) DeviceObject;
    Table& table = defaultPool ? m_defaultPool : m_managed;
    if (!record || table.Insert(resource, record) != kSuccess) {
        delete record;
        if (object)
            object->Release();
        Error("Недостаточно памяти для таблицы объектов устройства.");
        return nullptr;
    }
    record->resource = resource;
    record->object = object;
    record->kind = kind;
    record->defaultPool = defaultPool;
    const uintptr_t handle = reinterpret_cast<uintptr_t>(record) | kRecordTag;
    resource->Bind(this, sizeof handle, &handle);
    return record;
}

void D3D9Renderer::Drop(RenderResource* resource)
{
    if (!resource)
        return;
    DeviceObject* record = nullptr;
    if (DeviceObject** found = m_managed.Find(resource)) {
        record = *found;
        (void)m_managed.Remove(resource);
    } else if (DeviceObject** found = m_defaultPool.Find(resource)) {
        record = *found;
        (void)m_defaultPool.Remove(resource);
    }
    if (!record)
        return;
    if (m_inTarget && record->kind == DeviceObject::kRenderTarget)
        EndRenderTarget();  // Its surfaces must not stay bound.
    if (record->object)
        record->object->Release();
    if (record->depth)
        record->depth->Release();
    delete record;
    if (resource->BoundRenderer() == this)
        resource->Bind(this, 0, nullptr);
}

void D3D9Renderer::ReleaseBuffer(Buffer* buffer)
{
    if (buffer == m_boundIndices)
        m_boundIndices = nullptr;
    Drop(buffer);
}

void D3D9Renderer::ReleaseTexture(BaseTexture* texture)
{
    Drop(texture);
}

void D3D9Renderer::ReleaseShader(Shader* shader)
{
    Drop(shader);
}

void D3D9Renderer::ReleasePass(Pass* pass)
{
    Drop(pass);
}

void D3D9Renderer::ReleaseQuery(OcclusionQuery* query)
{
    Drop(query);
}

void D3D9Renderer::ReleaseRenderState(RenderStateBlock* block)
{
    Drop(block);
}

// --- Buffers and streams ----------------------------------------------------------------------

IDirect3DVertexBuffer9* D3D9Renderer::PrepareVertexBuffer(Buffer* buffer, UINT& stride)
{
    stride = DeviceStride(*buffer);
    DeviceObject* record = Lookup(buffer);
    if (record && record->kind == DeviceObject::kVertexBuffer && !buffer->IsDirty())
        return static_cast<IDirect3DVertexBuffer9*>(record->object);
    const uint32_t count = buffer->GetCount();
    const uint64_t bytes = uint64_t{count} * stride;
    if (count == 0 || bytes > 0xFFFFFFFFu || !buffer->GetData()) {
        Drop(buffer);
        return nullptr;
    }
    // A buffer of the same size is refilled; otherwise a new one is made.
    if (!record || record->kind != DeviceObject::kVertexBuffer || record->bytes != bytes) {
        IDirect3DVertexBuffer9* created = nullptr;
        if (FAILED(m_device->CreateVertexBuffer(static_cast<UINT>(bytes), D3DUSAGE_WRITEONLY, 0, D3DPOOL_MANAGED,
                                                &created, nullptr))) {
            Error("Невозможно создать вершинный буффер. Имя[%s] ID[%d]", buffer->Name().CStr(), buffer->ID());
            Drop(buffer);
            return nullptr;
        }
        record = Adopt(buffer, DeviceObject::kVertexBuffer, created, false);
        if (!record)
            return nullptr;
        record->bytes = static_cast<uint32_t>(bytes);
    }
    auto* vertices = static_cast<IDirect3DVertexBuffer9*>(record->object);
    void* target = nullptr;
    if (FAILED(vertices->Lock(0, 0, &target, 0)))
        return nullptr;
    if (buffer->IsExactly(&ColorBuffer::TYPE)) {
        const Vector4* colors = static_cast<const ColorBuffer*>(buffer)->Data();
        auto* packed = static_cast<D3DCOLOR*>(target);
        for (uint32_t i = 0; i < count; ++i)
            packed[i] = PackColor(colors[i]);
    } else {
        std::memcpy(target, buffer->GetData(), static_cast<size_t>(bytes));
    }
    vertices->Unlock();
    buffer->SetDirty(false);
    return vertices;
}

IDirect3DIndexBuffer9* D3D9Renderer::PrepareIndexBuffer(IntBuffer* indices, uint32_t& span)
{
    DeviceObject* record = Lookup(indices);
    if (record && record->kind == DeviceObject::kIndexBuffer && !indices->IsDirty()) {
        span = record->span;
        return static_cast<IDirect3DIndexBuffer9*>(record->object);
    }
    const uint32_t count = indices->GetCount();
    const uint32_t bytes = indices->GetDataSize();
    if (count == 0 || !indices->GetData()) {
        Drop(indices);
        return nullptr;
    }
    if (!record || record->kind != DeviceObject::kIndexBuffer || record->bytes != bytes) {
        IDirect3DIndexBuffer9* created = nullptr;
        if (FAILED(m_device->CreateIndexBuffer(bytes, D3DUSAGE_WRITEONLY, D3DFMT_INDEX32, D3DPOOL_MANAGED, &created,
                                               nullptr))) {
            Error("Невозможно создать индексный буффер. Имя[%s] ID[%d]", indices->Name().CStr(), indices->ID());
            Drop(indices);
            return nullptr;
        }
        record = Adopt(indices, DeviceObject::kIndexBuffer, created, false);
        if (!record)
            return nullptr;
        record->bytes = bytes;
    }
    auto* buffer = static_cast<IDirect3DIndexBuffer9*>(record->object);
    void* target = nullptr;
    if (FAILED(buffer->Lock(0, 0, &target, 0)))
        return nullptr;
    std::memcpy(target, indices->GetData(), bytes);
    buffer->Unlock();
    // The largest index decides how many vertices a draw reads: a damaged file's index past
    // the vertices must not make the device read outside them.
    const auto* values = static_cast<const uint32_t*>(indices->GetData());
    uint32_t largest = 0;
    for (uint32_t i = 0; i < count; ++i)
        largest = std::max(largest, values[i]);
    record->span = largest == 0xFFFFFFFFu ? largest : largest + 1;
    span = record->span;
    indices->SetDirty(false);
    return buffer;
}

void D3D9Renderer::BindStream(Buffer* buffer, uint32_t stream)
{
    if (!m_device)
        return;
    UINT stride = 0;
    IDirect3DVertexBuffer9* vertices = buffer ? PrepareVertexBuffer(buffer, stride) : nullptr;
    m_device->SetStreamSource(stream, vertices, 0, vertices ? stride : 0);
}

void D3D9Renderer::SetStream(FloatBuffer* buffer, uint32_t stream) { BindStream(buffer, stream); }
void D3D9Renderer::SetStream(Vector2Buffer* buffer, uint32_t stream) { BindStream(buffer, stream); }
void D3D9Renderer::SetStream(Vector3Buffer* buffer, uint32_t stream) { BindStream(buffer, stream); }
void D3D9Renderer::SetStream(Vector4Buffer* buffer, uint32_t stream) { BindStream(buffer, stream); }
void D3D9Renderer::SetStream(IntBuffer* buffer, uint32_t stream) { BindStream(buffer, stream); }
void D3D9Renderer::SetStream(Buffer* buffer, uint32_t stream) { BindStream(buffer, stream); }

void D3D9Renderer::SetStream(ColorBuffer* buffer, uint32_t stream)
{
    BindStream(buffer, stream);
    // Fixed-function lighting takes the vertex colours as the material's diffuse colour.
    if (m_device && buffer)
        m_device->SetRenderState(D3DRS_COLORVERTEX, TRUE);
}

void D3D9Renderer::SetIndices(IntBuffer* indices)
{
    if (!m_device)
        return;
    uint32_t span = 0;
    IDirect3DIndexBuffer9* buffer = indices ? PrepareIndexBuffer(indices, span) : nullptr;
    m_device->SetIndices(buffer);
    m_boundIndices = buffer ? indices : nullptr;
    m_indexSpan = span;
}

// --- Textures ---------------------------------------------------------------------------------

IDirect3DBaseTexture9* D3D9Renderer::PrepareTexture(BaseTexture* texture)
{
    DeviceObject* record = Lookup(texture);
    if (record && !texture->IsDirty() &&
        (record->kind == DeviceObject::kTexture || record->kind == DeviceObject::kRenderTarget))
        return static_cast<IDirect3DBaseTexture9*>(record->object);
    Drop(texture);
    const String& name = texture->Name();
    IDirect3DBaseTexture9* created = nullptr;
    Result made = kFailure;
    if (texture->IsDerivedFrom(&Texture::TYPE)) {
        if (Image* image = static_cast<Texture*>(texture)->GetImage()) {
            IDirect3DTexture9* flat = nullptr;
            made = D3D9TextureUpload::Create2D(m_device, *image, texture->MipLevels(), m_wideTextures, name, &flat);
            created = flat;
        }
    } else if (texture->IsDerivedFrom(&CubeTexture::TYPE)) {
        if (VolumeImage* image = static_cast<CubeTexture*>(texture)->GetImage(false)) {
            IDirect3DCubeTexture9* cube = nullptr;
            made = D3D9TextureUpload::CreateCube(m_device, *image, texture->MipLevels(), m_wideTextures, name, &cube);
            created = cube;
        }
    } else if (texture->IsDerivedFrom(&VolumeTexture::TYPE)) {
        if (VolumeImage* image = static_cast<VolumeTexture*>(texture)->GetImage(false)) {
            IDirect3DVolumeTexture9* volume = nullptr;
            made = D3D9TextureUpload::CreateVolume(m_device, *image, texture->MipLevels(), m_wideTextures, name,
                                                   &volume);
            created = volume;
        }
    }
    // A texture without an image, or one that cannot be made, stays dirty and unbound; it is
    // tried again on its next use.
    if (made != kSuccess || !created)
        return nullptr;
    if (!Adopt(texture, DeviceObject::kTexture, created, true))
        return nullptr;
    texture->SetDirty(false);
    return created;
}

void D3D9Renderer::SetTexture(uint32_t stage, BaseTexture* texture)
{
    if (!m_device || stage >= kTextureStages)
        return;
    IDirect3DBaseTexture9* bound = texture ? PrepareTexture(texture) : nullptr;
    m_device->SetTexture(stage, bound);
    if (bound)
        m_stagesBound |= 1u << stage;
    else
        m_stagesBound &= ~(1u << stage);
}

// --- Shaders ----------------------------------------------------------------------------------

IUnknown* D3D9Renderer::AssembleShader(Shader* shader)
{
    const String& source = shader->Source();
    if (IUnknown** cached = m_shaderCache.Find(source)) {
        if (*cached)
            (*cached)->AddRef();
        return *cached;
    }
    ID3DXBuffer* code = nullptr;
    ID3DXBuffer* errors = nullptr;
    const HRESULT assembled =
        D3DXAssembleShader(source.CStr(), source.Length(), nullptr, nullptr, 0, &code, &errors);
    IUnknown* made = nullptr;
    if (FAILED(assembled) || !code) {
        // The assembler's own text, shown once per program text (in a message box with an
        // empty caption where one may be shown); the shader stays unbound.
        const char* text = errors ? static_cast<const char*>(errors->GetBufferPointer()) : "";
        std::string message(text, errors ? strnlen(text, errors->GetBufferSize()) : 0);
        Error("Невозможно ассемблировать шейдер [%s]: %s", shader->Name().CStr(), message.c_str());
        if (MessageBoxesAllowed())
            MessageBoxA(nullptr, message.c_str(), "", MB_OK);
    } else {
        const auto* words = static_cast<const DWORD*>(code->GetBufferPointer());
        HRESULT created = E_FAIL;
        if (shader->IsPixelShader()) {
            IDirect3DPixelShader9* pixel = nullptr;
            created = m_device->CreatePixelShader(words, &pixel);
            made = pixel;
        } else {
            IDirect3DVertexShader9* vertex = nullptr;
            created = m_device->CreateVertexShader(words, &vertex);
            made = vertex;
        }
        if (FAILED(created)) {
            Error("Невозможно создать шейдер [%s].", shader->Name().CStr());
            made = nullptr;
        }
    }
    if (code)
        code->Release();
    if (errors)
        errors->Release();
    // The cache keeps its own reference (or the failure, so it is not reported again).
    if (m_shaderCache.Insert(source, made) == kSuccess && made)
        made->AddRef();
    return made;
}

IUnknown* D3D9Renderer::PrepareShader(Shader* shader)
{
    DeviceObject* record = Lookup(shader);
    if (!record || record->kind != DeviceObject::kShader || shader->IsDirty()) {
        record = Adopt(shader, DeviceObject::kShader, AssembleShader(shader), false);
        if (!record)
            return nullptr;
        shader->SetDirty(false);
    }
    return record->object;
}

void D3D9Renderer::ReleaseShaderCache()
{
    m_shaderCache.ForEach([](const String&, IUnknown* shader) {
        if (shader)
            shader->Release();
        return false;
    });
    m_shaderCache.Clear();
}

void D3D9Renderer::SetVertexShader(VertexShader* shader)
{
    if (!m_device)
        return;
    m_device->SetVertexShader(shader ? static_cast<IDirect3DVertexShader9*>(PrepareShader(shader)) : nullptr);
}

void D3D9Renderer::SetPixelShader(PixelShader* shader)
{
    if (!m_device)
        return;
    IDirect3DPixelShader9* bound = shader ? static_cast<IDirect3DPixelShader9*>(PrepareShader(shader)) : nullptr;
    m_device->SetPixelShader(bound);
    m_pixelShaderBound = bound != nullptr;
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

// --- Passes and render state ------------------------------------------------------------------

void D3D9Renderer::SetPass(Pass* pass)
{
    if (!m_device)
        return;
    m_stagesBound = 0;
    m_device->SetRenderState(D3DRS_COLORVERTEX, FALSE);  // SetStream of colours turns it on.
    if (!pass)
        return;
    DeviceObject* record = Lookup(pass);
    if (record && pass->IsDirty()) {
        Drop(pass);
        record = nullptr;
    }
    ApplyRenderState(pass->RenderStates());
    if (!record) {
        for (uint32_t stage = 0; stage < kStagesClearedBySetPass; ++stage)
            m_device->SetTexture(stage, nullptr);
        m_device->SetVertexShader(nullptr);
        m_device->SetPixelShader(nullptr);
        m_pixelShaderBound = false;
    }
}

void D3D9Renderer::ApplyRenderState(RenderStateBlock* block)
{
    if (!m_device || !block)
        return;
    DeviceObject* record = Lookup(block);
    if (record && record->kind == DeviceObject::kStateBlock && !block->IsDirty()) {
        static_cast<IDirect3DStateBlock9*>(record->object)->Apply();
        return;
    }
    // A state outside the enumerations (a caller's mistake; loads refuse them) is drawn with
    // the defaults rather than indexing past the tables.
    const RenderState& state = block->State().IsValid() ? block->State() : RenderState{};
    IDirect3DStateBlock9* recorded = nullptr;
    if (FAILED(m_device->BeginStateBlock())) {
        D3D9RenderStates::Write(m_device, state);
        return;
    }
    D3D9RenderStates::Write(m_device, state);
    if (FAILED(m_device->EndStateBlock(&recorded)) || !recorded) {
        D3D9RenderStates::Write(m_device, state);
        return;
    }
    // Recording does not change the device: the block is applied once recorded.
    recorded->Apply();
    if (Adopt(block, DeviceObject::kStateBlock, recorded, true))
        block->SetDirty(false);
}

// --- Drawing ----------------------------------------------------------------------------------

bool D3D9Renderer::SetDeclaration(Pass* pass)
{
    const VertexLayout& layout = pass->Layout();
    if (layout.Count() == 0)
        return false;
    DeviceObject* record = Lookup(pass);
    if (!record || record->kind != DeviceObject::kDeclaration || pass->IsDirty()) {
        D3DVERTEXELEMENT9 elements[VertexLayout::kMaxElements + 1];
        for (uint32_t i = 0; i < layout.Count(); ++i) {
            const VertexElement& element = layout[i];
            if (element.type >= VertexElement::kTypeCount || element.usage >= VertexElement::kUsageCount)
                return false;  // Not a layout a pass builds.
            elements[i] = D3DVERTEXELEMENT9{element.stream, 0, static_cast<BYTE>(kDeclTypes[element.type]),
                                            D3DDECLMETHOD_DEFAULT, static_cast<BYTE>(kDeclUsages[element.usage]),
                                            element.usageIndex};
        }
        elements[layout.Count()] = D3DVERTEXELEMENT9 D3DDECL_END();
        IDirect3DVertexDeclaration9* declaration = nullptr;
        if (FAILED(m_device->CreateVertexDeclaration(elements, &declaration))) {
            Error("Невозможно создать описание вершин. Имя[%s] ID[%d]", pass->Name().CStr(), pass->ID());
            Drop(pass);
            return false;
        }
        record = Adopt(pass, DeviceObject::kDeclaration, declaration, false);
        if (!record)
            return false;
        pass->SetDirty(false);
    }
    m_device->SetVertexDeclaration(static_cast<IDirect3DVertexDeclaration9*>(record->object));
    return true;
}

void D3D9Renderer::DrawNode(GeometryNode* node, Pass* pass)
{
    if (!SetDeclaration(pass))
        return;
    // Per-draw overrides of the pass's recorded state.
    if (RenderStateBlock* block = pass->RenderStates()) {
        const RenderState& state = block->State();
        if (MirrorCulling())
            m_device->SetRenderState(D3DRS_CULLMODE,
                                     D3D9RenderStates::CullMode(state.cullEnable, 1 - (state.cullMode & 1)));
        if (DepthEqual())
            m_device->SetRenderState(D3DRS_ZFUNC, D3DCMP_EQUAL);
    }
    // Fixed-function stages run until the first one the pass bound no texture to.
    if (!m_pixelShaderBound) {
        for (DWORD stage = 1; stage < kTextureStages; ++stage) {
            if (!(m_stagesBound & (1u << stage))) {
                m_device->SetTextureStageState(stage, D3DTSS_COLOROP, D3DTOP_DISABLE);
                m_device->SetTextureStageState(stage, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
                break;
            }
        }
    }
    const int32_t type = node->GetPrimitiveType();
    if (type < 0 || type > GeometryNode::kTriangles)
        return;
    const uint32_t vertices = StreamVertices(*node, pass->Layout());
    IntBuffer* indices = node->Indices();
    if (indices && indices == m_boundIndices) {
        if (m_indexSpan > vertices) {
            if (!m_reportedIndices) {
                m_reportedIndices = true;
                Warning("Индексы выходят за пределы вершин. Имя[%s] ID[%d]", node->Name().CStr(), node->ID());
            }
            return;
        }
        const uint32_t primitives = GeometryNode::PrimitiveCount(type, indices->GetCount());
        if (primitives > 0)
            m_device->DrawIndexedPrimitive(kPrimitiveTypes[type], 0, 0, vertices, 0, primitives);
        return;
    }
    if (indices)
        return;  // Its index buffer could not be made: nothing sensible to draw.
    const uint32_t primitives = GeometryNode::PrimitiveCount(type, vertices);
    if (primitives > 0)
        m_device->DrawPrimitive(kPrimitiveTypes[type], 0, primitives);
}

void D3D9Renderer::DrawCurrentGeometry()
{
    GeometryNode* node = CurrentGeometry();
    Pass* pass = CurrentPass();
    if (m_device && node && pass)
        DrawNode(node, pass);
}

void D3D9Renderer::DrawGeometry(GeometryNode* node)
{
    Pass* pass = CurrentPass();
    if (!m_device || !node || !pass)
        return;
    // The node's own buffers in the streams the current pass laid out.
    const VertexLayout& layout = pass->Layout();
    for (uint32_t i = 0; i < layout.Count(); ++i)
        BindStream(GeometryNodeEffectPass::SourceBuffer(*node, layout[i].source, layout[i].set), layout[i].stream);
    SetIndices(node->Indices());
    DrawNode(node, pass);
}

void D3D9Renderer::DrawNonIndexed(uint32_t primitiveCount)
{
    GeometryNode* node = CurrentGeometry();
    Pass* pass = CurrentPass();
    if (!m_device || !node || !pass || primitiveCount == 0 || !SetDeclaration(pass))
        return;
    const int32_t type = node->GetPrimitiveType();
    if (type < 0 || type > GeometryNode::kTriangles)
        return;
    // Never more primitives than the streams hold vertices for.
    const uint32_t available = GeometryNode::PrimitiveCount(type, StreamVertices(*node, pass->Layout()));
    const uint32_t primitives = std::min(primitiveCount, available);
    if (primitives > 0)
        m_device->DrawPrimitive(kPrimitiveTypes[type], 0, primitives);
}

// --- Render targets ---------------------------------------------------------------------------

D3D9Renderer::DeviceObject* D3D9Renderer::PrepareRenderTarget(BaseTexture* texture, bool cube)
{
    DeviceObject* record = Lookup(texture);
    if (record && record->kind == DeviceObject::kRenderTarget)
        return record;
    const Image* image = cube ? static_cast<const Image*>(static_cast<CubeTexture*>(texture)->GetImage(false))
                              : static_cast<Texture*>(texture)->GetImage();
    if (!image || image->Width() == 0 || image->Height() == 0 || (cube && image->Width() != image->Height())) {
        Error("Нет изображения для текстуры [%s].", texture->Name().CStr());
        return nullptr;
    }
    const uint32_t format = image->Format() < D3D9Capabilities::kImageFormatCount ? image->Format() : 0;
    const bool autogen = texture->MipLevels() != 1 && (cube ? m_capabilities.cubeRenderTargetAutogen[format]
                                                            : m_capabilities.renderTargetAutogen[format]);
    const DWORD usage = D3DUSAGE_RENDERTARGET | (autogen ? D3DUSAGE_AUTOGENMIPMAP : 0);
    const D3DFORMAT deviceFormat = D3D9Capabilities::RenderTargetFormat(format);
    IUnknown* made = nullptr;
    HRESULT created;
    if (cube) {
        IDirect3DCubeTexture9* target = nullptr;
        created = m_device->CreateCubeTexture(image->Width(), autogen ? 0 : 1, usage, deviceFormat, D3DPOOL_DEFAULT,
                                              &target, nullptr);
        made = target;
    } else {
        IDirect3DTexture9* target = nullptr;
        created = m_device->CreateTexture(image->Width(), image->Height(), autogen ? 0 : 1, usage, deviceFormat,
                                          D3DPOOL_DEFAULT, &target, nullptr);
        made = target;
    }
    IDirect3DSurface9* depth = nullptr;
    if (SUCCEEDED(created))
        created = m_device->CreateDepthStencilSurface(image->Width(), image->Height(),
                                                      m_presentation.AutoDepthStencilFormat, D3DMULTISAMPLE_NONE, 0,
                                                      TRUE, &depth, nullptr);
    if (FAILED(created)) {
        if (made)
            made->Release();
        Error("Невозможно создать текстуру для рендеринга [%s].", texture->Name().CStr());
        return nullptr;
    }
    record = Adopt(texture, DeviceObject::kRenderTarget, made, true);
    if (!record) {
        depth->Release();
        return nullptr;
    }
    record->depth = depth;
    texture->SetDirty(false);
    return record;
}

void D3D9Renderer::BeginTarget(IDirect3DSurface9* surface, DeviceObject* target, uint32_t width, uint32_t height)
{
    if (FAILED(m_device->GetRenderTarget(0, &m_savedColor)))
        m_savedColor = nullptr;
    if (FAILED(m_device->GetDepthStencilSurface(&m_savedDepth)))
        m_savedDepth = nullptr;
    m_savedViewport = m_viewport;
    m_device->SetRenderTarget(0, surface);
    m_device->SetDepthStencilSurface(target->depth);
    m_inTarget = true;
    SetViewport(0, 0, static_cast<float>(width), static_cast<float>(height));
}

void D3D9Renderer::BeginRenderTarget(Texture* texture)
{
    if (!m_device || !texture)
        return;
    if (m_inTarget)
        EndRenderTarget();
    DeviceObject* target = PrepareRenderTarget(texture, false);
    if (!target)
        return;
    IDirect3DSurface9* surface = nullptr;
    if (FAILED(static_cast<IDirect3DTexture9*>(target->object)->GetSurfaceLevel(0, &surface)))
        return;
    D3DSURFACE_DESC description;
    surface->GetDesc(&description);
    BeginTarget(surface, target, description.Width, description.Height);
    surface->Release();
}

void D3D9Renderer::BeginRenderTarget(CubeTexture* texture, uint32_t face)
{
    if (!m_device || !texture || face >= 6)
        return;
    if (m_inTarget)
        EndRenderTarget();
    DeviceObject* target = PrepareRenderTarget(texture, true);
    if (!target)
        return;
    IDirect3DSurface9* surface = nullptr;
    if (FAILED(static_cast<IDirect3DCubeTexture9*>(target->object)
                   ->GetCubeMapSurface(static_cast<D3DCUBEMAP_FACES>(face), 0, &surface)))
        return;
    D3DSURFACE_DESC description;
    surface->GetDesc(&description);
    BeginTarget(surface, target, description.Width, description.Height);
    surface->Release();
}

void D3D9Renderer::EndRenderTarget()
{
    if (!m_inTarget)
        return;
    m_inTarget = false;
    if (m_device) {
        m_device->SetRenderTarget(0, m_savedColor);
        m_device->SetDepthStencilSurface(m_savedDepth);
    }
    if (m_savedColor)
        m_savedColor->Release();
    if (m_savedDepth)
        m_savedDepth->Release();
    m_savedColor = m_savedDepth = nullptr;
    const D3DVIEWPORT9 saved = m_savedViewport;
    SetViewport(static_cast<float>(saved.X), static_cast<float>(saved.Y), static_cast<float>(saved.Width),
                static_cast<float>(saved.Height));
}

// --- Occlusion queries ------------------------------------------------------------------------

void D3D9Renderer::BeginOcclusionQuery(OcclusionQuery* query)
{
    if (!m_device || !query)
        return;
    DeviceObject* record = Lookup(query);
    if (!record || record->kind != DeviceObject::kQuery) {
        IDirect3DQuery9* created = nullptr;
        if (FAILED(m_device->CreateQuery(D3DQUERYTYPE_OCCLUSION, &created)) || !created)
            return;
        record = Adopt(query, DeviceObject::kQuery, created, true);
        if (!record)
            return;
        query->SetDirty(false);
    }
    static_cast<IDirect3DQuery9*>(record->object)->Issue(D3DISSUE_BEGIN);
}

void D3D9Renderer::EndOcclusionQuery(OcclusionQuery* query)
{
    if (!m_device || !query)
        return;
    DeviceObject* record = Lookup(query);
    if (!record || record->kind != DeviceObject::kQuery)
        return;
    auto* deviceQuery = static_cast<IDirect3DQuery9*>(record->object);
    deviceQuery->Issue(D3DISSUE_END);
    DWORD pixels = 0;
    const DWORD start = GetTickCount();
    HRESULT answer;
    while ((answer = deviceQuery->GetData(&pixels, sizeof pixels, D3DGETDATA_FLUSH)) == S_FALSE) {
        if (GetTickCount() - start > kQueryPatience)
            break;
    }
    query->SetVisiblePixels(answer == S_OK ? static_cast<uint32_t>(pixels) : 0);
}

// --- Reading the frame ------------------------------------------------------------------------

Result D3D9Renderer::ReadFrame(Image* image)
{
    if (!image)
        return kInvalidArgument;
    if (!m_device)
        return kFailure;
    IDirect3DSurface9* target = nullptr;
    if (FAILED(m_device->GetRenderTarget(0, &target))) {
        Error("Невозможно прочитать кадр: нет поверхности рендеринга.");
        return kFailure;
    }
    D3DSURFACE_DESC description;
    target->GetDesc(&description);
    IDirect3DSurface9* source = target;
    IDirect3DSurface9* resolved = nullptr;
    IDirect3DSurface9* copy = nullptr;
    Result result = kFailure;
    // A multisampled picture is resolved into a plain surface first.
    if (description.MultiSampleType != D3DMULTISAMPLE_NONE) {
        if (SUCCEEDED(m_device->CreateRenderTarget(description.Width, description.Height, description.Format,
                                                   D3DMULTISAMPLE_NONE, 0, FALSE, &resolved, nullptr)) &&
            SUCCEEDED(m_device->StretchRect(target, nullptr, resolved, nullptr, D3DTEXF_NONE)))
            source = resolved;
    }
    if (!D3D9Pixels::CanRead(description.Format)) {
        Error("Невозможно прочитать кадр: неизвестный формат поверхности %u.", static_cast<unsigned>(description.Format));
    } else if (SUCCEEDED(m_device->CreateOffscreenPlainSurface(description.Width, description.Height,
                                                               description.Format, D3DPOOL_SYSTEMMEM, &copy,
                                                               nullptr)) &&
               SUCCEEDED(m_device->GetRenderTargetData(source, copy))) {
        D3DLOCKED_RECT locked;
        if (SUCCEEDED(copy->LockRect(&locked, nullptr, D3DLOCK_READONLY))) {
            if (image->Allocate(Image::kR8G8B8, description.Width, description.Height) == kSuccess) {
                // Surfaces are top-down, images bottom-up.
                for (UINT y = 0; y < description.Height; ++y)
                    D3D9Pixels::ToRgb(description.Format,
                                      static_cast<const uint8_t*>(locked.pBits) + static_cast<ptrdiff_t>(locked.Pitch) * y,
                                      description.Width,
                                      image->Data() + size_t{description.Height - 1 - y} * description.Width * 3);
                result = kSuccess;
            }
            copy->UnlockRect();
        }
    }
    if (result != kSuccess)
        Error("Невозможно прочитать кадр.");
    if (copy)
        copy->Release();
    if (resolved)
        resolved->Release();
    target->Release();
    return result;
}

}  // namespace zen
