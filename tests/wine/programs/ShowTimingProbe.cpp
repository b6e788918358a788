// Times the saver's full-screen run in its own process (with the saver's resources):
//   ShowTimingProbe.exe /s OUT FRAMES [--step SECONDS] [--seed N] [TYPE | -NODE ...]
// runs the saver's process entry as Brightfold.scr /s does (the saver reads only the switch) and
// writes to OUT, each line flushed:
//   "log SECONDS TEXT" for every message of the log, SECONDS since the process was created, so
//     the start-up can be read step by step;
//   "stamp NAME SECONDS PROCESSOR" at the saver's own steps (PROCESSOR: the processor seconds
//     of all the process's threads so far): "engine" (engine, renderer, codecs and both
//     archives attached), "data" (before Main.STR loads), "scene" (loaded), "first-render" and
//     "first-rendered" around the first frame's drawing of the scene (after its update and the
//     render-to-texture passes), "first-frame" (that frame presented);
//   "frames NAME COUNT MEAN_MS": the mean of at least FRAMES frames of each kind, the kinds
//     taking turns in blocks of twelve frames (the first four of each block untimed; the eight
//     others timed together, from an idle device until the device has drawn them): "scene" the shipped scene
//     as the saver draws it, "no-reflections" the same with the render-to-texture controllers
//     stopped (the sea's reflection and refraction pictures are not drawn again), "clear" a
//     frame that only clears and presents (no update, no scene);
//   "processor NAME ALL_MS RASTER_MS DEVICE_MS": processor time per frame over the same timed
//     frames, of all the process's threads, of the software rasteriser's workers alone (what
//     the pixels cost; the others also wait busily for each other) and of Wine's device thread
//     (vertices, state, presenting); the last two -1 where they cannot be read. On a machine
//     shared with other work the rasteriser's time moves far less than the elapsed time;
//   "controllers N" the render-to-texture controllers that are stopped; "removed TYPE N" for each
//     TYPE given, the scene-node effects of that type (for example ZEN.PostRenderEffect) taken
//     off the scene once it is loaded, to see what they cost; "hidden NODE N" for each -NODE
//     given, N (0 or 1) whether the scene node of that name was taken out of the scene (its
//     picture passes may still draw it), likewise; "saver RESULT" at the end.
// With --step every update moves the show by SECONDS whatever the frame took, and with --seed
// the process's random numbers start from N once the engine is up: the two together make every
// run draw the same frames (the same shots at the same moments), so that runs with and without
// a part of the scene can be compared frame for frame.
// The run then ends itself, as a key would end it. FRAMES 0 ends it after the first frame.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/SaverProcess.h"
#include "app/SceneSaver.h"
#include "engine/anim/RenderTextureController.h"
#include "engine/core/Array.h"
#include "engine/core/MessageLog.h"
#include "engine/core/MessageOutput.h"
#include "engine/render/Renderer.h"
#include "engine/scene/SceneNode.h"
#include "modules/directx9/D3D9Renderer.h"
#include "tests/wine/programs/ProbeOutput.h"

