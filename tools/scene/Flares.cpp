#include "tools/scene/Flares.h"

#include <algorithm>
#include <cmath>

#include "engine/anim/AnimationFrame.h"
#include "engine/anim/ColorAnimation.h"
#include "engine/anim/ColorKeyframe.h"
#include "engine/anim/FlareColorController.h"
#include "engine/anim/LensFlareColorController.h"
#include "engine/core/MessageLog.h"
#include "engine/scene/Flare.h"
#include "engine/scene/LensFlares.h"
#include "engine/scene/SpriteEffect.h"
#include "tools/art/Canvas.h"
#include "tools/scene/NightLight.h"

namespace zen::scene {
namespace {

using art::Color;

constexpr double kBeamTurn = 12.0;  // Seconds per turn of the lamp (its two beams).
constexpr float kMoonDistance = 1900.0f;
// How far in front of the lamp's centre a beam leaves the lens (the lamp is 0.55 m round).
constexpr float kLensReach = 0.8f;

Ptr<SpriteEffect> GlowEffect(const char* name, Texture* texture)
{
    Ptr<SpriteEffect> effect = new SpriteEffect();
    effect->SetName(String(name));
    effect->SetTexture(texture);
    (void)effect->SetBlending(true, RenderState::kBlendSourceAlpha, RenderState::kBlendOne);
    effect->SetCullEnabled(false);
    return effect;
}

}  // namespace

float Flares::BeamPass(float phase)
{
    // Two beams: a pass every half turn, a narrow peak over a low glow.
    const float half = phase * 2.0f - std::floor(phase * 2.0f);
    const float d = std::min(half, 1.0f - half);
    return 0.25f + 0.75f * std::exp(-d * d / (2 * 0.045f * 0.045f));
}

Ptr<Image> Flares::GlowPicture(const char* fileName)
{
    const int s = kGlowSize;
    art::Canvas canvas(s, s);
    canvas.Shade([&](art::Vec2 c, Color) {
        const float dx = (c.x - 0.5f * s) / (0.5f * s), dy = (c.y - 0.5f * s) / (0.5f * s);
        const float r = std::sqrt(dx * dx + dy * dy);
        const float core = std::exp(-r * r * 28.0f);
        const float halo = 0.45f * std::exp(-r * 5.0f);
        const float rays = 0.35f * (std::exp(-std::abs(dx) * 60.0f) + std::exp(-std::abs(dy) * 60.0f)) * (1.0f - r);
        const float edge = 1.0f - art::SmoothStep(0.85f, 1.0f, r);
        return Color(1, 1, 1, std::clamp((core + halo + std::max(0.0f, rays)) * edge, 0.0f, 1.0f));
    });
    return canvas.ToImage(Image::kR8G8B8A8, String(fileName));
}

Ptr<Image> Flares::GhostPicture(const char* fileName)
{
    const int s = kGlowSize;
    art::Canvas canvas(s, s);
    canvas.Shade([&](art::Vec2 c, Color) {
        const float dx = (c.x - 0.5f * s) / (0.5f * s), dy = (c.y - 0.5f * s) / (0.5f * s);
        const float r = std::sqrt(dx * dx + dy * dy);
        const float disc = 0.25f * (1.0f - art::SmoothStep(0.7f, 0.8f, r));
        const float rim = 0.6f * std::exp(-(r - 0.78f) * (r - 0.78f) / (2 * 0.03f * 0.03f));
        return Color(1, 1, 1, std::clamp(disc + rim, 0.0f, 1.0f) * (1.0f - art::SmoothStep(0.9f, 1.0f, r)));
    });
    return canvas.ToImage(Image::kR8G8B8A8, String(fileName));
}

Result Flares::Loop(AnimationController& controller, const char* animationName,
                    const std::vector<std::pair<float, Vector4>>& keys, double period)
{
    Ptr<ColorAnimation> track = new ColorAnimation();
    track->SetName(String(animationName));
    for (const auto& [time, color] : keys) {
        auto* key = static_cast<ColorKeyframe*>(track->NewKeyframe());
        if (!key)
            return kOutOfMemory;
        key->time = time;
        key->color = color;
        if (track->AppendKeyframe(key) != kSuccess)
            return kFailure;
    }
    if (controller.AddAnimation(track.Get()) != kSuccess)
        return kFailure;
    AnimationFrame frame;
    frame.animation = track;
    frame.start = 0;
    frame.end = 1;
    frame.mode = AnimationFrame::kRepeat;
    if (controller.AddFrame(frame) != kSuccess)
        return kFailure;
    controller.SetTrackPeriod(period);
    return kSuccess;
}

Result Flares::Add(SceneNode& sky, SceneNode& rotor, Texture* glow, Texture* ghost)
{
    Ptr<SpriteEffect> glowEffect = GlowEffect("FlareEffect", glow);
    Ptr<SpriteEffect> ghostEffect = GlowEffect("GhostEffect", ghost);

    // The moon's glow, where the moon's disc hangs in the sky.
    Ptr<Flare> moon = new Flare();
    moon->SetName(String("MoonFlare"));
    const art::Color m = NightLight::kMoonlight;
    moon->SetColor({m.r, m.g, m.b, 0.55f});
    moon->SetSize(520.0f);
    moon->LocalTransform().SetTranslation(NightLight::MoonDirection() * kMoonDistance);
    if (moon->SetEffect(glowEffect.Get()) != kSuccess || sky.AttachChild(moon.Get()) != kSuccess)
        return kFailure;

    // The lamp's glow where each beam leaves the lens, turning with the beams: the lamp itself
    // hides it while its beam points away, so it flares as the beam sweeps towards the camera,
    // brightest as it passes.
    const art::Color w = NightLight::kLamplight;
    std::vector<std::pair<float, Vector4>> lampKeys, ghostKeys;
    constexpr int kKeys = 48;
    for (int k = 0; k <= kKeys; ++k) {
        const float t = static_cast<float>(k) / kKeys;
        const float level = BeamPass(t);
        lampKeys.push_back({t, {w.r, w.g, w.b, std::min(1.0f, 0.2f + 0.8f * level)}});
        // The ghosts only while the beam is nearly on the lens.
        const float ghostLevel = std::max(0.0f, (level - 0.45f) / 0.55f);
        ghostKeys.push_back({t, {w.r, w.g * 0.95f, w.b * 1.1f, 0.45f * ghostLevel}});
    }
    Ptr<Flare> lamp;
    for (const float ahead : {kLensReach, -kLensReach}) {
        Ptr<Flare> flare = new Flare();
        flare->SetName(String(ahead > 0 ? "LampFlareAhead" : "LampFlareBehind"));
        flare->SetColor(lampKeys[0].second);
        flare->SetSize(9.0f);
        flare->LocalTransform().SetTranslation({0, 0, ahead});
        Ptr<FlareColorController> swell = new FlareColorController();
        swell->SetName(String(ahead > 0 ? "LampFlareSwellAhead" : "LampFlareSwellBehind"));
        if (Loop(*swell, "LampFlarePulse", lampKeys, kBeamTurn) != kSuccess ||
            flare->SetController(swell.Get()) != kSuccess || flare->SetEffect(glowEffect.Get()) != kSuccess ||
            rotor.AttachChild(flare.Get()) != kSuccess)
            return kFailure;
        if (!lamp)
            lamp = flare;
    }

    Ptr<LensFlares> ghosts = new LensFlares();
    ghosts->SetName(String("LampGhosts"));
    ghosts->SetCount(5);
    ghosts->SetSize(0.16f);
    ghosts->SetColor(ghostKeys[0].second);
    ghosts->SetSource(lamp.Get());
    Ptr<LensFlareColorController> ghostSwell = new LensFlareColorController();
    ghostSwell->SetName(String("LampGhostSwell"));
    if (Loop(*ghostSwell, "LampGhostPulse", ghostKeys, kBeamTurn) != kSuccess ||
        ghosts->SetController(ghostSwell.Get()) != kSuccess || ghosts->SetEffect(ghostEffect.Get()) != kSuccess ||
        rotor.AttachChild(ghosts.Get()) != kSuccess) {
        Error("Не удалось добавить блики лампы.");
        return kFailure;
    }
    return kSuccess;
}

}  // namespace zen::scene
