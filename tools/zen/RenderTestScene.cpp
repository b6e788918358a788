// `zen scene render-test FOLDER`: writes the scene the renderer's end-to-end checks draw
// (RenderTest.STR and its picture checker.bmp). Everything is placed so that a picture of it
// can be checked pixel by pixel: seen from the camera at the origin looking along +z
// (fov pi/4, near 0.5, far 100):
//   Floor       a green plane, y = -1.2, x -8..8, z 3..40 (colour effect)
//   Cube        a cube of side 1.6 at (-1.6, -0.2, 6), each face the checker picture: red top
//               left, green top right, blue bottom left, yellow bottom right (texture effect)
//   NearGlass   red, alpha 0.5, x 0.6..1.6, y 0..1 at z 5 (blended; listed before FarGlass)
//   FarGlass    blue, alpha 0.5, x 1.0..2.4, y 0.3..1.7 at z 7 (blended)
//   Behind      magenta, behind the camera (z -5): outside the view
//   Ghost       magenta, x -0.5..0.5, y 0.8..1.6 at z 6, in view, but its world bound is not
//               kept up to date and stays a point at the origin, behind the near plane: the
//               culling must drop it
//   Sun         a directional light; Eye, the camera.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/core/Ptr.h"
#include "engine/modules/CodecManager.h"
#include "engine/modules/ImageCodec.h"
#include "engine/modules/SceneCodec.h"
#include "engine/scene/Camera.h"
#include "engine/scene/ColorEffect.h"
#include "engine/scene/Image.h"
#include "engine/scene/IntBuffer.h"
#include "engine/scene/Light.h"
#include "engine/scene/SceneNode.h"
#include "engine/scene/Texture.h"
#include "engine/scene/TextureEffect.h"
#include "engine/scene/Triangles.h"
#include "engine/scene/Vector2Buffer.h"
#include "engine/scene/Vector3Buffer.h"
#include "engine/vfs/File.h"
#include "zen/CommandTable.h"
#include "zen/EngineSession.h"

namespace zen::tool {
namespace {

int RunRenderTest(const std::vector<std::string>& arguments);

CommandRegistration s_renderTest({"scene", "render-test", "FOLDER",
                                  "write RenderTest.STR and checker.bmp, the scene the renderer's picture checks draw",
                                  &RunRenderTest});

constexpr uint32_t kCheckerSide = 64;

// Four quadrants as the picture is seen: red top left, green top right, blue bottom left,
// yellow bottom right. Image rows run bottom-up.
Ptr<Image> MakeChecker()
{
    Ptr<Image> image = new Image(String("checker.bmp"), Image::kR8G8B8, kCheckerSide, kCheckerSide);
    for (uint32_t row = 0; row < kCheckerSide; ++row) {
        const bool top = row >= kCheckerSide / 2;
        for (uint32_t x = 0; x < kCheckerSide; ++x) {
            const bool left = x < kCheckerSide / 2;
            uint8_t* pixel = image->Data() + (row * kCheckerSide + x) * 3;
            const uint8_t rgb[4][3] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 0}};
            const int quadrant = (top ? 0 : 2) + (left ? 0 : 1);
            pixel[0] = rgb[quadrant][0];
            pixel[1] = rgb[quadrant][1];
            pixel[2] = rgb[quadrant][2];
        }
    }
    return image;
}

// Geometry from corner lists: each face four corners given clockwise as seen from its front
// (the device draws clockwise faces), with the picture upright: (u, v) = (0, 0) at the first
// corner (top left), then top right, bottom right, bottom left.
Ptr<Triangles> MakeFaces(const char* name, const std::vector<Vector3>& corners, bool textured)
{
    Ptr<Triangles> mesh = new Triangles();
    mesh->SetName(String(name));
    const uint32_t faces = static_cast<uint32_t>(corners.size() / 4);
    Ptr<Vector3Buffer> vertices = new Vector3Buffer(faces * 4);
    Ptr<Vector2Buffer> coords = new Vector2Buffer(faces * 4);
    Ptr<IntBuffer> indices = new IntBuffer(faces * 6);
    const Vector2 uv[4] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    for (uint32_t f = 0; f < faces; ++f) {
        for (uint32_t c = 0; c < 4; ++c) {
            vertices->Data()[f * 4 + c] = corners[f * 4 + c];
            coords->Data()[f * 4 + c] = uv[c];
        }
        const int32_t base = static_cast<int32_t>(f * 4);
        const int32_t triangles[6] = {base, base + 1, base + 2, base, base + 2, base + 3};
        for (uint32_t i = 0; i < 6; ++i)
            indices->Data()[f * 6 + i] = triangles[i];
    }
    mesh->SetVertices(vertices.Get());
    if (textured)
        (void)mesh->SetTexCoords(0, coords.Get());
    mesh->SetIndices(indices.Get());
    mesh->UpdateGeometry(false, false);
    return mesh;
}

// An upright rectangle facing the camera (-z) at depth z.
Ptr<Triangles> MakeWall(const char* name, float left, float right, float bottom, float top, float z)
{
    return MakeFaces(name, {{left, top, z}, {right, top, z}, {right, bottom, z}, {left, bottom, z}}, false);
}

