#include "engine/particles/Foliage.h"

#include <cmath>

#include "engine/core/Random.h"
#include "engine/scene/SpriteEffect.h"

namespace zen {

ZEN_IMPLEMENT_CLASS(Foliage, SpriteParticleSystem, kStartupOtherClasses)

namespace {

struct SineTable {
    float values[360];
    SineTable()
    {
        for (int k = 0; k < 360; ++k)
            values[k] = static_cast<float>(std::sin(k * 3.14159265358979323846 / 180.0));
    }
};

}  // namespace

float Foliage::SinDegrees(float radians)
{
    static const SineTable table;
    const double degrees = static_cast<double>(radians) * 57.29578;
    if (!std::isfinite(degrees))
        return 0.0f;
    // The integer part first (towards zero), then wrapped into 0..359 for negative values too.
    double k = std::fmod(std::trunc(degrees), 360.0);
    if (k < 0)
        k += 360.0;
    return table.values[static_cast<int>(k) % 360];
}

void Foliage::Update(double time)
{
    UpdateControllers(time);
    UpdateWorldTransform();
    float amplitude = 0.0f, phase = 0.0f;
    if (GeometryNodeEffect* effect = GetEffect()) {
        effect->Update(time);
        if (effect->IsDerivedFrom(&SpriteEffect::TYPE)) {
            const auto* sprite = static_cast<const SpriteEffect*>(effect);
            amplitude = sprite->SwayAmplitude();
            phase = sprite->SwayPhase();
        }
    }
    // An amplitude that is not a finite number (an effect's value read from a file) would turn
    // every position into NaN and the bound with them: the foliage stands still instead.
    if (!std::isfinite(amplitude))
        amplitude = 0.0f;
    for (Particle* particle = LiveList(); particle; particle = particle->next) {
        particle->position =
            particle->acceleration + particle->velocity * (amplitude * SinDegrees(phase + particle->age));
        particle->color = particle->startColor;
        particle->size = particle->startSize;
    }
    float dt = static_cast<float>(time);
    if (!(dt >= 0.0f) || !std::isfinite(dt))
        dt = 0.0f;
    RunEmission(dt);
    UpdateDrawData();
}

void Foliage::SetUpParticle(Particle& particle, const Vector3& position, const Vector3& direction)
{
    const Parameters& p = GetParameters();
    particle.position = position;
    particle.velocity = direction * Random::Spread(p.speedBase, p.speedRandom);
    particle.acceleration = position;
    particle.age = Random::Unit();
    particle.startColor = {Random::Spread(p.startColorBase.x, p.startColorRandom.x),
                           Random::Spread(p.startColorBase.y, p.startColorRandom.y),
                           Random::Spread(p.startColorBase.z, p.startColorRandom.z),
                           Random::Spread(p.startColorBase.w, p.startColorRandom.w)};
    particle.color = particle.startColor;
    particle.endColor = {Random::Spread(p.endColorBase.x, p.endColorRandom.x),
                         Random::Spread(p.endColorBase.y, p.endColorRandom.y),
                         Random::Spread(p.endColorBase.z, p.endColorRandom.z),
                         Random::Spread(p.endColorBase.w, p.endColorRandom.w)};
    particle.startSize = Random::Spread(p.startSizeBase, p.startSizeRandom);
    particle.size = particle.startSize;
    particle.endSize = Random::Spread(p.endSizeBase, p.endSizeRandom);
    particle.lifetime = Random::Spread(p.lifetimeBase, p.lifetimeRandom);
}

}  // namespace zen
