// Times the saver's full-screen run in its own process (with the saver's resources):
//   ShowTimingProbe.exe /s OUT FRAMES [TYPE ...]
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
//   "controllers N" the render-to-texture controllers that are stopped; "removed TYPE N" for each
//     TYPE given, the scene-node effects of that type (for example ZEN.PostRenderEffect) taken
//     off the scene once it is loaded, to see what they cost; "saver RESULT" at the end.
// The run then ends itself, as a key would end it. FRAMES 0 ends it after the first frame.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "app/SaverProcess.h"
#include "app/SceneSaver.h"
#include "engine/anim/RenderTextureController.h"
#include "engine/core/Array.h"
#include "engine/core/MessageLog.h"
#include "engine/core/MessageOutput.h"
#include "engine/render/Renderer.h"
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
int g_frames = 0;

class TimingSaver : public brightfold::SceneSaver {
public:
    explicit TimingSaver(int frames) : m_frames(frames) {}

    int OnEngineStarted() override
    {
        Stamp("engine");
        return SceneSaver::OnEngineStarted();
    }
    int CreateData() override
    {
        Stamp("data");
        const int result = SceneSaver::CreateData();
        Stamp("scene");
        for (const char* type : g_removed)
            probe::Line("removed %s %u", type, RemoveSceneEffects(Scene(), type));
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
        return m_mode == kClear ? 0 : SceneSaver::Update(seconds);
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
            m_counts[m_mode] += kBlock - kUntimed;
            m_timing = false;
        }
        bool finished = true;
        for (int mode = 0; mode < kModes; ++mode)
            finished = finished && m_counts[mode] >= m_frames;
        if (finished) {
            for (int mode = 0; mode < kModes; ++mode)
                probe::Line("frames %s %d %.3f", kNames[mode], m_counts[mode], 1000.0 * m_seconds[mode] / m_counts[mode]);
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
    g_removed.assign(argv + 4, argv + argc);
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
