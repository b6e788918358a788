// `zen scene post-test FOLDER`: writes the scenes the post-render checks draw, each seen from a
// camera at the origin looking along +z (fov pi/4, near 0.5, far 100), everything below one
// scene node that carries the effect:
//   Sepia.STR      a grey (128) wall on the left half of the view, a red (255, 0, 0) one on the
//                  right, full sepia
//   Letterbox.STR  the same walls through a sepia of amount 0 with the film flag: the picture
//                  unchanged in the middle 75 % of the height, black bars above and below
//   Bloom.STR      a small white square in the middle of a black view, with bloom
//   BloomSpots.STR four white spots 0.14 across (4 pixels of 320) in a row at x -3, -1.45,
//                  0.1, 1.65 (columns about 73, 118, 163, 208: each at another place within a
//                  block of 8 pixels), with bloom shrinking the screen 8 times (bright scale 16)
//   DOF.STR        depth of field focused at 10 (range 2, falloff 10): in focus a white
//                  rectangle x -4..-1, y -2..2 at depth 10 before a black wall, its right edge
//                  at column 131 of 320; out of focus a white rectangle x 5..20, y -10..10 at
//                  depth 50, its left edge at column 189
//   Ripple.STR     the grey and red walls through ripples whose normal map (ripplenormals.bmp) leans
//                  left and right in horizontal bands, so the straight edge between them waves
//   Glow.STR       a grey wall x -20..-3 (right edge at column 73) and the bloom's white square,
//                  only the square listed as glowing
//   Film.STR       the grey wall through full sepia film: a neutral grain (grain.bmp, white)
//                  and a lines band (lines.bmp, half grey) that halves one band 5 % wide
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/core/Ptr.h"
#include "engine/modules/CodecManager.h"
#include "engine/modules/ImageCodec.h"
#include "engine/modules/SceneCodec.h"
#include "engine/scene/Bloom5PostRenderEffect.h"
#include "engine/scene/Camera.h"
#include "engine/scene/ColorEffect.h"
#include "engine/scene/CustomGlowPostRenderEffect.h"
#include "engine/scene/DOFPostRenderEffect.h"
#include "engine/scene/Image.h"
#include "engine/scene/RipplePostRenderEffect.h"
#include "engine/scene/SceneNode.h"
#include "engine/scene/SepiaFilmPostRenderEffect.h"
#include "engine/scene/SepiaPostRenderEffect.h"
#include "engine/scene/Triangles.h"
#include "engine/scene/Vector3Buffer.h"
#include "engine/vfs/File.h"
#include "zen/CommandTable.h"
#include "zen/EngineSession.h"

