#pragma once
#include <cstdint>

#include "engine/core/Array.h"
#include "engine/core/Ptr.h"
#include "engine/core/RefCounted.h"
#include "engine/core/Result.h"
#include "engine/core/String.h"
#include "engine/core/Vector4.h"
#include "engine/render/DeferredQueue.h"
#include "engine/render/DisplayMode.h"
#include "engine/render/RendererCapabilities.h"

namespace zen {

class BaseTexture;
class Camera;
class ColorBuffer;
class CubeTexture;
class FloatBuffer;
class GeometryNode;
class Image;
class IntBuffer;
class Light;
class Module;
class OcclusionQuery;
class Pass;
class PixelShader;
class PostUpdateController;
class RenderStateBlock;
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
// back end implements the device operations, and this base keeps what every back end shares:
// the window, the display modes, the camera and current geometry, the state stack, the
// deferred queue and the post-update list.
// The frame is StartFrame (begin, post-update controllers), drawing, FinishFrame (deferred
// queue, end, present).
class Renderer : public RefCounted {
public:
    // A back end's destructor must Close() first: the device operations Close calls are virtual
    // and no longer reach the back end from here. What is still open then is only the window.
    ~Renderer() override;

    // The process-wide renderer; null when none is loaded.
    static Renderer* Current();

    // Whether a back end may stop and show the user a message (a shader assembler's error text
    // in a message box). Programs that must never wait for someone (tools, test runs) turn it
    // off, and the text only goes to the log. On by default.
    static void SetMessageBoxesAllowed(bool allowed);
    static bool MessageBoxesAllowed();

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
    // kSuccess to draw; kFailure to skip the frame (the device is lost for now); another code
    // when no frame can be drawn (no device).
    virtual Result BeginFrame() = 0;
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
    // Whether the last BeginRenderTarget took effect (a device may refuse a target: no memory
    // for it, a format it cannot render to); callers that would otherwise draw a texture nobody
    // rendered fall back to drawing plainly.
    virtual bool RenderTargetActive() const = 0;
    virtual uint32_t GetViewportWidth() const = 0;
    virtual uint32_t GetViewportHeight() const = 0;
    virtual void SetViewport(float x, float y, float width, float height) = 0;
    virtual void SetGammaRamp(const uint16_t* ramp) = 0;  // 3 x 256 entries: red, green, blue.
    // Gives back the device copy of a render state block (the recorded device state), as the
    // other Release operations do for their kinds; a block calls it when it dies.
    virtual void ReleaseRenderState(RenderStateBlock* block) = 0;
    // Copies the picture drawn so far into `image` (the current render target: the back buffer
    // unless a texture target is active) as R8G8B8 pixels, rows bottom-up. Call it before
    // FinishFrame: once presented, the back buffer's content is undefined. kSuccess; kFailure
    // when the picture cannot be read (logged); kInvalidArgument for a null image.
    virtual Result ReadFrame(Image* image) = 0;

    // Window and device (shared by every back end)
    // Opens the window for display mode `modeIndex` through the installed WindowLayer and
    // creates the device on it: a full-screen mode gets a window of the mode's own size at each
    // display device's origin, a windowed one a window of width x height at (x, y); with `parent`
    // the window is a child of it. An open window is closed first. kInvalidArgument for an
    // index past the mode list; kFailure when the window cannot be made (logged); otherwise
    // CreateDevice's result. A failed device leaves the window open until Close.
    Result Open(uint32_t modeIndex, const String& title, void* parent, int32_t x, int32_t y, uint32_t width,
                uint32_t height);
    // Drops the camera, the current geometry and the frame's queues, releases the device and
    // destroys the window (which restores the display modes). kInvalidArgument when no window
    // was open; kFailure when it cannot be destroyed (logged).
    Result Close();
    void* Window() const { return m_window; }  // The system's window handle; null when closed.

    // What the current device can do (see RendererCapabilities); not valid without a device.
    const RendererCapabilities& GetCapabilities() const { return m_capabilities; }
    // From now on the capabilities claim shaders of at most `version` (major x 10 + minor; 0:
    // none), so effects choose their fallback techniques on any device (previews and checks of
    // the fixed-function paths). Effects that chose already keep their choice.
    void LimitShaderVersion(uint32_t version);

    // Display modes the back end found at construction, in its order (the order the application
    // and the settings dialog choose from).
    uint32_t DisplayModeCount() const { return m_modes.Count(); }
    const DisplayMode* GetDisplayMode(uint32_t index) const;  // Null past the end.
    // The full-screen mode matching the desktop's size and colour depth; -1 when none does.
    int32_t DesktopModeIndex() const { return m_desktopMode; }

    // Gamma as the settings keep it: an offset of -100 to 100 (clamped) from the neutral curve,
    // shown to the user as 0% to 200%. Builds the ramp and hands it to SetGammaRamp.
    void SetGamma(int32_t offset);
    // The ramp SetGamma uses: 3 x 256 entries (red, green, blue), each channel the same curve.
    static void BuildGammaRamp(int32_t offset, uint16_t* ramp);

    // Frame protocol (shared by every back end)
    // Brings the camera up to date (a default one is made when none is set: kOutOfMemory,
    // logged, when that fails) with all its planes active, calls BeginFrame, then runs the
    // post-update controllers registered since the last frame, once each, in registration order
    // (also when the frame is skipped). BeginFrame's result otherwise: kSuccess to draw,
    // kFailure to skip this frame (the device is lost for now), any other code when the frame
    // cannot be drawn at all (no device).
    Result StartFrame();
    // Flushes the deferred queue, drops the current geometry, then ends and presents the frame.
    void FinishFrame();
    // Frames finished so far (FinishFrame calls): what the scene is updated for is frame
    // FrameNumber() + 1.
    uint32_t FrameNumber() const { return m_frameNumber; }

