// `zen scene rtt-test FOLDER`: writes the scenes the render-to-texture, flare and lens-flare
// picture checks draw, each seen from a camera at the origin looking along +z (fov pi/4, near
// 0.5, far 100) in a 4:3 view. A texture that a controller renders is shown over part of the
// view by a "screen" quad just beyond the near plane whose texture coordinates are the screen
// position, so the picture there is the texture as the controller drew it:
//   Reflection.STR  camera at height 1, water at height 0; a red ball (radius 0.4) at
//                   (0, 1.5, 10); the lower half of the view shows the reflection texture, in
//                   which the ball's mirror image is centred 0.6036 of the half height below
//                   the middle (row 192 of 240)
//   Refraction.STR  camera at height 1, water at height 0; a red stripe lying on the floor at
//                   y = -1 from z 9 to 11, x -1..1; the lower half shows the refraction texture,
//                   in which the floor is raised to y = -0.752 (rows 166-176 instead of 173-184)
//   Cube.STR        a mirror ball (radius 3) at (0, 0, 10) reflecting a cube map drawn from its
//                   centre; around the centre at distance 8 six walls face it: +x red, -x
//                   green, +y blue, -y yellow, +z magenta, -z cyan
//   Flares.STR      a grey wall at depth 10 across the view, a flare behind it at (-2, 0, 15)
//                   and one before it at (2, 0, 5), both size 1
//   LensIn.STR, LensEdge.STR, LensOut.STR
//                   four white lens reflections (size 0.1) of a source at depth 10 seen at
//                   screen x 0.4, 0.85 and 1.3 and y 0.3 (screen units -1..1)
//   Waves.STR       the wave normal map, drawn from a noise volume, shown over the whole view
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/anim/NoiseTextureController.h"
#include "engine/anim/RenderCubeTextureController.h"
#include "engine/anim/RenderScreenspaceReflectTextureController.h"
#include "engine/anim/RenderScreenspaceRefractTextureController.h"
#include "engine/anim/RenderWavesTextureController.h"
#include "engine/core/Ptr.h"
#include "engine/modules/CodecManager.h"
#include "engine/modules/ImageCodec.h"
#include "engine/modules/SceneCodec.h"
#include "engine/scene/Camera.h"
#include "engine/scene/ColorEffect.h"
#include "engine/scene/CubeTexture.h"
#include "engine/scene/Flare.h"
#include "engine/scene/Image.h"
#include "engine/scene/LensFlares.h"
#include "engine/scene/ReflectiveCubeTextureEffect.h"
#include "engine/scene/SceneNode.h"
#include "engine/scene/SpriteEffect.h"
#include "engine/scene/Texture.h"
#include "engine/scene/TextureEffect.h"
#include "engine/scene/Triangles.h"
#include "engine/scene/Vector2Buffer.h"
#include "engine/scene/Vector3Buffer.h"
#include "engine/scene/VolumeImage.h"
#include "engine/scene/VolumeTexture.h"
#include "engine/vfs/File.h"
#include "tools/model/Primitives.h"
#include "zen/CommandTable.h"
#include "zen/EngineSession.h"

