#pragma once
#include <cstdint>

#include "app/InputEvent.h"

namespace brightfold {

// Turns the window messages the engine window procedure receives into InputEvents: key
// down/up, plain or system (the virtual key through KeyTable), mouse move (client position as two unsigned
// 16-bit halves, so positions left of or above the client area come as large values), left,
// right and middle button down/up, and destroy, close and quit as "closed". Every other
// message has no event. The system sends F10 and every key pressed with or after Alt as a
// system key message, so those count as keys too: otherwise such a key could not end the
// saver. Message numbers are the system's; this part is portable so the mapping is checked
// without a window system.
class InputTranslator {
public:
    // Message numbers of the system's window messages that carry input.
    static constexpr uint32_t kDestroy = 0x0002;
    static constexpr uint32_t kClose = 0x0010;
    static constexpr uint32_t kQuit = 0x0012;
    static constexpr uint32_t kKeyDown = 0x0100;
    static constexpr uint32_t kKeyUp = 0x0101;
    static constexpr uint32_t kSystemKeyDown = 0x0104;
    static constexpr uint32_t kSystemKeyUp = 0x0105;
    static constexpr uint32_t kMouseMove = 0x0200;
    static constexpr uint32_t kLeftButtonDown = 0x0201;
    static constexpr uint32_t kLeftButtonUp = 0x0202;
    static constexpr uint32_t kRightButtonDown = 0x0204;
    static constexpr uint32_t kRightButtonUp = 0x0205;
    static constexpr uint32_t kMiddleButtonDown = 0x0207;
    static constexpr uint32_t kMiddleButtonUp = 0x0208;

    // True with the event in `out` when the message carries one; false (out untouched) otherwise.
    static bool Translate(uint32_t message, uintptr_t wparam, intptr_t lparam, InputEvent* out);
};

}  // namespace brightfold
