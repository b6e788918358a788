#pragma once
#include <cstdint>

#include "engine/core/Ptr.h"
#include "engine/core/RefCounted.h"
#include "engine/core/Result.h"
#include "engine/core/String.h"
#include "engine/core/Vector4.h"

namespace zen {

class Module;

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

    // Device operations
    virtual void Clear(uint32_t flags, const Vector4& color, float depth, uint32_t stencil) = 0;
    virtual Result BeginFrame() = 0;  // kSuccess to draw, kFailure to skip the frame.
    virtual void EndFrame() = 0;      // Ends the scene and presents.

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
