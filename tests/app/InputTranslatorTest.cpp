#include <gtest/gtest.h>

#include "app/InputTranslator.h"
#include "app/KeyTable.h"

namespace brightfold {
namespace {

using T = InputTranslator;
using E = InputEvent;

InputEvent Translated(uint32_t message, uintptr_t wparam = 0, intptr_t lparam = 0)
{
    InputEvent event{99, 99, 99, 99};
    EXPECT_TRUE(T::Translate(message, wparam, lparam, &event)) << message;
    return event;
}

TEST(InputTranslator, KeysGoThroughTheKeyTable)
{
    EXPECT_EQ(Translated(T::kKeyDown, 'Q'), (E{E::kKeyboard, E::kPressed, KeyTable::KeyCode('Q'), 0}));
    EXPECT_EQ(Translated(T::kKeyUp, 27), (E{E::kKeyboard, E::kReleased, 49, 0}));  // Escape
    // The generic shift key has no code but still presses a key.
    EXPECT_EQ(Translated(T::kKeyDown, 16), (E{E::kKeyboard, E::kPressed, 100, 0}));
    // Only the virtual key counts: repeat count and scan code in lparam change nothing.
    EXPECT_EQ(Translated(T::kKeyDown, 'A', 0x401E0001), (E{E::kKeyboard, E::kPressed, 10, 0}));
    EXPECT_EQ(Translated(T::kKeyDown, uintptr_t{0x141}), (E{E::kKeyboard, E::kPressed, 100, 0}));
}

TEST(InputTranslator, SystemKeysAreKeysToo)
{
    // F10 and keys held with Alt arrive as system key messages; they press and release keys like
    // any other, so they end the saver too.
    EXPECT_EQ(Translated(T::kSystemKeyDown, 121), (E{E::kKeyboard, E::kPressed, 59, 0}));  // F10
    EXPECT_EQ(Translated(T::kSystemKeyUp, 121), (E{E::kKeyboard, E::kReleased, 59, 0}));
    EXPECT_EQ(Translated(T::kSystemKeyDown, 18), (E{E::kKeyboard, E::kPressed, 100, 0}));  // Alt itself
    EXPECT_EQ(Translated(T::kSystemKeyDown, 'X', 0x20000001), (E{E::kKeyboard, E::kPressed, 33, 0}));
}

TEST(InputTranslator, MousePositionIsTwoUnsignedHalves)
{
    EXPECT_EQ(Translated(T::kMouseMove, 0, 0x00370014), (E{E::kMouse, E::kMoved, 20, 55}));
    // Left of and above the client area: the halves are negative 16-bit values, taken unsigned.
    EXPECT_EQ(Translated(T::kMouseMove, 0, 0xFFFEFFFF), (E{E::kMouse, E::kMoved, 0xFFFF, 0xFFFE}));
    // The button state in wparam does not matter.
    EXPECT_EQ(Translated(T::kMouseMove, 0x0001, 0x00020003), (E{E::kMouse, E::kMoved, 3, 2}));
}

TEST(InputTranslator, ButtonsAreLeftRightMiddle)
{
    EXPECT_EQ(Translated(T::kLeftButtonDown, 0, 0x00100010), (E{E::kMouse, E::kPressed, 0, 0}));
    EXPECT_EQ(Translated(T::kLeftButtonUp), (E{E::kMouse, E::kReleased, 0, 0}));
    EXPECT_EQ(Translated(T::kRightButtonDown), (E{E::kMouse, E::kPressed, 1, 0}));
    EXPECT_EQ(Translated(T::kRightButtonUp), (E{E::kMouse, E::kReleased, 1, 0}));
    EXPECT_EQ(Translated(T::kMiddleButtonDown), (E{E::kMouse, E::kPressed, 2, 0}));
    EXPECT_EQ(Translated(T::kMiddleButtonUp), (E{E::kMouse, E::kReleased, 2, 0}));
}

TEST(InputTranslator, DestroyCloseAndQuitCloseTheWindow)
{
    for (uint32_t message : {T::kDestroy, T::kClose, T::kQuit})
        EXPECT_EQ(Translated(message, 5, 7), (E{E::kSystem, E::kClosed, 0, 0})) << message;
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
