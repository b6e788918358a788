// `zen scene dump FILE.STR [--at SECONDS]`: the object tree of a scene file, with --at after
// that much scene time (and the world transforms it gave).
#include <cstdio>
#include <string>
#include <vector>

#include "engine/core/Object.h"
#include "engine/core/Ptr.h"
#include "engine/render/Renderer.h"
#include "engine/scene/Node.h"
#include "zen/CommandTable.h"
#include "zen/EngineSession.h"
#include "zen/SceneClock.h"
#include "zen/SceneDumper.h"

namespace zen::tool {
namespace {

int RunDump(const std::vector<std::string>& arguments);

CommandRegistration s_dump({"scene", "dump", "FILE.STR [--at SECONDS]",
                            "print a scene file's object tree (shared objects once, then as -> #n); --at first "
                            "advances the scene by that much time in 1/60 s frames (random choices seeded the same "
                            "each run) and prints every node's world transform",
                            &RunDump});

// Frames of the advance: the rate the saver runs at on a usual display.
constexpr double kDumpFrameSeconds = 1.0 / 60.0;

int RunDump(const std::vector<std::string>& arguments)
{
    std::string path;
    double at = -1;
    for (size_t i = 0; i < arguments.size(); ++i) {
        if (arguments[i] == "--at" && i + 1 < arguments.size()) {
            if (!ParseSeconds(arguments[++i].c_str(), at)) {
                std::fprintf(stderr, "zen: --at wants seconds from 0 to %g\n", kMaxSceneSeconds);
                return PrintUsage(*CommandTable::Find("scene", "dump"));
            }
        } else if (path.empty() && arguments[i].rfind("--", 0) != 0) {
            path = arguments[i];
        } else {
            return PrintUsage(*CommandTable::Find("scene", "dump"));
        }
    }
    if (path.empty())
        return PrintUsage(*CommandTable::Find("scene", "dump"));
    EngineSession engine;
    if (!engine.Started() || !engine.LoadCodecs({"STRSceneCodec"}))
        return kExitFailure;
    // With --at, the recording renderer stands in for the device: the director makes its
    // cameras current and post-update controllers run at each frame start, with nothing drawn.
    const bool advance = at >= 0;
    if (advance) {
        if (LoadRenderer(String("Recording")) != kSuccess) {
            std::fprintf(stderr, "zen: the recording renderer is missing\n");
            return kExitFailure;
        }
        FixRandomSeed();
    }
    int code = kExitSuccess;
    {
        Ptr<Object> root;
        if (ReadSceneFile(path, root) != kSuccess) {
            std::fprintf(stderr, "zen: %s is not a readable scene file (the codec refused it; see the log)\n",
                         path.c_str());
            code = kExitFailure;
        } else {
            SceneDumper dumper(stdout);
            if (advance && root && root->IsDerivedFrom(&Node::TYPE)) {
                AdvanceScene(static_cast<Node&>(*root), Renderer::Current(), at, kDumpFrameSeconds);
                // A scene that stands still for no time still shows where its nodes are.
                if (at == 0)
                    static_cast<Node&>(*root).UpdateState(0, true);
                dumper.SetShowWorld(true);
                std::printf("at %g s\n", at);
            }
            dumper.Dump(root.Get());
        }
    }
    if (advance)
        (void)ReleaseRenderer();
    return code;
}

}  // namespace
}  // namespace zen::tool
