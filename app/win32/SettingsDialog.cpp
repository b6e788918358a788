#include "app/win32/SettingsDialog.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "app/Saver.h"
#include "app/win32/AboutBox.h"
#include "app/win32/DialogPicture.h"
#include "app/win32/PreviewWindow.h"
#include "engine/render/Renderer.h"

namespace brightfold {
namespace {

constexpr int kSettingsResource = 113;

// Control ids of dialog 113 (and four the procedure serves when a dialog has them).
enum Control : int {
    kModeBox = 1016, kModeList = 1011, kUseDesktop = 11012, kGraphicsBox = 21018, kGammaLabel = 11106,
    kGamma = 1046, kGammaValue = 11118, kMiscBox = 11019, kShowFps = 1044, kExitOnMouse = 1045,
    kShowTime = 1119, kHour24 = 1112, kHour12 = 1111, kVolumeLabel = 11023, kVolume = 1020,
    kPicture = 1036, kProductsBox = 1022, kProducts = 1025, kVisit = 1061, kAbout = 1062,
    kRestoreDefaults = 1063, kMusic = 1021, kSfx = 11022, kSoundBox = 11017, kQualityBox = 1026,
};

// Controls and the interface text that replaces each one's resource text.
const struct {
    int id;
    const char* key;
} kTexts[] = {
    {kModeBox, "Mes_Settings_Box_Mode"},        {kUseDesktop, "Mes_Settings_UseDesktop"},
    {kGraphicsBox, "Mes_Settings_Box_Graphics"}, {kGammaLabel, "Mes_Settings_Gamma"},
    {kMiscBox, "Mes_Settings_Box_Misc"},         {kShowFps, "Mes_Settings_ShowFPS"},
    {kExitOnMouse, "Mes_Settings_ExitOnMouse"},  {kShowTime, "Mes_Settings_ShowTime"},
    {kHour24, "Mes_Settings_24h"},               {kHour12, "Mes_Settings_12h"},
    {kVolumeLabel, "Mes_Settings_MusicVolume"},  {kProductsBox, "Mes_Settings_Box_Products"},
    {kProducts, "Mes_Settings_Products"},        {kVisit, "Mes_Settings_Button_Visit"},
    {kAbout, "Mes_Settings_Button_About"},       {kRestoreDefaults, "Mes_Settings_Button_RestoreDefs"},
    {IDOK, "Mes_Button_OK"},                     {IDCANCEL, "Mes_Button_Cancel"},
    {kMusic, "Mes_Settings_EnableMusic"},        {kSfx, "Mes_Settings_EnableSound"},
    {kSoundBox, "Mes_Settings_Box_Sound"},       {kQualityBox, "Mes_Settings_Box_Quality"},
};

bool g_centre = true;  // The dialog is centred once per process.

bool Ticked(HWND dialog, int id)
{
    return IsDlgButtonChecked(dialog, id) == BST_CHECKED;
}

void Tick(HWND dialog, int id, bool on)
{
    CheckDlgButton(dialog, id, on ? BST_CHECKED : BST_UNCHECKED);
}

void Enable(HWND dialog, int id, bool on)
{
    if (HWND control = GetDlgItem(dialog, id))
        EnableWindow(control, on);
}

void ShowGamma(HWND dialog, int32_t gamma)
{
    char text[32];
    std::snprintf(text, sizeof text, "%d%s", gamma + 100, "%");
    SetDlgItemTextA(dialog, kGammaValue, text);
}

int TrackbarPosition(HWND dialog, int id)
{
    return static_cast<int>(SendDlgItemMessageA(dialog, id, TBM_GETPOS, 0, 0));
}

// Moves `id` to (x, y) pixels of the dialog's client area at 96 DPI, scaled to the dialog's DPI.
void Place(HWND dialog, int id, int x, int y, int dpi)
{
    if (HWND control = GetDlgItem(dialog, id))
        SetWindowPos(control, nullptr, MulDiv(x, dpi, 96), MulDiv(y, dpi, 96), 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

int DialogDpi(HWND dialog)
{
    int dpi = 96;
    if (HDC dc = GetDC(dialog)) {
        dpi = GetDeviceCaps(dc, LOGPIXELSY);
        ReleaseDC(dialog, dc);
    }
    return dpi > 0 ? dpi : 96;
}

}  // namespace

int SettingsDialog::Run(Saver& saver, HWND owner)
{
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_BAR_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    const INT_PTR result = DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(kSettingsResource), owner,
                                           &Procedure, reinterpret_cast<LPARAM>(&saver));
    saver.SetWindow(nullptr);
    return result > 0 ? 0 : 1;
}

void SettingsDialog::Initialize(Saver& saver, HWND dialog)
{
    if (const zen::String* title = saver.Settings().LookupMessage(zen::String("Mes_Settings_Title")))
        SetWindowTextA(dialog, title->CStr());
    for (const auto& text : kTexts)
        if (const zen::String* value = saver.Settings().LookupMessage(zen::String(text.key)))
            SetDlgItemTextA(dialog, text.id, value->CStr());
    saver.SetWindow(dialog);

    // Final layout: the three lower buttons on one row and the dialog's own size, in pixels at
    // 96 DPI scaled to the dialog's DPI so nothing falls outside on a high-DPI display.
    const int dpi = DialogDpi(dialog);
    Place(dialog, IDOK, 378, 357, dpi);
    Place(dialog, IDCANCEL, 474, 357, dpi);
    Place(dialog, kRestoreDefaults, 18, 357, dpi);
    SetWindowPos(dialog, nullptr, 0, 0, MulDiv(590, dpi, 96), MulDiv(425, dpi, 96), SWP_NOMOVE | SWP_NOZORDER);

    // The settings picture, scaled to its frame once.
    if (HWND picture = GetDlgItem(dialog, kPicture)) {
        RECT client;
        if (GetClientRect(picture, &client))
            if (HBITMAP bitmap = DialogPicture::Load("settings.bmp", client.right, client.bottom)) {
                HGDIOBJ old = reinterpret_cast<HGDIOBJ>(
                    SendMessageA(picture, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap)));
                if (old)
                    DeleteObject(old);
            }
    }
    Refresh(saver, dialog);
}

void SettingsDialog::FillModes(Saver& saver, HWND dialog)
{
    const zen::Renderer* renderer = zen::Renderer::Current();
    const UserSettings& settings = saver.CurrentSettings();
    SendDlgItemMessageA(dialog, kModeList, CB_RESETCONTENT, 0, 0);
    if (!renderer)
        return;
    for (uint32_t i = 0; i < renderer->DisplayModeCount(); ++i) {
        const zen::DisplayMode& mode = *renderer->GetDisplayMode(i);
        if (!mode.fullscreen || mode.width < 640 || mode.height < 480)
            continue;
        char text[200];
        std::snprintf(text, sizeof text, "%ux%ux%ubits", mode.width, mode.height, mode.colorBits);
        if (SendDlgItemMessageA(dialog, kModeList, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                reinterpret_cast<LPARAM>(text)) != CB_ERR)
            continue;  // One item per size and depth: the first record of it.
        const LRESULT item = SendDlgItemMessageA(dialog, kModeList, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
        if (item < 0)
            continue;
        SendDlgItemMessageA(dialog, kModeList, CB_SETITEMDATA, static_cast<WPARAM>(item), i);
        const bool chosen = settings.useDesktopSettings
                                ? static_cast<int32_t>(i) == renderer->DesktopModeIndex()
                                : static_cast<int64_t>(mode.width) == settings.width &&
                                      static_cast<int64_t>(mode.height) == settings.height &&
                                      static_cast<int64_t>(mode.colorBits) == settings.colorDepth;
        if (chosen)
            SendDlgItemMessageA(dialog, kModeList, CB_SETCURSEL, static_cast<WPARAM>(item), 0);
    }
}

void SettingsDialog::Refresh(Saver& saver, HWND dialog)
{
    const UserSettings& s = saver.CurrentSettings();
    SendDlgItemMessageA(dialog, kGamma, TBM_SETRANGEMAX, TRUE, 100);
    SendDlgItemMessageA(dialog, kGamma, TBM_SETRANGEMIN, TRUE, -100);
    SendDlgItemMessageA(dialog, kGamma, TBM_SETPOS, TRUE, s.gamma);
    ShowGamma(dialog, s.gamma);
    SendDlgItemMessageA(dialog, kVolume, TBM_SETRANGE, TRUE, MAKELPARAM(0, 100));
    SendDlgItemMessageA(dialog, kVolume, TBM_SETPOS, TRUE, s.volume);
    CheckRadioButton(dialog, kHour12, kHour24, s.hour24 ? kHour24 : kHour12);
    Tick(dialog, kShowTime, s.showTime);
    Enable(dialog, kHour12, s.showTime);
    Enable(dialog, kHour24, s.showTime);
    Tick(dialog, kMusic, s.music);
    Tick(dialog, kSfx, s.sfx);
    Enable(dialog, kVolume, s.music || s.sfx);
    Enable(dialog, kVolumeLabel, s.music || s.sfx);
    Tick(dialog, kShowFps, s.showFps);
    Tick(dialog, kExitOnMouse, s.exitOnMouseMove);
    Tick(dialog, kUseDesktop, s.useDesktopSettings);
    Enable(dialog, kModeList, !s.useDesktopSettings);

    const zen::Renderer* renderer = zen::Renderer::Current();
    if (g_centre && renderer && renderer->DesktopModeIndex() >= 0) {
        const zen::DisplayMode& desktop = *renderer->GetDisplayMode(static_cast<uint32_t>(renderer->DesktopModeIndex()));
        // The dialog's size grows with the DPI, so the size it is centred by grows with it
        // (otherwise at 144 DPI its right and bottom edges leave the screen); on a screen
        // smaller than that it starts at the top left corner instead of far outside.
        const int dpi = DialogDpi(dialog);
        const int x = (static_cast<int>(desktop.width) - MulDiv(530, dpi, 96)) / 2;
        const int y = (static_cast<int>(desktop.height) - MulDiv(440, dpi, 96)) / 2;
        SetWindowPos(dialog, nullptr, std::max(x, 0), std::max(y, 0), 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        g_centre = false;
    }
    FillModes(saver, dialog);
    (void)saver.AdjustDialog();
}

INT_PTR SettingsDialog::Command(Saver& saver, HWND dialog, int id)
{
    UserSettings& s = saver.Settings().Current();
    switch (id) {
    case kMusic:
    case kSfx:
        (id == kMusic ? s.music : s.sfx) = Ticked(dialog, id);
        Tick(dialog, id, id == kMusic ? s.music : s.sfx);
        Enable(dialog, kVolume, s.music || s.sfx);
        Enable(dialog, kVolumeLabel, s.music || s.sfx);
        break;
    case kShowFps:
        s.showFps = Ticked(dialog, id);
        break;
    case kExitOnMouse:
        s.exitOnMouseMove = Ticked(dialog, id);
        break;
    case kShowTime:
        s.showTime = Ticked(dialog, id);
        Enable(dialog, kHour12, s.showTime);
        Enable(dialog, kHour24, s.showTime);
        break;
    case kHour24:
        s.hour24 = Ticked(dialog, kHour24);
        break;
    case kHour12:
        s.hour24 = !Ticked(dialog, kHour12);
        break;
    case kUseDesktop:
        s.useDesktopSettings = Ticked(dialog, id);
        Tick(dialog, id, s.useDesktopSettings);
        Enable(dialog, kModeList, !s.useDesktopSettings);
        break;
    case IDOK: {
        const LRESULT item = SendDlgItemMessageA(dialog, kModeList, CB_GETCURSEL, 0, 0);
        const zen::Renderer* renderer = zen::Renderer::Current();
        if (item != CB_ERR && renderer) {
            const LRESULT index = SendDlgItemMessageA(dialog, kModeList, CB_GETITEMDATA, static_cast<WPARAM>(item), 0);
            if (const zen::DisplayMode* mode = renderer->GetDisplayMode(static_cast<uint32_t>(index))) {
                s.width = static_cast<int32_t>(mode->width);
                s.height = static_cast<int32_t>(mode->height);
                s.colorDepth = static_cast<int32_t>(mode->colorBits);
            }
        }
        (void)saver.Settings().WriteRegistry();
        EndDialog(dialog, 1);
        return TRUE;
    }
    case IDCANCEL:
        EndDialog(dialog, 2);
        return TRUE;
    case kAbout:
        AboutBox::Show(dialog);
        break;
    case kRestoreDefaults:
        (void)saver.Settings().ApplyDefaults();
        Refresh(saver, dialog);
        break;
    case kVisit:
        ShellExecuteA(dialog, "open", saver.Settings().WebSite().CStr(), nullptr, nullptr, SW_SHOWNORMAL);
        break;
    default:
        break;
    }
    return -1;  // Not an ending command: the picture step decides the result.
}

INT_PTR CALLBACK SettingsDialog::Procedure(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (message == WM_INITDIALOG)
        SetWindowLongPtrA(dialog, DWLP_USER, lparam);
    Saver* saver = reinterpret_cast<Saver*>(GetWindowLongPtrA(dialog, DWLP_USER));
    if (!saver)
        return FALSE;
    switch (message) {
    case WM_INITDIALOG:
        Initialize(*saver, dialog);
        break;
    case WM_HSCROLL:
    case WM_NOTIFY: {
        // The trackbars report moves with scroll messages (and custom-draw notifications).
        const HWND control = message == WM_HSCROLL ? reinterpret_cast<HWND>(lparam)
                                                   : reinterpret_cast<const NMHDR*>(lparam)->hwndFrom;
        const int id = control ? GetDlgCtrlID(control) : 0;
        UserSettings& s = saver->Settings().Current();
        if (id == kVolume) {
            s.volume = TrackbarPosition(dialog, kVolume);
        } else if (id == kGamma) {
            s.gamma = TrackbarPosition(dialog, kGamma);
            ShowGamma(dialog, s.gamma);
        }
        break;
    }
    case WM_COMMAND: {
        const INT_PTR ended = Command(*saver, dialog, LOWORD(wparam));
        if (ended != -1)
            return ended;
        break;
    }
    default:
        break;
    }
    return saver->DrawSettingsPicture(dialog, message, wparam, lparam);
}

namespace {

int RunSettings(Saver& saver)
{
    return SettingsDialog::Run(saver, reinterpret_cast<HWND>(static_cast<uintptr_t>(saver.WindowParam())));
}

// The Windows build's dialogs and preview take their place in the saver before the entry runs.
struct InstallWindowsDialogs {
    InstallWindowsDialogs()
    {
        Saver::DialogFunctions functions;
        functions.runSettings = &RunSettings;
        functions.runPreview = &PreviewWindow::Run;
        functions.previewProcedure = &PreviewWindow::Procedure;
        Saver::InstallDialogs(functions);
    }
} s_installDialogs;

}  // namespace

}  // namespace brightfold
