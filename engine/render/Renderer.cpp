#include "engine/render/Renderer.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "engine/anim/PostUpdateController.h"
#include "engine/core/MessageLog.h"
#include "engine/modules/Module.h"
#include "engine/modules/ModuleManager.h"
#include "engine/render/WindowLayer.h"
#include "engine/scene/Camera.h"
#include "engine/scene/GeometryNode.h"
#include "engine/sound/SoundManager.h"

namespace zen {
namespace {

Ptr<Renderer> g_renderer;  // The process-wide renderer; its module is kept in the renderer.
bool g_messageBoxes = true;

}  // namespace

Renderer::Renderer() : m_modes(16, 16), m_stateStack(8, 8), m_postUpdates(1, 1) {}

Renderer::~Renderer()
{
    // The back end has released its device already (see the header); only the window remains.
    if (m_window) {
        if (WindowLayer* layer = WindowLayer::Installed())
            (void)layer->DestroySystemWindow(m_window);
        m_window = nullptr;
    }
}

Renderer* Renderer::Current()
{
    return g_renderer.Get();
}

void Renderer::SetMessageBoxesAllowed(bool allowed)
{
    g_messageBoxes = allowed;
}

bool Renderer::MessageBoxesAllowed()
{
    return g_messageBoxes;
}

// --- Window and device ------------------------------------------------------------------------

Result Renderer::Open(uint32_t modeIndex, const String& title, void* parent, int32_t x, int32_t y, uint32_t width,
                      uint32_t height)
{
    if (m_window && Close() != kSuccess) {
        Error("Закрытие окна неудачно.");
        return kFailure;
    }
    const DisplayMode* mode = GetDisplayMode(modeIndex);
    if (!mode)
        return kInvalidArgument;
    WindowLayer* layer = WindowLayer::Installed();
    if (!layer) {
        Error("Оконный слой не установлен.");
        Error("Создание окна неудачно.");
        return kFailure;
    }
    // A full-screen mode covers each display device from its origin, in the mode's own size.
    const uint32_t windowWidth = mode->fullscreen ? mode->width : width;
    const uint32_t windowHeight = mode->fullscreen ? mode->height : height;
    const int32_t windowX = mode->fullscreen ? 0 : x;
    const int32_t windowY = mode->fullscreen ? 0 : y;
    void* window = nullptr;
    if (layer->CreateSystemWindow(&window, title, parent, mode->fullscreen, mode->colorBits, windowX, windowY,
                                  windowWidth, windowHeight) != kSuccess) {
        Error("Создание окна неудачно.");
        return kFailure;
    }
    m_window = window;
    return CreateDevice(modeIndex, width, height);
}

Result Renderer::Close()
{
    m_camera = nullptr;
    m_currentGeometry = nullptr;
    m_stateStack.Clear();
    m_deferred.Clear();
    m_currentPass = nullptr;
    ReleaseDevice();
    if (!m_window)
        return kInvalidArgument;
    void* window = m_window;
    m_window = nullptr;
    WindowLayer* layer = WindowLayer::Installed();
    if (!layer || layer->DestroySystemWindow(window) != kSuccess) {
        Error("Закрытие окна неудачно.");
        return kFailure;
    }
    return kSuccess;
}

void Renderer::SetCapabilities(const RendererCapabilities& capabilities)
{
    m_recorded = capabilities;
    m_capabilities = capabilities;
    m_capabilities.vertexShaderVersion = std::min(m_capabilities.vertexShaderVersion, m_shaderLimit);
    m_capabilities.pixelShaderVersion = std::min(m_capabilities.pixelShaderVersion, m_shaderLimit);
}

void Renderer::LimitShaderVersion(uint32_t version)
{
    m_shaderLimit = version;
    SetCapabilities(m_recorded);
}

const DisplayMode* Renderer::GetDisplayMode(uint32_t index) const
{
    return index < m_modes.Count() ? &m_modes[index] : nullptr;
}

Result Renderer::AddDisplayMode(const DisplayMode& mode)
{
    return m_modes.Append(mode);
}

void Renderer::BuildGammaRamp(int32_t offset, uint16_t* ramp)
{
    // The settings keep the curve as a percentage around 100 (the neutral curve). The exponent
    // is 1 / gamma, so more than 100% lifts the dark tones; gamma is kept above 0 so that 0%
    // still gives a (very dark) picture instead of a division by zero.
    offset = std::clamp(offset, -100, 100);
    const double gamma = std::max(0.1, (100.0 + offset) / 100.0);
    for (uint32_t i = 0; i < 256; ++i) {
        const double value = 65535.0 * std::pow(i / 255.0, 1.0 / gamma);
        const uint16_t entry = static_cast<uint16_t>(std::clamp(value + 0.5, 0.0, 65535.0));
        ramp[i] = ramp[256 + i] = ramp[512 + i] = entry;
    }
}

void Renderer::SetGamma(int32_t offset)
{
    uint16_t ramp[3 * 256];
    BuildGammaRamp(offset, ramp);
    SetGammaRamp(ramp);
}

// --- Frame ------------------------------------------------------------------------------------

void Renderer::SetCamera(Camera* camera)
{
    m_camera = camera;
    if (camera)
        camera->ResetActivePlanes();
}

void Renderer::SetCurrentGeometry(GeometryNode* node)
{
    m_currentGeometry = node;
}

Result Renderer::StartFrame()
{
    if (!m_camera) {
        Camera* camera = new (std::nothrow) Camera();
        if (!camera) {
            Error("Недостаточно памяти для создания камеры по умолчанию.");
            return kOutOfMemory;
        }
        SetCamera(camera);
    }
    // The camera's matrices and planes follow its world transform before anything is culled.
    m_camera->UpdateState(0.0, true);
    m_camera->ResetActivePlanes();

    const Result begun = BeginFrame();
    // The count is read anew each step: a controller registered while the list runs still runs
    // in this frame (and, being listed, only once); one that goes meanwhile is taken off
    // (ForgetPostUpdate moves the cursor back when it lay before it).
    for (m_postUpdateNext = 0; m_postUpdateNext < m_postUpdates.Count();) {
        PostUpdateController* controller = m_postUpdates[m_postUpdateNext++];
        controller->PostUpdate();
    }
    m_postUpdates.Clear();
    m_postUpdateNext = 0;
    // What is heard turns with what is seen: the listener stays at the origin (positional
    // sounds are placed relative to the camera) and takes the camera's axes.
    SoundManager::SetListener(m_camera->Forward(), m_camera->Up());
    return begun;
}

void Renderer::FinishFrame()
{
    FlushDeferred();
    m_currentGeometry = nullptr;
    EndFrame();
    ++m_frameNumber;
}

// --- State stack ------------------------------------------------------------------------------

Result Renderer::PushLightState(Light* light)
{
    if (!light) {
        Warning("Указатель на источник света равен 0.");
        return kInvalidArgument;
    }
    const Result appended = m_stateStack.Append(light);
    if (appended != kSuccess)
        return kOutOfMemory;
    PushLight(light);
    return kSuccess;
}

bool Renderer::PopStateEntry()
{
    if (m_stateStack.Count() == 0)
        return false;
    m_stateStack.RemoveAt(m_stateStack.Count() - 1);
    PopState();
    return true;
}

Light* Renderer::StateEntry(uint32_t index) const
{
    return index < m_stateStack.Count() ? m_stateStack[index] : nullptr;
}

// --- Deferred queue and post-update list --------------------------------------------------------

Result Renderer::AddDeferred(GeometryNode* node, float squaredDistance)
{
    if (!node)
        return kInvalidArgument;
    return m_deferred.Add(node, squaredDistance);
}

void Renderer::FlushDeferred()
{
    FlushDeferredFrom(0);
}

void Renderer::FlushDeferredFrom(uint32_t first)
{
    m_deferred.SortBackToFront(first);
    // The nodes stay alive while they are drawn (the scene holds them). A node queued while the
    // flush runs is drawn in it too, after the sorted ones.
    for (uint32_t i = first; i < m_deferred.Count(); ++i)
        m_deferred[i].node->DrawDeferred(this);
    m_deferred.Truncate(first);
}

Result Renderer::RegisterPostUpdate(PostUpdateController* controller)
{
    if (!controller)
        return kInvalidArgument;
    if (m_postUpdates.Contains(controller))
        return kSuccess;
    return m_postUpdates.Append(controller);
}

void Renderer::ForgetPostUpdate(PostUpdateController* controller)
{
    const uint32_t index = m_postUpdates.IndexOf(controller);
    if (index == Array<PostUpdateController*>::kNotFound)
        return;
    m_postUpdates.RemoveAt(index);
    if (index < m_postUpdateNext)
        --m_postUpdateNext;
}

// --- Loader -----------------------------------------------------------------------------------

Result LoadRenderer(const String& moduleName)
{
    Module* module = nullptr;
    if (ModuleManager::LoadModule(moduleName, &module) != kSuccess || !module) {
        Warning("Невозможно загрузить библиотеку рендерера [%s].", moduleName.CStr());
        return kInvalidArgument;
    }
    Ptr<Module> keep(module);
    CreateRendererFunction create = nullptr;
    if (module->GetEntry(String("CreateRenderer"), create) != kSuccess || !create) {
        Error("В модуле не найдена функция создания рендерера [%s].", moduleName.CStr());
        return kInvalidArgument;
    }
    Renderer* renderer = nullptr;
    if (create(&renderer) != kSuccess || !renderer) {
        Error("Создание рендерера [%s] неудачно.", moduleName.CStr());
        return kFailure;
    }
    renderer->m_module = module;
    g_renderer = renderer;
    return kSuccess;
}

Result ReleaseRenderer()
{
    g_renderer = nullptr;
    return kSuccess;
}

}  // namespace zen
