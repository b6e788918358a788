#include "app/Saver.h"

#include "app/CommandLine.h"
#include "app/InputManager.h"
#include "engine/core/Engine.h"
#include "engine/core/MessageLog.h"
#include "engine/modules/CodecManager.h"
#include "engine/modules/ModuleManager.h"
#include "engine/render/Renderer.h"
#include "engine/scene/Camera.h"
#include "engine/scene/Texture.h"
#include "engine/scene/TextureEffect.h"
#include "engine/scene/Triangles.h"
#include "engine/vfs/FileManager.h"

namespace brightfold {
namespace {

// Never reset: the first ten moves of the process are ignored, however slowly they come.
int32_t g_mouseMoveBudget = 10;
// Where the pointer was at the last move message. The window system sends move messages that
// move nothing (one when the window appears under the resting pointer, others when windows
// change under it), so only a message at a new place counts, and the first one only tells
// where the pointer rests.
bool g_pointerKnown = false;
uint32_t g_pointerX = 0, g_pointerY = 0;

constexpr int kCustomDataResource = 134;
constexpr int kMediaResource = 227;

bool IsFullScreenMode(SaverMode mode)
{
    return mode == kModeRun || mode == kModeTest;
}

// Codec modules by mode: the dialog and the preview need pictures only; the full-screen saver
// also needs the scene, its textures and the archives.
const char* const kDialogCodecs[] = {"BMPImageCodec", "JPGImageCodec", "RAR2FileCodec"};
const char* const kSceneCodecs[] = {"BMPImageCodec",  "JPGImageCodec", "TGAImageCodec",
                                    "CUBEImageCodec", "STRSceneCodec", "RAR2FileCodec"};

template <size_t N>
void LoadCodecModules(const char* const (&names)[N])
{
    // A codec that cannot be loaded is not fatal here: the file that needs it fails later.
    for (const char* name : names)
        (void)zen::ModuleManager::LoadModule(zen::String(name), nullptr);
    for (const char* name : names)
        (void)zen::CodecManager::LoadCodec(zen::String(name), nullptr);
}

Saver* g_current = nullptr;  // Not owned: the process entry holds the saver.

}  // namespace

Saver::Saver() : m_store(*this)
{
    g_current = this;
}

Saver::~Saver()
{
    if (g_current == this)
        g_current = nullptr;
}

Saver* Saver::Current()
{
    return g_current;
}

int32_t Saver::MouseMoveBudget()
{
    return g_mouseMoveBudget;
}

void Saver::ResetMouseMoveBudgetForTesting()
{
    g_mouseMoveBudget = 10;
    g_pointerKnown = false;
}

// --- Lifecycle ------------------------------------------------------------------------------

int Saver::CreateSaver()
{
    if (ParseCommandLine() != 0) {
        zen::Error("Невозможно выбрать режим скринсейвера.");
        return 1;
    }
    zen::Info("Режим скринсейвера %d.", m_mode);
    if (m_store.LoadDefaults() != 0) {
        zen::Error("Невозможно загрузить значения параметров по-умолчанию.");
        return 1;
    }
    zen::Info("Значения параметров по-умолчанию загружены.");
    if (m_store.ApplyDefaults() != 0) {
        zen::Error("Невозможно установить значения параметров по-умолчанию.");
        return 1;
    }
    zen::Info("Значения параметров по-умолчанию установлены.");
    if (m_store.ReadRegistry() != 0) {
        zen::Error("Невозможно прочитать значения параметров из реестра.");
        return 1;
    }
    zen::Info("Значения параметров прочитаны из реестра.");
    if (m_store.LogSettings() != 0)
        zen::Error("Невозможно вывести значения параметров.");  // Only logged; the saver goes on.
    if (m_store.LoadMessages() != 0) {
        zen::Error("Невозможно загрузить значения локальных данных.");
        return 1;
    }
    zen::Info("Значения локальных данных загружены.");
    if (StartEngine() != 0) {
        zen::Error("Невозможно инициализировать скринсейвер.");
        return 1;
    }
    zen::Info("Скринсейвер инициализирован.");
    if (CreateWindows() != 0) {
        zen::Error("Невозможно создать окна скринсейвера.");
        return 1;
    }
    zen::Info("Окна скринсейвера созданы.");
    if (IsFullScreenMode(m_mode) && CreateSceneData() != 0)
        return 1;
    m_running = true;
    return 0;
}

int Saver::RunSaver()
{
    switch (m_mode) {
    case kModeConfigure:
        zen::Info("Запущен режим конфигурирования.");
        return RunSettingsDialog();
    case kModePreview:
        return RunPreview();
    case kModeRun:
    case kModeTest:
        return RunFrameLoop();
    case kModeChangePassword:
        return 0;
    }
    return 0;
}

int Saver::DestroySaver()
{
    if (IsFullScreenMode(m_mode)) {
        if (DestroyData() != 0) {
            zen::Error("Невозможно удалить данные скринсейвера.");
            return 1;
        }
        if (DestroyVisuals() != 0) {
            zen::Error("Невозможно удалить данные визуализации.");
            return 1;
        }
    }
    if (DestroyWindows() != 0) {
        zen::Error("Невозможно удалить окна скринсейвера.");
        return 1;
    }
    zen::Info("Окна скринсейвера удалены.");
    if (StopEngine() != 0) {
        zen::Error("Невозможно завершить работу скринсейвера.");
        return 1;
    }
    zen::Info("Скринсейвер завершил работу.");
    return 0;
}

int Saver::ParseCommandLine()
{
    const CommandLine parsed = CommandLine::Parse(platform::CommandLine());
    m_mode = parsed.mode;
    m_windowParam = parsed.windowParam;
    return 0;
}

// --- Engine ---------------------------------------------------------------------------------

int Saver::StartEngine()
{
    if (m_mode != kModeChangePassword) {
        if (zen::EngineInitialize() != zen::kSuccess) {
            zen::Error("Невозможно инициализировать движок.");
            return 1;
        }
        if (zen::LoadRenderer(zen::String("DirectX9")) != zen::kSuccess) {
            zen::Error("Невозможно создать рендерер DirectX.");
            return 1;
        }
        if (IsFullScreenMode(m_mode))
            LoadCodecModules(kSceneCodecs);
        else
            LoadCodecModules(kDialogCodecs);
        if (zen::FileManager::AttachResource(kCustomDataResource, zen::String("CustomData.rar2"), zen::String()) !=
            zen::kSuccess) {
            zen::Error("Невозможно подсоединить директорию CustomData.");
            return 1;
        }
        if (IsFullScreenMode(m_mode)) {
            if (zen::FileManager::AttachResource(kMediaResource, zen::String("Media.rar2"), zen::String()) !=
                zen::kSuccess) {
                zen::Error("Невозможно подсоединить директорию Media.");
                return 1;
            }
            if (InputManager::RegisterHandler(this) != zen::kSuccess) {
                zen::Error("Невозможно зарегистрировать обработчик событий.");
                return 1;
            }
        }
    }
    return OnEngineStarted();
}

int Saver::StopEngine()
{
    if (OnEngineStopping() != 0)
        return 1;
    if (m_mode != kModeChangePassword) {
        if (zen::ReleaseRenderer() != zen::kSuccess) {
            zen::Error("Невозможно удалить рендерер DirectX.");
            return 1;
        }
        if (zen::EngineShutdown() != zen::kSuccess) {
            zen::Error("Невозможно завершить работу движка.");
            return 1;
        }
    }
    return 0;
}

// --- Input ----------------------------------------------------------------------------------

int Saver::HandleInput(const InputEvent& event)
{
    switch (event.device) {
    case InputEvent::kKeyboard:
        if (event.kind == InputEvent::kPressed)
            m_running = false;
        break;
    case InputEvent::kMouse:
        if (event.kind == InputEvent::kPressed) {
            m_running = false;
        } else if (event.kind == InputEvent::kMoved) {
            const bool moved = g_pointerKnown && (event.code != g_pointerX || event.value != g_pointerY);
            g_pointerKnown = true;
            g_pointerX = event.code;
            g_pointerY = event.value;
            if (moved && m_store.Current().exitOnMouseMove && --g_mouseMoveBudget < 0)
                m_running = false;
        }
        break;
    case InputEvent::kSystem:
        if (event.kind == InputEvent::kClosed && event.code == 0)
            m_running = false;
        break;
    default:
        break;
    }
    return OnInput(event);
}

// --- Virtual operations: what every saver does unless it says otherwise ----------------------

int Saver::OnInput(const InputEvent&) { return 0; }
int Saver::OnDefaultsApplied() { return 0; }
int Saver::OnSettingsLogged() { return 0; }
int Saver::ParseExtraSetting(const zen::String&, const zen::String&) { return 0; }
int Saver::ReadExtraSettings(platform::SettingsKey) { return 0; }
int Saver::WriteExtraSettings(platform::SettingsKey) { return 0; }
int Saver::DrawSettingsPicture(void*, uint32_t, uintptr_t, intptr_t) { return 0; }
int Saver::AdjustDialog() { return 0; }
int Saver::OnEngineStarted() { return 0; }
int Saver::OnEngineStopping() { return 0; }
int Saver::CacheData() { return 0; }
int Saver::DialogHook(void*) { return 0; }

}  // namespace brightfold
