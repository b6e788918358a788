#pragma once
#include "engine/core/Array.h"
#include "engine/core/Result.h"

namespace zen {

// A function the engine runs at start or stop; kSuccess means it worked.
using EngineFunction = Result (*)();

// The engine's three start and stop lists: initialise, post-initialise and terminate functions,
// each created on its first append with capacity 1 and increment 2, in append order. Starting
// runs the initialise list, then the post-initialise list, stopping at the first failure;
// stopping runs the terminate list in the same (not reversed) order. Contributions come from
// static initialisers, so the process-wide instance (Engine.h) is constant-initialised.
class EngineFunctions {
public:
    constexpr EngineFunctions() = default;
    ~EngineFunctions();
    EngineFunctions(const EngineFunctions&) = delete;
    EngineFunctions& operator=(const EngineFunctions&) = delete;

    void AddInit(EngineFunction function);
    void AddPostInit(EngineFunction function);
    void AddTerminate(EngineFunction function);

    Result Initialize();  // kSuccess or kFailure, with the engine's start lines in the log.
    Result Shutdown();    // kSuccess or kFailure, with the engine's stop lines in the log.

    const Array<EngineFunction>* InitList() const { return m_init; }
    const Array<EngineFunction>* PostInitList() const { return m_postInit; }
    const Array<EngineFunction>* TerminateList() const { return m_terminate; }

private:
    Array<EngineFunction>* m_init = nullptr;       // Owned; null until the first append.
    Array<EngineFunction>* m_postInit = nullptr;   // Owned; null until the first append.
    Array<EngineFunction>* m_terminate = nullptr;  // Owned; null until the first append.
};

}  // namespace zen
