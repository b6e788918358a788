#pragma once
#include <windows.h>

namespace brightfold {

// The About box (dialog resource 106): the logo picture and eight lines of interface text,
// centred over the settings dialog.
class AboutBox {
public:
    static void Show(HWND owner);

private:
    static INT_PTR CALLBACK Procedure(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);
};

}  // namespace brightfold
