// `zen scene rain-test FOLDER`: writes RainTest.STR, the particle scene the sprite checks draw.
// Seen from the camera at the origin looking along +z (fov pi/4, near 0.5, far 100), rain falls
// from a ball of radius 1.5 around (0, 3, 10): drops leave straight down at 2 units a second,
// gravity 3 units a second squared, a burst of 12 every 0.1 s, each drop a sprite of size 0.2
// in one opaque colour (0.3, 0.6, 1), alive far longer than a check runs, a pool of 600. Drawn
// with `zen render --step S --seed N`, the picture is the same on every run.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/core/Ptr.h"
#include "engine/modules/CodecManager.h"
#include "engine/modules/SceneCodec.h"
#include "engine/particles/SphereVolumeEmitter.h"
#include "engine/particles/SpriteParticleSystem.h"
#include "engine/scene/Camera.h"
#include "engine/scene/SceneNode.h"
#include "engine/scene/SpriteEffect.h"
#include "engine/vfs/File.h"
#include "zen/CommandTable.h"
#include "zen/EngineSession.h"

namespace zen::tool {
namespace {

int RunRainTest(const std::vector<std::string>& arguments);

CommandRegistration s_rainTest({"scene", "rain-test", "FOLDER",
                                "write RainTest.STR, falling sprite particles the particle picture checks draw",
                                &RunRainTest});

constexpr float kPi = 3.14159265f;
constexpr Vector3 kCloudCenter{0, 3, 10};
constexpr float kCloudRadius = 1.5f;
constexpr Vector4 kDropColor{0.3f, 0.6f, 1.0f, 1.0f};

Ptr<SceneNode> BuildScene()
{
    Ptr<SceneNode> root = new SceneNode();
    root->SetName(String("RainTest"));
    Ptr<Camera> eye = new Camera();
    eye->SetName(String("Eye"));
    eye->SetFrustum(0.7853982f, 0.5f, 100.0f);

    Ptr<SpriteParticleSystem> rain = new SpriteParticleSystem();
    rain->SetName(String("Rain"));
    rain->LocalTransform().SetTranslation(kCloudCenter);
    (void)rain->SetMaxParticles(600);
    ParticleSystem::Parameters drops;
    drops.intervalBase = 0.1f;
    drops.burstBase = 12;
    drops.speedBase = 2.0f;
    drops.accelerationBase = {0, -3, 0};
    drops.lifetimeBase = 1000.0f;
    drops.startColorBase = drops.endColorBase = kDropColor;
    drops.startSizeBase = drops.endSizeBase = 0.2f;
    (void)rain->SetParameters(drops);
    Ptr<SphereVolumeEmitter> cloud = new SphereVolumeEmitter();
    cloud->SetName(String("Cloud"));
    cloud->SetRadius(kCloudRadius);
    cloud->SetAngles(kPi, kPi);  // Straight down from the system's +Y.
    rain->SetEmitter(cloud.Get());
    Ptr<SpriteEffect> look = new SpriteEffect();
    look->SetName(String("Drops"));
    (void)rain->SetEffect(look.Get());

    (void)root->AttachChild(eye.Get());
    (void)root->AttachChild(rain.Get());
    return root;
}

int RunRainTest(const std::vector<std::string>& arguments)
{
    if (arguments.size() != 1)
        return PrintUsage(*CommandTable::Find("scene", "rain-test"));
    const std::filesystem::path folder(arguments[0]);
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    EngineSession engine;
    if (!engine.Started() || !engine.LoadCodecs({"STRSceneCodec"}))
        return kExitFailure;
    const std::string scene = (folder / "RainTest.STR").string();
    Ptr<SceneNode> root = BuildScene();
    auto* codec = static_cast<SceneCodec*>(CodecManager::FindCodec(String("STRSceneCodec")));
    File file{String(scene)};
    if (codec->Save(&file, root.Get()) != kSuccess) {
        std::fprintf(stderr, "zen: cannot write %s\n", scene.c_str());
        return kExitFailure;
    }
    std::printf("wrote %s\n", scene.c_str());
    return kExitSuccess;
}

}  // namespace
}  // namespace zen::tool
