#pragma once
#include "engine/core/Object.h"
#include "engine/core/Ptr.h"
#include "engine/render/VertexLayout.h"
#include "engine/scene/RenderResource.h"
#include "engine/scene/RenderStateBlock.h"

namespace zen {

// One pass of a technique ("ZEN.Pass", abstract): the render state it draws with and, once
// applied, the vertex layout of the geometry it binds. The renderer mirrors the pass's device
// data (the vertex declaration built from the layout) and rebuilds it while the pass is dirty;
// Invalidate marks it so (technique choice, a buffer change on the geometry, a device reset).
// Apply binds what the pass needs for the renderer's current geometry and says whether the
// caller may draw. Passes are built by their effect and not streamed.
class Pass : public Object, public RenderResource {
    ZEN_DECLARE_CLASS

public:
    // Hands the device data back (ReleasePass) and stops being the renderer's current pass.
    ~Pass() override;

    // The render state of the pass; null only when it could not be allocated.
    RenderStateBlock* RenderStates() const { return m_renderState.Get(); }
    void SetRenderStates(RenderStateBlock* block) { m_renderState = block; }

    // Binds the pass for `renderer`'s current geometry (streams, indices, shaders, textures,
    // transforms, constants; lights on the state stack). kSuccess when the caller may draw;
    // anything else skips the draw of this pass (the caller still pops what was pushed).
    virtual Result Apply(Renderer* renderer) = 0;
    // The device data is rebuilt on the next Apply.
    virtual void Invalidate();

    // The streams the last Apply bound, which the renderer's vertex declaration follows.
    const VertexLayout& Layout() const { return m_layout; }

protected:
    Pass();
    // Takes `layout` for the next draw; a layout that differs from the last one invalidates the
    // device declaration (an effect shared by geometry with different buffers switches here).
    void SetLayout(const VertexLayout& layout);

private:
    Ptr<RenderStateBlock> m_renderState;
    VertexLayout m_layout;
};

}  // namespace zen
