#include "engine/modules/StaticModule.h"

#include "engine/core/MessageLog.h"

namespace zen {

StaticModule::StaticModule(const String& name) : Module(name) {}

StaticModule::~StaticModule()
{
    RunShutdown();
}

Result StaticModule::AddSymbol(const String& name, ModuleEntry entry)
{
    return m_symbols.Insert(name, entry);
}

Result StaticModule::GetSymbol(const String& name, ModuleEntry* out)
{
    if (!out) {
        Warning("Указатель на символ [%s] равен 0.", name.CStr());
        return kInvalidArgument;
    }
    const ModuleEntry* entry = m_symbols.Find(name);
    if (!entry) {
        Warning("Невозможно найти символ [%s] в модуле [%s].", name.CStr(), m_name.CStr());
        return kFailure;
    }
    *out = *entry;
    return kSuccess;
}

}  // namespace zen
