#include "engine/scene/Effect.h"

#include <new>

#include "engine/core/MessageLog.h"
#include "engine/render/Renderer.h"

namespace zen {

ZEN_IMPLEMENT_ABSTRACT_CLASS(Effect, Object, kStartupSceneClasses)

Effect::Effect() = default;

Effect::~Effect()
{
    for (Technique* technique : m_techniques)
        delete technique;
}

void Effect::Update(double time)
{
    UpdateControllers(time);
    UpdateTextures(time);
}

void Effect::UpdateTextures(double) {}

void Effect::OnAttach(Object*) {}

void Effect::OnTechniqueChosen(Technique&) {}

Technique* Effect::GetTechnique(uint32_t index) const
{
    return index < m_techniques.Count() ? m_techniques[index] : nullptr;
}

Result Effect::AddTechnique(uint32_t vertexShaderVersion, uint32_t pixelShaderVersion)
{
    Technique* technique =
        new (std::nothrow) Technique(this, m_techniques.Count(), vertexShaderVersion, pixelShaderVersion);
    if (!technique || m_techniques.Append(technique) != kSuccess) {
        delete technique;
        Error("Недостаточно памяти для создания техники эффекта. Имя[%s] ID[%d]", Name().CStr(), ID());
        return kOutOfMemory;
    }
    return kSuccess;
}

void Effect::RemoveTechniques()
{
    for (Technique* technique : m_techniques)
        delete technique;
    m_techniques.Clear();
    m_current = nullptr;
}

void Effect::RebuildTechniques()
{
    m_current = nullptr;
    for (Technique* technique : m_techniques)
        technique->DiscardPasses();
}

uint32_t Effect::GetPassCount()
{
    if (!m_current) {
        Renderer* renderer = Renderer::Current();
        if (!renderer)
            return 0;
        const RendererCapabilities& capabilities = renderer->GetCapabilities();
        for (Technique* technique : m_techniques) {
            if (technique->IsSupported(capabilities)) {
                m_current = technique;
                technique->Invalidate();
                OnTechniqueChosen(*technique);
                break;
            }
        }
        if (!m_current)
            return 0;
    }
    return m_current->PassCount();
}

Result Effect::ApplyPass(uint32_t index, Renderer* renderer)
{
    Pass* pass = m_current ? m_current->GetPass(index) : nullptr;
    if (!pass || !renderer)
        return kInvalidArgument;
    renderer->SetCurrentPass(pass);
    renderer->SetPass(pass);
    return pass->Apply(renderer);
}

void Effect::InvalidatePasses()
{
    if (m_current)
        m_current->Invalidate();
}

}  // namespace zen
