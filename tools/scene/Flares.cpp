#include "tools/scene/Flares.h"

#include <algorithm>
#include <cmath>

#include "engine/anim/AnimationFrame.h"
#include "engine/anim/ColorAnimation.h"
#include "engine/anim/ColorKeyframe.h"
#include "engine/anim/FlareColorController.h"
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
// How far in front of the lamp's centre the flares sit along each beam: just outside the
// lantern's glass (1.9 m round), whose depth would otherwise hide them.
constexpr float kLensReach = 2.1f;

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
    // A ray along the axis `along`, `across` off it: a few texels wide at the core, narrowing
    // and fading to nothing at the picture's edge, so it still spans several pixels where the
    // sprite is drawn at a tenth of the screen.
    auto ray = [](float along, float across) {
        const float reach = std::abs(along);
        const float width = 0.012f + 0.03f * (1.0f - reach);
        const float fade = (1.0f - reach) * (1.0f - reach);
        return fade * std::exp(-(across * across) / (width * width));
    };
    canvas.Shade([&](art::Vec2 c, Color) {
        const float dx = (c.x - 0.5f * s) / (0.5f * s), dy = (c.y - 0.5f * s) / (0.5f * s);
        const float r = std::sqrt(dx * dx + dy * dy);
        if (r >= 1.0f)
            return Color(1, 1, 1, 0);
        const float core = std::exp(-r * r / (0.07f * 0.07f));
        const float halo = 0.38f * std::exp(-r / 0.16f) + 0.14f * std::exp(-r * r / (0.42f * 0.42f));
        // Four long rays on the axes, four shorter, fainter ones between them.
        const float u = (dx + dy) * 0.70710678f, v = (dx - dy) * 0.70710678f;
        const float rays = 0.55f * (ray(dx, dy) + ray(dy, dx)) + 0.22f * (ray(u * 1.5f, v) + ray(v * 1.5f, u));
        const float edge = 1.0f - art::SmoothStep(0.8f, 1.0f, r);
        // White throughout: the flare's colour tints it, and blending adds colour times alpha,
        // so nothing darkens what lies behind, not even at the filtered edges.
        return Color(1, 1, 1, std::clamp((core + halo + rays) * edge, 0.0f, 1.0f));
    });
    return canvas.ToImage(Image::kR8G8B8A8, String(fileName));
}

Ptr<Image> Flares::GhostPicture(const char* fileName)
{
    const int s = 128;
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

Result Flares::Add(SceneNode& sky, SceneNode& rotor, SceneNode& beams, Texture* glow, Texture* ghost)
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
    std::vector<std::pair<float, Vector4>> lampKeys;
    constexpr int kKeys = 48;
    for (int k = 0; k <= kKeys; ++k) {
        const float t = static_cast<float>(k) / kKeys;
        const float level = BeamPass(t);
        lampKeys.push_back({t, {w.r, w.g, w.b, std::min(1.0f, 0.2f + 0.8f * level)}});
    }
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
    }

    // The ghosts of each beam: cast by that beam's flare (so they go when the tower hides it)
    // and only while the beam points at the camera. A lens ghost takes the lamp's colour, a
    // little cooler.
    const struct {
        const char* beam;
        const char* flare;
        const char* ghosts;
    } lenses[] = {{"BeamAhead", "LampFlareAhead", "LampGhostsAhead"}, {"BeamBehind", "LampFlareBehind", "LampGhostsBehind"}};
    for (const auto& lens : lenses) {
        auto* aim = static_cast<Node*>(beams.FindByName(String(lens.beam)));
        auto* source = static_cast<Node*>(rotor.FindByName(String(lens.flare)));
        if (!aim || !source) {
            Error("Нет луча [%s] для бликов лампы.", lens.beam);
            return kFailure;
        }
        Ptr<LensFlares> ghosts = new LensFlares();
        ghosts->SetName(String(lens.ghosts));
        ghosts->SetCount(5);
        ghosts->SetSize(0.16f);
        ghosts->SetColor({w.r, w.g * 0.95f, std::min(1.0f, w.b * 1.1f), 0.45f});
        ghosts->SetSource(source);
        ghosts->SetAimNode(aim);
        if (ghosts->SetEffect(ghostEffect.Get()) != kSuccess || rotor.AttachChild(ghosts.Get()) != kSuccess) {
            Error("Не удалось добавить блики лампы.");
            return kFailure;
        }
    }
    return kSuccess;
}

}  // namespace zen::scene
