#include "engine/particles/GenParticlesAnimationController.h"

#include "engine/particles/ParticleSystem.h"

namespace zen {

ZEN_IMPLEMENT_CLASS(GenParticlesAnimationController, AnimationController, kStartupOtherClasses)

void GenParticlesAnimationController::ApplyStages()
{
    if (!m_owner || !m_owner->IsDerivedFrom(&ParticleSystem::TYPE))
        return;
    static_cast<ParticleSystem*>(m_owner)->SetEmissionStopped(!SwitchValue());
}

}  // namespace zen
