// `zen content gallery FOLDER [--size WxH] [--renderer NAME] [--media ARCHIVE]`: every camera shot
// of the shipped scene drawn at its middle, and a contact sheet of them. The scene is built as for
// the media archive (or, with --media, read from a media archive already built, which is much
// quicker: its scene and files are extracted into FOLDER); for each shot a copy of the scene file whose director holds that shot alone goes into
// FOLDER (beside the pictures), `zen render` draws it with a fixed time step from the shot's
// middle, and the frames are laid out, labelled, on FOLDER/gallery.png.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "engine/anim/ScreensaverController.h"
#include "engine/core/Array.h"
#include "engine/modules/CodecManager.h"
#include "engine/modules/SceneCodec.h"
#include "engine/scene/Camera.h"
#include "engine/vfs/File.h"
#include "tools/scene/LighthouseScene.h"
#include "tools/scene/MediaSet.h"
#include "tools/scene/Shots.h"
#include "zen/CommandTable.h"
#include "zen/ContactSheet.h"
#include "zen/EngineSession.h"

namespace zen::tool {
namespace {

namespace fs = std::filesystem;

int RunGallery(const std::vector<std::string>& arguments);

CommandRegistration s_gallery({"content", "gallery", "FOLDER [--size WxH] [--renderer NAME] [--media ARCHIVE]",
                               "draw every camera shot of the scene at its middle into FOLDER and lay them out on "
                               "FOLDER/gallery.png; --media takes the scene from a media archive instead of building it",
                               &RunGallery});

constexpr int kColumns = 3;
constexpr const char* kMainScene = "Main.STR";  // The scene's file in the media archive.
constexpr double kStep = 1.0 / 30.0;

bool WriteBytes(const fs::path& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

// The scene of a media archive extracted into `folder`.
bool ReadMediaScene(const fs::path& folder, Ptr<SceneNode>& root)
{
    Ptr<Object> loaded;
    const std::string main = (folder / kMainScene).string();
    if (ReadSceneFile(main, loaded) != kSuccess || !loaded || !loaded->IsDerivedFrom(&SceneNode::TYPE)) {
        std::fprintf(stderr, "zen: %s of the media archive is not a readable scene (see the log)\n", kMainScene);
        return false;
    }
    root = static_cast<SceneNode*>(loaded.Get());
    return true;
}

// The scene built anew, with the pictures and texts it names written into `folder`.
bool BuildScene(const fs::path& folder, Ptr<SceneNode>& root)
{
    std::vector<Ptr<Image>> pictures;
    std::vector<scene::Messages::Text> texts;
    if (scene::LighthouseScene::Build(root, pictures, nullptr, &texts) != kSuccess) {
        std::fprintf(stderr, "zen: the scene could not be made (see the log)\n");
        return false;
    }
    for (const Ptr<Image>& picture : pictures) {
        std::vector<uint8_t> bytes;
        if (scene::MediaSet::EncodePicture(*picture, bytes) != kSuccess || !WriteBytes(folder / picture->FileName().Std(), bytes)) {
            std::fprintf(stderr, "zen: cannot write %s\n", picture->FileName().CStr());
            return false;
        }
    }
    for (const scene::Messages::Text& text : texts) {
        if (!WriteBytes(folder / text.name, std::vector<uint8_t>(text.bytes.begin(), text.bytes.end()))) {
            std::fprintf(stderr, "zen: cannot write %s\n", text.name.c_str());
            return false;
        }
    }
    return true;
}

// The scene files of the shots, each with a director that plays that shot alone, and the
// files they name.
bool WriteShotScenes(const fs::path& folder, bool fromMedia)
{
    EngineSession engine;
    if (!engine.Started() ||
        !engine.LoadCodecs({"STRSceneCodec", "TGAImageCodec", "JPGImageCodec", "BMPImageCodec", "CUBEImageCodec"}))
        return false;
    Ptr<SceneNode> root;
    if (!(fromMedia ? ReadMediaScene(folder, root) : BuildScene(folder, root)))
        return false;
    Array<Object*> found;
    root->CollectByType(&ScreensaverController::TYPE, found);
    if (found.Count() != 1 || static_cast<ScreensaverController*>(found[0])->SetCount() != scene::Shots::All().size()) {
        std::fprintf(stderr, "zen: the scene has no director with a set for each shot\n");
        return false;
    }
    Ptr<ScreensaverController> director = static_cast<ScreensaverController*>(found[0]);
    auto* codec = static_cast<SceneCodec*>(CodecManager::FindCodec(String("STRSceneCodec")));
    for (uint32_t i = 0; i < director->SetCount(); ++i) {
        const ScreensaverController::Set* set = director->GetSet(i);
        Ptr<ScreensaverController> single = new ScreensaverController();
        single->SetName(String("Director"));
        if (single->AddSet(set->camera.Get(), set->fadeInStart, set->duration) != kSuccess ||
            root->RemoveControllers() != kSuccess || root->SetController(single.Get()) != kSuccess)
            return false;
        const fs::path path = folder / (scene::Shots::All()[i].name + std::string(".STR"));
        File file{String(path.string().c_str())};
        if (codec->Save(&file, root.Get()) != kSuccess) {
            std::fprintf(stderr, "zen: cannot write %s\n", path.string().c_str());
            return false;
        }
    }
    (void)root->RemoveControllers();
    (void)root->SetController(director.Get());
    return true;
}

int RunGallery(const std::vector<std::string>& arguments)
{
    std::string folderName, renderer, media;
    int width = 640, height = 480;
    for (size_t i = 0; i < arguments.size(); ++i) {
        if (arguments[i] == "--size" && i + 1 < arguments.size()) {
            if (std::sscanf(arguments[++i].c_str(), "%dx%d", &width, &height) != 2 || width < 64 || height < 48 ||
                width > 4096 || height > 4096)
                return PrintUsage(*CommandTable::Find("content", "gallery"));
        } else if (arguments[i] == "--renderer" && i + 1 < arguments.size()) {
            renderer = arguments[++i];
        } else if (arguments[i] == "--media" && i + 1 < arguments.size()) {
            media = arguments[++i];
        } else if (folderName.empty() && !arguments[i].empty() && arguments[i][0] != '-') {
            folderName = arguments[i];
        } else {
            return PrintUsage(*CommandTable::Find("content", "gallery"));
        }
    }
    if (folderName.empty())
        return PrintUsage(*CommandTable::Find("content", "gallery"));
    const fs::path folder(folderName);
    std::error_code code;
    fs::create_directories(folder, code);
    if (!fs::is_directory(folder)) {
        std::fprintf(stderr, "zen: cannot create the folder %s\n", folderName.c_str());
        return kExitFailure;
    }
    // The archive's files go into the folder before the engine starts for the scene (the
    // extraction runs an engine session of its own).
    const Command* extract = CommandTable::Find("rar", "extract");
    if (!media.empty() && (!extract || extract->run({media, folderName}) != kExitSuccess)) {
        std::fprintf(stderr, "zen: the media archive %s could not be extracted\n", media.c_str());
        return kExitFailure;
    }
    if (!WriteShotScenes(folder, !media.empty()))
        return kExitFailure;

    const Command* render = CommandTable::Find("render", "");
    const std::vector<scene::Shots::Shot>& shots = scene::Shots::All();
    ContactSheet sheet(static_cast<int>(shots.size()), kColumns, width / 2, height / 2);
    for (size_t i = 0; i < shots.size(); ++i) {
        const std::string name = shots[i].name;
        const fs::path scenePath = folder / (name + ".STR"), shotPath = folder / (name + ".bmp");
        std::vector<std::string> words = {scenePath.string(), "--frames", "2", "--size",
                                          std::to_string(width) + "x" + std::to_string(height), "--shot",
                                          shotPath.string(), "--step", std::to_string(kStep), "--start",
                                          std::to_string(0.5 * shots[i].seconds - kStep)};
        if (!renderer.empty()) {
            words.push_back("--renderer");
            words.push_back(renderer);
        }
        if (render->run(words) != kExitSuccess) {
            std::fprintf(stderr, "zen: the shot %s could not be drawn\n", name.c_str());
            return kExitFailure;
        }
        if (!sheet.Add(static_cast<int>(i), name, shotPath)) {
            std::fprintf(stderr, "zen: the picture of the shot %s cannot be read\n", name.c_str());
            return kExitFailure;
        }
    }
    if (!sheet.Write(folder / "gallery.png")) {
        std::fprintf(stderr, "zen: cannot write %s/gallery.png\n", folderName.c_str());
        return kExitFailure;
    }
    std::printf("%zu shots drawn into %s, laid out on gallery.png\n", shots.size(), folderName.c_str());
    return kExitSuccess;
}

}  // namespace
}  // namespace zen::tool
