#include "tools/scene/LighthouseScene.h"

#include <cmath>
#include <cstdio>
#include <functional>
#include <string>

#include "engine/anim/AnimationFrame.h"
#include "engine/anim/ColorAnimation.h"
#include "engine/anim/ColorAnimationController.h"
#include "engine/anim/ColorKeyframe.h"
#include "engine/anim/RenderScreenspaceReflectTextureController.h"
#include "engine/anim/RenderScreenspaceRefractTextureController.h"
#include "engine/core/MessageLog.h"
#include "engine/scene/Bloom5PostRenderEffect.h"
#include "engine/scene/CloudsEffect.h"
#include "engine/scene/CubeTexture.h"
#include "engine/scene/DarkmapNormalmapTextureEffect.h"
#include "engine/scene/FlatWater1DLEffect.h"
#include "engine/scene/Light.h"
#include "engine/scene/Texture.h"
#include "engine/scene/TextureEffect.h"
#include "tools/model/KeyframePath.h"
#include "tools/model/Primitives.h"
#include "tools/scene/Birds.h"
#include "tools/scene/Boat.h"
#include "tools/scene/Cottage.h"
#include "tools/scene/Flares.h"
#include "tools/scene/Headland.h"
#include "tools/scene/Mist.h"
#include "tools/scene/NightLight.h"
#include "tools/scene/Shots.h"
#include "tools/scene/Spray.h"
#include "tools/scene/SkyPictures.h"
#include "tools/scene/Tower.h"

namespace zen::scene {
namespace {

using model::MeshBuilder;

constexpr float kSkyRadius = 2400.0f;

// Collects the pictures and makes one texture for each, shared by the effects that use it.
class Materials {
public:
    explicit Materials(std::vector<Ptr<Image>>& pictures) : m_pictures(pictures) {}

