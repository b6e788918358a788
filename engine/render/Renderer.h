#pragma once
#include <cstdint>

#include "engine/core/Ptr.h"
#include "engine/core/RefCounted.h"
#include "engine/core/Result.h"
#include "engine/core/String.h"
#include "engine/core/Vector4.h"

namespace zen {

class BaseTexture;
class ColorBuffer;
class CubeTexture;
class FloatBuffer;
class GeometryNode;
class IntBuffer;
class Light;
class Module;
class OcclusionQuery;
class Pass;
class PixelShader;
class Shader;
class Texture;
class Vector2Buffer;
class Vector3Buffer;
class Vector4Buffer;
class VertexShader;
class Buffer;
struct Matrix4;

// The one renderer of the process, made by a renderer module ("DirectX9") and reached through
// Renderer::Current(). The scene graph and the application talk only to this interface; each
// back end implements the device operations. The frame is StartFrame (begin, post-update
// controllers), drawing, FinishFrame (deferred queue, end, present).
class Renderer : public RefCounted {
public:
    ~Renderer() override;

    // The process-wide renderer; null when none is loaded.
    static Renderer* Current();

    // Clear flags.
    static constexpr uint32_t kClearColor = 1;
    static constexpr uint32_t kClearDepth = 2;
    static constexpr uint32_t kClearStencil = 4;

    // Device operations, in the order every back end implements them. Types that the scene
    // graph defines are only named here.
    virtual Result CreateDevice(uint32_t modeIndex, uint32_t width, uint32_t height) = 0;
    virtual void ReleaseDevice() = 0;
    virtual void ReleaseBuffer(Buffer* buffer) = 0;
    virtual void ReleaseTexture(BaseTexture* texture) = 0;
    virtual void ReleaseShader(Shader* shader) = 0;
    virtual void ReleasePass(Pass* pass) = 0;
    virtual void ReleaseQuery(OcclusionQuery* query) = 0;
    virtual void BeginOcclusionQuery(OcclusionQuery* query) = 0;
    virtual void EndOcclusionQuery(OcclusionQuery* query) = 0;
    virtual void SetTexture(uint32_t stage, BaseTexture* texture) = 0;
    virtual void SetVertexShader(VertexShader* shader) = 0;
    virtual void SetVertexShaderConstants(uint32_t firstRegister, const float* values, uint32_t count) = 0;
    virtual void SetPixelShader(PixelShader* shader) = 0;
    virtual void SetPixelShaderConstants(uint32_t firstRegister, const float* values, uint32_t count) = 0;
    virtual void SetStream(FloatBuffer* buffer, uint32_t stream) = 0;
    virtual void SetStream(Vector2Buffer* buffer, uint32_t stream) = 0;
    virtual void SetStream(Vector3Buffer* buffer, uint32_t stream) = 0;
    virtual void SetStream(Vector4Buffer* buffer, uint32_t stream) = 0;
    virtual void SetStream(ColorBuffer* buffer, uint32_t stream) = 0;  // Also turns vertex colour on.
    virtual void SetStream(IntBuffer* buffer, uint32_t stream) = 0;
    virtual void SetStream(Buffer* buffer, uint32_t stream) = 0;       // Any kind, by its element size.
    virtual void SetIndices(IntBuffer* indices) = 0;                    // 32-bit indices.
    virtual void SetPass(Pass* pass) = 0;
    virtual void DrawCurrentGeometry() = 0;
    virtual void DrawGeometry(GeometryNode* node) = 0;
    virtual void DrawNonIndexed(uint32_t primitiveCount) = 0;
    virtual void Clear(uint32_t flags, const Vector4& color, float depth, uint32_t stencil) = 0;
    virtual Result BeginFrame() = 0;  // kSuccess to draw, kFailure to skip the frame.
    virtual void EndFrame() = 0;      // Ends the scene and presents.
    virtual const Matrix4& GetWorld() const = 0;
    virtual void SetWorld(const Matrix4& matrix) = 0;
    virtual const Matrix4& GetView() const = 0;
    virtual void SetView(const Matrix4& matrix) = 0;
    virtual const Matrix4& GetProjection() const = 0;
    virtual void SetProjection(const Matrix4& matrix) = 0;
    virtual const Matrix4& GetTextureTransform(uint32_t stage) const = 0;
    virtual void SetTextureTransform(uint32_t stage, const Matrix4& matrix, bool projected) = 0;
    virtual void PushLight(Light* light) = 0;  // After the light went on the state stack.
    virtual void PopState() = 0;               // After an entry came off the state stack.
    virtual void BeginRenderTarget(Texture* texture) = 0;
    virtual void BeginRenderTarget(CubeTexture* texture, uint32_t face) = 0;
    virtual void EndRenderTarget() = 0;
    virtual uint32_t GetViewportWidth() const = 0;
    virtual uint32_t GetViewportHeight() const = 0;
    virtual void SetViewport(float x, float y, float width, float height) = 0;
    virtual void SetGammaRamp(const uint16_t* ramp) = 0;  // 3 x 256 entries: red, green, blue.

    // Frame protocol (shared by every back end)
    Result StartFrame();  // BeginFrame, then the frame's post-update work.
    void FinishFrame();   // Ends and presents the frame.

protected:
    Renderer() = default;

private:
    friend Result LoadRenderer(const String& moduleName);
    friend Result ReleaseRenderer();

    Ptr<Module> m_module;  // Keeps the back end's module loaded while the renderer lives.
};

// Loads the renderer module `moduleName`, creates its renderer and makes it current.
// kInvalidArgument when the module or its "CreateRenderer" entry is missing, kFailure when
// creation fails; each logged.
Result LoadRenderer(const String& moduleName);
// Drops the process-wide renderer (the last reference deletes it). kSuccess also when none.
Result ReleaseRenderer();

}  // namespace zen
