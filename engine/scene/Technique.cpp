#include "engine/scene/Technique.h"

#include "engine/scene/Effect.h"

namespace zen {

Technique::Technique(Effect* effect, uint32_t index, uint32_t vertexShaderVersion, uint32_t pixelShaderVersion)
    : m_effect(effect), m_index(index), m_vertexShaderVersion(vertexShaderVersion),
      m_pixelShaderVersion(pixelShaderVersion)
{
}

Technique::~Technique() = default;

bool Technique::IsSupported(const RendererCapabilities& capabilities)
{
    if (!capabilities.valid || capabilities.vertexShaderVersion < m_vertexShaderVersion ||
        capabilities.pixelShaderVersion < m_pixelShaderVersion)
        return false;
    if (!m_passesMade) {
        if (!m_effect || m_effect->CreatePasses(m_index, *this) != kSuccess) {
            m_passes.Clear();
            return false;
        }
        m_passesMade = true;
    }
    return true;
}

Result Technique::AddPass(Pass* pass)
{
    if (!pass)
        return kInvalidArgument;
    return m_passes.Append(Ptr<Pass>(pass));
}

void Technique::Invalidate()
{
    for (const Ptr<Pass>& pass : m_passes)
        pass->Invalidate();
}

void Technique::DiscardPasses()
{
    m_passes.Clear();
    m_passesMade = false;
}

}  // namespace zen
