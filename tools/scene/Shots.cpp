#include "tools/scene/Shots.h"

#include <string>

#include "engine/anim/ScreensaverController.h"
#include "engine/anim/TargetCameraController.h"
#include "engine/scene/Camera.h"
#include "tools/model/KeyframePath.h"
#include "tools/scene/Headland.h"
#include "tools/scene/NightLight.h"
#include "tools/scene/Tower.h"

namespace zen::scene {
namespace {

using model::KeyframePath;

// Keys per second of flight: dense enough that the linear blend between keys reads as a curve.
constexpr double kKeysPerSecond = 4.0;

std::vector<Shots::Shot> MakeShots()
{
    const Vector3 lamp{0, Tower::kLampHeight, 0};
    const Vector3 cottage = Headland::CottageBase() - Headland::TowerBase();
    const Vector3 moon = NightLight::MoonDirection();
    std::vector<Shots::Shot> shots;
    // Wide: from the ridge behind the cottage, drifting forward over it towards the tower.
    shots.push_back({"Overlook", 20, false,
                     {cottage + Vector3{-26, 10, -40}, cottage + Vector3{-18, 9, -28}, cottage + Vector3{-10, 8.5f, -16}},
                     {Vector3{0, 13, 0}, Vector3{0, 14, 4}}});
    // The lamp close up: round the gallery, just outside the railing.
    shots.push_back({"Lantern", 18, false,
                     {Vector3{-7, 23.5f, -6}, Vector3{-8.5f, 23.8f, 1}, Vector3{-5, 24, 7}, Vector3{2, 24.2f, 8.5f}},
                     {lamp}});
    // A full flight round the tower at mid height.
    shots.push_back({"Orbit", 26, true,
                     {Vector3{42, 16, 0}, Vector3{30, 18, 30}, Vector3{0, 20, 42}, Vector3{-30, 18, 30}, Vector3{-42, 16, 0},
                      Vector3{-30, 14, -30}, Vector3{0, 14, -42}, Vector3{30, 14, -30}},
                     {Vector3{0, 13, 0}}});
    // Sea level off the tip, looking up at the cliffs and the tower.
    shots.push_back({"SeaLevel", 18, false,
                     {Vector3{-40, -23, 150}, Vector3{-15, -22.5f, 140}, Vector3{12, -22.8f, 132}},
                     {Vector3{0, 8, 0}}});
    // The cottage window at night, then the tower behind.
    shots.push_back({"Cottage", 16, false,
                     {cottage + Vector3{-9, 2.4f, -10}, cottage + Vector3{-6, 2.2f, -8}, cottage + Vector3{-3.5f, 2.3f, -6.5f}},
                     {cottage + Vector3{-1.5f, 1.4f, 0}, cottage + Vector3{0, 2.5f, 0}}});
    // Along the cliffs where the gulls wheel, the tower beyond them.
    shots.push_back({"Cliffs", 20, false,
                     {Vector3{-70, -2, -140}, Vector3{-66, 2, -95}, Vector3{-64, 4, -55}},
                     {Vector3{-36, 12, 0}, Vector3{-30, 16, 4}}});
    // Out on the water towards the moon, the lighthouse against its light.
    shots.push_back({"Moonpath", 20, false,
                     {Vector3{125, -18.5f, -105}, Vector3{108, -18, -75}, Vector3{92, -17.5f, -52}},
                     {moon * 600.0f + Vector3{0, -140, 0}}});
    // High above the headland, coming down.
    shots.push_back({"Aerial", 22, false,
                     {Vector3{-160, 120, -160}, Vector3{-120, 90, -110}, Vector3{-90, 70, -60}},
                     {Vector3{0, 0, -20}, Vector3{0, 10, 0}}});
    // At the tower's foot, looking up along it into the turning beams.
    shots.push_back({"TowerFoot", 14, false,
                     {Vector3{6, 1.8f, -9}, Vector3{7.5f, 1.6f, -6}, Vector3{9, 1.5f, -2}},
                     {Vector3{0, 26, 0}}});
    return shots;
}

Ptr<SceneNode> Marker(const std::string& name, const Vector3& where)
{
    Ptr<SceneNode> node = new SceneNode();
    node->SetName(String(name));
    node->LocalTransform().SetTranslation(where);
    return node;
}

}  // namespace

const std::vector<Shots::Shot>& Shots::All()
{
    static const std::vector<Shot> shots = MakeShots();
    return shots;
}

Result Shots::Add(SceneNode& root)
{
    const Vector3 base = Headland::TowerBase();
    Ptr<ScreensaverController> director = new ScreensaverController();
    director->SetName(String("Director"));
    for (const Shot& shot : All()) {
        const std::string name = shot.name;
        std::vector<Vector3> path, target;
        for (const Vector3& p : shot.path)
            path.push_back(base + p);
        for (const Vector3& p : shot.target)
            target.push_back(base + p);
        const int keys = static_cast<int>(shot.seconds * kKeysPerSecond) + 2;

        Ptr<SceneNode> look = Marker(name + "Target", target.front());
        if (target.size() > 1) {
            Ptr<NodeAnimation> drift = KeyframePath::Path((name + "TargetPath").c_str(), target, false, keys);
            if (look->SetController(KeyframePath::Play((name + "TargetFlight").c_str(), drift.Get(), shot.seconds, false).Get()) !=
                kSuccess)
                return kFailure;
        }
        (void)root.AttachChild(look.Get());

        Ptr<Camera> camera = new Camera();
        camera->SetName(String(name + "Camera"));
        camera->SetFrustum(0.85f, 0.5f, kFarPlane);
        camera->LocalTransform().SetTranslation(path.front());
        // The flight runs first (newest attached first), then the camera turns to its target.
        Ptr<TargetCameraController> aim = new TargetCameraController();
        aim->SetName(String(name + "Aim"));
        aim->SetTarget(look.Get());
        Ptr<NodeAnimation> flight = KeyframePath::Path((name + "Path").c_str(), path, shot.closed, keys);
        if (camera->SetController(aim.Get()) != kSuccess ||
            camera->SetController(KeyframePath::Play((name + "Flight").c_str(), flight.Get(), shot.seconds, false).Get()) !=
                kSuccess)
            return kFailure;
        (void)root.AttachChild(camera.Get());
        if (director->AddSet(camera.Get(), 0.0, shot.seconds) != kSuccess)
            return kFailure;
    }
    return root.SetController(director.Get());
}

}  // namespace zen::scene
