// `zen scene gallery FOLDER`: one scene file per effect of the catalogue, each a lit sphere
// above a flat floor drawn with that effect, with the pictures the effect needs (made here), so
// every effect can be drawn by `zen render` and its picture checked. Seen from the camera at the
// origin looking along +z (fov pi/4, near 0.5, far 100):
//   Ball    sphere of radius 1 at (0, 0, 5); texture coordinates u around (from +x towards +z),
//           v from the top; sets 0 and 1 alike; normals and tangents (along u)
//   Floor   y = -1.5, x -6..6, z 2..40 in unit cells, the same effect (the flat reference)
//   Sun     directional light shining along (1, -0.3, 0.4): the sphere's left side is lit
//   Lamp    point light at (-1.5, 1.2, 3.5) (the 1DL1PL effects)
// Pictures: base.bmp (a light two-tone checker), normal.bmp (a normal map of round bumps),
// light.bmp (a light map, bright at the top), gloss.bmp, caustic.bmp and sky.cube (a cube map,
// one plain colour per face: +x red, -x green, +y blue, -y yellow, +z magenta, -z cyan).
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "engine/core/Ptr.h"
#include "engine/modules/CodecManager.h"
#include "engine/modules/ImageCodec.h"
#include "engine/modules/SceneCodec.h"
#include "engine/scene/Camera.h"
#include "engine/scene/CubeTexture.h"
#include "zen/GalleryEffects.h"
#include "zen/GalleryNatureEffects.h"
#include "engine/scene/Image.h"
#include "engine/scene/IntBuffer.h"
#include "engine/scene/Light.h"
#include "engine/scene/SceneNode.h"
#include "engine/scene/Texture.h"
#include "engine/scene/Triangles.h"
#include "engine/scene/Vector2Buffer.h"
#include "engine/scene/Vector3Buffer.h"
#include "engine/scene/VolumeImage.h"
#include "engine/vfs/File.h"
#include "zen/CommandTable.h"
#include "zen/ContactSheet.h"
#include "zen/EngineSession.h"

