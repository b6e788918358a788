#pragma once
#include <cstdint>

#include "app/InputHandler.h"
#include "app/SaverMode.h"
#include "app/SettingsStore.h"
#include "engine/core/FrameRateCounter.h"
#include "engine/core/Timer.h"
#include "platform/Platform.h"

namespace zen {
class Renderer;
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

    // The interface text `key`, or `fallback` when the texts have none.
    zen::String MessageOr(const char* key, const char* fallback) const;

    SaverMode m_mode = kModeConfigure;
    uint32_t m_windowParam = 0;   // Window number after the switch: preview parent or dialog owner.
    SettingsStore m_store;
    void* m_window = nullptr;     // Preview child window (or the dialog while it runs); not owned.
    bool m_running = false;       // RunSaver's loops run while set; input clears it.
    zen::Timer m_frameTimer;
    zen::FrameRateCounter m_frameRate;
};

}  // namespace brightfold
