#include <gtest/gtest.h>

#include "app/InputTranslator.h"
#include "app/KeyTable.h"

namespace brightfold {
namespace {

using T = InputTranslator;
using E = InputEvent;

TEST(InputTranslator, MessagesBecomeEvents)
{
    const struct {
        uint32_t message;
        uintptr_t wparam;
        intptr_t lparam;
        InputEvent event;
    } cases[] = {
        {T::kKeyDown, 'Q', 0, {E::kKeyboard, E::kPressed, KeyTable::KeyCode('Q'), 0}},
        {T::kKeyUp, 27, 0, {E::kKeyboard, E::kReleased, 49, 0}},  // Escape
        // The generic shift key has no code but still presses a key.
        {T::kKeyDown, 16, 0, {E::kKeyboard, E::kPressed, 100, 0}},
        // Only the virtual key counts: repeat count and scan code in lparam change nothing.
        {T::kKeyDown, 'A', 0x401E0001, {E::kKeyboard, E::kPressed, 10, 0}},
        {T::kKeyDown, 0x141, 0, {E::kKeyboard, E::kPressed, 100, 0}},
        // F10 and keys held with Alt arrive as system key messages; they press and release keys
        // like any other, so they end the saver too.
        {T::kSystemKeyDown, 121, 0, {E::kKeyboard, E::kPressed, 59, 0}},  // F10
        {T::kSystemKeyUp, 121, 0, {E::kKeyboard, E::kReleased, 59, 0}},
        {T::kSystemKeyDown, 18, 0, {E::kKeyboard, E::kPressed, 100, 0}},  // Alt itself
        {T::kSystemKeyDown, 'X', 0x20000001, {E::kKeyboard, E::kPressed, 33, 0}},
        // The position is two unsigned halves: left of and above the client area they are
        // negative 16-bit values, taken unsigned. The button state in wparam does not matter.
        {T::kMouseMove, 0, 0x00370014, {E::kMouse, E::kMoved, 20, 55}},
        {T::kMouseMove, 0, static_cast<intptr_t>(0xFFFEFFFF), {E::kMouse, E::kMoved, 0xFFFF, 0xFFFE}},
        {T::kMouseMove, 0x0001, 0x00020003, {E::kMouse, E::kMoved, 3, 2}},
        {T::kLeftButtonDown, 0, 0x00100010, {E::kMouse, E::kPressed, 0, 0}},
        {T::kLeftButtonUp, 0, 0, {E::kMouse, E::kReleased, 0, 0}},
        {T::kRightButtonDown, 0, 0, {E::kMouse, E::kPressed, 1, 0}},
        {T::kRightButtonUp, 0, 0, {E::kMouse, E::kReleased, 1, 0}},
        {T::kMiddleButtonDown, 0, 0, {E::kMouse, E::kPressed, 2, 0}},
        {T::kMiddleButtonUp, 0, 0, {E::kMouse, E::kReleased, 2, 0}},
        {T::kDestroy, 5, 7, {E::kSystem, E::kClosed, 0, 0}},
        {T::kClose, 5, 7, {E::kSystem, E::kClosed, 0, 0}},
        {T::kQuit, 5, 7, {E::kSystem, E::kClosed, 0, 0}},
    };
    for (const auto& c : cases) {
        InputEvent event{99, 99, 99, 99};
        EXPECT_TRUE(T::Translate(c.message, c.wparam, c.lparam, &event)) << c.message << " " << c.wparam;
        EXPECT_EQ(event, c.event) << c.message << " " << c.wparam;
    }
}

TEST(InputTranslator, OtherMessagesCarryNoEvent)
{
    // Characters (plain and system), double clicks, the wheel, painting, activation, system
    // commands.
    for (uint32_t message : {0x0102u, 0x0106u, 0x0203u, 0x020Au, 0x000Fu, 0x0006u, 0x0112u, 0u}) {
        InputEvent event{7, 7, 7, 7};
        EXPECT_FALSE(T::Translate(message, 1, 1, &event)) << message;
        EXPECT_EQ(event, (E{7, 7, 7, 7}));
    }
}

}  // namespace
}  // namespace brightfold
