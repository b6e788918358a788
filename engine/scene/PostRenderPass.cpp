#include "engine/scene/PostRenderPass.h"

#include "engine/scene/PostRenderEffect.h"

namespace zen {

ZEN_IMPLEMENT_CLASS(PostRenderPass, Pass, kStartupSceneClasses)

Result PostRenderPass::Apply(Renderer* renderer)
{
    if (!renderer)
        return kInvalidArgument;
    switch (m_stage) {
    case kCapture: return m_effect ? m_effect->BeginCapture(*renderer) : kSuccess;
    case kComposite: return m_effect ? m_effect->FinishComposite(*renderer) : kFailure;
    default: return kSuccess;
    }
}

}  // namespace zen
