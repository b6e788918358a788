// `zen render SCENE.STR --frames N --size WxH [--shot OUT.bmp] [--fixed-function] [--shader-level N]
// [--renderer NAME] [--step SECONDS] [--start SECONDS] [--seed N] [--hide NODE]...`: draws a scene file in a window the
// way the saver does and keeps the last frame as a picture. With a fixed step the picture is the same
// on every run.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "engine/core/MessageLog.h"
#include "engine/core/MessageOutput.h"
#include "engine/core/Object.h"
#include "engine/core/Ptr.h"
#include "engine/core/Random.h"
#include "engine/core/Timer.h"
#include "engine/modules/CodecManager.h"
#include "engine/modules/ImageCodec.h"
#include "engine/render/Renderer.h"
#include "engine/render/WindowLayer.h"
#include "engine/scene/Camera.h"
#include "engine/scene/Flare.h"
#include "engine/scene/Image.h"
#include "engine/scene/Node.h"
#include "engine/scene/SceneNode.h"
#include "engine/vfs/Directory.h"
#include "engine/vfs/File.h"
#include "engine/vfs/FileManager.h"
#include "modules/recording/RecordingRenderer.h"
#include "modules/recording/RecordingWindowLayer.h"
#include "platform/Platform.h"
#include "zen/CommandTable.h"
#include "zen/EngineSession.h"
#include "zen/SceneClock.h"

