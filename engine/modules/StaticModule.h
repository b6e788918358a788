#pragma once
#include "engine/core/HashMap.h"
#include "engine/modules/Module.h"

namespace zen {

// A module whose entry points are functions of the program itself, added by name. Codec and
// renderer modules register one each during the engine's post-initialise step (see
// StaticModuleRegistration.h). Destroying it runs its "Shutdown".
class StaticModule : public Module {
public:
    explicit StaticModule(const String& name);
    ~StaticModule() override;

    // kSuccess; kFailure when the name is already present (the first entry stays); kOutOfMemory.
    Result AddSymbol(const String& name, ModuleEntry entry);
    Result GetSymbol(const String& name, ModuleEntry* out) override;

private:
    HashMap<String, ModuleEntry> m_symbols{32};
};

}  // namespace zen
