#pragma once
#include "app/InputEvent.h"
#include "engine/core/Named.h"
#include "engine/core/RefCounted.h"

namespace brightfold {

// Receives the queued input events once per frame from the InputManager. Handlers are
// reference counted: the manager holds each registered one until the engine stops.
class InputHandler : public zen::RefCounted, public zen::Named {
public:
    InputHandler() = default;
    explicit InputHandler(const zen::String& name) : zen::Named(name) {}

    // The manager ignores the result.
    virtual int HandleInput(const InputEvent& event) = 0;
};

}  // namespace brightfold
