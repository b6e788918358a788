#include "tools/scene/Boat.h"

#include <cmath>

#include "engine/core/MessageLog.h"
#include "engine/scene/Flare.h"
#include "engine/scene/SpriteEffect.h"
#include "engine/scene/TextureEffect.h"
#include "tools/model/Extrusion.h"
#include "tools/model/KeyframePath.h"
#include "tools/model/Primitives.h"
#include "tools/scene/NightLight.h"

namespace zen::scene {

model::MeshBuilder Boat::Hull()
{
    // The hull's cross-section (clockwise seen from the stern), drawn out along its length.
    model::MeshBuilder boat = model::Extrusion::Extrude({{-1.1f, 0.2f}, {-2.3f, 2.2f}, {2.3f, 2.2f}, {1.1f, 0.2f}},
                                                        13.0f, true, 0.25f);
    Transform centre;
    centre.SetTranslation({0, 0, -6.5f});
    boat.Apply(centre);
    Transform at;
    at.SetTranslation({0, 3.4f, -2.5f});
    boat.Append(model::Primitives::Box({3.2f, 2.4f, 3.6f}, 0.25f), at);
    at.SetTranslation({0, 6.5f, 0.5f});
    boat.Append(model::Primitives::Cylinder(0.12f, 6.0f, 6), at);
    return boat;
}

std::vector<Vector3> Boat::Course()
{
    // An ellipse out beyond the tip, towards the moon's path on the water.
    std::vector<Vector3> points;
    constexpr int kPoints = 10;
    for (int i = 0; i < kPoints; ++i) {
        const float a = 6.2831853f * static_cast<float>(i) / kPoints;
        points.push_back({-180.0f + 320.0f * std::cos(a), 0.0f, 760.0f + 160.0f * std::sin(a)});
    }
    return points;
}

Result Boat::Add(SceneNode& parent, Texture* hull, Texture* glow)
{
    Ptr<SceneNode> boat = new SceneNode();
    boat->SetName(String("Boat"));
    Ptr<NodeAnimation> course = model::KeyframePath::Path("BoatCourse", Course(), true, 120, true);
    if (!course || boat->SetController(model::KeyframePath::Play("BoatSail", course.Get(), kLoopSeconds, true).Get()) !=
                       kSuccess)
        return kFailure;

    Ptr<TextureEffect> paint = new TextureEffect();
    paint->SetName(String("BoatEffect"));
    paint->SetTexture(hull);
    paint->SetColor({0.22f, 0.2f, 0.2f, 1});
    const art::Color horizon = NightLight::kHorizon;
    paint->SetFog(true, Vector4{horizon.r, horizon.g, horizon.b, 1}, NightLight::kFogDensity, 1.0f);
    Ptr<Triangles> body = Hull().Build("BoatHull");
    if (!body || body->SetEffect(paint.Get()) != kSuccess || boat->AttachChild(body.Get()) != kSuccess)
        return kFailure;

    Ptr<SpriteEffect> lights = new SpriteEffect();
    lights->SetName(String("BoatLightEffect"));
    lights->SetTexture(glow);
    (void)lights->SetBlending(true, RenderState::kBlendSourceAlpha, RenderState::kBlendOne);
    struct Lamp {
        const char* name;
        Vector3 at;
        Vector4 color;
        float size;
    } lamps[] = {{"BoatMasthead", {0, 9.6f, 0.5f}, {1.0f, 0.97f, 0.9f, 1}, 7.0f},
                 {"BoatPort", {-1.7f, 4.8f, -1.0f}, {1.0f, 0.15f, 0.1f, 1}, 5.0f},
                 {"BoatStarboard", {1.7f, 4.8f, -1.0f}, {0.15f, 1.0f, 0.3f, 1}, 5.0f},
                 {"BoatWheelhouse", {0, 3.6f, -0.6f}, {1.0f, 0.75f, 0.4f, 0.8f}, 5.5f}};
    for (const Lamp& lamp : lamps) {
        Ptr<Flare> flare = new Flare();
        flare->SetName(String(lamp.name));
        flare->SetColor(lamp.color);
        flare->SetSize(lamp.size);
        flare->LocalTransform().SetTranslation(lamp.at);
        if (flare->SetEffect(lights.Get()) != kSuccess || boat->AttachChild(flare.Get()) != kSuccess)
            return kFailure;
    }
    if (parent.AttachChild(boat.Get()) != kSuccess) {
        Error("Не удалось добавить лодку.");
        return kFailure;
    }
    return kSuccess;
}

}  // namespace zen::scene
