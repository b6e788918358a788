#include "engine/scene/Pass.h"

#include <new>

#include "engine/core/MessageLog.h"

namespace zen {

ZEN_IMPLEMENT_ABSTRACT_CLASS(Pass, Object, kStartupSceneClasses)

Pass::Pass()
{
    m_renderState = new (std::nothrow) RenderStateBlock();
    if (!m_renderState)
        Error("Недостаточно памяти для создания блока состояний рендеринга.");
}

Pass::~Pass()
{
    // The renderer keeps a plain pointer to the pass being applied.
    for (Renderer* renderer : {Renderer::Current(), BoundRenderer()})
        if (renderer && renderer->CurrentPass() == this)
            renderer->SetCurrentPass(nullptr);
    if (Renderer* renderer = BoundRenderer())
        renderer->ReleasePass(this);
}

void Pass::Invalidate()
{
    SetDirty(true);
}

void Pass::SetLayout(const VertexLayout& layout)
{
    if (layout == m_layout)
        return;
    m_layout = layout;
    SetDirty(true);
}

}  // namespace zen
