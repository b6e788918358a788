#pragma once
#include <cstdint>

namespace brightfold {

// What the process was started to do, from its command-line switch.
enum SaverMode : int32_t {
    kModePreview = 0,         // /p <window>: the preview picture inside the given window.
    kModeRun = 1,             // /s and every unknown switch: the full-screen scene.
    kModeTest = 2,            // /t: exactly as Run.
    kModeConfigure = 3,       // /c [window], or no switch: the settings dialog.
    kModeChangePassword = 4,  // /a [window]: nothing at all.
};

}  // namespace brightfold
