// `zen scene ...`: scene files (STR).
#include <cstdio>
#include <string>
#include <vector>

#include "engine/core/Object.h"
#include "engine/core/Ptr.h"
#include "zen/CommandTable.h"
#include "zen/EngineSession.h"

namespace zen::tool {
namespace {

int RunCheck(const std::vector<std::string>& arguments);

CommandRegistration s_check({"scene", "check", "FILE.STR",
                             "load a scene file with STRSceneCodec and print its root's type and name", &RunCheck});

int RunCheck(const std::vector<std::string>& arguments)
{
    if (arguments.size() != 1)
        return PrintUsage(*CommandTable::Find("scene", "check"));
    const std::string& path = arguments[0];
    EngineSession engine;
    if (!engine.Started() || !engine.LoadCodecs({"STRSceneCodec", "BMPImageCodec", "JPGImageCodec", "TGAImageCodec", "CUBEImageCodec"}))
        return kExitFailure;
    // The codec is asked directly, so any file name will do (fuzzer findings have none).
    Ptr<Object> root;
    const Result result = ReadSceneFile(path, root);
    if (result != kSuccess || !root) {
        std::fprintf(stderr, "zen: %s is not a readable scene file (%s; see the log)\n", path.c_str(),
                     result != kSuccess ? "the codec refused it" : "its root is the null reference");
        return kExitFailure;
    }
    std::printf("%s %s\n", root->GetRtti()->Name().CStr(), root->Name().CStr());
    return kExitSuccess;
}

}  // namespace
}  // namespace zen::tool