namespace {


LARGE_INTEGER g_frequency;

unsigned long long Ticks(const FILETIME& time)
{
    return (static_cast<unsigned long long>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

// Seconds since the process was created: the system's precise time against the creation time.
double Now()
{
    FILETIME created, exited, kernel, user, now;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    GetSystemTimePreciseAsFileTime(&now);
    return static_cast<double>(Ticks(now) - Ticks(created)) * 1e-7;
}

// Processor seconds of every thread of the process so far (a busy machine stretches the
// elapsed time, not this).
double ProcessorSeconds()
{
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    return static_cast<double>(Ticks(kernel) + Ticks(user)) * 1e-7;
}

// Reads a small file of the host's /proc through Wine's Z: drive into `text` (NUL-terminated,
// at most `size` - 1 bytes); the byte count, 0 when it cannot be read. Wine's server opens the
// files, so "self" there would be the server: the probe names its own process by number.
size_t ReadHostFile(const char* path, char* text, size_t size)
{
    FILE* file = std::fopen(path, "rb");
    if (!file)
        return 0;
    const size_t got = std::fread(text, 1, size - 1, file);
    std::fclose(file);
    text[got] = 0;
    return got;
}

// The host's number for this process: the one whose command line holds this run's output path
// (unique to the run) after a program named ShowTimingProbe. Empty when there is none.
std::string FindHostProcess(const char* outPath)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA("Z:\\proc\\*", &found);
    if (search == INVALID_HANDLE_VALUE)
        return {};
    std::string result;
    static char text[8192];
    do {
        if (found.cFileName[0] < '0' || found.cFileName[0] > '9')
            continue;
        const std::string path = std::string("Z:\\proc\\") + found.cFileName + "\\cmdline";
        const size_t got = ReadHostFile(path.c_str(), text, sizeof text);
        if (got == 0 || !std::strstr(text, "ShowTimingProbe"))
            continue;
        for (size_t at = 0; at < got; at += std::strlen(text + at) + 1)
            if (std::strcmp(text + at, outPath) == 0)
                result = found.cFileName;
    } while (result.empty() && FindNextFileA(search, &found));
    FindClose(search);
    return result;
}

std::string g_hostProcess;  // Found once the show runs; empty: the thread times are not read.

// Processor seconds of this process's threads whose host name begins with `prefix`: the
// software rasteriser's worker threads ("llvmpipe-") do nothing but draw, so their time is
// what the frame's pixels cost, free of the busy waiting the program's and the device's own
// threads do for each other. Negative when it cannot be read (not under Wine on Linux).
double HostThreadSeconds(const char* prefix)
{
    if (g_hostProcess.empty())
        return -1;
    const std::string task = "Z:\\proc\\" + g_hostProcess + "\\task\\";
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((task + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return -1;
    unsigned long long ticks = 0;
    do {
        char text[512];
        if (found.cFileName[0] < '0' || found.cFileName[0] > '9' ||
            ReadHostFile((task + found.cFileName + "\\comm").c_str(), text, sizeof text) == 0 ||
            std::strncmp(text, prefix, std::strlen(prefix)) != 0 ||
            ReadHostFile((task + found.cFileName + "\\stat").c_str(), text, sizeof text) == 0)
            continue;
        // After the name in parentheses: the state, fields 4 to 13, then utime and stime.
        const char* at = std::strrchr(text, ')');
        unsigned long long user = 0, system = 0;
        if (at && std::sscanf(at + 1, " %*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %llu %llu", &user, &system) == 2)
            ticks += user + system;
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return static_cast<double>(ticks) / 100.0;  // The kernel's clock ticks (USER_HZ).
}

void Stamp(const char* name)
{
    probe::Line("stamp %s %.4f %.4f", name, Now(), ProcessorSeconds());
}

// Every log message with its time.
class TimedLog : public zen::MessageOutput {
public:
    TimedLog() : MessageOutput(zen::String("timed")) {}
    void Write(uint32_t, const zen::String& text) override { probe::Line("log %.4f %s", Now(), text.CStr()); }
};

std::vector<const char*> g_removed;  // Scene-node effect types taken off the scene once it loads.
std::vector<const char*> g_hidden;   // Names of nodes taken out of the scene once it loads.

// Detaches the node called `name` from its scene-node parent; 1 when it was there.
unsigned HideNode(zen::Object* root, const char* name)
{
    zen::Object* found = root ? root->FindByName(zen::String(name)) : nullptr;
    auto* node = found && found->IsDerivedFrom(&zen::Node::TYPE) ? static_cast<zen::Node*>(found) : nullptr;
    zen::Node* parent = node ? node->Parent() : nullptr;
    if (!parent || !parent->IsDerivedFrom(&zen::SceneNode::TYPE))
        return 0;
    return static_cast<zen::SceneNode*>(parent)->DetachChild(node) == zen::kSuccess ? 1 : 0;
}
int g_frames = 0;
const char* g_outPath = nullptr;
double g_step = 0;      // Seconds per update; 0: the frame's own time.
long g_seed = -1;       // Random seed once the engine is up; negative: the engine's own.

class TimingSaver : public brightfold::SceneSaver {
public:
    explicit TimingSaver(int frames) : m_frames(frames) {}

    int OnEngineStarted() override
    {
        Stamp("engine");
        if (g_seed >= 0)
            std::srand(static_cast<unsigned>(g_seed));
        return SceneSaver::OnEngineStarted();
    }
    int CreateData() override
    {
        Stamp("data");
        const int result = SceneSaver::CreateData();
        Stamp("scene");
        for (const char* type : g_removed)
            probe::Line("removed %s %u", type, RemoveSceneEffects(Scene(), type));
        for (const char* name : g_hidden)
            probe::Line("hidden %s %u", name, HideNode(Scene(), name));
        return result;
    }

    // Called once a frame before the scene moves: the previous frame has been presented, so
    // a frame's time runs from its own call to the next.
    int Update(double seconds) override
    {
        LARGE_INTEGER now;
        QueryPerformanceCounter(&now);
        if (m_frame == 1) {
            Stamp("first-frame");
            if (m_frames == 0)
                m_done = true;
            else if (Scene())
                FindRenderToTexture();
        }
        if (m_frame >= 1 && !m_done)
            NextFrame(now);
        ++m_frame;
        if (m_done) {
            Stop();
            return 0;
        }
        return m_mode == kClear ? 0 : SceneSaver::Update(g_step > 0 ? g_step : seconds);
    }

    int Render() override
    {
        if (m_mode == kClear)
            return 0;
        if (m_frame != 1)
            return SceneSaver::Render();
        Stamp("first-render");
        const int result = SceneSaver::Render();
        Stamp("first-rendered");
        return result;
    }

private:
    // The three kinds of frame take turns in blocks, so that each is timed over the same
    // stretch of the show (a frame's cost depends on the shot). The device runs behind the
    // program (its command thread queues whole frames), so the first frames of a block are not
    // timed and the timed ones are measured as a whole, from an idle device to an idle device.
    enum Mode { kScene, kNoReflections, kClear, kModes };
    static constexpr const char* kNames[kModes] = {"scene", "no-reflections", "clear"};
    static constexpr int kBlock = 12;
    static constexpr int kUntimed = 4;

    // Waits until the device has done everything asked of it so far.
    static void Drain()
    {
        auto* renderer = dynamic_cast<zen::D3D9Renderer*>(zen::Renderer::Current());
        IDirect3DDevice9* device = renderer ? renderer->Device() : nullptr;
        IDirect3DQuery9* query = nullptr;
        if (!device || FAILED(device->CreateQuery(D3DQUERYTYPE_EVENT, &query)) || !query)
            return;
        query->Issue(D3DISSUE_END);
        while (query->GetData(nullptr, 0, D3DGETDATA_FLUSH) == S_FALSE)
            Sleep(0);
        query->Release();
    }

    void FindRenderToTexture()
    {
        zen::Array<zen::Object*> controllers;
        Scene()->CollectByType(&zen::RenderTextureController::TYPE, controllers);
        for (uint32_t i = 0; i < controllers.Count(); ++i) {
            auto* controller = static_cast<zen::RenderTextureController*>(controllers[i]);
            if (controller->IsActive())
                m_renderToTexture.push_back(controller);
        }
        probe::Line("controllers %u", static_cast<unsigned>(m_renderToTexture.size()));
        g_hostProcess = FindHostProcess(g_outPath);
    }

    void NextFrame(LARGE_INTEGER now)
    {
        const int index = m_frame - 1;
        const int at = index % kBlock;
        if (at == 0 && m_timing) {
            // The previous block's timed frames end once the device has drawn them.
            Drain();
            QueryPerformanceCounter(&now);
            m_seconds[m_mode] += static_cast<double>(now.QuadPart - m_start.QuadPart) / g_frequency.QuadPart;
            const double end[kClocks] = {ProcessorSeconds(), HostThreadSeconds(kRasterThreads),
                                         HostThreadSeconds(kDeviceThread)};
            for (int clock = 0; clock < kClocks; ++clock)
                m_processor[m_mode][clock] += end[clock] - m_startProcessor[clock];
            m_counts[m_mode] += kBlock - kUntimed;
            m_timing = false;
        }
        bool finished = true;
        for (int mode = 0; mode < kModes; ++mode)
            finished = finished && m_counts[mode] >= m_frames;
        if (finished) {
            for (int mode = 0; mode < kModes; ++mode)
                probe::Line("frames %s %d %.3f", kNames[mode], m_counts[mode], 1000.0 * m_seconds[mode] / m_counts[mode]);
            for (int mode = 0; mode < kModes; ++mode) {
                double ms[kClocks];
                for (int clock = 0; clock < kClocks; ++clock)
                    ms[clock] = m_readable[clock] ? 1000.0 * m_processor[mode][clock] / m_counts[mode] : -1.0;
                probe::Line("processor %s %.3f %.3f %.3f", kNames[mode], ms[0], ms[1], ms[2]);
            }
            m_done = true;
            return;
        }
        if (at == 0) {
            m_mode = static_cast<Mode>(index / kBlock % kModes);
            for (zen::RenderTextureController* controller : m_renderToTexture)
                controller->SetActive(m_mode != kNoReflections);
        }
        if (at == kUntimed && m_counts[m_mode] < m_frames) {
            Drain();
            QueryPerformanceCounter(&m_start);
            m_startProcessor[0] = ProcessorSeconds();
            m_startProcessor[1] = HostThreadSeconds(kRasterThreads);
            m_startProcessor[2] = HostThreadSeconds(kDeviceThread);
            for (int clock = 0; clock < kClocks; ++clock)
                m_readable[clock] = m_readable[clock] && m_startProcessor[clock] >= 0;
            m_timing = true;
        }
    }

    int m_frames;
    int m_frame = 0;
    bool m_done = false;
    Mode m_mode = kScene;
    bool m_timing = false;  // The current block's frames are being timed.
    LARGE_INTEGER m_start{};
    double m_seconds[kModes] = {};
    // Processor seconds: all threads, the rasteriser's, the device thread's.
    enum { kClocks = 3 };
    static constexpr const char* kRasterThreads = "llvmpipe-";
    static constexpr const char* kDeviceThread = "wined3d_cs";
    double m_startProcessor[kClocks] = {};       // When the current block's timing began.
    double m_processor[kModes][kClocks] = {};    // Over each kind's timed frames.
    bool m_readable[kClocks] = {true, true, true};
    int m_counts[kModes] = {};
    std::vector<zen::RenderTextureController*> m_renderToTexture;  // Active ones; the scene owns them.
};


brightfold::Saver* MakeSaver()
{
    return new TimingSaver(g_frames);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 4 || std::strcmp(argv[1], "/s") != 0 || !probe::OpenOutput(argv[2]))
        return 2;
    g_frames = std::atoi(argv[3]);
    g_outPath = argv[2];
    for (int i = 4; i < argc; ++i) {
        if (std::strcmp(argv[i], "--step") == 0 && i + 1 < argc)
            g_step = std::atof(argv[++i]);
        else if (std::strcmp(argv[i], "--seed") == 0 && i + 1 < argc)
            g_seed = std::atol(argv[++i]);
        else if (argv[i][0] == '-')
            g_hidden.push_back(argv[i] + 1);
        else
            g_removed.push_back(argv[i]);
    }
    if (!(g_step >= 0 && g_step <= 60))
        return 2;
    if (g_frames < 0)
        return 2;
    QueryPerformanceFrequency(&g_frequency);
    Stamp("main");
    zen::Ptr<TimedLog> log(new TimedLog);
    (void)zen::RegisterOutput(log.Get());
    const int result = brightfold::SaverProcess::Run(MakeSaver);
    (void)zen::UnregisterOutput(log.Get());
    probe::Line("saver %d", result);
    probe::CloseOutput();
    return 0;
}
