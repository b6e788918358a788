#pragma once
#include <d3d9.h>

#include <cstdint>

#include "engine/core/HashMap.h"
#include "engine/core/Matrix4.h"
#include "engine/render/Renderer.h"
#include "engine/render/StageBindings.h"
#include "modules/directx9/D3D9Capabilities.h"
#include "modules/directx9/D3D9ModeList.h"

namespace zen {

class RenderResource;
class RenderStateBlock;

// The renderer of module "DirectX9" (one per process): Direct3D 9 on adapter 0 with the
// hardware device. Construction makes the Direct3D object and lists the display modes; Open
// (Renderer) makes the window and then CreateDevice the device, with hardware vertex
// processing or, when refused, software. Frames begin only while the device is usable: a lost
// device skips frames and gives back every object of the default pool (their resources are
// marked dirty and rebuilt on next use); once the device can be reset it is, and drawing
// resumes. Every device object a reset would invalidate (textures and render targets, recorded
// state blocks, occlusion queries) is entered in the default-pool table; the others (vertex and
// index buffers in the managed pool, shaders, vertex declarations) in the managed table. Each
// mirrored scene object keeps a pointer to its table record as its RenderResource handle.
//
// The definitions are split by concern, one file each: D3D9Renderer.cpp (creation, device,
// default pool, frame), ...Resources (the tables and handles), ...Buffers (vertex and index
// buffers, streams), ...Textures, ...Shaders, ...Passes (passes and recorded render state),
// ...Drawing (declarations and draw calls), ...Targets (render targets), ...Queries (occlusion
// queries), ...Transforms (transforms, viewport, gamma and lights), ...Readback (ReadFrame).
class D3D9Renderer : public Renderer {
public:
    // "CreateRenderer" of the module: kFailure when `out` is null, when a renderer already
    // exists or when d3d9.dll is missing; kOutOfMemory; else a new, unreferenced renderer.
    // Without a Direct3D object (logged) the renderer is made all the same and lists no modes:
    // the settings dialog still works, and every device operation fails or does nothing.
    static Result Create(Renderer** out);
    static bool Exists();  // A Direct3D 9 renderer is alive.

    ~D3D9Renderer() override;

    // Device operations
    Result CreateDevice(uint32_t modeIndex, uint32_t width, uint32_t height) override;
    void ReleaseDevice() override;
    void ReleaseBuffer(Buffer* buffer) override;
    void ReleaseTexture(BaseTexture* texture) override;
    void ReleaseShader(Shader* shader) override;
    void ReleasePass(Pass* pass) override;
    void ReleaseQuery(OcclusionQuery* query) override;
    void BeginOcclusionQuery(OcclusionQuery* query) override;
    void EndOcclusionQuery(OcclusionQuery* query) override;
    void SetTexture(uint32_t stage, BaseTexture* texture) override;
    void SetVertexShader(VertexShader* shader) override;
    void SetVertexShaderConstants(uint32_t firstRegister, const float* values, uint32_t count) override;
    void SetPixelShader(PixelShader* shader) override;
    void SetPixelShaderConstants(uint32_t firstRegister, const float* values, uint32_t count) override;
    void SetStream(FloatBuffer* buffer, uint32_t stream) override;
    void SetStream(Vector2Buffer* buffer, uint32_t stream) override;
    void SetStream(Vector3Buffer* buffer, uint32_t stream) override;
    void SetStream(Vector4Buffer* buffer, uint32_t stream) override;
    void SetStream(ColorBuffer* buffer, uint32_t stream) override;
    void SetStream(IntBuffer* buffer, uint32_t stream) override;
    void SetStream(Buffer* buffer, uint32_t stream) override;
    void SetIndices(IntBuffer* indices) override;
    void SetPass(Pass* pass) override;
    void DrawCurrentGeometry() override;
    void DrawGeometry(GeometryNode* node) override;
    void DrawNonIndexed(uint32_t primitiveCount) override;
    void Clear(uint32_t flags, const Vector4& color, float depth, uint32_t stencil) override;
    Result BeginFrame() override;
    void EndFrame() override;
    const Matrix4& GetWorld() const override { return m_world; }
    void SetWorld(const Matrix4& matrix) override;
    const Matrix4& GetView() const override { return m_view; }
    void SetView(const Matrix4& matrix) override;
    const Matrix4& GetProjection() const override { return m_projection; }
    void SetProjection(const Matrix4& matrix) override;
    const Matrix4& GetTextureTransform(uint32_t stage) const override;
    void SetTextureTransform(uint32_t stage, const Matrix4& matrix, bool projected) override;
    void PushLight(Light* light) override;
    void PopState() override;
    void BeginRenderTarget(Texture* texture) override;
    void BeginRenderTarget(CubeTexture* texture, uint32_t face) override;
    void EndRenderTarget() override;
    bool RenderTargetActive() const override { return m_inTarget; }
    uint32_t GetViewportWidth() const override { return m_viewport.Width; }
    uint32_t GetViewportHeight() const override { return m_viewport.Height; }
    void SetViewport(float x, float y, float width, float height) override;
    void SetGammaRamp(const uint16_t* ramp) override;
    void ReleaseRenderState(RenderStateBlock* block) override;
    Result ReadFrame(Image* image) override;

