#include "engine/particles/IntervalParticleSystemController.h"

#include <cmath>

#include "engine/core/MessageLog.h"
#include "engine/core/Stream.h"
#include "engine/particles/ParticleSystem.h"

namespace zen {

ZEN_IMPLEMENT_CLASS(IntervalParticleSystemController, Controller, kStartupOtherClasses)

namespace {

ParticleSystem* AsParticleSystem(Object* owner)
{
    return owner && owner->IsDerivedFrom(&ParticleSystem::TYPE) ? static_cast<ParticleSystem*>(owner) : nullptr;
}

}  // namespace

IntervalParticleSystemController::~IntervalParticleSystemController()
{
    if (ParticleSystem* system = AsParticleSystem(m_owner))
        system->SetEmissionStopped(false);
}

void IntervalParticleSystemController::SetOwner(Object* owner)
{
    if (owner != m_owner)
        if (ParticleSystem* system = AsParticleSystem(m_owner))
            system->SetEmissionStopped(false);
    Controller::SetOwner(owner);
}

void IntervalParticleSystemController::Update(double elapsed)
{
    if (!m_active)
        return;
    if (elapsed > 0 && std::isfinite(elapsed))
        m_clock += elapsed;
    ParticleSystem* system = AsParticleSystem(m_owner);
    if (!system)
        return;
    if (!(m_period > 0.0f) || !std::isfinite(m_period)) {
        system->SetEmissionStopped(false);
        return;
    }
    const double phase = std::fmod(m_clock, static_cast<double>(m_period));
    system->SetEmissionStopped(phase > m_onTime);
}

Result IntervalParticleSystemController::Save(Stream& stream)
{
    if (Controller::Save(stream) != kSuccess)
        return ParentSaveFailed();
    if (stream.WriteFloat(m_period) != kSuccess || stream.WriteFloat(m_onTime) != kSuccess) {
        Error("Невозможно сохранить данные интервальной системы частиц. Имя[%s] ID[%d]", Name().CStr(), ID());
        return kFailure;
    }
    return kSuccess;
}

Result IntervalParticleSystemController::Load(Stream& stream)
{
    if (Controller::Load(stream) != kSuccess)
        return ParentLoadFailed();
    float period = 0, onTime = 0;
    if (stream.ReadFloat(period) != kSuccess || stream.ReadFloat(onTime) != kSuccess) {
        Error("Невозможно загрузить данные интервальной системы частиц. ID[%d] Имя[%s]", ID(), Name().CStr());
        return kFailure;
    }
    m_period = period;
    m_onTime = onTime;
    return kSuccess;
}

}  // namespace zen
