#pragma once
// The engine side of the probe programs: the engine run with its messages in the LOG file, a
// device opened in a square window, and a frame drawn and read back.
#include <cstdio>
#include <functional>

#include "engine/core/Engine.h"
#include "engine/core/FileMessageOutput.h"
#include "engine/core/MessageLog.h"
#include "engine/core/Ptr.h"
#include "engine/render/Renderer.h"
#include "engine/scene/Image.h"
#include "tests/wine/programs/ProbeOutput.h"

namespace probe {

// Opens OUT, sends the engine's messages to LOG and runs `run` between the engine's start and
// its shutdown, then writes "done". 2 when OUT cannot be made; 1 when the engine does not
// start (after the line `failed`, if given); else what `run` returns.
inline int WithEngine(const char* out, const char* logPath, const std::function<int()>& run,
                      const char* failed = nullptr)
{
    if (!OpenOutput(out))
        return 2;
    zen::Ptr<zen::FileMessageOutput> log(new zen::FileMessageOutput(zen::String(logPath)));
    (void)zen::RegisterOutput(log.Get());
    int result = 1;
    if (zen::EngineInitialize() != zen::kSuccess) {
        if (failed)
            Line("%s", failed);
    } else {
        result = run();
        (void)zen::EngineShutdown();
        Line("done");
    }
    (void)zen::UnregisterOutput(log.Get());
    CloseOutput();
    return result;
}

// As above with OUT and LOG the program's first two arguments; with fewer than `needed`
// arguments (the program's name included) it writes "usage: <usage>" and gives 2.
inline int WithEngine(int argc, char** argv, int needed, const char* usage, const std::function<int()>& run,
                      const char* failed = nullptr)
{
    if (argc < needed) {
        std::fprintf(stderr, "usage: %s\n", usage);
        return 2;
    }
    return WithEngine(argv[1], argv[2], run, failed);
}

// Opens the device on the first windowed 32-bit mode (the desktop's full-screen mode when
// `desktop`) in a window `side` pixels square, and writes "open <result>" (-1: no such mode).
inline void OpenSquare(zen::Renderer& renderer, const char* title, uint32_t side, bool desktop = false)
{
    int32_t mode = desktop ? renderer.DesktopModeIndex() : -1;
    for (uint32_t i = 0; i < renderer.DisplayModeCount() && mode < 0 && !desktop; ++i)
        if (!renderer.GetDisplayMode(i)->fullscreen && renderer.GetDisplayMode(i)->colorBits == 32)
            mode = static_cast<int32_t>(i);
    Line("open %d", mode < 0 ? -1
                             : renderer.Open(static_cast<uint32_t>(mode), zen::String(title), nullptr, 0, 0, side, side));
}

// One frame cleared black: `draw` called, the blended geometry flushed and the picture read
// into `picture`. False when the frame was skipped or not read.
inline bool ReadFrame(zen::Renderer& renderer, zen::Image& picture, const std::function<void()>& draw)
{
    renderer.Clear(zen::Renderer::kClearColor | zen::Renderer::kClearDepth, zen::Vector4{0, 0, 0, 1}, 1.0f, 0);
    if (renderer.StartFrame() != zen::kSuccess) {
        renderer.FinishFrame();
        return false;
    }
    draw();
    renderer.FlushDeferred();
    const bool read = renderer.ReadFrame(&picture) == zen::kSuccess;
    renderer.FinishFrame();
    return read;
}

}  // namespace probe
