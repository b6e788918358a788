#include "engine/core/EngineFunctions.h"

#include <cstdlib>
#include <ctime>
#include <new>

#include "engine/core/Engine.h"
#include "engine/core/MessageLog.h"
#include "engine/core/Random.h"

namespace zen {
namespace {

void Add(Array<EngineFunction>*& list, EngineFunction function, const char* noMemoryMessage)
{
    if (!list) {
        list = new (std::nothrow) Array<EngineFunction>(1, 2);
        if (!list) {
            Critical("%s", noMemoryMessage);
            return;
        }
    }
    (void)list->Append(function);
}

// Index of the first function that fails, or the list's count when all succeed.
uint32_t RunUntilFailure(const Array<EngineFunction>* list)
{
    const uint32_t count = list ? list->Count() : 0;
    for (uint32_t i = 0; i < count; ++i)
        if ((*list)[i]() != kSuccess)
            return i;
    return count;
}

bool RunAll(const Array<EngineFunction>* list)
{
    return RunUntilFailure(list) == (list ? list->Count() : 0);
}

}  // namespace

EngineFunctions::~EngineFunctions()
{
    delete m_init;
    delete m_postInit;
    delete m_terminate;
}

void EngineFunctions::AddInit(EngineFunction function)
{
    Add(m_init, function, "Недостаточно памяти для создания массива функций инициализации.");
}

void EngineFunctions::AddPostInit(EngineFunction function)
{
    Add(m_postInit, function, "Недостаточно памяти для создания массива функций постинициализации.");
}

void EngineFunctions::AddTerminate(EngineFunction function)
{
    Add(m_terminate, function, "Недостаточно памяти для создания массива функций деинициализации.");
}

Result EngineFunctions::Initialize()
{
    Info("Инициализация движка v.%d.%d.%d:", kEngineVersionMajor, kEngineVersionMinor, kEngineVersionRelease);
    std::srand(static_cast<unsigned>(std::time(nullptr)));
    Random::Seed(static_cast<uint32_t>(std::time(nullptr)));
    if (!RunAll(m_init)) {
        Error("Инициализация движка неудачно.");
        return kFailure;
    }
    Info("Инициализация движка завершилась удачно.");
    Info("Постинициализация движка:");
    if (!RunAll(m_postInit)) {
        Error("Постинициализация движка неудачна.");
        return kFailure;
    }
    Info("Постинициализация движка завершилась удачно.");
    return kSuccess;
}

Result EngineFunctions::Shutdown()
{
    Info("Завершение работы движка:");
    if (!RunAll(m_terminate)) {
        Error("Завершение работы движка неудачно.");
        return kFailure;
    }
    Info("Завершение работы движка завершилось удачно.");
    return kSuccess;
}

}  // namespace zen
