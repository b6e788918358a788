#pragma once
#include <cstdint>

#include "engine/core/Ptr.h"
#include "engine/render/Renderer.h"

namespace zen {

// The part of a scene object that the renderer mirrors in device memory (buffers, textures,
// shaders, passes, render state blocks). The renderer keeps its device object's handle here
// (8 bytes it alone interprets) and rebuilds the device copy while `dirty` is set; code that
// changes the object's contents sets dirty. The owning class calls its kind's release
// operation on BoundRenderer() from its destructor (Renderer::ReleaseBuffer and so on), since
// only it knows its kind. Not an Object: classes derive from Object and from this.
class RenderResource {
public:
    static constexpr uint32_t kHandleSize = 8;

    RenderResource() = default;
    virtual ~RenderResource();
    RenderResource(const RenderResource&) = delete;
    RenderResource& operator=(const RenderResource&) = delete;

    // Device copy state
    bool IsDirty() const { return m_dirty; }
    void SetDirty(bool dirty = true) { m_dirty = dirty; }

    // For renderers: records `renderer` (Bind without one takes the current renderer) as the
    // holder of the device copy and keeps up to 8 bytes of handle (the rest zeroed).
    void Bind(Renderer* renderer, uint32_t size, const void* handle);
    void Bind(uint32_t size, const void* handle) { Bind(Renderer::Current(), size, handle); }
    // Copies up to 8 bytes of the handle into `out`.
    void ReadHandle(uint32_t size, void* out) const;
    // Drops the renderer, zeroes the handle and sets dirty: the device copy is gone.
    void Reset();

    Renderer* BoundRenderer() const { return m_renderer.Get(); }

private:
    bool m_dirty = true;                  // The device copy must be (re)built.
    Ptr<Renderer> m_renderer;             // The renderer holding the device copy; none until bound.
    uint8_t m_handle[kHandleSize] = {};   // The renderer's own handle data.
};

}  // namespace zen