namespace zen::tool {
namespace {

int RunRender(const std::vector<std::string>& arguments);

CommandRegistration s_render({"render", "",
                              "SCENE.STR --frames N --size WxH [--shot OUT.bmp] [--fixed-function] [--shader-level N] "
                              "[--renderer NAME] [--step SECONDS] [--start SECONDS] [--seed N] [--hide NODE]...",
                              "draw a scene in a window for N frames (the camera its director chooses, else its first "
                              "camera; real elapsed time) and write the last frame as a 24-bit BMP; --fixed-function "
                              "draws with the effects' fallbacks, --shader-level 11 with shader model 1 at most; "
                              "--step advances each frame by exactly that much, --start first advances the scene to "
                              "that time (with either, random choices are seeded the same each run, or with N given "
                              "by --seed); --hide leaves the named node and what hangs from it out of the scene",
                              &RunRender});

constexpr uint32_t kMaxFrames = 100000;
constexpr uint32_t kMinSide = 16, kMaxSide = 4096;
// Frames the device may skip (lost) before the command gives up.
constexpr uint32_t kMaxSkippedFrames = 600;
constexpr const char* kCodecs[] = {"STRSceneCodec", "BMPImageCodec", "JPGImageCodec", "TGAImageCodec",
                                   "CUBEImageCodec"};

struct Options {
    std::string scene;
    uint32_t frames = 0;
    uint32_t width = 0, height = 0;
    std::string shot;
    std::string renderer = "DirectX9";
    bool fixedFunction = false;  // Effects choose as if the device had no shaders.
    uint32_t shaderLevel = 0;    // Non-zero: effects choose as if shaders went no higher.
    double step = 0;             // Seconds per frame; 0: real elapsed time.
    double start = 0;            // Scene time before the first drawn frame.
    bool fixedTime = false;      // --step or --start given: the run is reproducible.
    bool seeded = false;
    uint32_t seed = 0;           // For the random numbers, when seeded.
    std::vector<std::string> hidden;  // Nodes taken off the scene before it runs.
};

// Frames of the advance to --start when no --step is given.
constexpr double kStartFrameSeconds = 1.0 / 60.0;

// Whole decimal number within [low, high]; false otherwise.
bool ParseNumber(const std::string& text, uint32_t low, uint32_t high, uint32_t& out)
{
    if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    const unsigned long value = std::strtoul(text.c_str(), nullptr, 10);
    if (value < low || value > high)
        return false;
    out = static_cast<uint32_t>(value);
    return true;
}

// False after saying what is wrong.
bool ParseOptions(const std::vector<std::string>& arguments, Options& options)
{
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& word = arguments[i];
        const bool hasValue = i + 1 < arguments.size();
        if (word == "--frames" && hasValue) {
            if (!ParseNumber(arguments[++i], 1, kMaxFrames, options.frames)) {
                std::fprintf(stderr, "zen: --frames wants a number from 1 to %u\n", kMaxFrames);
                return false;
            }
        } else if (word == "--size" && hasValue) {
            const std::string& size = arguments[++i];
            const size_t x = size.find('x');
            if (x == std::string::npos || !ParseNumber(size.substr(0, x), kMinSide, kMaxSide, options.width) ||
                !ParseNumber(size.substr(x + 1), kMinSide, kMaxSide, options.height)) {
                std::fprintf(stderr, "zen: --size wants WxH, each side from %u to %u pixels\n", kMinSide, kMaxSide);
                return false;
            }
        } else if (word == "--shot" && hasValue) {
            options.shot = arguments[++i];
        } else if (word == "--fixed-function") {
            options.fixedFunction = true;
        } else if (word == "--shader-level" && hasValue) {
            if (!ParseNumber(arguments[++i], 1, 30, options.shaderLevel)) {
                std::fprintf(stderr, "zen: --shader-level wants major x 10 + minor, such as 11 or 20\n");
                return false;
            }
        } else if (word == "--renderer" && hasValue) {
            options.renderer = arguments[++i];
        } else if ((word == "--step" || word == "--start") && hasValue) {
            double& value = word == "--step" ? options.step : options.start;
            if (!ParseSeconds(arguments[++i].c_str(), value) || (word == "--step" && value == 0)) {
                std::fprintf(stderr, "zen: %s wants seconds up to %g%s\n", word.c_str(), kMaxSceneSeconds,
                             word == "--step" ? ", more than 0" : "");
                return false;
            }
            options.fixedTime = true;
        } else if (word == "--seed" && hasValue) {
            if (!ParseNumber(arguments[++i], 0, 999999999, options.seed)) {
                std::fprintf(stderr, "zen: --seed wants a number from 0 to 999999999\n");
                return false;
            }
            options.seeded = true;
        } else if (word == "--hide" && hasValue) {
            options.hidden.push_back(arguments[++i]);
        } else if (word.rfind("--", 0) == 0) {
            std::fprintf(stderr, "zen: unknown or incomplete option %s\n", word.c_str());
            return false;
        } else if (options.scene.empty()) {
            options.scene = word;
        } else {
            std::fprintf(stderr, "zen: one scene file only (%s)\n", word.c_str());
            return false;
        }
    }
    if (options.scene.empty() || options.frames == 0 || options.width == 0) {
        std::fprintf(stderr, "zen: a scene file, --frames and --size are needed\n");
        return false;
    }
    return true;
}

// Keeps the engine's errors while the command runs, to tell why it failed.
class Reasons : public MessageOutput {
public:
    Reasons() : MessageOutput(String("zen render reasons")) {}
    void Write(uint32_t level, const String& text) override
    {
        if (level >= kLevelError && m_lines.size() < 20)
            m_lines.push_back(text.Std());
    }
    void Print() const
    {
        for (const std::string& line : m_lines)
            std::fprintf(stderr, "  %s\n", line.c_str());
    }

private:
    std::vector<std::string> m_lines;
};

int Fail(const Reasons& reasons, const char* format, const std::string& detail)
{
    std::fprintf(stderr, "zen: ");
    std::fprintf(stderr, format, detail.c_str());
    std::fprintf(stderr, "\n");
    reasons.Print();
    return kExitFailure;
}

// A windowed mode for the renderer: 32-bit colour when there is one.
int32_t WindowedMode(const Renderer& renderer)
{
    int32_t any = -1;
    for (uint32_t i = 0; i < renderer.DisplayModeCount(); ++i) {
        const DisplayMode* mode = renderer.GetDisplayMode(i);
        if (mode->fullscreen)
            continue;
        if (mode->colorBits == 32)
            return static_cast<int32_t>(i);
        if (any < 0)
            any = static_cast<int32_t>(i);
    }
    return any;
}

bool WriteShot(const std::string& path, Image* image, const Reasons& reasons)
{
    auto* codec = static_cast<ImageCodec*>(CodecManager::FindCodec(String("BMPImageCodec")));
    File file{String(path)};
    if (!codec || codec->Encode(&file, image) != kSuccess) {
        Fail(reasons, "cannot write the picture %s", path);
        return false;
    }
    std::printf("wrote %s\n", path.c_str());
    return true;
}

// Draws `frames` frames of `root` (skipped ones do not count) and reads the last one into
// `shot` when given. kExitSuccess, or kExitFailure after telling why.
// `step` > 0 advances each frame by exactly that many seconds instead of the real time.
int DrawFrames(Renderer& renderer, Node& root, uint32_t frames, double step, Image* shot, const Reasons& reasons)
{
    Timer timer;
    uint32_t drawn = 0, skipped = 0;
    while (drawn < frames) {
        (void)platform::PumpMessages();
        const double elapsed = timer.Delta();
        root.UpdateState(step > 0 ? step : elapsed, true);
        renderer.Clear(Renderer::kClearColor | Renderer::kClearDepth, Vector4{0, 0, 0, 1}, 1.0f, 0);
        const Result begun = renderer.StartFrame();
        if (begun == kFailure) {
            if (++skipped > kMaxSkippedFrames)
                return Fail(reasons, "the device stayed lost for %s frames", std::to_string(kMaxSkippedFrames));
            continue;
        }
        if (begun != kSuccess)
            return Fail(reasons, "the renderer could not begin a frame%s", "");
        root.DrawIfVisible(&renderer);
        if (++drawn == frames && shot) {
            renderer.FlushDeferred();  // The blended geometry belongs in the picture.
            if (renderer.ReadFrame(shot) != kSuccess) {
                renderer.FinishFrame();
                return Fail(reasons, "the frame could not be read back%s", "");
            }
        }
        renderer.FinishFrame();
    }
    return kExitSuccess;
}

int Render(const Options& options, const Reasons& reasons)
{
    if (LoadRenderer(String(options.renderer)) != kSuccess)
        return Fail(reasons, "cannot load the renderer module %s", options.renderer);
    Renderer* renderer = Renderer::Current();
    if (options.fixedFunction)
        renderer->LimitShaderVersion(0);
    else if (options.shaderLevel != 0)
        renderer->LimitShaderVersion(options.shaderLevel);
    const int32_t mode = WindowedMode(*renderer);
    if (mode < 0)
        return Fail(reasons, "the renderer offers no windowed display mode%s", "");
    if (renderer->Open(static_cast<uint32_t>(mode), String("zen render"), nullptr, 0, 0, options.width,
                       options.height) != kSuccess)
        return Fail(reasons, "cannot open a %s window with a device", std::to_string(options.width) + "x" +
                                                                          std::to_string(options.height));

    if (options.fixedTime)
        FixRandomSeed();
    if (options.seeded) {
        std::srand(options.seed);
        Random::Seed(options.seed);
    }
    Ptr<Object> root;
    if (ReadSceneFile(options.scene, root) != kSuccess || !root)
        return Fail(reasons, "%s is not a readable scene file", options.scene);
    if (!root->IsDerivedFrom(&Node::TYPE))
        return Fail(reasons, "the root of %s is no node", options.scene);

    // A scene with a director has made its shot's camera current while loading.
    Array<Object*> cameras(1, 4);
    root->CollectByType(&Camera::TYPE, cameras);
    if (cameras.Count() > 0 && !renderer->GetCamera())
        renderer->SetCamera(static_cast<Camera*>(cameras[0]));

    // Hidden nodes leave the scene for the run: a picture without them shows what they add.
    std::vector<Ptr<Node>> hidden;
    for (const std::string& name : options.hidden) {
        Object* found = root->FindByName(String(name.c_str()));
        Node* node = found && found->IsDerivedFrom(&Node::TYPE) ? static_cast<Node*>(found) : nullptr;
        Node* parent = node ? node->Parent() : nullptr;
        if (!parent || !parent->IsDerivedFrom(&SceneNode::TYPE))
            return Fail(reasons, "the scene holds no node %s under another to hide", name);
        hidden.push_back(node);
        if (static_cast<SceneNode*>(parent)->DetachChild(node) != kSuccess)
            return Fail(reasons, "%s could not be hidden", name);
    }

    Node& scene = static_cast<Node&>(*root);
    AdvanceScene(scene, renderer, options.start, options.step > 0 ? options.step : kStartFrameSeconds);
    Ptr<Image> shot = options.shot.empty() ? nullptr : new Image();
    const int code = DrawFrames(*renderer, scene, options.frames, options.step, shot.Get(), reasons);
    if (code != kExitSuccess)
        return code;
    std::printf("drew %u frames of %s\n", options.frames, options.scene.c_str());
    if (options.step > 0)
        std::printf("scene time %g s\n", options.start + options.step * options.frames);
    // What each flare's occlusion query saw in the last measured frame.
    Array<Object*> flares(1, 4);
    root->CollectByType(&Flare::TYPE, flares);
    for (uint32_t i = 0; i < flares.Count(); ++i)
        std::printf("flare %s: %u pixels\n", flares[i]->Name().CStr(), static_cast<Flare*>(flares[i])->VisiblePixels());
    return shot && !WriteShot(options.shot, shot.Get(), reasons) ? kExitFailure : kExitSuccess;
}

int RunRender(const std::vector<std::string>& arguments)
{
    Options options;
    if (!ParseOptions(arguments, options))
        return PrintUsage(*CommandTable::Find("render", ""));
    // Natively the recording renderer stands in, with a window layer of its own and a
    // windowed mode; the program's own window layer is linked in on Windows.
    RecordingWindowLayer recordingWindows;
    WindowLayer* previous = WindowLayer::Installed();
    if (options.renderer == "Recording") {
        RecordingRenderer::ResetNextSetup();
        RecordingRenderer::NextSetup().modes.push_back(DisplayMode{1024, 768, 32, 0, 24, 8, 0, false});
        WindowLayer::Install(&recordingWindows);
    }
    // A tool must not wait for someone to close a message box.
    Renderer::SetMessageBoxesAllowed(false);
    int code = kExitFailure;
    {
        EngineSession engine;
        Ptr<Reasons> reasons(new Reasons());
        if (engine.Started() && engine.LoadCodecs({kCodecs[0], kCodecs[1], kCodecs[2], kCodecs[3], kCodecs[4]})) {
            (void)RegisterOutput(reasons.Get());
            code = Render(options, *reasons);
            (void)UnregisterOutput(reasons.Get());
        }
        // The scene is gone (Render's locals); the renderer closes its window before the
        // engine stops.
        if (Renderer* renderer = Renderer::Current())
            (void)renderer->Close();
        (void)ReleaseRenderer();
    }
    WindowLayer::Install(previous);
    return code;
}

}  // namespace
}  // namespace zen::tool
