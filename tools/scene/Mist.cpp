#include "tools/scene/Mist.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "engine/scene/TextureEffect.h"
#include "engine/scene/Triangles.h"
#include "tools/art/Canvas.h"
#include "tools/model/KeyframePath.h"
#include "tools/model/Primitives.h"
#include "tools/scene/NightLight.h"
#include "tools/scene/TileNoise.h"

namespace zen::scene {

Ptr<Image> Mist::Picture(const char* fileName)
{
    const int s = 256;
    const TileNoise patches(0x4d157u, 4);
    art::Canvas canvas(s, s);
    canvas.Shade([&](art::Vec2 c, art::Color) {
        const float u = c.x / s, v = c.y / s;
        // Thick near the shore, thinning out to nothing well inside the layer's square, so its
        // edges never show.
        const float d = std::hypot(u - 0.5f, v - 0.5f) * kSize;
        const float reach = 1.0f - art::SmoothStep(130.0f, 245.0f, d);
        const float n = patches.Fractal(u, v, 4);
        const float density = std::pow(std::clamp((n - 0.5f) * 3.2f, 0.0f, 1.0f), 1.3f) * reach;
        return art::Color(0.62f, 0.68f, 0.80f, density);
    });
    return canvas.ToImage(Image::kR8G8B8A8, String(fileName));
}

Result Mist::Add(SceneNode& parent, Texture* mist)
{
    const art::Color m = NightLight::kMoonlight;
    const art::Color horizon = NightLight::kHorizon;
    // Three layers one over another give the mist some depth from the water; each turns about
    // the centre once in many minutes, the middle one the other way, so the patches change.
    const struct {
        const char* name;
        float height, opacity, turnSeconds, turns;
    } layers[] = {{"MistLow", 0.6f, 0.3f, 900.0f, 1.0f},
                  {"MistMiddle", 2.2f, 0.2f, 1300.0f, -1.0f},
                  {"MistHigh", 4.5f, 0.12f, 1700.0f, 1.0f}};
    for (const auto& layer : layers) {
        Ptr<TextureEffect> look = new TextureEffect();
        look->SetName(String((std::string(layer.name) + "Effect").c_str()));
        look->SetTexture(mist);
        look->SetColor({m.r, m.g, m.b, layer.opacity});
        look->SetFog(true, Vector4{horizon.r, horizon.g, horizon.b, 1}, NightLight::kFogDensity, 1.0f);
        (void)look->SetBlending(true, RenderState::kBlendSourceAlpha, RenderState::kBlendInverseSourceAlpha);
        look->SetCullEnabled(false);
        Ptr<Triangles> sheet = model::Primitives::Plane(kSize, kSize, 8, 8, 1.0f / kSize).Build(layer.name);
        if (!sheet || sheet->SetEffect(look.Get()) != kSuccess)
            return kFailure;
        const Vector3 at = Centre() + Vector3{0, layer.height, 0};
        Ptr<NodeAnimation> drift = model::KeyframePath::Spin(layer.name, {0, 1, 0}, layer.turns, at, 16);
        if (!drift ||
            sheet->SetController(model::KeyframePath::Play(layer.name, drift.Get(), layer.turnSeconds, true).Get()) !=
                kSuccess ||
            parent.AttachChild(sheet.Get()) != kSuccess)
            return kFailure;
    }
    return kSuccess;
}

}  // namespace zen::scene
