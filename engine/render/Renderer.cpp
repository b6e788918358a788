#include "engine/render/Renderer.h"

#include "engine/core/MessageLog.h"
#include "engine/modules/Module.h"
#include "engine/modules/ModuleManager.h"

namespace zen {
namespace {

Ptr<Renderer> g_renderer;  // The process-wide renderer; its module is kept in the renderer.

}  // namespace

Renderer::~Renderer() = default;

Renderer* Renderer::Current()
{
    return g_renderer.Get();
}

Result Renderer::StartFrame()
{
    return BeginFrame();
}

void Renderer::FinishFrame()
{
    EndFrame();
}

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
