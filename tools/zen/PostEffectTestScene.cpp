// `zen scene post-test FOLDER`: writes the scenes the post-render checks draw, each seen from a
// camera at the origin looking along +z (fov pi/4, near 0.5, far 100), everything below one
// scene node that carries the effect:
//   Sepia.STR      a grey (128) wall on the left half of the view, a red (255, 0, 0) one on the
//                  right, full sepia
//   Letterbox.STR  the same walls through a sepia of amount 0 with the film flag: the picture
//                  unchanged in the middle 75 % of the height, black bars above and below
//   Bloom.STR      a small white square in the middle of a black view, with bloom
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/core/Ptr.h"
#include "engine/modules/CodecManager.h"
#include "engine/modules/SceneCodec.h"
#include "engine/scene/Bloom5PostRenderEffect.h"
#include "engine/scene/Camera.h"
#include "engine/scene/ColorEffect.h"
#include "engine/scene/SceneNode.h"
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
                                "write Sepia.STR, Letterbox.STR and Bloom.STR, the scenes the post-render picture "
                                "checks draw",
                                &RunPostTest});

constexpr float kDepth = 10.0f;

// An upright rectangle at depth kDepth facing the camera, two clockwise triangles, in `color`.
Ptr<Triangles> Wall(const char* name, float left, float right, float bottom, float top, const Vector4& color)
{
    Ptr<Triangles> wall = new Triangles();
    wall->SetName(String(name));
    Ptr<Vector3Buffer> vertices = new Vector3Buffer(6);
    const Vector3 corners[6] = {{left, top, kDepth},     {right, top, kDepth},    {right, bottom, kDepth},
                                {left, top, kDepth},     {right, bottom, kDepth}, {left, bottom, kDepth}};
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
    if (!engine.Started() || !engine.LoadCodecs({"STRSceneCodec"}))
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
    return written ? kExitSuccess : kExitFailure;
}

}  // namespace
}  // namespace zen::tool
