#include "engine/core/Engine.h"

namespace zen {
namespace {

constinit EngineFunctions g_engineFunctions;

}  // namespace

EngineFunctions& ProcessEngineFunctions()
{
    return g_engineFunctions;
}

void AddInitFunction(EngineFunction function)
{
    g_engineFunctions.AddInit(function);
}

void AddPostInitFunction(EngineFunction function)
{
    g_engineFunctions.AddPostInit(function);
}

void AddTerminateFunction(EngineFunction function)
{
    g_engineFunctions.AddTerminate(function);
}

Result EngineInitialize()
{
    return g_engineFunctions.Initialize();
}

Result EngineShutdown()
{
    return g_engineFunctions.Shutdown();
}

}  // namespace zen
