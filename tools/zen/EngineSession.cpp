#include "zen/EngineSession.h"

#include <cstdio>
#include <filesystem>

#include "engine/core/Engine.h"
#include "engine/modules/CodecManager.h"
#include "engine/modules/ModuleManager.h"
#include "engine/modules/SceneCodec.h"
#include "engine/vfs/Directory.h"
#include "engine/vfs/File.h"
#include "engine/vfs/FileManager.h"

namespace zen::tool {

EngineSession::EngineSession()
{
    m_started = EngineInitialize() == kSuccess;
    if (!m_started)
        std::fprintf(stderr, "zen: the engine did not start (see the log)\n");
}

EngineSession::~EngineSession()
{
    if (m_started)
        (void)EngineShutdown();
}

bool EngineSession::LoadCodecs(std::initializer_list<const char*> names)
{
    for (const char* name : names) {
        if (ModuleManager::LoadModule(String(name)) != kSuccess || CodecManager::LoadCodec(String(name)) != kSuccess) {
            std::fprintf(stderr, "zen: cannot load the codec %s (see the log)\n", name);
            return false;
        }
    }
    return true;
}

namespace {

// How much of a scene's folder is put in the file tree (so the pictures and sounds it names are
// found and read from disk).
constexpr int kMountDepth = 2;
constexpr uint32_t kMountEntries = 4096;

void MountFolder(const std::filesystem::path& folder, Directory* directory, int depth, uint32_t& entries)
{
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        if (++entries > kMountEntries)
            return;
        const std::string name = entry.path().filename().string();
        if (entry.is_regular_file(error)) {
            File* file = new File(String(name));
            if (directory->AttachFile(file) != kSuccess)
                delete file;
        } else if (depth > 0 && entry.is_directory(error)) {
            MountFolder(entry.path(), new Directory(String(name), directory), depth - 1, entries);
        }
    }
}

}  // namespace

Result ReadSceneFile(const std::string& path, Ptr<Object>& root)
{
    auto* codec = static_cast<SceneCodec*>(CodecManager::FindCodec(String("STRSceneCodec")));
    if (!codec)
        return kFailure;
    // The scene's folder joins the file tree for the files it names.
    std::filesystem::path folder = std::filesystem::path(path).parent_path();
    if (folder.empty())
        folder = ".";
    uint32_t entries = 0;
    MountFolder(folder, new Directory(String(folder.string()), FileManager::Root()), kMountDepth, entries);
    File file{String(path)};
    Object* loaded = nullptr;
    const Result result = codec->Load(&file, &loaded);
    root = loaded;
    return result;
}

}  // namespace zen::tool
