#include "engine/modules/StaticModuleRegistration.h"

#include <new>

#include "engine/modules/ModuleManager.h"
#include "engine/modules/StaticModule.h"

namespace zen {
namespace {

// "Initialize" and "Shutdown" of every static module: there is nothing to set up or tear down.
Result DoNothing()
{
    return kSuccess;
}

}  // namespace

Result RegisterStaticModule(const char* moduleName, const char* entryName, ModuleEntry entry)
{
    StaticModule* module = new (std::nothrow) StaticModule(String(moduleName));
    if (!module)
        return kFailure;
    const auto doNothing = reinterpret_cast<ModuleEntry>(&DoNothing);
    if (module->AddSymbol(String("Initialize"), doNothing) != kSuccess ||
        module->AddSymbol(String("Shutdown"), doNothing) != kSuccess ||
        module->AddSymbol(String(entryName), entry) != kSuccess ||
        ModuleManager::RegisterModule(module) != kSuccess) {
        delete module;
        return kFailure;
    }
    return kSuccess;
}

}  // namespace zen
