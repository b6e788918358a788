// The saver's windows: the preview child window, or the full-screen window and device made
// through the renderer. Neither the dialog nor the settings-only modes need a window.
#include "app/Saver.h"
#include "engine/core/MessageLog.h"
#include "engine/render/Renderer.h"
#include "engine/sound/SoundManager.h"
#include "engine/vfs/File.h"
#include "engine/vfs/FileManager.h"

namespace brightfold {
namespace {

constexpr uint32_t kMinimumWidth = 640;
constexpr uint32_t kMinimumHeight = 480;
constexpr uint32_t kWindowedWidth = 640;   // Used only when the chosen mode is a windowed one.
constexpr uint32_t kWindowedHeight = 480;

Saver::DialogFunctions g_dialogs;

}  // namespace

void Saver::InstallDialogs(const DialogFunctions& functions)
{
    g_dialogs = functions;
}

std::string Saver::CopyToTempFile(const char* name)
{
    zen::File* file = zen::FileManager::FindFile(zen::String(name));
    if (!file) {
        zen::Error("Невозможно найти файл [%s].", name);
        return std::string();
    }
    if (file->Open(zen::File::kRead) != zen::kSuccess) {
        zen::Error("Невозможно открыть файл [%s].", name);
        return std::string();
    }
    std::string path;
    const uint8_t* bytes = file->Data();
    const bool copied = platform::WriteTemporaryFile("NEW", bytes, bytes ? file->GetSize() : 0, path);
    (void)file->Close();
    if (!copied) {
        zen::Error("Невозможно создать временный файл для [%s].", name);
        return std::string();
    }
    return path;
}

zen::String Saver::MessageOr(const char* key, const char* fallback) const
{
    const zen::String* text = m_store.LookupMessage(zen::String(key));
    return text ? *text : zen::String(fallback);
}

int32_t Saver::ChooseDisplayMode(const zen::Renderer& renderer, const UserSettings& settings)
{
    if (!settings.useDesktopSettings) {
        for (uint32_t i = 0; i < renderer.DisplayModeCount(); ++i) {
            const zen::DisplayMode& mode = *renderer.GetDisplayMode(i);
            if (mode.fullscreen && mode.width >= kMinimumWidth && mode.height >= kMinimumHeight &&
                static_cast<int64_t>(mode.width) == settings.width &&
                static_cast<int64_t>(mode.height) == settings.height &&
                static_cast<int64_t>(mode.colorBits) == settings.colorDepth)
                return static_cast<int32_t>(i);
        }
    }
    return renderer.DesktopModeIndex();
}

int Saver::CreateWindows()
{
    switch (m_mode) {
    case kModeConfigure:
    case kModeChangePassword:
        return 0;
    case kModePreview: {
        const zen::String className = MessageOr("AppName", "BRIGHTFOLD 3D SCREENSAVER APPLICATION");
        m_window = platform::CreatePreviewWindow(className.Std(), m_windowParam, g_dialogs.previewProcedure);
        return m_window ? 0 : 1;
    }
    case kModeRun:
    case kModeTest:
        break;
    }

    zen::Renderer* renderer = zen::Renderer::Current();
    const int32_t mode = renderer ? ChooseDisplayMode(*renderer, m_store.Current()) : -1;
    if (mode < 0) {
        zen::Error("Невозможно найти подходящий видео режим.");
        return 1;
    }
    const zen::String title = MessageOr("AppName", "3D SCREENSAVER");
    if (renderer->Open(static_cast<uint32_t>(mode), title, reinterpret_cast<void*>(uintptr_t{m_windowParam}), 0, 0,
                       kWindowedWidth, kWindowedHeight) != zen::kSuccess) {
        zen::Error("Невозможно создать окно выбранного режима.");
        return 1;
    }
    // The sound device again, now with the saver's window; a failure leaves the saver silent.
    zen::SoundManager::StartDevice(renderer->Window());
    platform::HideMouseCursor();
    return 0;
}

int Saver::DestroyWindows()
{
    // The full-screen window goes with the renderer when the engine stops.
    if (m_mode == kModePreview) {
        const zen::String className = MessageOr("AppName", "BRIGHTFOLD 3D SCREENSAVER APPLICATION");
        platform::DestroyPreviewWindow(m_window, className.Std());
        m_window = nullptr;
        platform::ShowMouseCursor();
    }
    return 0;
}

int Saver::RunSettingsDialog()
{
    if (g_dialogs.runSettings)
        return g_dialogs.runSettings(*this);
    zen::Error("Диалог настроек недоступен в этой сборке.");
    return 1;
}

int Saver::RunPreview()
{
    if (g_dialogs.runPreview)
        return g_dialogs.runPreview(*this);
    zen::Error("Окно предварительного просмотра недоступно в этой сборке.");
    return 1;
}

}  // namespace brightfold
