#include "app/InputTranslator.h"

#include "app/KeyTable.h"

namespace brightfold {
namespace {

constexpr uint32_t kLeftButton = 0;
constexpr uint32_t kRightButton = 1;
constexpr uint32_t kMiddleButton = 2;

}  // namespace

bool InputTranslator::Translate(uint32_t message, uintptr_t wparam, intptr_t lparam, InputEvent* out)
{
    InputEvent event;
    switch (message) {
    case kDestroy:
    case kClose:
    case kQuit:
        event = {InputEvent::kSystem, InputEvent::kClosed, 0, 0};
        break;
    case kKeyDown:
    case kKeyUp:
    case kSystemKeyDown:
    case kSystemKeyUp:
        event = {InputEvent::kKeyboard,
                 message == kKeyDown || message == kSystemKeyDown ? InputEvent::kPressed : InputEvent::kReleased,
                 KeyTable::KeyCode(static_cast<uint32_t>(wparam > 0xFFFFFFFFu ? 0xFFFFFFFFu : wparam)), 0};
        break;
    case kMouseMove: {
        const auto position = static_cast<uint32_t>(static_cast<uintptr_t>(lparam));
        event = {InputEvent::kMouse, InputEvent::kMoved, position & 0xFFFFu, position >> 16};
        break;
    }
    case kLeftButtonDown:
    case kRightButtonDown:
    case kMiddleButtonDown:
    case kLeftButtonUp:
    case kRightButtonUp:
    case kMiddleButtonUp: {
        const bool down = message == kLeftButtonDown || message == kRightButtonDown || message == kMiddleButtonDown;
        const uint32_t button = (message == kLeftButtonDown || message == kLeftButtonUp)     ? kLeftButton
                                : (message == kRightButtonDown || message == kRightButtonUp) ? kRightButton
                                                                                             : kMiddleButton;
        event = {InputEvent::kMouse, down ? InputEvent::kPressed : InputEvent::kReleased, button, 0};
        break;
    }
    default:
        return false;
    }
    if (out)
        *out = event;
    return true;
}

}  // namespace brightfold
