#pragma once
#include <cstdint>

#include "app/InputEvent.h"
#include "app/InputHandler.h"
#include "engine/core/Array.h"
#include "engine/core/Ptr.h"
#include "engine/core/Result.h"

namespace brightfold {

// The process-wide input queue. The window procedure posts events as messages are pumped;
// ProcessInput, once per frame, pumps the waiting messages and hands every queued event to each
// registered handler, the most recently registered first. The queue's slots are reused frame
// after frame; it only grows. Lives from engine start to engine stop.
class InputManager {
public:
    // Engine start and stop functions.
    static zen::Result Initialize();
    static zen::Result Terminate();

    // kInvalidArgument for null, kOutOfMemory, kSuccess (also when already registered, with a
    // warning). There is no unregistration: handlers stay until the engine stops.
    static zen::Result RegisterHandler(InputHandler* handler);

    static void PostEvent(const InputEvent& event);
    // Pumps window messages, then dispatches. kFailure only when pumping fails.
    static zen::Result ProcessInput();

    static uint32_t PendingCount();
    static uint32_t HandlerCount();
};

}  // namespace brightfold