    // Direct3D 9 only: replays the block's recorded device state block, recording it first
    // (again, when the block is dirty).
    void ApplyRenderState(RenderStateBlock* block);

    // Device state
    bool HasDevice() const { return m_device != nullptr; }
    IDirect3DDevice9* Device() const { return m_device; }  // No reference taken; null without one.
    const D3D9Capabilities& Capabilities() const { return m_capabilities; }  // Of the current device.
    bool WideTextures() const { return m_wideTextures; }  // A16B16G16R16 textures are taken.
    const Vector4& ClearColor() const { return m_clearColor; }               // Of the last colour clear.

    // Default-pool table: `object` (one reference handed over) belongs to `resource`. kSuccess;
    // kFailure when the resource already has one (nothing taken); kOutOfMemory.
    Result AddDefaultPoolObject(RenderResource* resource, IUnknown* object);
    // Releases the resource's default-pool object, if any, and removes its entry.
    void ReleaseDefaultPoolObject(RenderResource* resource);
    uint32_t DefaultPoolCount() const { return m_defaultPool.Count(); }
    uint32_t ManagedCount() const { return m_managed.Count(); }  // Buffers, shaders, declarations.

private:
    // How far the set-up got; teardown releases exactly what the stage says exists.
    enum class Stage { kNothing, kDirect3D, kDevice };

    // The device side of one mirrored scene object; its address is the object's handle.
    struct DeviceObject {
        enum Kind : uint32_t {
            kForeign,        // Handed in through AddDefaultPoolObject.
            kVertexBuffer,
            kIndexBuffer,
            kTexture,
            kRenderTarget,   // A texture drawn into; `depth` is its depth surface.
            kShader,         // `object` null: the text did not assemble (shown once).
            kDeclaration,
            kStateBlock,
            kQuery,
        };
        RenderResource* resource = nullptr;   // The owner, checked when a handle is read.
        IUnknown* object = nullptr;           // Owned reference; null only for a failed shader.
        IDirect3DSurface9* depth = nullptr;   // Owned; render targets only.
        Kind kind = kForeign;
        bool defaultPool = false;
        uint32_t bytes = 0;                   // Buffers: size of the device buffer.
        uint32_t span = 0;                    // Index buffers: largest index + 1.
        // Queries: a measurement issued and not yet read back, and one begun and not ended.
        bool queryPending = false;
        bool queryOpen = false;
    };

    struct PointerHash {
        uint32_t operator()(const RenderResource* key) const
        {
            const auto bits = reinterpret_cast<uintptr_t>(key);
            return static_cast<uint32_t>(bits >> 4) ^ static_cast<uint32_t>(bits >> 36);
        }
    };

    D3D9Renderer();

    // The default pool's objects go back to the device and their resources are marked for
    // rebuilding (handle cleared, dirty), as a lost device requires; the table is emptied.
    void ReleaseDefaultPool();
    // Render states every frame starts from; written after creation and after a reset.
    void WriteInitialStates();
    // Writes the cached transforms and viewport to the device (after creation and reset).
    void WriteTransforms();

