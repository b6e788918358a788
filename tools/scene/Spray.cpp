#include "tools/scene/Spray.h"

#include <cmath>
#include <string>

#include "engine/particles/IntervalParticleSystemController.h"
#include "engine/particles/SphereVolumeEmitter.h"
#include "engine/particles/SpriteParticleSystem.h"
#include "engine/scene/SpriteEffect.h"
#include "tools/art/Canvas.h"
#include "tools/scene/Headland.h"

namespace zen::scene {

Ptr<Image> Spray::Picture(const char* fileName)
{
    const int s = 64;
    art::Canvas canvas(s, s);
    canvas.Shade([&](art::Vec2 c, art::Color) {
        const float dx = (c.x - 0.5f * s) / (0.5f * s), dy = (c.y - 0.5f * s) / (0.5f * s);
        const float r2 = dx * dx + dy * dy;
        return art::Color(0.9f, 0.95f, 1.0f, std::exp(-r2 * 4.0f) * (1.0f - art::SmoothStep(0.8f, 1.0f, r2)));
    });
    return canvas.ToImage(Image::kR8G8B8A8, String(fileName));
}

Result Spray::Add(SceneNode& parent, Texture* texture)
{
    Ptr<SpriteEffect> look = new SpriteEffect();
    look->SetName(String("SprayEffect"));
    look->SetTexture(texture);
    (void)look->SetBlending(true, RenderState::kBlendSourceAlpha, RenderState::kBlendOne);
    const Vector3 tower = Headland::TowerBase();
    struct Place {
        const char* name;
        Vector3 at;
        float interval;
        float period;
    } places[] = {{"SprayTip", tower + Vector3{6, -24.5f, 70}, 0.12f, 3.5f},
                  {"SprayWest", tower + Vector3{-60, -24.5f, -18}, 0.16f, 4.3f}};
    for (const Place& place : places) {
        Ptr<SpriteParticleSystem> spray = new SpriteParticleSystem();
        spray->SetName(String(place.name));
        spray->LocalTransform().SetTranslation(place.at);
        if (spray->SetMaxParticles(700) != kSuccess)
            return kFailure;
        ParticleSystem::Parameters p;
        p.intervalBase = place.interval;
        p.intervalRandom = 0.5f * place.interval;
        p.burstBase = 14;
        p.burstRandom = 8;
        p.speedBase = 5.0f;
        p.speedRandom = 2.5f;
        p.accelerationBase = {0.6f, -7.5f, 0};
        p.lifetimeBase = 1.8f;
        p.lifetimeRandom = 0.6f;
        p.startColorBase = {0.75f, 0.82f, 0.95f, 0.55f};
        p.endColorBase = {0.6f, 0.68f, 0.85f, 0.0f};
        p.startSizeBase = 0.7f;
        p.startSizeRandom = 0.3f;
        p.endSizeBase = 2.2f;
        p.endSizeRandom = 0.6f;
        if (spray->SetParameters(p) != kSuccess)
            return kFailure;
        Ptr<SphereVolumeEmitter> rocks = new SphereVolumeEmitter();
        rocks->SetName(String((std::string(place.name) + "Rocks").c_str()));
        rocks->SetRadius(7.0f);
        rocks->SetAngles(0.0f, 0.55f);  // Up from the waterline, in a cone.
        spray->SetEmitter(rocks.Get());
        if (spray->SetEffect(look.Get()) != kSuccess)
            return kFailure;
        // The spray flies while a wave breaks, then rests: bursts for a second and a half of
        // every few seconds, each place at its own pace.
        Ptr<IntervalParticleSystemController> waves = new IntervalParticleSystemController();
        waves->SetName(String((std::string(place.name) + "Waves").c_str()));
        waves->SetTiming(place.period, 1.5f);
        if (spray->SetController(waves.Get()) != kSuccess)
            return kFailure;
        (void)parent.AttachChild(spray.Get());
    }
    return kSuccess;
}

}  // namespace zen::scene
