#include "zen/EngineSession.h"

#include <cstdio>

#include "engine/core/Engine.h"
#include "engine/modules/CodecManager.h"
#include "engine/modules/ModuleManager.h"
#include "engine/modules/SceneCodec.h"
#include "engine/vfs/File.h"

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

Result ReadSceneFile(const std::string& path, Ptr<Object>& root)
{
    auto* codec = static_cast<SceneCodec*>(CodecManager::FindCodec(String("STRSceneCodec")));
    if (!codec)
        return kFailure;
    File file{String(path)};
    Object* loaded = nullptr;
    const Result result = codec->Load(&file, &loaded);
    root = loaded;
    return result;
}

}  // namespace zen::tool
