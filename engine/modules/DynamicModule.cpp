#include "engine/modules/DynamicModule.h"

#include <new>

#include "engine/core/MessageLog.h"
#include "engine/vfs/File.h"
#include "engine/vfs/FileManager.h"
#include "platform/Platform.h"

namespace zen {

DynamicModule::DynamicModule(const String& name) : Module(name) {}

DynamicModule::~DynamicModule()
{
    RunShutdown();
    if (m_library && Unload() != kSuccess)
        Error("Невозможно выгрузить динамический модуль [%s].", m_name.CStr());
}

Result DynamicModule::LoadDynamicModule(Module** out, const String& name)
{
    if (!out) {
        Warning("Указатель на модуль [%s] равен 0.", name.CStr());
        return kInvalidArgument;
    }
    Info("Загружается модуль [%s].", name.CStr());
    const String fileName = name + String(".dll");
    File* file = FileManager::FindFile(fileName);
    if (!file) {
        Warning("Не найден файл модуля [%s].", fileName.CStr());
        return kInvalidArgument;
    }
    DynamicModule* module = new (std::nothrow) DynamicModule(name);
    if (!module) {
        Warning("Недостаточно памяти для создания модуля [%s].", name.CStr());
        return kOutOfMemory;
    }
    module->m_library = platform::OpenLibrary(file->GetPath().Std());
    if (!module->m_library) {
        delete module;
        Warning("Загрузка модуля [%s] неудачна.", name.CStr());
        return kFailure;
    }
    *out = module;
    return kSuccess;
}

Result DynamicModule::GetSymbol(const String& name, ModuleEntry* out)
{
    if (!m_library || !out) {
        Warning("Указатель при поиске символа [%s] равен 0.", name.CStr());
        return kInvalidArgument;
    }
    void* symbol = platform::FindLibrarySymbol(m_library, name.CStr());
    if (!symbol) {
        Warning("Символ [%s] не найден в модуле [%s].", name.CStr(), m_name.CStr());
        return kFailure;
    }
    *out = reinterpret_cast<ModuleEntry>(symbol);
    return kSuccess;
}

Result DynamicModule::Unload()
{
    Info("Выгружается модуль [%s].", m_name.CStr());
    if (!m_library)
        return kSuccess;
    if (!platform::CloseLibrary(m_library)) {
        Warning("Выгрузка модуля [%s] неудачна.", m_name.CStr());
        return kFailure;
    }
    m_library = nullptr;
    return kSuccess;
}

}  // namespace zen