    Texture* Add(const char* file, const std::function<Ptr<Image>(const char*)>& draw)
    {
        Ptr<Image> image = draw(file);
        if (!image) {
            Error("Не удалось нарисовать изображение [%s].", file);
            m_failed = true;
            return nullptr;
        }
        image->SetFileName(String(file));
        m_pictures.push_back(image);
        Ptr<Texture> texture = new Texture(String(file), image.Get());
        m_textures.push_back(texture);
        return texture.Get();
    }
    bool Failed() const { return m_failed; }

private:
    std::vector<Ptr<Image>>& m_pictures;
    std::vector<Ptr<Texture>> m_textures;
    bool m_failed = false;
};

enum class Look { kSolid, kFogless, kGlass, kGlow };

Ptr<TextureEffect> MakeEffect(const std::string& name, Texture* texture, Look look, const Vector4& color = {1, 1, 1, 1})
{
    Ptr<TextureEffect> effect = new TextureEffect();
    effect->SetName(String(name));
    effect->SetTexture(texture);
    effect->SetColor(color);
    const art::Color horizon = NightLight::kHorizon;
    if (look == Look::kSolid || look == Look::kGlass)
        effect->SetFog(true, Vector4{horizon.r, horizon.g, horizon.b, 1}, NightLight::kFogDensity, 1.0f);
    if (look == Look::kGlass)
        (void)effect->SetBlending(true, RenderState::kBlendSourceAlpha, RenderState::kBlendInverseSourceAlpha);
    if (look == Look::kGlow)
        (void)effect->SetBlending(true, RenderState::kBlendSourceAlpha, RenderState::kBlendOne);
    if (look == Look::kGlass || look == Look::kGlow)
        effect->SetCullEnabled(false);
    return effect;
}

Ptr<Triangles> MakeMesh(const char* name, const MeshBuilder& mesh, TextureEffect* effect)
{
    Ptr<Triangles> node = mesh.Build(name);
    if (node)
        (void)node->SetEffect(effect);
    return node;
}

// Flat-shaded solids lit by the night: the mesh split by the way its faces point, each part
// drawn with the texture tinted by the light that direction receives.
void AddShadedParts(SceneNode& parent, const char* name, const MeshBuilder& mesh, Texture* texture,
                    const Quaternion& turn)
{
    struct Part {
        MeshBuilder mesh;
        Vector3 normalSum{0, 0, 0};
    };
    Part parts[6];
    const auto& vertices = mesh.Vertices();
    const auto& indices = mesh.Indices();
    Transform rotate;
    rotate.SetRotation(turn);
    for (size_t i = 0; i + 2 < indices.size(); i += 3) {
        const Vector3 normal = rotate.ApplyToVector(vertices[static_cast<size_t>(indices[i])].normal);
        const float ax = std::abs(normal.x), ay = std::abs(normal.y), az = std::abs(normal.z);
        const int axis = ax >= ay && ax >= az ? 0 : ay >= az ? 1 : 2;
        const float sign = axis == 0 ? normal.x : axis == 1 ? normal.y : normal.z;
        Part& part = parts[axis * 2 + (sign < 0 ? 1 : 0)];
        uint32_t corner[3];
        for (size_t k = 0; k < 3; ++k) {
            const MeshBuilder::Vertex& v = vertices[static_cast<size_t>(indices[i + k])];
            corner[k] = part.mesh.AddVertex(v.position, v.normal, v.uv);
        }
        part.mesh.AddTriangle(corner[0], corner[1], corner[2]);
        part.normalSum += normal;
    }
    for (int p = 0; p < 6; ++p) {
        if (parts[p].mesh.Empty())
            continue;
        const art::Color light = NightLight::Shade(parts[p].normalSum.Normalized());
        const std::string partName = std::string(name) + "_" + "XxYyZz"[p];
        Ptr<TextureEffect> effect = MakeEffect(partName + "Effect", texture, Look::kSolid,
                                               Vector4{light.r * 1.2f, light.g * 1.2f, light.b * 1.2f, 1});
        Ptr<Triangles> node = MakeMesh(partName.c_str(), parts[p].mesh, effect.Get());
        if (node)
            (void)parent.AttachChild(node.Get());
    }
}

}  // namespace

Result LighthouseScene::Build(Ptr<SceneNode>& root, std::vector<Ptr<Image>>& pictures,
                              const std::vector<SceneSounds::Sound>* sounds, std::vector<Messages::Text>* texts)
{
    Materials materials(pictures);
    Texture* sky = materials.Add("sky.tga", &SkyPictures::Sky);
    Texture* moon = materials.Add("moon.tga", &SkyPictures::Moon);
    Texture* sea = materials.Add("sea.tga", &SkyPictures::Sea);
    Texture* ground = materials.Add("headland.jpg", &Headland::Picture);
    Texture* groundRelief = materials.Add("headland_normal.tga", &Headland::NormalPicture);
    Texture* groundLight = materials.Add("headland_light.jpg", &Headland::LightPicture);
    Texture* tower = materials.Add("tower.tga", &Tower::BodyPicture);
    Texture* glass = materials.Add("glass.tga", &Tower::GlassPicture);
    Texture* iron = materials.Add("iron.tga", &Tower::IronPicture);
    Texture* lamp = materials.Add("lamp.tga", &Tower::LampPicture);
    Texture* beam = materials.Add("beam.tga", &Tower::BeamPicture);
    Texture* wall = materials.Add("wall.jpg", &Cottage::WallPicture);
    Texture* slate = materials.Add("slate.jpg", &Cottage::SlatePicture);
    Texture* window = materials.Add("window.tga", &Cottage::WindowPicture);
    Texture* gull = materials.Add("gull.tga", &Birds::Picture);
    Texture* droplet = materials.Add("spray.tga", &Spray::Picture);
    Texture* glow = materials.Add("glow.tga", &Flares::GlowPicture);
    Texture* ghost = materials.Add("ghost.tga", &Flares::GhostPicture);
    Texture* mist = materials.Add("mist.tga", &Mist::Picture);
    Texture* clouds = materials.Add("clouds.tga", &SkyPictures::CloudDensity);
    if (materials.Failed())
        return kFailure;

    Ptr<SceneNode> scene = new SceneNode();
    scene->SetName(String("Root"));
    const Vector3 towerBase = Headland::TowerBase();

    // Everything seen lies under "World", whose bloom gives the lamp, its beams and the moon
    // their glow; cameras, targets, the director and the sounds stay at the root.
    Ptr<SceneNode> world = new SceneNode();
    world->SetName(String("World"));
    {
        Ptr<Bloom5PostRenderEffect> bloom = new Bloom5PostRenderEffect();
        bloom->SetName(String("Glow"));
        Bloom5PostRenderEffect::Parameters glow;
        glow.threshold = 0.72f;
        glow.brightScale = 1.6f;
        // Shrunk eight times a side, the halo keeps the width it had at a quarter with a blur
        // of 1.5 texels: each small texel now averages its block, and magnifying it spreads
        // it further, so the blur itself steps only 0.6 of a texel.
        glow.downsample = 8.0f;
        glow.blurSpread = 0.6f;
        glow.bloomIntensity = 0.85f;
        glow.tint = {1.0f, 0.93f, 0.8f, 1};
        bloom->SetParameters(glow);
        if (world->AddEffect(bloom.Get()) != kSuccess)
            return kFailure;
    }
    (void)scene->AttachChild(world.Get());
    if (Shots::Add(*scene) != kSuccess) {
        Error("Не удалось построить планы камер сцены.");
        return kFailure;
    }

    Ptr<Light> moonlight = new Light(Light::kDirectional);
    moonlight->SetName(String("Moonlight"));
    const art::Color m = NightLight::kMoonlight;
    const art::Color s = NightLight::kSkylight;
    moonlight->SetColors(Vector4{s.r, s.g, s.b, 1}, Vector4{m.r, m.g, m.b, 1}, Vector4{m.r, m.g, m.b, 1});
    (void)moonlight->SetDirection(-NightLight::MoonDirection());
    (void)scene->AttachChild(moonlight.Get());

    // Sky: a sphere seen from inside, its own colours, no fog.
    {
        MeshBuilder dome = model::Primitives::Sphere(kSkyRadius, 48, 24);
        dome.Flip();
        Ptr<Triangles> node = MakeMesh("Sky", dome, MakeEffect("SkyEffect", sky, Look::kFogless).Get());
        (void)world->AttachChild(node.Get());
    }
    // The moon: its disc and halo on a quad far out along the moon's direction, facing us.
    {
        MeshBuilder disc = model::Primitives::Quad(190, 190);
        Transform centre;
        centre.SetTranslation({0, -95, 0});
        disc.Apply(centre);
        Ptr<Triangles> node = MakeMesh("Moon", disc, MakeEffect("MoonEffect", moon, Look::kGlow).Get());
        Quaternion facing;
        (void)Transform::LookRotation(NightLight::MoonDirection(), facing);
        node->LocalTransform().SetRotation(facing);
        node->LocalTransform().SetTranslation(NightLight::MoonDirection() * (kSkyRadius * 0.8f));
        (void)world->AttachChild(node.Get());
    }
    // Clouds: a ceiling of thin moonlit cloud high over the coast, seen from below, drifting
    // with the wind off the sea; the fog fades it into the horizon's haze.
    {
        Ptr<CloudsEffect> effect = new CloudsEffect();
        effect->SetName(String("CloudsEffect"));
        const art::Color m = NightLight::kMoonlight;
        effect->SetColor(Vector4{m.r * 0.55f + 0.08f, m.g * 0.55f + 0.09f, m.b * 0.55f + 0.12f, 0.8f});
        (void)effect->SetBlending(true, RenderState::kBlendSourceAlpha, RenderState::kBlendInverseSourceAlpha);
        effect->SetEffectTexture(clouds);
        const art::Color horizon = NightLight::kHorizon;
        effect->SetFog(true, Vector4{horizon.r, horizon.g, horizon.b, 1}, NightLight::kFogDensity * 0.5f, 1.0f);
        CloudsEffect::Parameters drift;
        drift.velocity[0] = 0.0035f;
        drift.velocity[1] = -0.0012f;
        drift.scale2 = 2.3f;
        drift.coverage = 0.48f;
        drift.sharpness = 2.2f;
        drift.shade = 0.45f;
        effect->SetParameters(drift);
        MeshBuilder ceiling = model::Primitives::Plane(2 * kSkyRadius, 2 * kSkyRadius, 16, 16, 1.0f / 1100.0f);
        ceiling.Flip();
        Transform up;
        up.SetTranslation({0, 520, 0});
        ceiling.Apply(up);
        Ptr<Triangles> node = ceiling.Build("Clouds");
        if (!node || node->SetEffect(effect.Get()) != kSuccess)
            return kFailure;
        (void)world->AttachChild(node.Get());
    }
    // The sea: one large plane at y = 0 whose two drifting layers of wave relief tilt it; it
    // mirrors the sky and the moon from the cube, what stands above it (the headland, the
    // lighthouse and its lamp, the boat) from a picture drawn mirrored each frame, and shows the
    // sea bed near the shore through the surface; the moon's glitter lies along its path.
    Ptr<RenderScreenspaceReflectTextureController> mirrored = new RenderScreenspaceReflectTextureController();
    Ptr<RenderScreenspaceRefractTextureController> beneath = new RenderScreenspaceRefractTextureController();
    {
        Texture* relief = materials.Add("sea_normal.tga", &SkyPictures::SeaNormals);
        Ptr<Image> skyPicture = sky ? sky->GetImage() : nullptr;
        Ptr<VolumeImage> cubeImage = skyPicture ? SkyPictures::SkyCube("sky.cube", *skyPicture) : nullptr;
        if (!relief || !cubeImage) {
            Error("Не удалось нарисовать изображения моря.");
            return kFailure;
        }
        cubeImage->SetFileName(String("sky.cube"));
        pictures.push_back(cubeImage);
        Ptr<CubeTexture> skyCube = new CubeTexture(String("sky.cube"), cubeImage.Get());
        auto screenPicture = [](const char* name, RenderScreenspaceTextureController* controller, uint32_t side) {
            Ptr<Texture> picture = new Texture(String(name), new Image(String(name), Image::kR8G8B8A8, side, side));
            controller->SetName(String(name));
            (void)picture->SetController(controller);
            return picture;
        };
        Ptr<FlatWater1DLEffect> water = new FlatWater1DLEffect();
        water->SetName(String("SeaEffect"));
        water->SetTexture(sea);
        water->SetColor(Vector4{0.9f, 0.95f, 1.0f, 1});
        water->SetMaterial(Vector4{1, 1, 1, 1}, Vector4{1, 1, 1, 1}, Vector4{0.9f, 0.95f, 1.0f, 1},
                           Vector4{0, 0, 0, 1}, 90);
        water->SetNormalMap(relief);
        water->SetCubeMap(skyCube.Get());
        // Both pictures reach the water shaken by the waves and darkened by the Fresnel term, so
        // a quarter of the screen's pixels each is as much as shows; more only costs fill.
        water->SetReflection(screenPicture("SeaReflection", mirrored.Get(), 256).Get());
        water->SetRefraction(screenPicture("SeaRefraction", beneath.Get(), 256).Get());
        water->SetLight(moonlight.Get());
        FlatWaterEffect::Waves waves;
        waves.velocity1[0] = 0.018f, waves.velocity1[1] = 0.007f;
        waves.velocity2[0] = -0.011f, waves.velocity2[1] = 0.015f;
        waves.scale2 = 3.1f;
        waves.bumpiness = 0.8f;
        waves.distortion = 0.025f;
        waves.fresnelBias = 0.03f;
        waves.clarity = 0.55f;
        water->SetWaves(waves);
        const art::Color horizon = NightLight::kHorizon;
        water->SetFog(true, Vector4{horizon.r, horizon.g, horizon.b, 1}, NightLight::kFogDensity, 1.0f);
        if (water->SetNormalMapSet(0) != kSuccess)
            return kFailure;
        MeshBuilder plane = model::Primitives::Plane(2 * kSkyRadius, 2 * kSkyRadius, 24, 24, 1.0f / 40.0f);
        Ptr<Triangles> node = plane.Build("Sea");
        if (!node || node->SetEffect(water.Get()) != kSuccess)
            return kFailure;
        (void)world->AttachChild(node.Get());
    }
    // The ground: its colours, the relief finer than the mesh and the baked moonlight with the
    // shadows of the ridge, all three over the same coordinates.
    {
        Ptr<DarkmapNormalmapTextureEffect> effect = new DarkmapNormalmapTextureEffect();
        effect->SetName(String("HeadlandEffect"));
        effect->SetTexture(ground);
        effect->SetNormalMap(groundRelief);
        effect->SetDarkmap(groundLight);
        const art::Color horizon = NightLight::kHorizon;
        effect->SetFog(true, Vector4{horizon.r, horizon.g, horizon.b, 1}, NightLight::kFogDensity, 1.0f);
        if (effect->SetNormalMapSet(0) != kSuccess || effect->SetDarkmapSet(0) != kSuccess)
            return kFailure;
        Ptr<Triangles> node = Headland::Mesh().Build("Headland");
        if (!node || node->SetEffect(effect.Get()) != kSuccess)
            return kFailure;
        (void)world->AttachChild(node.Get());
        (void)mirrored->Nodes().Add(node.Get());
        (void)beneath->Nodes().Add(node.Get());
    }

    // The lighthouse.
    {
        Ptr<SceneNode> lighthouse = new SceneNode();
        lighthouse->SetName(String("Lighthouse"));
        lighthouse->LocalTransform().SetTranslation(towerBase);
        (void)lighthouse->AttachChild(MakeMesh("Tower", Tower::Body(), MakeEffect("TowerEffect", tower, Look::kSolid).Get()).Get());
        Ptr<TextureEffect> ironEffect = MakeEffect("IronEffect", iron, Look::kSolid, {0.9f, 0.9f, 1.0f, 1});
        (void)lighthouse->AttachChild(MakeMesh("Railing", Tower::Railing(), ironEffect.Get()).Get());
        (void)lighthouse->AttachChild(MakeMesh("LanternRoof", Tower::Roof(), ironEffect.Get()).Get());
        // The lamp brightens each time one of the two beams sweeps past the front of the lens.
        Ptr<TextureEffect> lampEffect = MakeEffect("LampEffect", lamp, Look::kFogless);
        {
            Ptr<ColorAnimation> pulse = new ColorAnimation();
            pulse->SetName(String("LampPulse"));
            for (int k = 0; k < 4; ++k) {
                auto* key = static_cast<ColorKeyframe*>(pulse->NewKeyframe());
                key->time = k / 4.0;
                const float level = k % 2 == 0 ? 1.0f : 0.78f;
                key->color = {level, level, level, 1};
                (void)pulse->AppendKeyframe(key);
            }
            Ptr<ColorAnimationController> glow = new ColorAnimationController();
            glow->SetName(String("LampGlow"));
            (void)glow->AddAnimation(pulse.Get());
            AnimationFrame frame;
            frame.animation = pulse;
            frame.start = 0;
            frame.end = 1;
            frame.mode = AnimationFrame::kRepeat;
            if (glow->AddFrame(frame) != kSuccess || lampEffect->SetController(glow.Get()) != kSuccess)
                return kFailure;
            glow->SetTrackPeriod(12.0);
        }
        (void)lighthouse->AttachChild(MakeMesh("Lamp", Tower::Lamp(), lampEffect.Get()).Get());
        Ptr<Triangles> glazing = MakeMesh("Lantern", Tower::Glazing(), MakeEffect("GlassEffect", glass, Look::kGlass).Get());
        glazing->LocalTransform().SetTranslation({0, Tower::kGalleryHeight + 0.35f, 0});
        (void)lighthouse->AttachChild(glazing.Get());
        // The beams: two cones from the lamp, opposite each other, on a node that turns.
        Ptr<SceneNode> rotor = new SceneNode();
        rotor->SetName(String("LampRotor"));
        rotor->LocalTransform().SetTranslation({0, Tower::kLampHeight, 0});
        // One turn every twelve seconds, for ever.
        Ptr<NodeAnimation> spin = model::KeyframePath::Spin("LampSpin", {0, 1, 0}, 1.0f, {0, Tower::kLampHeight, 0});
        if (rotor->SetController(model::KeyframePath::Play("LampTurn", spin.Get(), 12.0, true).Get()) != kSuccess)
            return kFailure;
        Ptr<TextureEffect> beamEffect = MakeEffect("BeamEffect", beam, Look::kGlow);
        const MeshBuilder cone = Tower::Beam(170.0f, 11.0f);
        Ptr<Triangles> ahead = MakeMesh("BeamAhead", cone, beamEffect.Get());
        Ptr<Triangles> behind = MakeMesh("BeamBehind", cone, beamEffect.Get());
        behind->LocalTransform().SetRotation(Quaternion{0, 1, 0, 0});
        (void)rotor->AttachChild(ahead.Get());
        (void)rotor->AttachChild(behind.Get());
        // The flares turn with the beams on a rotor of their own outside the lighthouse, so
        // the sea's mirrored picture (which draws the lighthouse) never measures them: their
        // visible pixels are those of the frame itself.
        Ptr<SceneNode> flareRotor = new SceneNode();
        flareRotor->SetName(String("LampFlareRotor"));
        const Vector3 lampAt = towerBase + Vector3{0, Tower::kLampHeight, 0};
        flareRotor->LocalTransform().SetTranslation(lampAt);
        Ptr<NodeAnimation> flareSpin = model::KeyframePath::Spin("LampFlareSpin", {0, 1, 0}, 1.0f, lampAt);
        if (flareRotor->SetController(model::KeyframePath::Play("LampFlareTurn", flareSpin.Get(), 12.0, true).Get()) !=
                kSuccess ||
            Flares::Add(*world, *flareRotor, *rotor, glow, ghost) != kSuccess)
            return kFailure;
        (void)lighthouse->AttachChild(rotor.Get());
        (void)world->AttachChild(lighthouse.Get());
        (void)world->AttachChild(flareRotor.Get());
        (void)mirrored->Nodes().Add(lighthouse.Get());
    }
    if (Boat::Add(*world, iron, glow) != kSuccess)
        return kFailure;
    // The boat and its lights lie on the water, so the sea mirrors them under it.
    if (auto* boat = static_cast<Node*>(world->FindByName(String("Boat"))))
        (void)mirrored->Nodes().Add(boat);

    // The keeper's cottage, turned a little towards the tower.
    {
        Ptr<SceneNode> cottage = new SceneNode();
        cottage->SetName(String("Cottage"));
        const float yaw = -0.35f;
        const Quaternion turn{0, std::sin(0.5f * yaw), 0, std::cos(0.5f * yaw)};
        cottage->LocalTransform().SetTranslation(Headland::CottageBase() - Vector3{0, 0.3f, 0});
        cottage->LocalTransform().SetRotation(turn);
        AddShadedParts(*cottage, "Walls", Cottage::Walls(), wall, turn);
        AddShadedParts(*cottage, "Roof", Cottage::Roof(), slate, turn);
        AddShadedParts(*cottage, "Chimney", Cottage::Chimney(), wall, turn);
        (void)cottage->AttachChild(
            MakeMesh("Windows", Cottage::Windows(), MakeEffect("WindowEffect", window, Look::kFogless).Get()).Get());
        (void)world->AttachChild(cottage.Get());
    }

    if (Mist::Add(*world, mist) != kSuccess) {
        Error("Не удалось добавить туман.");
        return kFailure;
    }
    if (Spray::Add(*world, droplet) != kSuccess) {
        Error("Не удалось добавить брызги.");
        return kFailure;
    }
    if (Birds::Add(*world, gull) != kSuccess) {
        Error("Не удалось добавить птиц.");
        return kFailure;
    }
    if (sounds && SceneSounds::Add(*scene, *sounds) != kSuccess) {
        Error("Не удалось добавить звуки сцены.");
        return kFailure;
    }
    // The messages go last, so that they are drawn over everything else.
    {
        Ptr<Image> font;
        std::vector<Messages::Text> files;
        if (Messages::Make(font, files) != kSuccess || Messages::Add(*scene, *font, files) != kSuccess)
            return kFailure;
        pictures.push_back(font);
        if (texts)
            *texts = std::move(files);
    }
    root = scene;
    return kSuccess;
}

}  // namespace zen::scene
