#pragma once
#include <windows.h>

#include <cstdint>

#include "engine/render/WindowLayer.h"

namespace brightfold {

// The Win32 system-window layer: registers the window class "<title> Class" with the engine
// window procedure, covers the display devices with windows (a child of a given window, a
// full-screen pop-up on each display device whose display mode passes a test switch, or one
// windowed window) and restores the devices' display modes when the window goes. The window
// procedure turns key, mouse and close messages into InputEvents for the InputManager.
// The program installs the one instance as the engine's WindowLayer at start.
class SystemWindow : public zen::WindowLayer {
public:
    zen::Result CreateSystemWindow(void** out, const zen::String& title, void* parent, bool fullscreen,
                                   uint32_t bits, int32_t x, int32_t y, uint32_t width, uint32_t height) override;
    // A window that is already gone (the default procedure destroys it on Alt+F4) counts as
    // destroyed: the display modes are still restored and the class unregistered.
    zen::Result DestroySystemWindow(void* window) override;

    // The engine window procedure: posts the message's InputEvent, if it has one, then returns
    // what the default window procedure returns.
    static LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

    static SystemWindow& Instance();

private:
    // Destroys the first window made by a CreateSystemWindow that fails part-way (the others
    // are owned by it and go with it), then restores and unregisters as DestroySystemWindow.
    void Abandon(HWND first);

    zen::String m_className;  // "<title> Class" of the registered class; empty when none.
};

}  // namespace brightfold
