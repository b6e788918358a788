#pragma once
#include "engine/modules/Module.h"

namespace zen {

// A module that is an operating-system library. Its file, "<module name>.dll", is found
// through the file tree (FileManager::FindFile) and loaded from the file's full path; the
// entry points are the library's exported symbols. Destroying it runs "Shutdown" and releases
// the library.
class DynamicModule : public Module {
public:
    // Finds and loads the library of module `name`. kSuccess with an unreferenced module in
    // `out`; kInvalidArgument for a null `out` or no such file; kOutOfMemory; kFailure when the
    // library does not load.
    static Result LoadDynamicModule(Module** out, const String& name);

    explicit DynamicModule(const String& name);
    ~DynamicModule() override;

    Result GetSymbol(const String& name, ModuleEntry* out) override;
    // Releases the library: kSuccess (also when none is held), kFailure when the system refuses.
    Result Unload();
    bool IsLoaded() const { return m_library != nullptr; }

private:
    void* m_library = nullptr;  // Owned library handle; null when not loaded.
};

}  // namespace zen
