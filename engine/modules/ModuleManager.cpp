#include "engine/modules/ModuleManager.h"

#include <new>

#include "engine/core/Engine.h"
#include "engine/core/HashMap.h"
#include "engine/core/MessageLog.h"
#include "engine/core/Ptr.h"
#include "engine/core/Startup.h"
#include "engine/modules/DynamicModule.h"
#include "engine/modules/Module.h"

namespace zen {
namespace {

using ModuleMap = HashMap<String, Ptr<Module>>;
ModuleMap* g_modules = nullptr;  // Owned; exists between Initialize and Terminate.

}  // namespace

static EngineRegistration s_registerModuleManager ZEN_STARTUP(kStartupModuleManager)(&ModuleManager::Initialize,
                                                                                    &ModuleManager::Terminate);

Result ModuleManager::Initialize()
{
    Info("Инициализация менеджера модулей.");
    if (!g_modules) {
        try {
            g_modules = new ModuleMap(32);
        } catch (const std::bad_alloc&) {
            Error("Недостаточно памяти для инициализации менеджера модулей.");
            return kFailure;
        }
    }
    Info("Менеджер модулей инициализирован.");
    return kSuccess;
}

Result ModuleManager::Terminate()
{
    Info("Завершение работы менеджера модулей.");
    // The table is gone before the modules shut down, so a module's "Shutdown" cannot find a
    // half-emptied table.
    ModuleMap* modules = g_modules;
    g_modules = nullptr;
    delete modules;
    Info("Менеджер модулей завершил работу.");
    return kSuccess;
}

Result ModuleManager::RegisterModule(Module* module)
{
    if (!module) {
        Warning("Указатель на модуль равен 0 при регистрации.");
        return kInvalidArgument;
    }
    if (g_modules && g_modules->Find(module->Name())) {
        Warning("Модуль с именем [%s] уже зарегестрирован.", module->Name().CStr());
        return kFailure;
    }
    // The slot is made empty and filled afterwards: a reference taken for a failed insertion
    // would, when dropped, destroy the module the caller still owns.
    if (!g_modules || g_modules->Insert(module->Name(), Ptr<Module>()) != kSuccess) {
        Warning("Невозможно вставить модуль [%s] в таблицу зарегестрированных модулей.", module->Name().CStr());
        return kFailure;
    }
    *g_modules->Find(module->Name()) = module;
    return kSuccess;
}

Module* ModuleManager::FindModule(const String& name)
{
    if (!g_modules)
        return nullptr;
    Ptr<Module>* found = g_modules->Find(name);
    return found ? found->Get() : nullptr;
}

Result ModuleManager::LoadModule(const String& name, Module** out)
{
    if (Module* registered = FindModule(name)) {
        if (out)
            *out = registered;
        return kSuccess;
    }
    Info("Загружается модуль [%s].", name.CStr());
    Module* module = nullptr;
    const Result loaded = DynamicModule::LoadDynamicModule(&module, name);
    if (loaded != kSuccess) {
        Error("Невозможно загрузить модуль [%s].", name.CStr());
        return loaded;
    }
    module->SetName(name);
    ModuleInitializeFunction initialize = nullptr;
    if (module->GetEntry(String("Initialize"), initialize) != kSuccess) {
        Warning("В модуле не найдена функция инициализации модуля [%s].", name.CStr());
    } else if (initialize() != kSuccess) {
        Error("Неудачна инициализация модуля.");
        delete module;
        return kFailure;
    }
    if (RegisterModule(module) != kSuccess) {
        Error("Невозможно зарегестрировать модуль [%s].", name.CStr());
        delete module;
        return kFailure;
    }
    if (out)
        *out = module;
    return kSuccess;
}

}  // namespace zen
