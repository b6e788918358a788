// `zen scene dump FILE.STR`: the object tree of a scene file.
#include <cstdio>
#include <string>
#include <vector>

#include "engine/core/Object.h"
#include "engine/core/Ptr.h"
#include "zen/CommandTable.h"
#include "zen/EngineSession.h"
#include "zen/SceneDumper.h"

namespace zen::tool {
namespace {

int RunDump(const std::vector<std::string>& arguments);

CommandRegistration s_dump({"scene", "dump", "FILE.STR",
                            "print a scene file's object tree (shared objects once, then as -> #n)", &RunDump});

int RunDump(const std::vector<std::string>& arguments)
{
    if (arguments.size() != 1)
        return PrintUsage(*CommandTable::Find("scene", "dump"));
    const std::string& path = arguments[0];
    EngineSession engine;
    if (!engine.Started() || !engine.LoadCodecs({"STRSceneCodec"}))
        return kExitFailure;
    Ptr<Object> root;
    if (ReadSceneFile(path, root) != kSuccess) {
        std::fprintf(stderr, "zen: %s is not a readable scene file (the codec refused it; see the log)\n",
                     path.c_str());
        return kExitFailure;
    }
    SceneDumper(stdout).Dump(root.Get());
    return kExitSuccess;
}

}  // namespace
}  // namespace zen::tool
