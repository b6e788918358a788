#pragma once
#include <d3d9.h>

#include <cstdint>

#include "engine/core/HashMap.h"
#include "engine/core/Matrix4.h"
#include "engine/render/Renderer.h"
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
// resumes. Every device object a reset would invalidate (default-pool resources, recorded state
// blocks) is entered in the default-pool table.
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
    uint32_t GetViewportWidth() const override { return m_viewport.Width; }
    uint32_t GetViewportHeight() const override { return m_viewport.Height; }
    void SetViewport(float x, float y, float width, float height) override;
    void SetGammaRamp(const uint16_t* ramp) override;

    // Direct3D 9 only: the device state block recorded from a render state block.
    void ReleaseRenderState(RenderStateBlock* block);
    void ApplyRenderState(RenderStateBlock* block);

    // Device state
    bool HasDevice() const { return m_device != nullptr; }
    IDirect3DDevice9* Device() const { return m_device; }  // No reference taken; null without one.
    const D3D9Capabilities& Capabilities() const { return m_capabilities; }  // Of the current device.
    const Vector4& ClearColor() const { return m_clearColor; }               // Of the last colour clear.

    // Default-pool table: `object` (one reference handed over) belongs to `resource`. kSuccess;
    // kFailure when the resource already has one (nothing taken); kOutOfMemory.
    Result AddDefaultPoolObject(RenderResource* resource, IUnknown* object);
    // Releases the resource's default-pool object, if any, and removes its entry.
    void ReleaseDefaultPoolObject(RenderResource* resource);
    uint32_t DefaultPoolCount() const { return m_defaultPool.Count(); }

private:
    // How far the set-up got; teardown releases exactly what the stage says exists.
    enum class Stage { kNothing, kDirect3D, kDevice };

    // Operations whose device side arrives with the scene resources they mirror.
    enum Pending : uint32_t {
        kPendingResources,   // Buffers, textures, shaders, passes, queries: upload and binding.
        kPendingDrawing,     // Vertex declarations and draw calls.
        kPendingTargets,     // Render-to-texture.
        kPendingStateBlocks, // Recorded render state.
        kPendingCount,
    };

    struct PointerHash {
        uint32_t operator()(const RenderResource* key) const
        {
            const auto bits = reinterpret_cast<uintptr_t>(key);
            return static_cast<uint32_t>(bits >> 4) ^ static_cast<uint32_t>(bits >> 36);
        }
    };

    D3D9Renderer();

    // The default pool's objects go back to the device and their resources are reset (dirty),
    // as a lost device requires; the table is emptied.
    void ReleaseDefaultPool();
    // Render states every frame starts from; written after creation and after a reset.
    void WriteInitialStates();
    // Writes the cached transforms and viewport to the device (after creation and reset).
    void WriteTransforms();
    // One warning per kind for the operations that are not available yet.
    void ReportPending(Pending kind, const char* operation);
    void BindNullStream(uint32_t stream, const void* buffer);

    static constexpr uint32_t kTextureStages = 8;

    Stage m_stage = Stage::kNothing;
    IDirect3D9* m_direct3d = nullptr;        // Owned reference; null when Direct3DCreate9 failed.
    IDirect3DDevice9* m_device = nullptr;    // Owned reference; null without a device.
    D3DPRESENT_PARAMETERS m_presentation{};  // Of the current device (reused by a reset).
    D3D9ModeList m_modeList;                 // The device formats behind the base's mode records.
    uint32_t m_modeIndex = 0;                // Mode of the current device.
    D3D9Capabilities m_capabilities;
    HashMap<RenderResource*, IUnknown*, PointerHash> m_defaultPool{32};  // Objects: owned references.
    bool m_inScene = false;                  // BeginScene succeeded and EndScene is due.
    Vector4 m_clearColor{0, 0, 0, 0};
    Matrix4 m_world, m_view, m_projection;
    Matrix4 m_textureTransforms[kTextureStages];
    D3DVIEWPORT9 m_viewport{0, 0, 0, 0, 0.0f, 1.0f};  // Pixels.
    bool m_reported[kPendingCount] = {};
};

}  // namespace zen