    // Device objects of scene objects
    DeviceObject* Lookup(RenderResource* resource);
    // Enters `object` (one reference handed over) for `resource` and makes it the handle.
    // False (object released) when the table cannot take it.
    DeviceObject* Adopt(RenderResource* resource, DeviceObject::Kind kind, IUnknown* object, bool defaultPool);
    // Releases the resource's device object, if any, and clears its handle.
    void Drop(RenderResource* resource);
    // Forgets every entry of `table`: objects released, resources cleared and dirty.
    using Table = HashMap<RenderResource*, DeviceObject*, PointerHash>;
    void ReleaseTable(Table& table);

    IDirect3DVertexBuffer9* PrepareVertexBuffer(Buffer* buffer, UINT& stride);
    IDirect3DIndexBuffer9* PrepareIndexBuffer(IntBuffer* indices, uint32_t& span);
    IDirect3DBaseTexture9* PrepareTexture(BaseTexture* texture);
    DeviceObject* PrepareRenderTarget(BaseTexture* texture, bool cube);
    IUnknown* PrepareShader(Shader* shader);
    IUnknown* AssembleShader(Shader* shader);
    // The pass's vertex declaration, rebuilt while the pass is dirty; set on the device.
    bool SetDeclaration(Pass* pass);
    void BindStream(Buffer* buffer, uint32_t stream);
    // Draws `node` with the bound streams, declaration and (its own) indices.
    void DrawNode(GeometryNode* node, Pass* pass);
    // What every draw of `pass` needs beyond its recorded state: the declaration, the
    // renderer's overrides and the end of the fixed-function stage cascade. False: no draw.
    bool PrepareDraw(Pass* pass);
    void BeginTarget(IDirect3DSurface9* surface, DeviceObject* target, uint32_t width, uint32_t height);
    void ReleaseShaderCache();

    static constexpr uint32_t kTextureStages = 8;

    Stage m_stage = Stage::kNothing;
    IDirect3D9* m_direct3d = nullptr;        // Owned reference; null when Direct3DCreate9 failed.
    IDirect3DDevice9* m_device = nullptr;    // Owned reference; null without a device.
    D3DPRESENT_PARAMETERS m_presentation{};  // Of the current device (reused by a reset).
    D3DGAMMARAMP m_desktopRamp{};             // The screen's ramp before our first change...
    bool m_desktopRampKept = false;           // ...when it could be read; put back with the device.
    D3D9ModeList m_modeList;                 // The device formats behind the base's mode records.
    uint32_t m_modeIndex = 0;                // Mode of the current device.
    D3D9Capabilities m_capabilities;
    bool m_wideTextures = false;
    Table m_defaultPool{32};  // Records: owned.
    Table m_managed{32};      // Records: owned.
    // Device shaders by source text (owned references; null for a text that failed), so that
    // every effect with the same program shares one and a broken text is reported once.
    HashMap<String, IUnknown*> m_shaderCache{32};
    bool m_inScene = false;                  // BeginScene succeeded and EndScene is due.
    Vector4 m_clearColor{0, 0, 0, 0};
    DWORD m_lastClearFlags = 0;              // The device flags of the last Clear (repeated after a reset).
    float m_lastClearDepth = 1.0f;
    DWORD m_lastClearStencil = 0;
    Matrix4 m_world, m_view, m_projection;
    Matrix4 m_textureTransforms[kTextureStages];
    D3DVIEWPORT9 m_viewport{0, 0, 0, 0, 0.0f, 1.0f};  // Pixels.
    StageBindings m_bindings;                // Textures and pixel program bound since the last SetPass.
    IntBuffer* m_boundIndices = nullptr;     // Not owned; what SetIndices bound last.
    uint32_t m_indexSpan = 0;                // Its largest index + 1.
    bool m_reportedIndices = false;          // The out-of-range warning was written.
    // The surfaces a render target replaced (owned references while one is active).
    IDirect3DSurface9* m_savedColor = nullptr;
    IDirect3DSurface9* m_savedDepth = nullptr;
    D3DVIEWPORT9 m_savedViewport{0, 0, 0, 0, 0.0f, 1.0f};
    bool m_inTarget = false;
};

}  // namespace zen
