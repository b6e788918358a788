#include "app/InputManager.h"

#include <new>

#include "engine/core/Engine.h"
#include "engine/core/MessageLog.h"
#include "engine/core/Startup.h"
#include "platform/Platform.h"

namespace brightfold {
namespace {

struct HandlerNode {
    zen::Ptr<InputHandler> handler;
    HandlerNode* next;
};

struct InputState {
    zen::Array<InputEvent>* queue = nullptr;  // Owned; null outside engine start and stop.
    uint32_t pending = 0;                     // Events queued since the last dispatch.
    HandlerNode* handlers = nullptr;          // Owned list, newest first.
};

InputState g_input;

zen::EngineRegistration s_registerInput ZEN_STARTUP(zen::kStartupInputManager)(&InputManager::Initialize,
                                                                               &InputManager::Terminate);

}  // namespace

zen::Result InputManager::Initialize()
{
    zen::Info("Инициализация менеджера ввода.");
    if (!g_input.queue)
        g_input.queue = new (std::nothrow) zen::Array<InputEvent>(128, 128);
    if (!g_input.queue) {
        zen::Error("Недостаточно памяти для инициализации менеджера ввода.");
        return zen::kFailure;
    }
    g_input.pending = 0;
    zen::Info("Менеджер ввода инициализирован.");
    return zen::kSuccess;
}

zen::Result InputManager::Terminate()
{
    zen::Info("Завершение работы менеджера ввода.");
    delete g_input.queue;
    g_input.queue = nullptr;
    g_input.pending = 0;
    while (HandlerNode* node = g_input.handlers) {
        g_input.handlers = node->next;
        delete node;
    }
    zen::Info("Менеджер ввода завершил работу.");
    return zen::kSuccess;
}

zen::Result InputManager::RegisterHandler(InputHandler* handler)
{
    if (!handler) {
        zen::Warning("Указатель на обработчик ввода равен 0.");
        return zen::kInvalidArgument;
    }
    for (HandlerNode* node = g_input.handlers; node; node = node->next) {
        if (node->handler.Get() == handler) {
            zen::Warning("Обработчик ввода [%s] уже зарегестрирован.", handler->Name().CStr());
            return zen::kSuccess;
        }
    }
    HandlerNode* node = new (std::nothrow) HandlerNode{handler, g_input.handlers};
    if (!node) {
        zen::Error("Недостаточно памяти для регистрации обработчика ввода [%s].", handler->Name().CStr());
        return zen::kOutOfMemory;
    }
    g_input.handlers = node;
    return zen::kSuccess;
}

void InputManager::PostEvent(const InputEvent& event)
{
    if (!g_input.queue)
        return;  // Outside engine start and stop there is nobody to deliver to.
    if (g_input.pending < g_input.queue->Count()) {
        (*g_input.queue)[g_input.pending] = event;
    } else if (g_input.queue->Append(event) != zen::kSuccess) {
        return;  // Out of memory: the event is lost, the queue stays consistent.
    }
    ++g_input.pending;
}

zen::Result InputManager::ProcessInput()
{
    if (!platform::PumpMessages()) {
        zen::Error("Системный ввод неудачен.");
        return zen::kFailure;
    }
    // Events posted while the handlers run join this pass (the count is read anew), reaching
    // the current handler and those after it.
    for (HandlerNode* node = g_input.handlers; node; node = node->next) {
        zen::Ptr<InputHandler> handler = node->handler;
        for (uint32_t i = 0; g_input.queue && i < g_input.pending; ++i) {
            const InputEvent event = (*g_input.queue)[i];
            (void)handler->HandleInput(event);
        }
    }
    g_input.pending = 0;
    return zen::kSuccess;
}

uint32_t InputManager::PendingCount()
{
    return g_input.pending;
}

uint32_t InputManager::HandlerCount()
{
    uint32_t count = 0;
    for (HandlerNode* node = g_input.handlers; node; node = node->next)
        ++count;
    return count;
}

}  // namespace brightfold