    // The camera the scene is drawn from (a counted reference). Setting one makes all six of
    // its planes active for culling again. Without one, StartFrame makes a default camera.
    void SetCamera(Camera* camera);
    Camera* GetCamera() const { return m_camera.Get(); }

    // The geometry node being drawn (a counted reference, dropped at the end of each frame).
    void SetCurrentGeometry(GeometryNode* node);
    GeometryNode* CurrentGeometry() const { return m_currentGeometry.Get(); }

    // Per-draw state set by passes and effects
    void SetCurrentPass(Pass* pass) { m_currentPass = pass; }
    Pass* CurrentPass() const { return m_currentPass; }
    void SetMirrorCulling(bool mirror) { m_mirrorCulling = mirror; }  // Swaps the cull order while set.
    bool MirrorCulling() const { return m_mirrorCulling; }
    void SetDepthEqual(bool equal) { m_depthEqual = equal; }  // Forces the depth test to "equal" while set.
    bool DepthEqual() const { return m_depthEqual; }
    // Set while a post-render effect draws the scene into a letterbox band (75 % of the height);
    // render-to-texture passes narrow their own viewport to the same band.
    void SetLetterbox(bool letterbox) { m_letterbox = letterbox; }
    bool Letterbox() const { return m_letterbox; }
    // While set, opaque geometry is drawn with this one pass instead of its effect's passes, and
    // blended geometry is left out (a depth-of-field effect's depth pass). Not owned.
    void SetOverridePass(Pass* pass) { m_overridePass = pass; }
    Pass* OverridePass() const { return m_overridePass; }

    // State stack: lights a pass pushes before drawing and pops, one at a time, after it.
    // PushLightState puts the light on the stack and then calls PushLight; kInvalidArgument for
    // null, kOutOfMemory when the stack cannot grow (nothing is pushed then).
    Result PushLightState(Light* light);
    // Takes the top entry off and calls PopState; false (and nothing called) when empty.
    bool PopStateEntry();
    uint32_t StateDepth() const { return m_stateStack.Count(); }
    Light* StateEntry(uint32_t index) const;  // 0 is the bottom; null past the top.

    // Deferred queue of blended geometry (see DeferredQueue)
    Result AddDeferred(GeometryNode* node, float squaredDistance);
    // Sorts the queue back to front, has each node draw itself (DrawDeferred) and empties it.
    void FlushDeferred();
    // The same for the entries from index `first` on (what a scene-node effect's pass queued:
    // blended geometry queued before it stays for the frame's own flush).
    void FlushDeferredFrom(uint32_t first);
    const DeferredQueue& Deferred() const { return m_deferred; }

    // Post-update controllers for this frame's StartFrame. kSuccess, also when the controller is
    // already listed (it runs once); kInvalidArgument for null; kOutOfMemory.
    Result RegisterPostUpdate(PostUpdateController* controller);
    // Takes `controller` off the list again; a controller that goes before the frame starts
    // (its node was removed during the update) calls it so the frame never reaches it.
    void ForgetPostUpdate(PostUpdateController* controller);
    uint32_t PostUpdateCount() const { return m_postUpdates.Count(); }

protected:
    Renderer();

    // For back ends at construction: the modes in their final order, and the desktop's one.
    Result AddDisplayMode(const DisplayMode& mode);
    void SetDesktopModeIndex(int32_t index) { m_desktopMode = index; }
    // For back ends when a device is made or released.
    void SetCapabilities(const RendererCapabilities& capabilities);

private:
    friend Result LoadRenderer(const String& moduleName);
    friend Result ReleaseRenderer();

    Ptr<Module> m_module;              // Keeps the back end's module loaded while the renderer lives.
    void* m_window = nullptr;          // The window the device presents into; made by the WindowLayer.
    Ptr<Camera> m_camera;
    Ptr<GeometryNode> m_currentGeometry;
    Array<DisplayMode> m_modes;
    int32_t m_desktopMode = -1;        // Index into m_modes, -1 when no mode matches the desktop.
    RendererCapabilities m_recorded;      // Of the current device, as the back end recorded them.
    RendererCapabilities m_capabilities;  // The same with the shader versions limited.
    uint32_t m_shaderLimit = 0xFFFFFFFFu; // See LimitShaderVersion.
    Pass* m_currentPass = nullptr;     // The pass being applied; not owned.
    bool m_mirrorCulling = false;
    bool m_depthEqual = false;
    bool m_letterbox = false;
    uint32_t m_frameNumber = 0;
    Pass* m_overridePass = nullptr;    // See SetOverridePass; not owned.
    Array<Light*> m_stateStack;        // Lights pushed by the pass being drawn; not owned.
    DeferredQueue m_deferred;
    Array<PostUpdateController*> m_postUpdates;  // This frame's; not owned (the scene holds them).
    uint32_t m_postUpdateNext = 0;     // While StartFrame runs the list: the index it calls next.
};

// Loads the renderer module `moduleName`, creates its renderer and makes it current.
// kInvalidArgument when the module or its "CreateRenderer" entry is missing, kFailure when
// creation fails; each logged.
Result LoadRenderer(const String& moduleName);
// Drops the process-wide renderer (the last reference deletes it). kSuccess also when none.
Result ReleaseRenderer();

}  // namespace zen
