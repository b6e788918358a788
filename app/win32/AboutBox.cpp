#include "app/win32/AboutBox.h"

#include <cstdio>

#include "app/Saver.h"
#include "app/win32/DialogPicture.h"

namespace brightfold {
namespace {

constexpr int kAboutResource = 106;
constexpr int kLogoControl = 1037;
constexpr int kFirstLine = 1040;

void SetText(HWND dialog, int id, Saver& saver, const char* key)
{
    const zen::String* text = saver.Settings().LookupMessage(zen::String(key));
    if (!text)
        return;  // The resource's own text stays.
    if (id == 0)
        SetWindowTextA(dialog, text->CStr());
    else
        SetDlgItemTextA(dialog, id, text->CStr());
}

}  // namespace

void AboutBox::Show(HWND owner)
{
    DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(kAboutResource), owner, &Procedure, 0);
}

INT_PTR CALLBACK AboutBox::Procedure(HWND dialog, UINT message, WPARAM wparam, LPARAM)
{
    Saver* saver = Saver::Current();
    switch (message) {
    case WM_INITDIALOG: {
        if (saver) {
            SetText(dialog, 0, *saver, "Mes_About_Title");
            SetText(dialog, IDOK, *saver, "Mes_Button_OK");
            for (int line = 0; line < 8; ++line) {
                char key[32];
                std::snprintf(key, sizeof key, "Mes_About_String%d", line + 1);
                SetText(dialog, kFirstLine + line, *saver, key);
            }
        }
        // Centred over the settings dialog, keeping its own size.
        HWND settings = saver ? static_cast<HWND>(saver->Window()) : nullptr;
        RECT over, own;
        if (settings && GetWindowRect(settings, &over) && GetWindowRect(dialog, &own)) {
            const int width = own.right - own.left, height = own.bottom - own.top;
            SetWindowPos(dialog, nullptr, over.left + ((over.right - over.left) - width) / 2,
                         over.top + ((over.bottom - over.top) - height) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        }
        return TRUE;
    }
    case WM_PAINT:
        DialogPicture::PaintInto(GetDlgItem(dialog, kLogoControl), "logo.bmp");
        return FALSE;
    case WM_COMMAND:
        if (LOWORD(wparam) == IDOK || LOWORD(wparam) == IDCANCEL) {
            EndDialog(dialog, 1);
            return TRUE;
        }
        return FALSE;
    default:
        return FALSE;
    }
}

}  // namespace brightfold
