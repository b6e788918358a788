// The full-screen saver's frame: the steps between CreateWindows and the frame loop, and the
// loop itself.
#include "app/InputManager.h"
#include "app/Saver.h"
#include "engine/core/MessageLog.h"
#include "engine/render/Renderer.h"
#include "engine/sound/SoundManager.h"

namespace brightfold {

int Saver::CreateSceneData()
{
    if (zen::Renderer* renderer = zen::Renderer::Current())
        renderer->SetGamma(m_store.Current().gamma);
    const UserSettings& settings = m_store.Current();
    const int32_t volume = settings.music || settings.sfx ? settings.volume : 0;
    zen::SoundManager::SetVolume(static_cast<uint32_t>(volume));  // Read as 32 bits: above 100 is 100.
    if (CreateVisuals() != 0) {
        zen::Error("Невозможно создать данные визуализации.");
        return 1;
    }
    if (ShowLoadingScreen() != 0) {
        zen::Error("Невозможно вывести загрузочный экран.");
        return 1;
    }
    if (CreateData() != 0) {
        zen::Error("Невозможно создать данные скринсейвера.");
        return 1;
    }
    if (CacheData() != 0) {
        zen::Error("Невозможно закэшировать данные скринсейвера.");
        return 1;
    }
    return 0;
}

int Saver::RunFrameLoop()
{
    zen::Renderer* renderer = zen::Renderer::Current();
    m_frameTimer.Reset();
    m_frameTimer.Resume();
    // The flag is tested only here, so the frame in which an exit is asked for is completed.
    // No sleep and no cap: the loop renders as fast as the renderer presents.
    while (m_running) {
        if (InputManager::ProcessInput() != zen::kSuccess) {
            zen::Error("Неудачна обработка ввода.");
            return 1;
        }
        const double seconds = m_frameTimer.Delta();
        m_frameRate.Frame();
        if (Update(seconds) != 0) {
            zen::Error("Неудачно обновление сцены.");
            return 1;
        }
        renderer->Clear(zen::Renderer::kClearColor | zen::Renderer::kClearDepth, zen::Vector4{0, 0, 0, 1}, 1.0f, 0);
        const zen::Result begun = renderer->StartFrame();
        // A lost device skips frames until it is back; the scene keeps moving meanwhile and
        // input can still end the run. Anything else means no frame can be drawn at all.
        if (begun == zen::kFailure)
            continue;
        if (begun != zen::kSuccess) {
            zen::Error("Неудачно начало рендеринга.");
            return 1;
        }
        if (Render() != 0) {
            zen::Error("Неудачен рендеринг.");
            return 1;
        }
        DrawOverlays();
        renderer->FinishFrame();
    }
    return 0;
}

}  // namespace brightfold
