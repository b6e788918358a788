#include "engine/anim/RenderShadowmapEffectController.h"

#include "engine/anim/RenderTextureController.h"
#include "engine/core/MessageLog.h"
#include "engine/core/ReferenceVisitor.h"
#include "engine/render/Renderer.h"
#include "engine/scene/ShadowmapEffect.h"

namespace zen {

ZEN_IMPLEMENT_CLASS(RenderShadowmapEffectController, PostUpdateController, kStartupOtherClasses)

void RenderShadowmapEffectController::PostUpdate()
{
    Renderer* renderer = Renderer::Current();
    if (!renderer || !m_owner || !m_owner->IsDerivedFrom(&ShadowmapEffect::TYPE) ||
        !RenderTextureController::HasShaderModel2(*renderer))
        return;
    (void)static_cast<ShadowmapEffect*>(m_owner)->RenderMap(*renderer, &m_casters);
}

Result RenderShadowmapEffectController::Save(Stream& stream)
{
    if (PostUpdateController::Save(stream) != kSuccess)
        return ParentSaveFailed();
    if (m_casters.Save(stream) != kSuccess) {
        Error("Невозможно сохранить узлы. Имя[%s] ID[%d]", m_name.CStr(), ID());
        return kFailure;
    }
    return kSuccess;
}

Result RenderShadowmapEffectController::Load(Stream& stream)
{
    if (PostUpdateController::Load(stream) != kSuccess)
        return ParentLoadFailed();
    if (m_casters.Load(stream) != kSuccess) {
        Error("Невозможно загрузить узлы. Имя[%s] ID[%d]", m_name.CStr(), ID());
        return kFailure;
    }
    return kSuccess;
}

void RenderShadowmapEffectController::VisitReferences(ReferenceVisitor& visitor)
{
    PostUpdateController::VisitReferences(visitor);
    m_casters.VisitReferences(visitor);
}

}  // namespace zen
