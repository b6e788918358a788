#pragma once
#include <windows.h>

#include <cstdint>

namespace brightfold {

class Saver;

// The preview picture inside the display settings page: the window procedure of the preview
// child window (which draws "preview.bmp" scaled to the window) and Preview mode's message
// loops. Closing the window or its parent ends the saver.
class PreviewWindow {
public:
    static intptr_t Procedure(void* window, uint32_t message, uintptr_t wparam, intptr_t lparam);
    // RunSaver in Preview mode: the start-up loop until the first timer, then the loop that
    // runs while the saver runs. 0.
    static int Run(Saver& saver);
};

}  // namespace brightfold