namespace zen::tool {
namespace {

int RunPostTest(const std::vector<std::string>& arguments);

CommandRegistration s_postTest({"scene", "post-test", "FOLDER",
                                "write Sepia.STR, Letterbox.STR, Bloom.STR, BloomSpots.STR, DOF.STR, Ripple.STR, Glow.STR and "
                                "Film.STR (with their pictures), the scenes the post-render picture checks draw",
                                &RunPostTest});

constexpr float kDepth = 10.0f;

// An upright rectangle at `depth` facing the camera, two clockwise triangles, in `color`.
Ptr<Triangles> Wall(const char* name, float left, float right, float bottom, float top, const Vector4& color,
                    float depth = kDepth)
{
    Ptr<Triangles> wall = new Triangles();
    wall->SetName(String(name));
    Ptr<Vector3Buffer> vertices = new Vector3Buffer(6);
    const Vector3 corners[6] = {{left, top, depth},     {right, top, depth},    {right, bottom, depth},
                                {left, top, depth},     {right, bottom, depth}, {left, bottom, depth}};
    for (uint32_t i = 0; i < 6; ++i)
        vertices->Data()[i] = corners[i];
    wall->SetVertices(vertices.Get());
    wall->UpdateGeometry(false, false);
    Ptr<ColorEffect> paint = new ColorEffect();
    paint->SetName(String(std::string(name) + "Paint"));
    paint->SetColor(color);
    (void)wall->SetEffect(paint.Get());
    return wall;
}

Ptr<SceneNode> Scene(const char* name, SceneNodeEffect* effect, const std::vector<Ptr<Triangles>>& walls)
{
    Ptr<SceneNode> root = new SceneNode();
    root->SetName(String(name));
    Ptr<Camera> eye = new Camera();
    eye->SetName(String("Eye"));
    eye->SetFrustum(0.7853982f, 0.5f, 100.0f);
    (void)root->AttachChild(eye.Get());
    Ptr<SceneNode> post = new SceneNode();
    post->SetName(String("Post"));
    (void)post->AddEffect(effect);
    for (const Ptr<Triangles>& wall : walls)
        (void)post->AttachChild(wall.Get());
    (void)root->AttachChild(post.Get());
    return root;
}

std::vector<Ptr<Triangles>> GreyAndRed()
{
    return {Wall("Grey", -20, 0, -20, 20, Vector4{128 / 255.0f, 128 / 255.0f, 128 / 255.0f, 1}),
            Wall("Red", 0, 20, -20, 20, Vector4{1, 0, 0, 1})};
}

// A picture saved as FOLDER/NAME.bmp; the image keeps only that file name, so the scene finds it
// beside itself.
Ptr<Texture> Picture(const std::filesystem::path& folder, const char* name, uint32_t width, uint32_t height,
                     void (*paint)(uint32_t x, uint32_t y, uint8_t* rgb))
{
    const std::string file = std::string(name) + ".bmp";
    Ptr<Image> image = new Image(String(file), Image::kR8G8B8, width, height);
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x)
            paint(x, y, image->Data() + (y * width + x) * 3);
    auto* bmp = static_cast<ImageCodec*>(CodecManager::FindCodec(String("BMPImageCodec")));
    File out{String((folder / file).string())};
    if (!bmp || bmp->Encode(&out, image.Get()) != kSuccess) {
        std::fprintf(stderr, "zen: cannot write %s\n", (folder / file).string().c_str());
        return nullptr;
    }
    image->SetFileName(String(file));
    return new Texture(String(name), image.Get());
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

int RunPostTest(const std::vector<std::string>& arguments)
{
    if (arguments.size() != 1)
        return PrintUsage(*CommandTable::Find("scene", "post-test"));
    const std::filesystem::path folder(arguments[0]);
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    EngineSession engine;
    if (!engine.Started() || !engine.LoadCodecs({"STRSceneCodec", "BMPImageCodec"}))
        return kExitFailure;

    Ptr<SepiaPostRenderEffect> sepia = new SepiaPostRenderEffect();
    sepia->SetName(String("Sepia"));
    sepia->SetAmount(1.0f);
    Ptr<SepiaPostRenderEffect> film = new SepiaPostRenderEffect();
    film->SetName(String("Film"));
    film->SetAmount(0.0f);
    film->SetFilmFlag(true);
    Ptr<Bloom5PostRenderEffect> bloom = new Bloom5PostRenderEffect();
    bloom->SetName(String("Bloom"));
    const bool written =
        Write(folder / "Sepia.STR", Scene("Sepia", sepia.Get(), GreyAndRed()).Get()) &&
        Write(folder / "Letterbox.STR", Scene("Letterbox", film.Get(), GreyAndRed()).Get()) &&
        Write(folder / "Bloom.STR",
              Scene("Bloom", bloom.Get(), {Wall("Spot", -0.25f, 0.25f, -0.25f, 0.25f, Vector4{1, 1, 1, 1})}).Get());
    if (!written)
        return kExitFailure;
    Ptr<Bloom5PostRenderEffect> spotBloom = new Bloom5PostRenderEffect();
    spotBloom->SetName(String("BloomSpots"));
    Bloom5PostRenderEffect::Parameters spotGlow;
    spotGlow.downsample = 8;
    spotGlow.brightScale = 16;
    spotBloom->SetParameters(spotGlow);
    std::vector<Ptr<Triangles>> spots;
    for (float x : {-3.0f, -1.45f, 0.1f, 1.65f})
        spots.push_back(Wall("Spot", x - 0.07f, x + 0.07f, -0.07f, 0.07f, Vector4{1, 1, 1, 1}));
    if (!Write(folder / "BloomSpots.STR", Scene("BloomSpots", spotBloom.Get(), spots).Get()))
        return kExitFailure;

    Ptr<DOFPostRenderEffect> dof = new DOFPostRenderEffect();
    dof->SetName(String("DOF"));
    dof->SetParameters({10.0f, 2.0f, 1.5f, 10.0f, 1.0f});
    const Vector4 white{1, 1, 1, 1}, black{0, 0, 0, 1};
    // Ripple normals: x leans by sin(4 pi row / 64), y level.
    Ptr<Texture> normals = Picture(folder, "ripplenormals", 64, 64, [](uint32_t, uint32_t y, uint8_t* rgb) {
        rgb[0] = static_cast<uint8_t>(std::lround(128 + 100 * std::sin(4 * 3.14159265 * y / 64)));
        rgb[1] = 128;
        rgb[2] = 255;
    });
    Ptr<Texture> lines = Picture(folder, "lines", 8, 8, [](uint32_t, uint32_t, uint8_t* rgb) {
        rgb[0] = rgb[1] = rgb[2] = 128;
    });
    Ptr<Texture> grain = Picture(folder, "grain", 8, 8, [](uint32_t, uint32_t, uint8_t* rgb) {
        rgb[0] = rgb[1] = rgb[2] = 255;
    });
    if (!normals || !lines || !grain)
        return kExitFailure;
    Ptr<RipplePostRenderEffect> ripple = new RipplePostRenderEffect();
    ripple->SetName(String("Ripple"));
    ripple->SetNormalMap(normals.Get());
    Ptr<CustomGlowPostRenderEffect> glow = new CustomGlowPostRenderEffect();
    glow->SetName(String("Glow"));
    Ptr<Triangles> spot = Wall("Spot", -0.25f, 0.25f, -0.25f, 0.25f, white);
    (void)glow->GlowNodes().Add(spot.Get());
    Ptr<SepiaFilmPostRenderEffect> old = new SepiaFilmPostRenderEffect();
    old->SetName(String("Film"));
    old->SetAmount(1.0f);
    old->SetLinesTexture(lines.Get());
    old->SetGrainTexture(grain.Get());
    const bool more =
        Write(folder / "DOF.STR",
              Scene("DOF", dof.Get(),
                    {Wall("Near", -4, -1, -2, 2, white), Wall("Backing", -20, 0, -20, 20, black, kDepth + 0.05f),
                     Wall("Far", 5, 20, -10, 10, white, 50.0f)})
                  .Get()) &&
        Write(folder / "Ripple.STR", Scene("Ripple", ripple.Get(), GreyAndRed()).Get()) &&
        Write(folder / "Glow.STR",
              Scene("Glow", glow.Get(),
                    {Wall("Grey", -20, -3, -20, 20, Vector4{128 / 255.0f, 128 / 255.0f, 128 / 255.0f, 1}), spot})
                  .Get()) &&
        Write(folder / "Film.STR",
              Scene("Film", old.Get(), {Wall("Grey", -20, 20, -20, 20, Vector4{128 / 255.0f, 128 / 255.0f, 128 / 255.0f, 1})})
                  .Get());
    return more ? kExitSuccess : kExitFailure;
}

}  // namespace
}  // namespace zen::tool
