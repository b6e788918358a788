#include "engine/render/StageBindings.h"

namespace zen {

uint32_t StageBindings::BeginPass()
{
    const uint32_t left = m_textures;
    m_textures = 0;
    m_pixelShader = false;
    return left;
}

void StageBindings::BindTexture(uint32_t stage, bool bound)
{
    if (stage >= kStages)
        return;
    if (bound)
        m_textures |= 1u << stage;
    else
        m_textures &= ~(1u << stage);
}

uint32_t StageBindings::EndOfCascade() const
{
    if (m_pixelShader)
        return kNoStage;
    for (uint32_t stage = 1; stage < kStages; ++stage)
        if (!(m_textures & (1u << stage)))
            return stage;
    return kNoStage;
}

}  // namespace zen
