#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "engine/core/Matrix4.h"
#include "engine/render/DisplayMode.h"
#include "engine/render/Renderer.h"
#include "engine/render/StageBindings.h"

namespace zen {

// The renderer of module "Recording": no device, every operation appends one line to a
// journal, so the scene graph's draw paths and the application's frame can be checked without
// a graphics system. Transforms and viewports are kept and read back like a device would.
// Objects appear in the journal as "#n", numbered in the order this renderer first saw them
// ("null" for none); a draw names the current geometry ("DrawCurrentGeometry [Name] 2": two
// primitives). Tests shape the next renderer made (modes, capabilities, failures) through
// NextSetup, and can have the module registered under another name, such as "DirectX9", so the
// saver's start-up finds it. With the journal off (for measurements) only draws are counted and
// nothing is allocated.
class RecordingRenderer : public Renderer {
public:
    // What the next created renderer reports and how it fails.
    struct Setup {
        std::vector<DisplayMode> modes;   // In the order the renderer lists them.
        int32_t desktopMode = -1;
        Result createDeviceResult = kSuccess;
        uint32_t skippedFrames = 0;       // BeginFrame reports kFailure this many times first.
        RendererCapabilities capabilities;  // Shader model 2, 8 textures and lights, by default.
    };
    static Setup& NextSetup();
    // Two modes: 800x600x32 and 1024x768x32, both full screen; desktop 1; shader model 2.
    static void ResetNextSetup();

    // The module's next post-initialise step also registers it as `moduleName` (empty: only as
    // "Recording"). Set before the engine starts.
    static void StandInFor(const String& moduleName);

    // "CreateRenderer" of the module: a new, unreferenced renderer in `out`.
    static Result Create(Renderer** out);
    // The most recently created renderer still alive; null when none.
    static RecordingRenderer* Latest();

    ~RecordingRenderer() override;

    // The journal
    const std::vector<std::string>& Journal() const { return m_journal; }
    // How the journal names `object` ("#n"; "null"; empty with the journal off).
    std::string Tag(const void* object);
    void ClearJournal()
    {
        m_journal.clear();
        m_draws.clear();
    }
    void SetJournaling(bool on) { m_journaling = on; }  // Off: nothing is recorded.
    bool HasDevice() const { return m_device; }
    // Draw calls made (DrawCurrentGeometry, DrawGeometry, DrawNonIndexed), journal on or off.
    uint64_t DrawCount() const { return m_drawCount; }
    // What a draw reads besides its streams, held as a device that starts every pass from no
    // textures and no programs holds it (one entry per draw while journaling; not owned, never
    // dereferenced).
    struct DrawBindings {
        const void* textures[StageBindings::kStages] = {};
        uint32_t cascade = 0;  // Fixed-function stages that run: StageBindings::EndOfCascade.
        const void* vertexShader = nullptr;
        const void* pixelShader = nullptr;
    };
    const std::vector<DrawBindings>& Draws() const { return m_draws; }
    // From now on every BeginFrame (after the skipped ones) returns `result`; kSuccess draws.
    void SetFrameResult(Result result) { m_frameResult = result; }
    // Capabilities as a device would record them (for tests of technique choice).
    void SetDeviceCapabilities(const RendererCapabilities& capabilities) { SetCapabilities(capabilities); }

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
    // From now on render targets are refused (a device without them).
    void RefuseRenderTargets(bool refuse) { m_refuseTargets = refuse; }
    uint32_t GetViewportWidth() const override { return m_viewportWidth; }
    uint32_t GetViewportHeight() const override { return m_viewportHeight; }
    void SetViewport(float x, float y, float width, float height) override;
    void SetGammaRamp(const uint16_t* ramp) override;
    void ReleaseRenderState(RenderStateBlock* block) override;
    // An R8G8B8 picture of the viewport's size filled with the clear colour.
    Result ReadFrame(Image* image) override;

    // The clear colour of the last Clear with the colour flag.
    const Vector4& ClearColor() const { return m_clearColor; }
    // The last values written to a shader constant register (zero before; past the 256
    // registers kept: zero).
    Vector4 VertexConstant(uint32_t index) const;
    Vector4 PixelConstant(uint32_t index) const;

private:
    explicit RecordingRenderer(const Setup& setup);

    void Record(const char* format, ...) __attribute__((format(printf, 2, 3)));
    void RecordStream(const char* kind, const void* buffer, uint32_t stream);
    void RecordDraw();
    void BindTarget(BaseTexture* texture);
    static constexpr uint32_t kConstantRegisters = 256;
    static void KeepConstants(Vector4* registers, uint32_t first, const float* values, uint32_t count);  // Marks a render target as held by this renderer.

    static constexpr uint32_t kTextureStages = 8;

    std::vector<std::string> m_journal;
    std::vector<DrawBindings> m_draws;
    StageBindings m_bindings;
    DrawBindings m_bound;  // What the "device" holds now.
    bool m_journaling = true;
    uint64_t m_drawCount = 0;
    Result m_frameResult = kSuccess;
    std::vector<const void*> m_seen;      // Objects by tag number - 1; not owned, never dereferenced.
    Setup m_setup;
    bool m_device = false;
    Matrix4 m_world, m_view, m_projection;
    Matrix4 m_textureTransforms[kTextureStages];
    uint32_t m_viewportWidth = 0, m_viewportHeight = 0;  // Pixels.
    Vector4 m_clearColor{0, 0, 0, 0};
    bool m_inTarget = false;
    bool m_refuseTargets = false;
    Vector4 m_vertexConstants[kConstantRegisters];
    Vector4 m_pixelConstants[kConstantRegisters];
};

}  // namespace zen