namespace zen::tool {
namespace {

int RunGallery(const std::vector<std::string>& arguments);

CommandRegistration s_gallery({"scene", "gallery", "FOLDER [--sheet [--size WxH] [--renderer NAME]]",
                               "write a scene per effect of the catalogue (a lit sphere above a floor) and the "
                               "pictures they use; with --sheet also draw each with the renderer and lay them out "
                               "on FOLDER/gallery.png",
                               &RunGallery});

constexpr float kPi = 3.14159265f;
constexpr uint32_t kSide = 64;           // Flat pictures.
constexpr uint32_t kCubeSide = 32;       // Each cube face.
constexpr uint32_t kSegments = 40, kRings = 24;
constexpr int kSheetColumns = 6;

// --- Pictures -----------------------------------------------------------------------------------

using Pixel = std::function<void(uint32_t x, uint32_t y, uint8_t* rgb)>;

Ptr<Image> Paint(const char* name, const Pixel& pixel)
{
    Ptr<Image> image = new Image(String(name), Image::kR8G8B8, kSide, kSide);
    for (uint32_t y = 0; y < kSide; ++y)
        for (uint32_t x = 0; x < kSide; ++x)
            pixel(x, y, image->Data() + (y * kSide + x) * 3);
    return image;
}

void Put(uint8_t* rgb, float r, float g, float b)
{
    auto byte = [](float v) { return static_cast<uint8_t>(std::lround(std::fmin(std::fmax(v, 0.0f), 1.0f) * 255)); };
    rgb[0] = byte(r);
    rgb[1] = byte(g);
    rgb[2] = byte(b);
}

Ptr<Image> MakeBase()
{
    return Paint("base.bmp", [](uint32_t x, uint32_t y, uint8_t* rgb) {
        const bool light = ((x / 8) + (y / 8)) % 2 == 0;
        light ? Put(rgb, 0.95f, 0.85f, 0.7f) : Put(rgb, 0.8f, 0.7f, 0.55f);
    });
}

// Round bumps, one per 16 x 16 tile: a height h = cos^2 of the distance from the tile's centre,
// its slopes turned into unit normals stored as n x 0.5 + 0.5.
Ptr<Image> MakeNormalMap()
{
    return Paint("normal.bmp", [](uint32_t x, uint32_t y, uint8_t* rgb) {
        const float dx = (static_cast<float>(x % 16) + 0.5f - 8) / 8, dy = (static_cast<float>(y % 16) + 0.5f - 8) / 8;
        const float r = std::sqrt(dx * dx + dy * dy);
        float sx = 0, sy = 0;
        if (r < 1) {
            const float slope = -2.0f * std::sin(r * kPi / 2) * std::cos(r * kPi / 2) * (kPi / 2) * 0.8f;
            sx = r > 0 ? slope * dx / r : 0;
            sy = r > 0 ? slope * dy / r : 0;
        }
        const float length = std::sqrt(sx * sx + sy * sy + 1);
        Put(rgb, -sx / length * 0.5f + 0.5f, -sy / length * 0.5f + 0.5f, 1 / length * 0.5f + 0.5f);
    });
}

// Rows bottom-up: bright at the top of the picture (v = 0), dim at the bottom.
Ptr<Image> MakeLightMap()
{
    return Paint("light.bmp", [](uint32_t, uint32_t y, uint8_t* rgb) {
        const float t = 0.25f + 0.75f * static_cast<float>(y) / (kSide - 1);
        Put(rgb, t, t, t * 0.9f);
    });
}

// Gloss in stripes: shiny and matt bands along u.
Ptr<Image> MakeGlossMap()
{
    return Paint("gloss.bmp", [](uint32_t x, uint32_t, uint8_t* rgb) {
        const float g = (x / 8) % 2 == 0 ? 1.0f : 0.15f;
        Put(rgb, g, g, g);
    });
}

// A caustic: bright wavy lines on black.
Ptr<Image> MakeCaustic()
{
    return Paint("caustic.bmp", [](uint32_t x, uint32_t y, uint8_t* rgb) {
        const float u = static_cast<float>(x) / kSide * 2 * kPi, v = static_cast<float>(y) / kSide * 2 * kPi;
        const float c = std::pow(std::fabs(std::sin(u * 2 + std::sin(v * 3))), 8.0f);
        Put(rgb, c, c, c);
    });
}

Ptr<VolumeImage> MakeSky()
{
    Ptr<VolumeImage> image = new VolumeImage(String("sky.cube"), Image::kR8G8B8, kCubeSide, kCubeSide, 6);
    const float colors[6][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {1, 1, 0}, {1, 0, 1}, {0, 1, 1}};
    for (uint32_t face = 0; face < 6; ++face) {
        uint8_t* slice = image->Slice(face);
        for (uint32_t i = 0; i < kCubeSide * kCubeSide && slice; ++i)
            Put(slice + i * 3, colors[face][0], colors[face][1], colors[face][2]);
    }
    return image;
}

// --- Geometry -----------------------------------------------------------------------------------

struct MeshData {
    std::vector<Vector3> positions, normals, tangents;
    std::vector<Vector2> coords;
    std::vector<int32_t> indices;
};

Vector3 Sub(const Vector3& a, const Vector3& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vector3 Cross(const Vector3& a, const Vector3& b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
float Dot(const Vector3& a, const Vector3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

// Appends the triangle so that it faces along `outward` (clockwise as seen from there, the way
// the device draws front faces).
void AddTriangle(MeshData& mesh, int32_t a, int32_t b, int32_t c, const Vector3& outward)
{
    const Vector3 face = Cross(Sub(mesh.positions[b], mesh.positions[a]), Sub(mesh.positions[c], mesh.positions[a]));
    if (Dot(face, outward) >= 0)
        mesh.indices.insert(mesh.indices.end(), {a, b, c});
    else
        mesh.indices.insert(mesh.indices.end(), {a, c, b});
}

Ptr<Triangles> Build(const char* name, const MeshData& data)
{
    const uint32_t count = static_cast<uint32_t>(data.positions.size());
    Ptr<Triangles> mesh = new Triangles();
    mesh->SetName(String(name));
    Ptr<Vector3Buffer> vertices = new Vector3Buffer(count), normals = new Vector3Buffer(count),
                       tangents = new Vector3Buffer(count);
    Ptr<Vector2Buffer> coords0 = new Vector2Buffer(count), coords1 = new Vector2Buffer(count);
    Ptr<IntBuffer> indices = new IntBuffer(static_cast<uint32_t>(data.indices.size()));
    for (uint32_t i = 0; i < count; ++i) {
        vertices->Data()[i] = data.positions[i];
        normals->Data()[i] = data.normals[i];
        tangents->Data()[i] = data.tangents[i];
        coords0->Data()[i] = coords1->Data()[i] = data.coords[i];
    }
    for (size_t i = 0; i < data.indices.size(); ++i)
        indices->Data()[i] = data.indices[i];
    mesh->SetVertices(vertices.Get());
    mesh->SetNormals(normals.Get());
    mesh->SetTangents(tangents.Get());
    (void)mesh->SetTexCoords(0, coords0.Get());
    (void)mesh->SetTexCoords(1, coords1.Get());
    mesh->SetIndices(indices.Get());
    mesh->UpdateGeometry(false, false);
    return mesh;
}

Ptr<Triangles> MakeBall()
{
    MeshData mesh;
    for (uint32_t ring = 0; ring <= kRings; ++ring) {
        const float theta = kPi * static_cast<float>(ring) / kRings;
        for (uint32_t segment = 0; segment <= kSegments; ++segment) {
            const float phi = 2 * kPi * static_cast<float>(segment) / kSegments;
            const Vector3 n{std::sin(theta) * std::cos(phi), std::cos(theta), std::sin(theta) * std::sin(phi)};
            mesh.positions.push_back(n);
            mesh.normals.push_back(n);
            mesh.tangents.push_back(Vector3{-std::sin(phi), 0, std::cos(phi)});
            mesh.coords.push_back(Vector2{2.0f * static_cast<float>(segment) / kSegments,
                                          static_cast<float>(ring) / kRings});
        }
    }
    const uint32_t row = kSegments + 1;
    for (uint32_t ring = 0; ring < kRings; ++ring)
        for (uint32_t segment = 0; segment < kSegments; ++segment) {
            const int32_t a = static_cast<int32_t>(ring * row + segment), b = a + 1;
            const int32_t c = a + static_cast<int32_t>(row), d = c + 1;
            const Vector3 outward = mesh.normals[static_cast<size_t>(a)];
            const Vector3 mid{outward.x + mesh.normals[static_cast<size_t>(d)].x,
                              outward.y + mesh.normals[static_cast<size_t>(d)].y,
                              outward.z + mesh.normals[static_cast<size_t>(d)].z};
            if (ring != 0)
                AddTriangle(mesh, a, b, d, mid);
            if (ring != kRings - 1)
                AddTriangle(mesh, a, d, c, mid);
        }
    Ptr<Triangles> ball = Build("Ball", mesh);
    ball->LocalTransform().SetTranslation(Vector3{0, 0, 5});
    return ball;
}

// A grid of unit cells, so that what is computed per vertex (fog, the point light) follows
// the distance closely enough to be measured.
Ptr<Triangles> MakeFloor()
{
    MeshData mesh;
    constexpr int32_t kLeft = -6, kRight = 6, kNear = 2, kFar = 40;
    constexpr int32_t kColumns = kRight - kLeft + 1;
    for (int32_t z = kNear; z <= kFar; ++z)
        for (int32_t x = kLeft; x <= kRight; ++x) {
            const float fx = static_cast<float>(x), fz = static_cast<float>(z);
            mesh.positions.push_back(Vector3{fx, -1.5f, fz});
            mesh.normals.push_back(Vector3{0, 1, 0});
            mesh.tangents.push_back(Vector3{1, 0, 0});
            mesh.coords.push_back(Vector2{fx / 2, fz / 2});
        }
    for (int32_t row = 0; row < kFar - kNear; ++row)
        for (int32_t column = 0; column < kColumns - 1; ++column) {
            const int32_t a = row * kColumns + column, b = a + 1, c = a + kColumns, d = c + 1;
            AddTriangle(mesh, a, b, d, Vector3{0, 1, 0});
            AddTriangle(mesh, a, d, c, Vector3{0, 1, 0});
        }
    return Build("Floor", mesh);
}

// --- Scenes -------------------------------------------------------------------------------------

bool WritePicture(const std::filesystem::path& folder, Image* image, const char* codecName)
{
    auto* codec = static_cast<ImageCodec*>(CodecManager::FindCodec(String(codecName)));
    const std::string path = (folder / image->Name().Std()).string();
    File file{String(path)};
    if (!codec || codec->Encode(&file, image) != kSuccess) {
        std::fprintf(stderr, "zen: cannot write %s\n", path.c_str());
        return false;
    }
    // Saved with the file's name only: the renderer finds it next to the scene.
    image->SetFileName(image->Name());
    std::printf("wrote %s\n", path.c_str());
    return true;
}

Ptr<SceneNode> BuildScene(const GalleryEffects::Entry& entry, const GalleryEffects::Assets& assets)
{
    Ptr<SceneNode> root = new SceneNode();
    root->SetName(String(entry.name));
    Ptr<Camera> eye = new Camera();
    eye->SetName(String("Eye"));
    eye->SetFrustum(0.7853982f, 0.5f, 100.0f);
    Ptr<Triangles> ball = MakeBall(), floor = MakeFloor();
    Ptr<Node> holder = entry.build(assets, ball.Get(), floor.Get());
    Node* children[] = {eye.Get(), assets.sun, assets.lamp, holder ? holder.Get() : nullptr};
    for (Node* child : children)
        if (child)
            (void)root->AttachChild(child);
    return root;
}

bool WriteScenes(const std::filesystem::path& folder)
{
    EngineSession engine;
    if (!engine.Started() || !engine.LoadCodecs({"STRSceneCodec", "BMPImageCodec", "CUBEImageCodec"}))
        return false;

    Ptr<Image> base = MakeBase(), normal = MakeNormalMap(), light = MakeLightMap(), gloss = MakeGlossMap(),
               caustic = MakeCaustic();
    Ptr<VolumeImage> sky = MakeSky();
    Ptr<Image> waves = GalleryNatureEffects::MakeWaves(), clouds = GalleryNatureEffects::MakeCloudDensity(),
               lava = GalleryNatureEffects::MakeLavaPicture();
    for (Image* image : {waves.Get(), clouds.Get(), lava.Get()})
        if (!WritePicture(folder, image, "BMPImageCodec"))
            return kExitFailure;
    for (Image* image : {base.Get(), normal.Get(), light.Get(), gloss.Get(), caustic.Get()})
        if (!WritePicture(folder, image, "BMPImageCodec"))
            return false;
    if (!WritePicture(folder, sky.Get(), "CUBEImageCodec"))
        return false;

    Ptr<Light> sun = new Light(Light::kDirectional);
    sun->SetName(String("Sun"));
    sun->SetColors(Vector4{0.3f, 0.3f, 0.3f, 1}, Vector4{1, 1, 1, 1}, Vector4{1, 1, 1, 1});
    (void)sun->SetDirection(Vector3{1, -0.3f, 0.4f});
    Ptr<Light> lamp = new Light(Light::kPoint);
    lamp->SetName(String("Lamp"));
    lamp->SetColors(Vector4{0, 0, 0, 1}, Vector4{1, 0.6f, 0.3f, 1}, Vector4{1, 0.8f, 0.6f, 1});
    lamp->SetAttenuation(Vector3{1, 0.3f, 0}, true);
    lamp->LocalTransform().SetTranslation(Vector3{-1.5f, 1.2f, 3.5f});

    GalleryEffects::Assets assets;
    Ptr<Texture> baseTexture = new Texture(String("Base"), base.Get());
    Ptr<Texture> normalTexture = new Texture(String("Normal map"), normal.Get());
    Ptr<Texture> lightTexture = new Texture(String("Light map"), light.Get());
    Ptr<Texture> glossTexture = new Texture(String("Gloss map"), gloss.Get());
    Ptr<Texture> causticTexture = new Texture(String("Caustic"), caustic.Get());
    Ptr<CubeTexture> skyTexture = new CubeTexture(String("Sky"), sky.Get());
    assets.base = baseTexture.Get();
    assets.normal = normalTexture.Get();
    assets.light = lightTexture.Get();
    assets.gloss = glossTexture.Get();
    assets.caustic = causticTexture.Get();
    Ptr<Texture> wavesTexture = new Texture(String("Waves"), waves.Get());
    Ptr<Texture> cloudsTexture = new Texture(String("Cloud density"), clouds.Get());
    Ptr<Texture> lavaTexture = new Texture(String("Lava"), lava.Get());
    assets.waves = wavesTexture.Get();
    assets.clouds = cloudsTexture.Get();
    assets.lava = lavaTexture.Get();
    assets.sky = skyTexture.Get();
    assets.sun = sun.Get();
    assets.lamp = lamp.Get();

    auto* codec = static_cast<SceneCodec*>(CodecManager::FindCodec(String("STRSceneCodec")));
    for (const GalleryEffects::Entry& entry : GalleryEffects::Entries()) {
        Ptr<SceneNode> root = BuildScene(entry, assets);
        const std::string scene = (folder / (std::string(entry.name) + ".STR")).string();
        File file{String(scene)};
        if (codec->Save(&file, root.Get()) != kSuccess) {
            std::fprintf(stderr, "zen: cannot write %s\n", scene.c_str());
            return false;
        }
        std::printf("wrote %s\n", scene.c_str());
    }
    return true;
}

// Each scene drawn by `zen render` with the renderer this tool runs with (the best technique
// the device takes), the pictures laid out on FOLDER/gallery.png.
bool DrawSheet(const std::filesystem::path& folder, int width, int height, const std::string& renderer)
{
    const Command* render = CommandTable::Find("render", "");
    const std::vector<GalleryEffects::Entry>& entries = GalleryEffects::Entries();
    ContactSheet sheet(static_cast<int>(entries.size()), kSheetColumns, width, height);
    for (size_t i = 0; i < entries.size(); ++i) {
        const std::string name = entries[i].name;
        const std::filesystem::path scene = folder / (name + ".STR"), picture = folder / (name + ".bmp");
        std::vector<std::string> words = {scene.string(), "--frames", "3", "--size",
                                          std::to_string(width) + "x" + std::to_string(height), "--shot",
                                          picture.string()};
        if (!renderer.empty())
            words.insert(words.end(), {"--renderer", renderer});
        if (!render || render->run(words) != kExitSuccess) {
            std::fprintf(stderr, "zen: the scene %s could not be drawn\n", name.c_str());
            return false;
        }
        if (!sheet.Add(static_cast<int>(i), name, picture)) {
            std::fprintf(stderr, "zen: the picture of %s cannot be read\n", name.c_str());
            return false;
        }
    }
    if (!sheet.Write(folder / "gallery.png")) {
        std::fprintf(stderr, "zen: cannot write %s\n", (folder / "gallery.png").string().c_str());
        return false;
    }
    std::printf("%zu scenes drawn, laid out on %s\n", entries.size(), (folder / "gallery.png").string().c_str());
    return true;
}

int RunGallery(const std::vector<std::string>& arguments)
{
    std::string folderName, renderer;
    bool sheet = false;
    int width = 200, height = 150;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& word = arguments[i];
        if (word == "--sheet") {
            sheet = true;
        } else if (word == "--size" && i + 1 < arguments.size()) {
            if (std::sscanf(arguments[++i].c_str(), "%dx%d", &width, &height) != 2 || width < 64 || height < 48 ||
                width > 2048 || height > 2048)
                return PrintUsage(*CommandTable::Find("scene", "gallery"));
        } else if (word == "--renderer" && i + 1 < arguments.size()) {
            renderer = arguments[++i];
        } else if (folderName.empty() && !word.empty() && word[0] != '-') {
            folderName = word;
        } else {
            return PrintUsage(*CommandTable::Find("scene", "gallery"));
        }
    }
    if (folderName.empty())
        return PrintUsage(*CommandTable::Find("scene", "gallery"));
    const std::filesystem::path folder(folderName);
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (!WriteScenes(folder))
        return kExitFailure;
    return !sheet || DrawSheet(folder, width, height, renderer) ? kExitSuccess : kExitFailure;
}

}  // namespace
}  // namespace zen::tool
