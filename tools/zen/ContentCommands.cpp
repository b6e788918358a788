// `zen content ...`: the content the saver carries. `pictures` draws the pictures of resource 134
// (tools/art), or some of them, into a folder; `archive` draws them all and packs them into the
// RAR 2.0 archive of resource 134; `media` builds the scene (tools/scene) and packs Main.STR with
// its pictures into the media archive of resource 227. Each rewrites a file only when its bytes
// change, so a build that depends on the files redoes the steps after them only when the content
// really changed.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

#include "tools/art/PictureSet.h"
#include "tools/scene/MediaSet.h"
#include "zen/CommandTable.h"
#include "zen/EngineSession.h"

namespace zen::tool {
namespace {

namespace fs = std::filesystem;

int RunPictures(const std::vector<std::string>& arguments);
int RunArchive(const std::vector<std::string>& arguments);
int RunMedia(const std::vector<std::string>& arguments);

CommandRegistration s_pictures({"content", "pictures", "FOLDER [NAME ...]",
                                "draw the pictures of the picture archive (resource 134), or the named ones, into "
                                "FOLDER",
                                &RunPictures});
CommandRegistration s_archive({"content", "archive", "ARCHIVE [--pictures FOLDER]",
                               "draw the pictures and pack them into the RAR 2.0 archive ARCHIVE (and FOLDER)",
                               &RunArchive});
CommandRegistration s_media({"content", "media", "ARCHIVE [--files FOLDER]",
                             "build the scene and pack Main.STR and its pictures into the RAR 2.0 archive ARCHIVE "
                             "(and FOLDER)",
                             &RunMedia});

enum class Write { kUnchanged, kWritten, kFailed };

// Writes `bytes` to `path` unless the file already holds exactly them. A new file is written
// beside the old one and renamed over it, so an interrupted run never leaves half a file.
Write WriteIfChanged(const fs::path& path, const std::vector<uint8_t>& bytes)
{
    {
        std::ifstream in(path, std::ios::binary);
        if (in) {
            const std::vector<uint8_t> old((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            if (old == bytes)
                return Write::kUnchanged;
        }
    }
    fs::path temporary = path;
    temporary += ".new";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        out.close();
        if (!out)
            return Write::kFailed;
    }
    std::error_code code;
    fs::rename(temporary, path, code);
    return code ? Write::kFailed : Write::kWritten;
}

bool MakePictures(std::vector<art::PictureSet::Picture>& pictures)
{
    if (art::PictureSet::MakeAll(pictures) != kSuccess) {
        std::fprintf(stderr, "zen: the pictures could not be made (see the log)\n");
        return false;
    }
    return true;
}

// Checked before the drawing starts, which takes a while.
bool MakeFolder(const std::string& folder)
{
    std::error_code code;
    fs::create_directories(fs::path(folder), code);
    if (!fs::is_directory(fs::path(folder))) {
        std::fprintf(stderr, "zen: cannot create the folder %s\n", folder.c_str());
        return false;
    }
    return true;
}

bool CanWriteBeside(const std::string& path)
{
    const fs::path parent = fs::path(path).parent_path();
    if (parent.empty() || fs::is_directory(parent))
        return true;
    std::fprintf(stderr, "zen: cannot write %s: the folder %s does not exist\n", path.c_str(),
                 parent.string().c_str());
    return false;
}

bool WritePictures(const std::string& folder, const std::vector<art::PictureSet::Picture>& pictures)
{
    int written = 0;
    for (const art::PictureSet::Picture& picture : pictures) {
        const Write result = WriteIfChanged(fs::path(folder) / picture.name, picture.bytes);
        if (result == Write::kFailed) {
            std::fprintf(stderr, "zen: cannot write %s/%s\n", folder.c_str(), picture.name.c_str());
            return false;
        }
        written += result == Write::kWritten ? 1 : 0;
    }
    std::printf("%zu pictures in %s (%d written, %zu unchanged)\n", pictures.size(), folder.c_str(), written,
                pictures.size() - static_cast<size_t>(written));
    return true;
}

int RunPictures(const std::vector<std::string>& arguments)
{
    if (arguments.empty() || arguments[0].empty() || arguments[0][0] == '-')
        return PrintUsage(*CommandTable::Find("content", "pictures"));
    std::vector<std::string> names(arguments.begin() + 1, arguments.end());
    const std::vector<std::string> all = art::PictureSet::Names();
    for (const std::string& name : names) {
        if (std::find(all.begin(), all.end(), name) == all.end()) {
            std::fprintf(stderr, "zen: there is no picture called %s; the pictures are:\n", name.c_str());
            for (const std::string& known : all)
                std::fprintf(stderr, "  %s\n", known.c_str());
            return kExitUsage;
        }
    }
    if (!MakeFolder(arguments[0]))
        return kExitFailure;
    EngineSession engine;
    if (!engine.Started())
        return kExitFailure;
    std::vector<art::PictureSet::Picture> pictures;
    if (names.empty()) {
        if (!MakePictures(pictures))
            return kExitFailure;
    } else {
        for (const std::string& name : names) {
            art::PictureSet::Picture picture{name, {}};
            if (art::PictureSet::Make(name, picture.bytes) != kSuccess) {
                std::fprintf(stderr, "zen: %s could not be made (see the log)\n", name.c_str());
                return kExitFailure;
            }
            pictures.push_back(std::move(picture));
        }
    }
    return WritePictures(arguments[0], pictures) ? kExitSuccess : kExitFailure;
}

int RunArchive(const std::vector<std::string>& arguments)
{
    std::string archivePath;
    std::string folder;
    for (size_t i = 0; i < arguments.size(); ++i) {
        if (arguments[i] == "--pictures" && i + 1 < arguments.size() && folder.empty())
            folder = arguments[++i];
        else if (archivePath.empty() && !arguments[i].empty() && arguments[i][0] != '-')
            archivePath = arguments[i];
        else
            return PrintUsage(*CommandTable::Find("content", "archive"));
    }
    if (archivePath.empty())
        return PrintUsage(*CommandTable::Find("content", "archive"));
    if (!CanWriteBeside(archivePath) || (!folder.empty() && !MakeFolder(folder)))
        return kExitFailure;
    EngineSession engine;
    std::vector<art::PictureSet::Picture> pictures;
    if (!engine.Started() || !MakePictures(pictures))
        return kExitFailure;
    if (!folder.empty() && !WritePictures(folder, pictures))
        return kExitFailure;
    std::vector<uint8_t> archive;
    if (art::PictureSet::Pack(pictures, archive) != kSuccess) {
        std::fprintf(stderr, "zen: the pictures could not be packed (see the log)\n");
        return kExitFailure;
    }
    const Write result = WriteIfChanged(fs::path(archivePath), archive);
    if (result == Write::kFailed) {
        std::fprintf(stderr, "zen: cannot write %s\n", archivePath.c_str());
        return kExitFailure;
    }
    std::printf("%zu pictures packed into %s (%zu bytes, %s)\n", pictures.size(), archivePath.c_str(), archive.size(),
                result == Write::kWritten ? "written" : "unchanged");
    return kExitSuccess;
}

int RunMedia(const std::vector<std::string>& arguments)
{
    std::string archivePath;
    std::string folder;
    for (size_t i = 0; i < arguments.size(); ++i) {
        if (arguments[i] == "--files" && i + 1 < arguments.size() && folder.empty())
            folder = arguments[++i];
        else if (archivePath.empty() && !arguments[i].empty() && arguments[i][0] != '-')
            archivePath = arguments[i];
        else
            return PrintUsage(*CommandTable::Find("content", "media"));
    }
    if (archivePath.empty())
        return PrintUsage(*CommandTable::Find("content", "media"));
    if (!CanWriteBeside(archivePath) || (!folder.empty() && !MakeFolder(folder)))
        return kExitFailure;
    EngineSession engine;
    if (!engine.Started() || !engine.LoadCodecs({"STRSceneCodec", "TGAImageCodec", "JPGImageCodec", "BMPImageCodec"}))
        return kExitFailure;
    std::vector<scene::MediaSet::File> files;
    if (scene::MediaSet::MakeAll(files) != kSuccess) {
        std::fprintf(stderr, "zen: the scene could not be made (see the log)\n");
        return kExitFailure;
    }
    if (!folder.empty()) {
        for (const scene::MediaSet::File& file : files) {
            if (WriteIfChanged(fs::path(folder) / file.name, file.bytes) == Write::kFailed) {
                std::fprintf(stderr, "zen: cannot write %s/%s\n", folder.c_str(), file.name.c_str());
                return kExitFailure;
            }
        }
    }
    std::vector<uint8_t> archive;
    if (scene::MediaSet::Pack(files, archive) != kSuccess) {
        std::fprintf(stderr, "zen: the media could not be packed (see the log)\n");
        return kExitFailure;
    }
    const Write result = WriteIfChanged(fs::path(archivePath), archive);
    if (result == Write::kFailed) {
        std::fprintf(stderr, "zen: cannot write %s\n", archivePath.c_str());
        return kExitFailure;
    }
    std::printf("%zu files packed into %s (%zu bytes, %s)\n", files.size(), archivePath.c_str(), archive.size(),
                result == Write::kWritten ? "written" : "unchanged");
    return kExitSuccess;
}

}  // namespace
}  // namespace zen::tool
