// A Windows program for the Wine stage that drives the "DirectX9" renderer module directly:
// module rules, the mode list, a device on a full-screen or windowed window, and frames cleared
// to a colour the test then finds on the screen.
//
//   RendererProbe.exe OUT LOG fullscreen|windowed|lost
//
// OUT lines (flushed): "second <result>" (a second CreateRenderer while one exists), "modes
// <count> desktop <index>", one "mode <i> <w> <h> <colour> <alpha> <depth> <stencil> <samples>
// <full|window>" per mode, "open <result>", "viewport <w> <h>", "begin <result>" for the first
// frame, "clear <r> <g> <b> <a>" (the remembered clear colour), then "presented" once frames
// are on the screen. The program keeps presenting until the file OUT.go exists (or 60 s), then
// writes "close <result>", "release <result>" and "done".
// "lost" is "fullscreen" with a render-target texture in the default-pool table, and the device
// lost and given back (the window told the program was deactivated, then activated) after the
// first frames: "pool <count>", "lost <begin result> pool <count> dirty <0|1>", "back <begin
// result>" are written before "presented".
#include <windows.h>

#include <string>

#include "engine/modules/Module.h"
#include "engine/modules/ModuleManager.h"
#include "engine/render/Renderer.h"
#include "engine/scene/RenderResource.h"
#include "modules/directx9/D3D9Renderer.h"
#include "tests/wine/programs/ProbeEngine.h"

namespace {

using probe::Line;

bool Exists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Frames while the device is lost and after it came back: the default pool is handed back
// and the render target's resource marked for rebuilding, then the device is reset.
void LoseAndRegain(zen::D3D9Renderer* renderer)
{
    zen::RenderResource target;
    IDirect3DTexture9* texture = nullptr;
    if (FAILED(renderer->Device()->CreateTexture(64, 64, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8,
                                                D3DPOOL_DEFAULT, &texture, nullptr)))
        return;
    target.Bind(renderer, sizeof texture, &texture);
    target.SetDirty(false);
    (void)renderer->AddDefaultPoolObject(&target, texture);
    Line("pool %u", renderer->DefaultPoolCount());

    HWND window = static_cast<HWND>(renderer->Window());
    SendMessageA(window, WM_ACTIVATEAPP, FALSE, 0);
    renderer->Clear(zen::Renderer::kClearColor, zen::Vector4{1, 0, 0, 1}, 1.0f, 0);
    const zen::Result lost = renderer->StartFrame();
    renderer->FinishFrame();
    Line("lost %d pool %u dirty %d", lost, renderer->DefaultPoolCount(), target.IsDirty() ? 1 : 0);

    SendMessageA(window, WM_ACTIVATEAPP, TRUE, 0);
    renderer->Clear(zen::Renderer::kClearColor, zen::Vector4{1, 0, 0, 1}, 1.0f, 0);
    const zen::Result back = renderer->StartFrame();
    renderer->FinishFrame();
    Line("back %d", back);
}

int Run(bool fullscreen, bool lose, const std::string& goPath)
{
    if (zen::LoadRenderer(zen::String("DirectX9")) != zen::kSuccess)
        return 1;
    zen::Renderer* renderer = zen::Renderer::Current();

    // One renderer per process: the module's creation entry refuses a second one.
    zen::CreateRendererFunction create = nullptr;
    zen::Module* module = zen::ModuleManager::FindModule(zen::String("DirectX9"));
    zen::Renderer* second = nullptr;
    if (module && module->GetEntry(zen::String("CreateRenderer"), create) == zen::kSuccess)
        Line("second %d%s", create(&second), second ? " made" : "");

    Line("modes %u desktop %d", renderer->DisplayModeCount(), renderer->DesktopModeIndex());
    int32_t chosen = -1;
    for (uint32_t i = 0; i < renderer->DisplayModeCount(); ++i) {
        const zen::DisplayMode& mode = *renderer->GetDisplayMode(i);
        Line("mode %u %u %u %u %u %u %u %u %s", i, mode.width, mode.height, mode.colorBits, mode.alphaBits,
             mode.depthBits, mode.stencilBits, mode.samples, mode.fullscreen ? "full" : "window");
        if (chosen < 0 && !fullscreen && !mode.fullscreen)
            chosen = static_cast<int32_t>(i);
    }
    if (fullscreen)
        chosen = renderer->DesktopModeIndex();
    Line("open %d", chosen < 0 ? -1
                               : renderer->Open(static_cast<uint32_t>(chosen), zen::String("Brightfold Renderer Probe"),
                                                nullptr, 40, 30, 320, 240));
    Line("viewport %u %u", renderer->GetViewportWidth(), renderer->GetViewportHeight());

    const zen::Vector4 red{1.0f, 0.0f, 0.0f, 1.0f};
    bool presented = false;
    const DWORD start = GetTickCount();
    for (uint32_t frame = 0; GetTickCount() - start < 60000; ++frame) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        renderer->Clear(zen::Renderer::kClearColor | zen::Renderer::kClearDepth, red, 1.0f, 0);
        const zen::Result begun = renderer->StartFrame();
        if (frame == 0) {
            Line("begin %d", begun);
            const zen::Vector4& color = static_cast<zen::D3D9Renderer*>(renderer)->ClearColor();
            Line("clear %g %g %g %g", color.x, color.y, color.z, color.w);
        }
        renderer->FinishFrame();
        if (frame == 5 && lose)
            LoseAndRegain(static_cast<zen::D3D9Renderer*>(renderer));
        if (frame == 10 && !presented) {
            presented = true;
            Line("presented");
        }
        if (presented && Exists(goPath))
            break;
        Sleep(10);
    }
    Line("close %d", renderer->Close());
    Line("release %d", zen::ReleaseRenderer());
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string mode = argc > 3 ? argv[3] : "";
    return probe::WithEngine(argc, argv, 4, "RendererProbe OUT LOG fullscreen|windowed|lost",
                             [&] { return Run(mode != "windowed", mode == "lost", std::string(argv[1]) + ".go"); });
}
