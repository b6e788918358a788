#include "support/ToolOutput.h"

#include <fstream>
#include <iterator>

#include "engine/modules/CodecManager.h"
#include "engine/modules/ModuleManager.h"
#include "engine/vfs/File.h"
#include "modules/codecs/STRSceneCodec.h"
#include "support/EngineScope.h"

namespace zen::test {

::testing::AssertionResult Holds(const std::string& text, const std::vector<std::string>& parts)
{
    for (const std::string& part : parts)
        if (text.find(part) == std::string::npos)
            return ::testing::AssertionFailure() << "no \"" << part << "\" in:\n" << text;
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult Said(const ToolRun& run, int exitCode, const std::vector<std::string>& parts)
{
    if (run.exitCode != exitCode)
        return ::testing::AssertionFailure() << "exit code " << run.exitCode << ", not " << exitCode << ", after:\n"
                                             << run.output;
    return Holds(run.output, parts);
}

std::string ReadText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), {});
}

std::string Utf8(const char8_t* text)
{
    return reinterpret_cast<const char*>(text);
}

bool SaveSceneFile(const std::string& path, const std::function<Ptr<Object>()>& build)
{
    EngineScope engine;
    Codec* codec = nullptr;
    if (ModuleManager::LoadModule(String("STRSceneCodec")) != kSuccess ||
        CodecManager::LoadCodec(String("STRSceneCodec"), &codec) != kSuccess)
        return false;
    const Ptr<Object> root = build();
    File file{String(path)};
    return root && static_cast<STRSceneCodec*>(codec)->Save(&file, root.Get()) == kSuccess;
}

}  // namespace zen::test
