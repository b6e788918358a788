#pragma once
#include <windows.h>

namespace brightfold {

class Saver;

// The modal settings dialog of Configure mode (dialog resource 113): every control shows one
// setting of the saver's current settings, OK writes them to the registry, Cancel writes
// nothing, Restore Defaults puts the defaults back into the controls. Its texts come from the
// interface texts (a missing one keeps the resource's text); the mode list offers each
// full-screen mode of at least 640 x 480 once.
class SettingsDialog {
public:
    // Shows the dialog, owned by window number `owner`; RunSaver's result: 0 when the dialog
    // ended (OK or Cancel), 1 when it could not be shown.
    static int Run(Saver& saver, HWND owner);
    // Puts the saver's current settings into the controls of `dialog`.
    static void Refresh(Saver& saver, HWND dialog);

private:
    static INT_PTR CALLBACK Procedure(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);
    static void Initialize(Saver& saver, HWND dialog);
    static INT_PTR Command(Saver& saver, HWND dialog, int id);
    static void FillModes(Saver& saver, HWND dialog);
};

}  // namespace brightfold