namespace zen::tool {
namespace {

int RunRttTest(const std::vector<std::string>& arguments);

CommandRegistration s_rttTest({"scene", "rtt-test", "FOLDER",
                               "write Reflection.STR, Refraction.STR, Cube.STR, Flares.STR, LensIn.STR, "
                               "LensEdge.STR, LensOut.STR and Waves.STR, the scenes the render-to-texture and "
                               "flare picture checks draw",
                               &RunRttTest});

constexpr float kFov = 0.7853982f;
constexpr float kAspect = 4.0f / 3.0f;

Vector3 Cross(const Vector3& a, const Vector3& b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

Vector3 Along(const Vector3& p, const Vector3& d, float s)
{
    return {p.x + d.x * s, p.y + d.y * s, p.z + d.z * s};
}

Ptr<ColorEffect> Paint(const char* name, const Vector4& color)
{
    Ptr<ColorEffect> paint = new ColorEffect();
    paint->SetName(String(std::string(name) + "Paint"));
    paint->SetColor(color);
    return paint;
}

// A square of half side `half` centred on `centre`, its front towards a viewer looking along
// `look` with `up` upward on the screen (two triangles, clockwise as that viewer sees them).
Ptr<Triangles> Face(const char* name, const Vector3& centre, const Vector3& look, const Vector3& up, float half,
                    const Vector4& color)
{
    const Vector3 right = Cross(up, look);
    auto corner = [&](float r, float u) { return Along(Along(centre, right, r * half), up, u * half); };
    Ptr<Triangles> face = new Triangles();
    face->SetName(String(name));
    Ptr<Vector3Buffer> vertices = new Vector3Buffer(6);
    const Vector3 corners[6] = {corner(-1, 1), corner(1, 1), corner(1, -1), corner(-1, 1), corner(1, -1), corner(-1, -1)};
    for (uint32_t i = 0; i < 6; ++i)
        vertices->Data()[i] = corners[i];
    face->SetVertices(vertices.Get());
    face->UpdateGeometry(false, false);
    (void)face->SetEffect(Paint(name, color).Get());
    return face;
}

// A quad just beyond the near plane of a camera at the origin over the screen rectangle x
// left..right, y bottom..top (screen units -1..1), showing `texture` at the same screen position.
Ptr<Triangles> Screen(const char* name, Texture* texture, float left, float right, float bottom, float top)
{
    constexpr float kDistance = 1.0f;
    const float halfHeight = kDistance * std::tan(kFov / 2), halfWidth = halfHeight * kAspect;
    Ptr<Triangles> quad = new Triangles();
    quad->SetName(String(name));
    Ptr<Vector3Buffer> vertices = new Vector3Buffer(6);
    Ptr<Vector2Buffer> uv = new Vector2Buffer(6);
    const float corners[6][2] = {{left, top}, {right, top}, {right, bottom}, {left, top}, {right, bottom}, {left, bottom}};
    for (uint32_t i = 0; i < 6; ++i) {
        const float x = corners[i][0], y = corners[i][1];
        vertices->Data()[i] = Vector3{x * halfWidth, y * halfHeight, kDistance};
        uv->Data()[i] = Vector2{(x + 1) * 0.5f, (1 - y) * 0.5f};
    }
    quad->SetVertices(vertices.Get());
    (void)quad->SetTexCoords(0, uv.Get());
    quad->UpdateGeometry(false, false);
    Ptr<TextureEffect> shows = new TextureEffect();
    shows->SetName(String(std::string(name) + "Effect"));
    shows->SetTexture(texture);
    (void)quad->SetEffect(shows.Get());
    return quad;
}

Ptr<SceneNode> Root(const char* name, const Vector3& eye)
{
    Ptr<SceneNode> root = new SceneNode();
    root->SetName(String(name));
    Ptr<Camera> camera = new Camera();
    camera->SetName(String("Eye"));
    camera->SetFrustum(kFov, 0.5f, 100.0f);
    Transform at;
    at.SetTranslation(eye);
    camera->SetLocalTransform(at);
    (void)root->AttachChild(camera.Get());
    return root;
}

Ptr<SceneNode> Point(const char* name, const Vector3& where)
{
    Ptr<SceneNode> node = new SceneNode();
    node->SetName(String(name));
    Transform at;
    at.SetTranslation(where);
    node->SetLocalTransform(at);
    return node;
}

Ptr<Texture> Target(const char* name, uint32_t side)
{
    return new Texture(String(name), new Image(String(std::string(name) + "Image"), Image::kR8G8B8A8, side, side));
}

// Water at height 0 seen from height 1: what `controller` draws of `subject` fills the lower
// half of the view.
Ptr<SceneNode> Water(const char* name, RenderScreenspaceTextureController* controller, Triangles* subject)
{
    Ptr<SceneNode> root = Root(name, Vector3{0, 1, 0});
    Ptr<SceneNode> water = Point("Water", Vector3{0, 0, 0});
    (void)root->AttachChild(water.Get());
    (void)root->AttachChild(subject);
    controller->SetPlaneNode(water.Get());
    (void)controller->Nodes().Add(subject);
    Ptr<Texture> target = Target(name, 256);
    (void)target->SetController(controller);
    Ptr<Triangles> surface = Screen("Surface", target.Get(), -1, 1, -1, 0);
    Transform before;  // Before the eye, as the camera sees the screen.
    before.SetTranslation(Vector3{0, 1, 0});
    surface->SetLocalTransform(before);
    (void)root->AttachChild(surface.Get());
    return root;
}

Ptr<SceneNode> Reflection()
{
    model::MeshBuilder ball = model::Primitives::Sphere(0.4f, 24, 12);
    Ptr<Triangles> red = ball.Build("Ball");
    Transform at;
    at.SetTranslation(Vector3{0, 1.5f, 10});
    red->SetLocalTransform(at);
    (void)red->SetEffect(Paint("Ball", Vector4{1, 0, 0, 1}).Get());
    Ptr<RenderScreenspaceReflectTextureController> mirror = new RenderScreenspaceReflectTextureController();
    mirror->SetName(String("Mirror"));
    return Water("Reflection", mirror.Get(), red.Get());
}

Ptr<SceneNode> Refraction()
{
    Ptr<Triangles> stripe = Face("Stripe", Vector3{0, -1, 10}, Vector3{0, -1, 0}, Vector3{0, 0, 1}, 1.0f,
                                 Vector4{1, 0, 0, 1});
    Ptr<RenderScreenspaceRefractTextureController> bend = new RenderScreenspaceRefractTextureController();
    bend->SetName(String("Bend"));
    return Water("Refraction", bend.Get(), stripe.Get());
}

Ptr<SceneNode> Cube(const Ptr<Texture>& white)
{
    Ptr<SceneNode> root = Root("Cube", Vector3{0, 0, 0});
    const Vector3 centre{0, 0, 10};
    Ptr<SceneNode> middle = Point("Centre", centre);
    (void)root->AttachChild(middle.Get());
    Ptr<RenderCubeTextureController> room = new RenderCubeTextureController();
    room->SetName(String("Room"));
    room->SetCentre(middle.Get());
    struct Wall {
        const char* name;
        Vector3 look, up;
        Vector4 color;
    };
    const Wall walls[6] = {{"PlusX", {1, 0, 0}, {0, 1, 0}, {1, 0, 0, 1}},   {"MinusX", {-1, 0, 0}, {0, 1, 0}, {0, 1, 0, 1}},
                           {"PlusY", {0, 1, 0}, {0, 0, 1}, {0, 0, 1, 1}},   {"MinusY", {0, -1, 0}, {0, 0, 1}, {1, 1, 0, 1}},
                           {"PlusZ", {0, 0, 1}, {0, 1, 0}, {1, 0, 1, 1}},   {"MinusZ", {0, 0, -1}, {0, 1, 0}, {0, 1, 1, 1}}};
    for (const Wall& w : walls) {
        Ptr<Triangles> face = Face(w.name, Along(centre, w.look, 8), w.look, w.up, 8.5f, w.color);
        (void)root->AttachChild(face.Get());
        (void)room->Nodes().Add(face.Get());
    }
    Ptr<CubeTexture> map = new CubeTexture(String("RoomMap"), new VolumeImage(String("RoomImage"), Image::kR8G8B8A8,
                                                                              64, 64, 6));
    (void)map->SetController(room.Get());
    Ptr<Triangles> ball = model::Primitives::Sphere(3.0f, 48, 24).Build("Mirror");
    Transform at;
    at.SetTranslation(centre);
    ball->SetLocalTransform(at);
    Ptr<ReflectiveCubeTextureEffect> chrome = new ReflectiveCubeTextureEffect();
    chrome->SetName(String("Chrome"));
    chrome->SetTexture(white.Get());
    chrome->SetCubeMap(map.Get());
    chrome->SetReflectivity(1.0f);
    (void)ball->SetEffect(chrome.Get());
    (void)root->AttachChild(ball.Get());
    return root;
}

Ptr<SceneNode> Flares()
{
    Ptr<SceneNode> root = Root("Flares", Vector3{0, 0, 0});
    (void)root->AttachChild(
        Face("Wall", Vector3{0, 0, 10}, Vector3{0, 0, 1}, Vector3{0, 1, 0}, 20, Vector4{0.5f, 0.5f, 0.5f, 1}).Get());
    const struct {
        const char* name;
        Vector3 at;
    } flares[2] = {{"Hidden", {-2, 0, 15}}, {"Shown", {2, 0, 5}}};
    for (const auto& f : flares) {
        Ptr<Flare> flare = new Flare();
        flare->SetName(String(f.name));
        flare->SetColor(Vector4{1, 1, 0.5f, 1});
        flare->SetSize(1.0f);
        Transform at;
        at.SetTranslation(f.at);
        flare->SetLocalTransform(at);
        Ptr<SpriteEffect> glow = new SpriteEffect();
        glow->SetName(String(std::string(f.name) + "Sprite"));
        (void)flare->SetEffect(glow.Get());
        (void)root->AttachChild(flare.Get());
    }
    return root;
}

Ptr<SceneNode> Lens(const char* name, float screenX, float screenY)
{
    constexpr float kDistance = 10.0f;
    const float halfHeight = kDistance * std::tan(kFov / 2), halfWidth = halfHeight * kAspect;
    Ptr<SceneNode> root = Root(name, Vector3{0, 0, 0});
    Ptr<SceneNode> source = Point("Source", Vector3{screenX * halfWidth, screenY * halfHeight, kDistance});
    (void)root->AttachChild(source.Get());
    Ptr<LensFlares> lens = new LensFlares();
    lens->SetName(String("Lens"));
    lens->SetCount(4);
    lens->SetColor(Vector4{1, 1, 1, 1});
    lens->SetSize(0.1f);
    lens->SetSource(source.Get());
    Ptr<SpriteEffect> glass = new SpriteEffect();
    glass->SetName(String("LensSprite"));
    (void)glass->SetBlending(true, RenderState::kBlendSourceAlpha, RenderState::kBlendInverseSourceAlpha);
    (void)lens->SetEffect(glass.Get());
    (void)root->AttachChild(lens.Get());
    return root;
}

Ptr<SceneNode> Waves()
{
    Ptr<SceneNode> root = Root("Waves", Vector3{0, 0, 0});
    Ptr<VolumeTexture> noise =
        new VolumeTexture(String("Noise"), new VolumeImage(String("NoiseImage"), Image::kA8, 32, 32, 4));
    Ptr<NoiseTextureController> grain = new NoiseTextureController();
    grain->SetName(String("Grain"));
    (void)noise->SetController(grain.Get());
    Ptr<RenderWavesTextureController> waves = new RenderWavesTextureController();
    waves->SetName(String("Swell"));
    waves->SetNoiseTexture(noise.Get());
    waves->SetSpeed(0.1f);
    waves->SetBump(2.0f);
    Ptr<Texture> normals = Target("WaveNormals", 128);
    (void)normals->SetController(waves.Get());
    (void)root->AttachChild(Screen("Sea", normals.Get(), -1, 1, -1, 1).Get());
    return root;
}

bool Write(const std::filesystem::path& path, SceneNode* root)
{
    auto* codec = static_cast<SceneCodec*>(CodecManager::FindCodec(String("STRSceneCodec")));
    File file{String(path.string())};
    if (!codec || codec->Save(&file, root) != kSuccess) {
        std::fprintf(stderr, "zen: cannot write %s\n", path.string().c_str());
        return false;
    }
    std::printf("wrote %s\n", path.string().c_str());
    return true;
}

// A white picture beside the scenes, for effects that multiply a texture.
Ptr<Texture> White(const std::filesystem::path& folder)
{
    Ptr<Image> image = new Image(String("white.bmp"), Image::kR8G8B8, 4, 4);
    for (uint32_t i = 0; i < 4 * 4 * 3; ++i)
        image->Data()[i] = 255;
    auto* bmp = static_cast<ImageCodec*>(CodecManager::FindCodec(String("BMPImageCodec")));
    File out{String((folder / "white.bmp").string())};
    if (!bmp || bmp->Encode(&out, image.Get()) != kSuccess) {
        std::fprintf(stderr, "zen: cannot write %s\n", (folder / "white.bmp").string().c_str());
        return nullptr;
    }
    image->SetFileName(String("white.bmp"));
    return new Texture(String("White"), image.Get());
}

int RunRttTest(const std::vector<std::string>& arguments)
{
    if (arguments.size() != 1)
        return PrintUsage(*CommandTable::Find("scene", "rtt-test"));
    const std::filesystem::path folder(arguments[0]);
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    EngineSession engine;
    if (!engine.Started() || !engine.LoadCodecs({"STRSceneCodec", "BMPImageCodec"}))
        return kExitFailure;
    Ptr<Texture> white = White(folder);
    const bool written = white && Write(folder / "Reflection.STR", Reflection().Get()) &&
                         Write(folder / "Refraction.STR", Refraction().Get()) &&
                         Write(folder / "Cube.STR", Cube(white).Get()) &&
                         Write(folder / "Flares.STR", Flares().Get()) &&
                         Write(folder / "LensIn.STR", Lens("LensIn", 0.4f, 0.3f).Get()) &&
                         Write(folder / "LensEdge.STR", Lens("LensEdge", 0.85f, 0.3f).Get()) &&
                         Write(folder / "LensOut.STR", Lens("LensOut", 1.3f, 0.3f).Get()) &&
                         Write(folder / "Waves.STR", Waves().Get());
    return written ? kExitSuccess : kExitFailure;
}

}  // namespace
}  // namespace zen::tool