Ptr<Triangles> MakeCube(const char* name, float half)
{
    const float h = half;
    // Front (-z), back (+z), left (-x), right (+x), top (+y), bottom (-y); each seen from outside.
    return MakeFaces(name,
                     {{-h, h, -h}, {h, h, -h},  {h, -h, -h}, {-h, -h, -h},   // front
                      {h, h, h},   {-h, h, h},  {-h, -h, h}, {h, -h, h},     // back
                      {-h, h, h},  {-h, h, -h}, {-h, -h, -h}, {-h, -h, h},   // left
                      {h, h, -h},  {h, h, h},   {h, -h, h},  {h, -h, -h},    // right
                      {-h, h, h},  {h, h, h},   {h, h, -h},  {-h, h, -h},    // top
                      {-h, -h, -h}, {h, -h, -h}, {h, -h, h}, {-h, -h, h}},  // bottom
                     true);
}

void Paint(Triangles& mesh, const Vector4& color, bool blended)
{
    Ptr<ColorEffect> effect = new ColorEffect();
    effect->SetName(String(mesh.Name().Std() + "Paint"));
    effect->SetColor(color);
    (void)effect->SetBlending(blended, RenderState::kBlendSourceAlpha, RenderState::kBlendInverseSourceAlpha);
    (void)mesh.SetEffect(effect.Get());
}

Ptr<SceneNode> BuildScene(Image* checker)
{
    Ptr<SceneNode> root = new SceneNode();
    root->SetName(String("RenderTest"));

    Ptr<Camera> eye = new Camera();
    eye->SetName(String("Eye"));
    eye->SetFrustum(0.7853982f, 0.5f, 100.0f);
    Ptr<Light> sun = new Light(Light::kDirectional);
    sun->SetName(String("Sun"));
    sun->SetColors(Vector4{0.2f, 0.2f, 0.2f, 1}, Vector4{1, 1, 1, 1}, Vector4{1, 1, 1, 1});
    (void)sun->SetDirection(Vector3{0.3f, -1, 0.5f});

    Ptr<Triangles> floor = MakeFaces("Floor", {{-8, -1.2f, 40}, {8, -1.2f, 40}, {8, -1.2f, 3}, {-8, -1.2f, 3}}, false);
    Paint(*floor, Vector4{0.2f, 0.6f, 0.2f, 1}, false);

    Ptr<Triangles> cube = MakeCube("Cube", 0.8f);
    cube->LocalTransform().SetTranslation(Vector3{-1.6f, -0.2f, 6});
    Ptr<Texture> texture = new Texture(String("Checker"), checker);
    Ptr<TextureEffect> textured = new TextureEffect();
    textured->SetName(String("CubeTexture"));
    textured->SetTexture(texture.Get());
    (void)cube->SetEffect(textured.Get());

    Ptr<Triangles> nearGlass = MakeWall("NearGlass", 0.6f, 1.6f, 0, 1, 5);
    Paint(*nearGlass, Vector4{1, 0, 0, 0.5f}, true);
    Ptr<Triangles> farGlass = MakeWall("FarGlass", 1.0f, 2.4f, 0.3f, 1.7f, 7);
    Paint(*farGlass, Vector4{0, 0, 1, 0.5f}, true);

    Ptr<Triangles> behind = MakeWall("Behind", -1, 1, -1, 1, -5);
    Paint(*behind, Vector4{1, 0, 1, 1}, false);
    Ptr<Triangles> ghost = MakeWall("Ghost", -0.5f, 0.5f, 0.8f, 1.6f, 6);
    Paint(*ghost, Vector4{1, 0, 1, 1}, false);
    ghost->SetUpdateWorldBound(false);

    Node* children[] = {eye.Get(), sun.Get(), floor.Get(), cube.Get(), nearGlass.Get(), farGlass.Get(),
                        behind.Get(), ghost.Get()};
    for (Node* child : children)
        (void)root->AttachChild(child);
    return root;
}

int RunRenderTest(const std::vector<std::string>& arguments)
{
    if (arguments.size() != 1)
        return PrintUsage(*CommandTable::Find("scene", "render-test"));
    const std::filesystem::path folder(arguments[0]);
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    EngineSession engine;
    if (!engine.Started() || !engine.LoadCodecs({"STRSceneCodec", "BMPImageCodec"}))
        return kExitFailure;
    Ptr<Image> checker = MakeChecker();
    const std::string picture = (folder / "checker.bmp").string();
    const std::string scene = (folder / "RenderTest.STR").string();
    {
        auto* bmp = static_cast<ImageCodec*>(CodecManager::FindCodec(String("BMPImageCodec")));
        File file{String(picture)};
        if (bmp->Encode(&file, checker.Get()) != kSuccess) {
            std::fprintf(stderr, "zen: cannot write %s\n", picture.c_str());
            return kExitFailure;
        }
    }
    // Saved with the file's name only: the renderer finds it next to the scene.
    checker->SetFileName(String("checker.bmp"));
    Ptr<SceneNode> root = BuildScene(checker.Get());
    auto* codec = static_cast<SceneCodec*>(CodecManager::FindCodec(String("STRSceneCodec")));
    File file{String(scene)};
    if (codec->Save(&file, root.Get()) != kSuccess) {
        std::fprintf(stderr, "zen: cannot write %s\n", scene.c_str());
        return kExitFailure;
    }
    std::printf("wrote %s\nwrote %s\n", scene.c_str(), picture.c_str());
    return kExitSuccess;
}

}  // namespace
}  // namespace zen::tool
