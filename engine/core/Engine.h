#pragma once
#include <cstdint>

#include "engine/core/EngineFunctions.h"

namespace zen {

// Engine start and stop. Classes, managers and modules contribute their functions from static
// initialisers (see Startup.h); the application starts the engine once while creating its saver
// and stops it once while destroying it.
constexpr uint32_t kEngineVersionMajor = 0;
constexpr uint32_t kEngineVersionMinor = 1;
constexpr uint32_t kEngineVersionRelease = 2;

void AddInitFunction(EngineFunction function);
void AddPostInitFunction(EngineFunction function);
void AddTerminateFunction(EngineFunction function);

[[nodiscard]] Result EngineInitialize();
[[nodiscard]] Result EngineShutdown();

EngineFunctions& ProcessEngineFunctions();

// A static initialiser that adds a class's or manager's Initialize and Terminate functions.
struct EngineRegistration {
    EngineRegistration(EngineFunction initialize, EngineFunction terminate)
    {
        AddInitFunction(initialize);
        AddTerminateFunction(terminate);
    }
};

// A static initialiser that adds one post-initialise function (a module's registration).
struct EnginePostInitRegistration {
    explicit EnginePostInitRegistration(EngineFunction function) { AddPostInitFunction(function); }
};

}  // namespace zen
