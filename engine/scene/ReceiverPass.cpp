#include "engine/scene/ReceiverPass.h"

#include "engine/scene/ReceiverEffect.h"

namespace zen {

ZEN_IMPLEMENT_CLASS(ReceiverPass, Pass, kStartupSceneClasses)

Result ReceiverPass::Apply(Renderer* renderer)
{
    if (!renderer)
        return kInvalidArgument;
    if (m_stage == kChildren)
        return kSuccess;
    if (m_effect)
        m_effect->DrawOverlay(*renderer);
    return kFailure;
}

}  // namespace zen
