#pragma once
#include "engine/core/Result.h"
#include "engine/core/String.h"

namespace zen {

class Module;

// The process-wide table of modules by name (a reference held on each). Static modules are
// registered by the engine's post-initialise step; LoadModule finds a registered module or
// loads a dynamic one. The table exists between Initialize and Terminate, which the engine
// runs at start and stop.
class ModuleManager {
public:
    static Result Initialize();
    static Result Terminate();  // Releases every module; a module whose last reference goes shuts down.

    // kSuccess (the table takes a reference); kInvalidArgument for null; kFailure when the name
    // is taken or the table cannot take it (the caller still owns the module then).
    static Result RegisterModule(Module* module);
    static Module* FindModule(const String& name);  // No reference taken; null when unknown.

    // The registered module called `name`, loading and registering its dynamic library when
    // there is none (its "Initialize" runs once then). `out` may be null. kSuccess; otherwise the
    // loader's result, or kFailure when the module's initialisation or registration fails (the
    // module is released then).
    static Result LoadModule(const String& name, Module** out = nullptr);
};

}  // namespace zen
