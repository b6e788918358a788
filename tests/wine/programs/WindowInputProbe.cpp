// A small Windows program for the Wine stage: it makes a system window through the engine's
// window layer and writes, line by line (flushed), what the window layer and the input manager
// do, so the tests can drive it with xdotool and read the result.
//
//   WindowInputProbe.exe events OUT LOG    a windowed window "Brightfold Input Probe" (320x240 at
//                                          50, 50); two input handlers, "first" registered before
//                                          "second", write every event they get; ends when the
//                                          window is closed (or after 60 s)
//   WindowInputProbe.exe fullscreen BITS OUT LOG
//                                          full-screen windows in BITS per pixel over every
//                                          display device; writes the result, then destroys them
//   WindowInputProbe.exe display OUT       writes the primary display's current mode
//
// OUT lines: "create <result>", "client <x> <y>" (the client area's origin on the screen),
// "ready", "event <handler> <device> <kind> <code> <value>",
// "frame" after each dispatch that delivered events, "closed", "destroy <result>",
// "display <width> <height> <bits>". LOG is the engine log (code page 1251).
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/InputManager.h"
#include "app/win32/SystemWindow.h"
#include "engine/core/Engine.h"
#include "engine/core/FileMessageOutput.h"
#include "engine/core/MessageLog.h"
#include "engine/core/Ptr.h"
#include "tests/wine/programs/ProbeOutput.h"

namespace {

using probe::Line;

class Recorder : public brightfold::InputHandler {
public:
    explicit Recorder(const char* name) : InputHandler(zen::String(name)) {}
    int HandleInput(const brightfold::InputEvent& event) override
    {
        Line("event %s %u %u %u %u", Name().CStr(), event.device, event.kind, event.code, event.value);
        if (event.device == brightfold::InputEvent::kSystem && event.kind == brightfold::InputEvent::kClosed)
            closed = true;
        ++seen;
        return 0;
    }
    bool closed = false;
    uint32_t seen = 0;
};

int WriteDisplay()
{
    DEVMODEA mode;
    ZeroMemory(&mode, sizeof mode);
    mode.dmSize = sizeof mode;
    if (!EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &mode))
        return 1;
    Line("display %lu %lu %lu", mode.dmPelsWidth, mode.dmPelsHeight, mode.dmBitsPerPel);
    return 0;
}

int RunEvents()
{
    zen::Ptr<Recorder> first(new Recorder("first")), second(new Recorder("second"));
    (void)brightfold::InputManager::RegisterHandler(first.Get());
    (void)brightfold::InputManager::RegisterHandler(second.Get());
    (void)brightfold::InputManager::RegisterHandler(first.Get());  // Twice: still called once per event.

    brightfold::SystemWindow& layer = brightfold::SystemWindow::Instance();
    void* window = nullptr;
    const zen::Result created =
        layer.CreateSystemWindow(&window, zen::String("Brightfold Input Probe"), nullptr, false, 32, 50, 50, 320, 240);
    Line("create %d", created);
    if (created != zen::kSuccess)
        return 1;
    // Where the client area starts on the screen: mouse positions are client positions.
    POINT client{0, 0};
    ClientToScreen(static_cast<HWND>(window), &client);
    Line("client %ld %ld", client.x, client.y);
    Line("ready");

    const DWORD start = GetTickCount();
    while (!first->closed && GetTickCount() - start < 60000) {
        const uint32_t before = first->seen + second->seen;
        (void)brightfold::InputManager::ProcessInput();
        if (first->seen + second->seen != before)
            Line("frame");
        Sleep(5);
    }
    Line(first->closed ? "closed" : "timeout");
    Line("destroy %d", layer.DestroySystemWindow(window));
    return first->closed ? 0 : 1;
}

int RunFullScreen(uint32_t bits)
{
    brightfold::SystemWindow& layer = brightfold::SystemWindow::Instance();
    void* window = nullptr;
    const zen::Result created =
        layer.CreateSystemWindow(&window, zen::String("Brightfold Full Screen Probe"), nullptr, true, bits, 0, 0,
                                 static_cast<uint32_t>(GetSystemMetrics(SM_CXSCREEN)),
                                 static_cast<uint32_t>(GetSystemMetrics(SM_CYSCREEN)));
    Line("create %d", created);
    if (created != zen::kSuccess)
        return 0;
    RECT rectangle{};
    GetWindowRect(static_cast<HWND>(window), &rectangle);
    const LONG style = GetWindowLongA(static_cast<HWND>(window), GWL_STYLE);
    Line("window %ld %ld %ld %ld popup %d visible %d", rectangle.left, rectangle.top, rectangle.right,
         rectangle.bottom, (style & WS_POPUP) != 0, (style & WS_VISIBLE) != 0);
    Line("destroy %d", layer.DestroySystemWindow(window));
    Line("window alive %d", IsWindow(static_cast<HWND>(window)) != FALSE);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string command = argc > 1 ? argv[1] : "";
    const int outIndex = command == "fullscreen" ? 3 : 2;
    if (argc <= outIndex || (command != "events" && command != "fullscreen" && command != "display")) {
        std::fprintf(stderr, "usage: WindowInputProbe events OUT LOG | fullscreen BITS OUT LOG | display OUT\n");
        return 2;
    }
    if (!probe::OpenOutput(argv[outIndex]))
        return 2;
    if (command == "display")
        return WriteDisplay();

    zen::Ptr<zen::FileMessageOutput> log;
    if (argc > outIndex + 1) {
        log = new zen::FileMessageOutput(zen::String(argv[outIndex + 1]));
        (void)zen::RegisterOutput(log.Get());
    }
    if (zen::EngineInitialize() != zen::kSuccess)
        return 1;
    const int result = command == "events" ? RunEvents() : RunFullScreen(std::strtoul(argv[2], nullptr, 10));
    (void)zen::EngineShutdown();
    if (log)
        (void)zen::UnregisterOutput(log.Get());
    probe::CloseOutput();
    return result;
}
