#pragma once
#include <cstdint>
#include <string>

#include "app/InputHandler.h"
#include "app/SaverMode.h"
#include "app/SettingsStore.h"
#include "engine/core/FrameRateCounter.h"
#include "engine/core/Ptr.h"
#include "engine/core/Timer.h"
#include "platform/Platform.h"

namespace zen {
class Camera;
class Renderer;
class Texture;
class TextureEffect;
class Triangles;
}

namespace brightfold {

// The application object, one per process. Its three steps — CreateSaver, RunSaver,
// DestroySaver, always called in that order and DestroySaver even after a failed
// CreateSaver — start the engine, show the settings dialog, the preview picture or the
// full-screen scene, and take everything down again. It is also an input handler: a key, a
// mouse button, a closed window or (when wished) the eleventh mouse move ends the run.
// Every operation returns 0 on success and non-zero on failure, after logging why.
class Saver : public InputHandler {
public:
    Saver();
    ~Saver() override;

    // Lifecycle (called by the process entry)
    int CreateSaver();
    int RunSaver();
    int DestroySaver();

    // Virtual operations a concrete saver supplies or extends.
    int HandleInput(const InputEvent& event) override;  // The exit rule, then OnInput.
    virtual int OnInput(const InputEvent& event);
    virtual int OnDefaultsApplied();
    virtual int OnSettingsLogged();
    virtual int ParseExtraSetting(const zen::String& key, const zen::String& value);
    virtual int ReadExtraSettings(platform::SettingsKey key);
    virtual int WriteExtraSettings(platform::SettingsKey key);
    virtual int DrawSettingsPicture(void* dialog, uint32_t message, uintptr_t wparam, intptr_t lparam);
    virtual int AdjustDialog();
    virtual int OnEngineStarted();
    virtual int OnEngineStopping();
    virtual int Update(double seconds) = 0;
    virtual int Render() = 0;
    virtual int CreateOverlay() = 0;
    virtual int DestroyOverlay() = 0;
    virtual int CreateData() = 0;
    virtual int DestroyData() = 0;
    virtual int CacheData();
    virtual int DialogHook(void* dialog);

    // Steps of the lifecycle, public for the dialogs and for tests.
    int ParseCommandLine();  // Always 0; sets mode and windowParam from the process's line.
    int StartEngine();
    int StopEngine();
    int CreateWindows();
    int DestroyWindows();

    // State
    SaverMode Mode() const { return m_mode; }
    uint32_t WindowParam() const { return m_windowParam; }
    bool IsRunning() const { return m_running; }
    void Stop() { m_running = false; }
    SettingsStore& Settings() { return m_store; }
    const UserSettings& CurrentSettings() const { return m_store.Current(); }

    // The display mode Run and Test open: with UseDesktopSettings the renderer's desktop mode;
    // otherwise the first full-screen mode of at least 640 x 480 with the wanted width, height
    // and colour depth, or the desktop mode when none has them. -1 when there is none.
    static int32_t ChooseDisplayMode(const zen::Renderer& renderer, const UserSettings& settings);

    // The clock overlay's text for a local time: hour without a leading zero (0-23, or with the
    // 12-hour style the hour up to 12 and the hour minus 12 above, followed by " am " or
    // " pm "), then two-digit minutes and seconds. At most 15 characters.
    static std::string ClockText(int hour, int minute, int second, bool hour24);
    // The clock's left edge for a text of `length` characters (right-aligned at the bottom).
    static float ClockLeft(size_t length, bool hour24);

    // The system's settings dialog, preview loop and preview window procedure. The Windows
    // build installs them from a static initialiser (app/win32); without them the dialog and
    // the preview say they are not available. Each runner returns RunSaver's result.
    struct DialogFunctions {
        int (*runSettings)(Saver& saver) = nullptr;
        int (*runPreview)(Saver& saver) = nullptr;
        platform::WindowProcedure previewProcedure = nullptr;
    };
    static void InstallDialogs(const DialogFunctions& functions);
    // The process's saver (the latest constructed that still lives), for window and dialog
    // procedures; null when none.
    static Saver* Current();

    // Copies file `name` of the file tree to a new temporary file (prefix "NEW") and returns
    // its path; empty (logged) when the file is missing or the copy cannot be made. The copy
    // is removed when the process ends (platform::WriteTemporaryFile).
    static std::string CopyToTempFile(const char* name);

    // The window this saver made (the preview) or the settings dialog while it runs.
    void* Window() const { return m_window; }
    void SetWindow(void* window) { m_window = window; }
    // The interface text `key`, or `fallback` when the texts have none.
    zen::String MessageOr(const char* key, const char* fallback) const;

    // The eleventh mouse move of the process ends the saver when ExitOnMouseMove is on.
    static int32_t MouseMoveBudget();
    static void ResetMouseMoveBudgetForTesting();

protected:
    // Run and Test: gamma, volume, visuals, loading screen, scene data (after the windows).
    int CreateSceneData();
    int RunFrameLoop();
    int RunSettingsDialog();
    int RunPreview();

    // Presentation: the loading screen, fades and overlays drawn over the scene.
    int CreateVisuals();
    int DestroyVisuals();
    int ShowLoadingScreen();
    void DrawOverlays();
    // Draws `text` with the glyph pictures from (x, y) (bottom left of the first cell, overlay
    // units), each cell w x h; a space draws nothing and advances w / 2. Always 0.
    int DrawGlyphText(const char* text, float x, float y, float w, float h);
    // Draws the unit quad at its current placement through the current camera and flushes it
    // at once, so the next glyph or picture can switch the texture.
    void DrawOverlayQuad();
    // Makes the overlay camera current with the screen projection, first scaled by (sx, sy)
    // and moved by (x, y) in overlay units (the loading screen's corner pictures).
    void UseOverlayCamera(float sx = 1, float sy = 1, float x = 0, float y = 0);
    // Places the unit quad: scale (w, h, 1), translation (x, y, 0).
    void PlaceQuad(float x, float y, float w, float h);

    SaverMode m_mode = kModeConfigure;
    uint32_t m_windowParam = 0;   // Window number after the switch: preview parent or dialog owner.
    SettingsStore m_store;
    void* m_window = nullptr;     // Preview child window (or the dialog while it runs); not owned.
    bool m_running = false;       // RunSaver's loops run while set; input clears it.
    zen::Timer m_frameTimer;
    zen::FrameRateCounter m_frameRate;

    // Presentation (CreateVisuals to DestroyVisuals). The loader pictures live only until the
    // loading screen has been presented.
    static constexpr int kLoaderTextures = 5;   // Background, then the corners ld, rd, lu, ru.
    static constexpr int kGlyphTextures = 15;   // 0-9, a, p, m, ".", ":".
    zen::Ptr<zen::Triangles> m_quad;            // The unit square, texture coordinates (x, 1 - y).
    zen::Ptr<zen::TextureEffect> m_spriteEffect;
    zen::Ptr<zen::Camera> m_overlayCamera;
    zen::Ptr<zen::Texture> m_loaderTextures[kLoaderTextures];
    zen::Ptr<zen::Texture> m_glyphTextures[kGlyphTextures];
};

}  // namespace brightfold
