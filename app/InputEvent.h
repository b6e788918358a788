#pragma once
#include <cstdint>

namespace brightfold {

// One user or system event, copied by value into the input queue.
//   keyboard: kind pressed/released, code = key code (KeyTable), value 0
//   mouse:    kind moved (code = x, value = y in client pixels, unsigned 16-bit halves),
//             kind pressed/released (code 0 left, 1 right, 2 middle)
//   system:   kind closed (the window is closing), code 0
struct InputEvent {
    enum Device : uint32_t { kKeyboard = 0, kMouse = 1, kSystem = 2 };
    enum Kind : uint32_t { kPressed = 1, kReleased = 2, kMoved = 3, kClosed = 4 };

    uint32_t device = 0;
    uint32_t kind = 0;
    uint32_t code = 0;
    uint32_t value = 0;

    friend bool operator==(const InputEvent&, const InputEvent&) = default;
};
static_assert(sizeof(InputEvent) == 16, "four unsigned 32-bit fields, copied by value into the queue");

}  // namespace brightfold
