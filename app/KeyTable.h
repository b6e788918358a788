#pragma once
#include <cstdint>

namespace brightfold {

// The engine's key codes: the window procedure maps every virtual-key code of a key message
// (0-255) through this table to a code 0-99, or kNoKeyCode for a key without one. Digits are
// 0-9, letters 10-35, and the rest follow in the order the saver's input handlers rely on.
// The generic shift, control and alt codes that key messages carry have no code of their own;
// only the left/right variants do.
class KeyTable {
public:
    static constexpr uint32_t kNoKeyCode = 100;
    static constexpr uint32_t kVirtualKeyCount = 256;

    // The key code of a virtual-key code; kNoKeyCode for codes without one and for values
    // above 255 (a message's key field is wider than the table).
    static uint32_t KeyCode(uint32_t virtualKey);
};

}  // namespace brightfold
