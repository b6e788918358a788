#include "zen/GalleryNatureEffects.h"

#include <cmath>

#include "engine/anim/RenderScreenspaceReflectTextureController.h"
#include "engine/anim/RenderScreenspaceRefractTextureController.h"
#include "engine/scene/CloudsEffect.h"
#include "engine/scene/FlatWater1DLEffect.h"
#include "engine/scene/GrassEffect.h"
#include "engine/scene/Image.h"
#include "engine/scene/IntBuffer.h"
#include "engine/scene/LavaEffect.h"
#include "engine/scene/ReflectiveQuietFlatWaterEffect.h"
#include "engine/scene/ReflectiveRefractiveQuietFlatWaterEffect.h"
#include "engine/scene/SceneNode.h"
#include "engine/scene/Vector2Buffer.h"
#include "engine/scene/Vector3Buffer.h"

namespace zen::tool {
namespace {

constexpr float kFloorLevel = -1.5f;
// The water scenes lift the floor (as water) and the sphere by this much, so that the sphere's
// mirror image comes into the picture's lower edge.
constexpr float kWaterLift = 0.5f;
constexpr float kWaterLevel = kFloorLevel + kWaterLift;
constexpr uint32_t kTargetSide = 256;  // Reflection and refraction pictures.
const Vector4 kWaterColor{0.16f, 0.32f, 0.4f, 1};

// Water at the floor's height (the screen-space controllers take the level from a node).
Ptr<SceneNode> MakeLevel()
{
    Ptr<SceneNode> level = new SceneNode();
    level->SetName(String("Water level"));
    level->LocalTransform().SetTranslation(Vector3{0, kWaterLevel, 0});
    return level;
}

// A picture drawn each frame from the camera by `controller`: `shown` mirrored in the water
// (reflection) or seen through it (refraction; nothing in the gallery lies below, so black).
Ptr<Texture> MakeScreenPicture(const char* name, RenderScreenspaceTextureController* controller, Node* level,
                               Node* shown)
{
    Ptr<Texture> picture = new Texture(String(name), new Image(String(name), Image::kR8G8B8A8, kTargetSide, kTargetSide));
    controller->SetName(String(name));
    controller->SetPlaneNode(level);
    if (shown)
        (void)controller->Nodes().Add(shown);
    (void)picture->SetController(controller);
    return picture;
}

constexpr float kPi = 3.14159265f;
constexpr uint32_t kPictureSide = 128;

// A sum of waves whose wave vectors are whole numbers of cycles across the picture (so it
// tiles): the height and its slopes at (x, y) in picture units.
struct Swell {
    float kx, ky, amplitude, phase;
};

void Heights(const Swell* swells, int count, float x, float y, float& h, float& dx, float& dy)
{
    h = dx = dy = 0;
    for (int i = 0; i < count; ++i) {
        const Swell& s = swells[i];
        const float w = 2 * kPi / kPictureSide;
        const float a = w * (s.kx * x + s.ky * y) + s.phase;
        h += s.amplitude * std::sin(a);
        dx += s.amplitude * std::cos(a) * w * s.kx;
        dy += s.amplitude * std::cos(a) * w * s.ky;
    }
}

uint8_t Byte(float v)
{
    return static_cast<uint8_t>(std::lround(std::fmin(std::fmax(v, 0.0f), 1.0f) * 255));
}

// The sphere plainly textured above the water; the holder keeps the water level node.
Ptr<Node> HoldWater(const GalleryEffects::Assets& a, GeometryNodeEffect* water, Triangles* ball, Triangles* floor,
                    Node* level)
{
    Ptr<TextureEffect> plain = new TextureEffect();
    plain->SetName(String("Sphere"));
    plain->SetTexture(a.base);
    Ptr<SceneNode> holder = new SceneNode();
    holder->SetName(String("Subject"));
    (void)ball->SetEffect(plain.Get());
    (void)floor->SetEffect(water);
    ball->LocalTransform().SetTranslation(Vector3{0, kWaterLift, 5});
    floor->LocalTransform().SetTranslation(Vector3{0, kWaterLift, 0});
    (void)holder->AttachChild(level);
    (void)holder->AttachChild(ball);
    (void)holder->AttachChild(floor);
    return holder;
}

Ptr<Node> Hold(GeometryNodeEffect* effect, Triangles* ball, Triangles* floor)
{
    Ptr<SceneNode> holder = new SceneNode();
    holder->SetName(String("Subject"));
    (void)ball->SetEffect(effect);
    (void)holder->AttachChild(ball);
    if (floor) {
        (void)floor->SetEffect(effect);
        (void)holder->AttachChild(floor);
    }
    return holder;
}

template <class T>
Ptr<Node> MakeFlat(const GalleryEffects::Assets& a, Triangles* ball, Triangles* floor, const char* name)
{
    Ptr<SceneNode> level = MakeLevel();
    Ptr<T> water = new T();
    water->SetName(String(name));
    water->SetMaterial(Vector4{0.9f, 0.9f, 0.9f, 1}, Vector4{1, 1, 1, 1}, Vector4{1, 1, 1, 1}, Vector4{0, 0, 0, 1}, 60);
    water->SetTexture(a.base);
    water->SetColor(kWaterColor);
    water->SetNormalMap(a.waves);
    water->SetCubeMap(a.sky);
    water->SetReflection(
        MakeScreenPicture("Reflection", new RenderScreenspaceReflectTextureController(), level.Get(), ball).Get());
    water->SetRefraction(
        MakeScreenPicture("Refraction", new RenderScreenspaceRefractTextureController(), level.Get(), nullptr).Get());
    FlatWaterEffect::Waves waves;
    waves.clarity = 0.3f;
    water->SetWaves(waves);
    return HoldWater(a, water.Get(), ball, floor, level.Get());
}

Ptr<CloudsEffect> MakeCloudsEffect(const GalleryEffects::Assets& a)
{
    Ptr<CloudsEffect> clouds = new CloudsEffect();
    clouds->SetName(String("Clouds"));
    clouds->SetColor(Vector4{1, 0.97f, 0.92f, 1});
    (void)clouds->SetBlending(true, RenderState::kBlendSourceAlpha, RenderState::kBlendInverseSourceAlpha);
    clouds->SetEffectTexture(a.clouds);
    CloudsEffect::Parameters p;
    p.velocity[0] = 0.05f;
    p.velocity[1] = 0.02f;
    p.coverage = 0.2f;
    p.sharpness = 2.0f;
    clouds->SetParameters(p);
    return clouds;
}

// Set 1 of `mesh` zeroed: weight 0, so the grass effect leaves it still.
void Still(Triangles* mesh)
{
    Ptr<Vector2Buffer> zero = new Vector2Buffer(mesh->Vertices()->GetCount());
    (void)mesh->SetTexCoords(1, zero.Get());
}

// Blades in rows over x -4..4, z 3..9 on the floor: each a triangle 0.08 wide at the root and
// about 0.5 high, leaning a little; set 1 holds (0 at the root, 1 at the tip; the blade's phase).
Ptr<Triangles> MakeBlades()
{
    constexpr int kColumns = 40, kRows = 24;
    const uint32_t count = kColumns * kRows * 3;
    Ptr<Vector3Buffer> positions = new Vector3Buffer(count);
    Ptr<Vector2Buffer> coords = new Vector2Buffer(count), sway = new Vector2Buffer(count);
    Ptr<IntBuffer> indices = new IntBuffer(count);
    uint32_t v = 0;
    for (int row = 0; row < kRows; ++row)
        for (int column = 0; column < kColumns; ++column) {
            // A fixed scatter from the blade's number (no random generator: the same every time).
            const float j1 = std::sin(static_cast<float>(row * 131 + column * 71)) * 0.5f + 0.5f;
            const float j2 = std::sin(static_cast<float>(row * 37 + column * 113)) * 0.5f + 0.5f;
            const float x = -4 + 8.0f * (static_cast<float>(column) + j1) / kColumns;
            const float z = 3 + 6.0f * (static_cast<float>(row) + j2) / kRows;
            const float height = 0.35f + 0.3f * j2, lean = 0.15f * (j1 - 0.5f);
            const Vector3 corners[3] = {{x - 0.04f, kFloorLevel, z}, {x + 0.04f, kFloorLevel, z},
                                        {x + lean, kFloorLevel + height, z}};
            for (int k = 0; k < 3; ++k, ++v) {
                positions->Data()[v] = corners[k];
                coords->Data()[v] = Vector2{corners[k].x / 2, (corners[k].y - kFloorLevel) * 2};
                sway->Data()[v] = Vector2{k == 2 ? 1.0f : 0.0f, j1};
                indices->Data()[v] = static_cast<int32_t>(v);
            }
        }
    Ptr<Triangles> blades = new Triangles();
    blades->SetName(String("Blades"));
    blades->SetVertices(positions.Get());
    (void)blades->SetTexCoords(0, coords.Get());
    (void)blades->SetTexCoords(1, sway.Get());
    blades->SetIndices(indices.Get());
    blades->UpdateGeometry(false, false);
    return blades;
}

Ptr<Node> MakeGrassScene(const GalleryEffects::Assets& a, Triangles* ball, Triangles* floor, Light* light,
                         const char* name)
{
    Ptr<GrassEffect> grass = new GrassEffect();
    grass->SetName(String(name));
    grass->SetMaterial(Vector4{0.9f, 0.9f, 0.9f, 1}, Vector4{1, 1, 1, 1}, Vector4{0, 0, 0, 1}, Vector4{0, 0, 0, 1}, 1);
    grass->SetTexture(a.base);
    grass->SetColor(Vector4{0.45f, 0.9f, 0.35f, 1});
    grass->SetLight(light);
    grass->SetCullEnabled(false);
    GrassEffect::Wind wind;
    wind.amplitude = 0.12f;
    grass->SetWind(wind);
    Still(ball);
    Still(floor);
    Ptr<Node> holder = Hold(grass.Get(), ball, floor);
    Ptr<Triangles> blades = MakeBlades();
    (void)blades->SetEffect(grass.Get());
    (void)static_cast<SceneNode*>(holder.Get())->AttachChild(blades.Get());
    return holder;
}

}  // namespace

Ptr<Image> GalleryNatureEffects::MakeWaves()
{
    static const Swell kSwells[] = {{3, 1, 2.0f, 0}, {-2, 3, 1.5f, 1.3f}, {5, -4, 0.8f, 2.1f}, {-7, -6, 0.5f, 0.4f},
                                    {11, 4, 0.3f, 2.9f}};
    Ptr<Image> image = new Image(String("waves.bmp"), Image::kR8G8B8, kPictureSide, kPictureSide);
    for (uint32_t y = 0; y < kPictureSide; ++y)
        for (uint32_t x = 0; x < kPictureSide; ++x) {
            float h, dx, dy;
            Heights(kSwells, 5, static_cast<float>(x), static_cast<float>(y), h, dx, dy);
            const float length = std::sqrt(dx * dx + dy * dy + 1);
            uint8_t* rgb = image->Data() + (y * kPictureSide + x) * 3;
            rgb[0] = Byte(-dx / length * 0.5f + 0.5f);
            rgb[1] = Byte(-dy / length * 0.5f + 0.5f);
            rgb[2] = Byte(1 / length * 0.5f + 0.5f);
        }
    return image;
}

Ptr<Image> GalleryNatureEffects::MakeCloudDensity()
{
    static const Swell kSwells[] = {{1, 2, 0.22f, 0.3f}, {-3, 1, 0.16f, 1.1f}, {4, 5, 0.1f, 2.3f}, {-7, 6, 0.07f, 0.7f},
                                    {9, -11, 0.05f, 1.9f}, {15, 13, 0.03f, 2.6f}};
    Ptr<Image> image = new Image(String("cloud-density.bmp"), Image::kA8, kPictureSide, kPictureSide);
    for (uint32_t y = 0; y < kPictureSide; ++y)
        for (uint32_t x = 0; x < kPictureSide; ++x) {
            float h, dx, dy;
            Heights(kSwells, 6, static_cast<float>(x), static_cast<float>(y), h, dx, dy);
            image->Data()[y * kPictureSide + x] = Byte(0.5f + h);
        }
    return image;
}

// Crust is dark red-brown; along the lines where two swell fields cross zero it cracks open,
// orange to yellow at the centre of a crack.
Ptr<Image> GalleryNatureEffects::MakeLavaPicture()
{
    static const Swell kA[] = {{2, 1, 1, 0}, {-1, 3, 0.6f, 1}, {5, 2, 0.3f, 2}};
    static const Swell kB[] = {{1, -2, 1, 0.5f}, {3, 2, 0.6f, 2.5f}, {-4, 5, 0.3f, 1.5f}};
    Ptr<Image> image = new Image(String("lava-cracks.bmp"), Image::kR8G8B8, kPictureSide, kPictureSide);
    for (uint32_t y = 0; y < kPictureSide; ++y)
        for (uint32_t x = 0; x < kPictureSide; ++x) {
            float a, b, dx, dy;
            Heights(kA, 3, static_cast<float>(x), static_cast<float>(y), a, dx, dy);
            Heights(kB, 3, static_cast<float>(x), static_cast<float>(y), b, dx, dy);
            const float crack = std::exp(-std::fmin(std::fabs(a), std::fabs(b)) * 6);
            uint8_t* rgb = image->Data() + (y * kPictureSide + x) * 3;
            rgb[0] = Byte(0.25f + 0.75f * crack);
            rgb[1] = Byte(0.05f + 0.8f * crack * crack);
            rgb[2] = Byte(0.02f + 0.4f * crack * crack * crack);
        }
    return image;
}

Ptr<Node> GalleryNatureEffects::MakeReflectiveQuietFlatWater(const GalleryEffects::Assets& a, Triangles* ball,
                                                             Triangles* floor)
{
    Ptr<SceneNode> level = MakeLevel();
    Ptr<ReflectiveQuietFlatWaterEffect> water = new ReflectiveQuietFlatWaterEffect();
    water->SetName(String("ReflectiveQuietFlatWater"));
    water->SetTexture(a.base);
    water->SetColor(kWaterColor);
    water->SetNormalMap(a.waves);
    water->SetReflection(
        MakeScreenPicture("Reflection", new RenderScreenspaceReflectTextureController(), level.Get(), ball).Get());
    return HoldWater(a, water.Get(), ball, floor, level.Get());
}

Ptr<Node> GalleryNatureEffects::MakeReflectiveRefractiveQuietFlatWater(const GalleryEffects::Assets& a,
                                                                       Triangles* ball, Triangles* floor)
{
    Ptr<SceneNode> level = MakeLevel();
    Ptr<ReflectiveRefractiveQuietFlatWaterEffect> water = new ReflectiveRefractiveQuietFlatWaterEffect();
    water->SetName(String("ReflectiveRefractiveQuietFlatWater"));
    water->SetTexture(a.base);
    water->SetColor(kWaterColor);
    water->SetNormalMap(a.waves);
    water->SetReflection(
        MakeScreenPicture("Reflection", new RenderScreenspaceReflectTextureController(), level.Get(), ball).Get());
    water->SetRefraction(
        MakeScreenPicture("Refraction", new RenderScreenspaceRefractTextureController(), level.Get(), nullptr).Get());
    water->SetWaterParameters(QuietWater::Parameters{0.03f, 0.02f, 0.3f});
    return HoldWater(a, water.Get(), ball, floor, level.Get());
}

Ptr<Node> GalleryNatureEffects::MakeFlatWater(const GalleryEffects::Assets& a, Triangles* ball, Triangles* floor)
{
    return MakeFlat<FlatWaterEffect>(a, ball, floor, "FlatWater");
}

Ptr<Node> GalleryNatureEffects::MakeFlatWater1DL(const GalleryEffects::Assets& a, Triangles* ball, Triangles* floor)
{
    Ptr<Node> holder = MakeFlat<FlatWater1DLEffect>(a, ball, floor, "FlatWater1DL");
    static_cast<FlatWater1DLEffect*>(floor->GetEffect())->SetLight(a.sun);
    return holder;
}

Ptr<Node> GalleryNatureEffects::MakeClouds(const GalleryEffects::Assets& a, Triangles* ball, Triangles* floor)
{
    return Hold(MakeCloudsEffect(a).Get(), ball, floor);
}

Ptr<Node> GalleryNatureEffects::MakeCloudsBall(const GalleryEffects::Assets& a, Triangles* ball, Triangles*)
{
    return Hold(MakeCloudsEffect(a).Get(), ball, nullptr);
}

Ptr<Node> GalleryNatureEffects::MakeLava(const GalleryEffects::Assets& a, Triangles* ball, Triangles* floor)
{
    Ptr<LavaEffect> lava = new LavaEffect();
    lava->SetName(String("Lava"));
    lava->SetTexture(a.lava);
    LavaEffect::Parameters p;
    p.velocity[0] = 0.05f;
    p.velocity[1] = 0.08f;
    lava->SetParameters(p);
    return Hold(lava.Get(), ball, floor);
}

Ptr<Node> GalleryNatureEffects::MakeGrass(const GalleryEffects::Assets& a, Triangles* ball, Triangles* floor)
{
    return MakeGrassScene(a, ball, floor, a.sun, "Grass");
}

Ptr<Node> GalleryNatureEffects::MakeGrassUnlit(const GalleryEffects::Assets& a, Triangles* ball, Triangles* floor)
{
    return MakeGrassScene(a, ball, floor, nullptr, "GrassUnlit");
}

}  // namespace zen::tool
