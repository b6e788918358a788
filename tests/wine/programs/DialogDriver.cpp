// Drives the settings dialog of a running Brightfold.scr /c from outside, as a user would:
//   DialogDriver OUT STEP...
// Steps, in order: "texts" writes the dialog's caption and control texts ("id|text") and the
// mode list ("mode|text"); "click:ID" clicks a button; "track:ID:POS" moves a trackbar and
// tells the dialog; "rects" writes the screen's size ("screen|w h"), the dialog's window and
// client rectangles on the screen ("window|l t r b", "client|l t r b") and each control's
// ("rect|id|l t r b"); "gamma" writes the gamma trackbar's range and position and the text
// beside it ("gamma|min max position|text"); "about" opens the About box, writes its caption and texts and closes it;
// "ok" and "cancel" end the dialog. Every line of OUT is flushed at once; "done" ends it.
//   DialogDriver OUT parent FLAG
// instead makes a 152 x 112 window to hold a preview ("hwnd|<number>"), and destroys it as
// soon as the file FLAG exists ("closed").
#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "ProbeOutput.h"

namespace {

// A dialog exists, hidden, while it initialises its controls; it is shown only then.
HWND WaitForWindow(const char* title, int seconds)
{
    for (int i = 0; i < seconds * 20; ++i) {
        HWND window = FindWindowA(nullptr, title);
        if (window && IsWindowVisible(window))
            return window;
        Sleep(50);
    }
    return nullptr;
}

std::string Text(HWND window)
{
    char text[512] = {};
    SendMessageA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    return text;
}

BOOL CALLBACK WriteChild(HWND child, LPARAM)
{
    probe::Line("%d|%s", GetDlgCtrlID(child), Text(child).c_str());
    return TRUE;
}

void WriteRect(const char* what, const RECT& r)
{
    probe::Line("%s|%ld %ld %ld %ld", what, r.left, r.top, r.right, r.bottom);
}

BOOL CALLBACK WriteChildRect(HWND child, LPARAM)
{
    RECT r;
    if (GetWindowRect(child, &r)) {
        char what[32];
        std::snprintf(what, sizeof what, "rect|%d", GetDlgCtrlID(child));
        WriteRect(what, r);
    }
    return TRUE;
}

int RunParent(const char* flag)
{
    HWND parent = probe::PreviewParent("PreviewParent", "Preview Parent");
    if (!parent)
        return 1;
    probe::Line("hwnd|%lu", static_cast<unsigned long>(reinterpret_cast<uintptr_t>(parent)));
    MSG message;
    for (;;) {
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        if (GetFileAttributesA(flag) != INVALID_FILE_ATTRIBUTES)
            break;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    }
    DestroyWindow(parent);
    probe::Line("closed");
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2 || !probe::OpenOutput(argv[1]))
        return 2;
    if (argc == 4 && std::string(argv[2]) == "parent")
        return RunParent(argv[3]);
    HWND dialog = WaitForWindow("Lighthouse 3D Screensaver Settings", 60);
    if (!dialog) {
        probe::Line("no dialog");
        return 1;
    }
    for (int i = 2; i < argc; ++i) {
        const std::string step = argv[i];
        if (step == "texts") {
            probe::Line("caption|%s", Text(dialog).c_str());
            EnumChildWindows(dialog, &WriteChild, 0);
            HWND list = GetDlgItem(dialog, 1011);
            const LRESULT count = SendMessageA(list, CB_GETCOUNT, 0, 0);
            for (LRESULT item = 0; item < count; ++item) {
                // Through the wide message: the list's strings cross the process boundary intact.
                wchar_t wide[256] = {};
                SendMessageW(list, CB_GETLBTEXT, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(wide));
                char text[256] = {};
                WideCharToMultiByte(CP_ACP, 0, wide, -1, text, sizeof text, nullptr, nullptr);
                probe::Line("mode|%s", text);
            }
        } else if (step == "rects") {
            probe::Line("screen|%d %d", GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
            RECT r;
            GetWindowRect(dialog, &r);
            WriteRect("window", r);
            GetClientRect(dialog, &r);
            MapWindowPoints(dialog, nullptr, reinterpret_cast<POINT*>(&r), 2);
            WriteRect("client", r);
            EnumChildWindows(dialog, &WriteChildRect, 0);
        } else if (step == "gamma") {
            HWND trackbar = GetDlgItem(dialog, 1046);
            probe::Line("gamma|%ld %ld %ld|%s", static_cast<long>(SendMessageA(trackbar, TBM_GETRANGEMIN, 0, 0)),
                        static_cast<long>(SendMessageA(trackbar, TBM_GETRANGEMAX, 0, 0)),
                        static_cast<long>(SendMessageA(trackbar, TBM_GETPOS, 0, 0)),
                        Text(GetDlgItem(dialog, 11118)).c_str());
        } else if (step.rfind("click:", 0) == 0) {
            SendMessageA(GetDlgItem(dialog, std::atoi(step.c_str() + 6)), BM_CLICK, 0, 0);
        } else if (step.rfind("track:", 0) == 0) {
            const int id = std::atoi(step.c_str() + 6);
            const int position = std::atoi(std::strchr(step.c_str() + 6, ':') + 1);
            HWND trackbar = GetDlgItem(dialog, id);
            SendMessageA(trackbar, TBM_SETPOS, TRUE, position);
            SendMessageA(dialog, WM_HSCROLL, MAKEWPARAM(TB_ENDTRACK, 0), reinterpret_cast<LPARAM>(trackbar));
        } else if (step == "about") {
            PostMessageA(GetDlgItem(dialog, 1062), BM_CLICK, 0, 0);  // The box is modal: post, then find it.
            HWND about = WaitForWindow("About Lighthouse 3D Screensaver", 30);
            if (!about) {
                probe::Line("no about box");
                continue;
            }
            probe::Line("about|%s", Text(about).c_str());
            EnumChildWindows(about, &WriteChild, 0);
            PostMessageA(GetDlgItem(about, IDOK), BM_CLICK, 0, 0);
            for (int wait = 0; wait < 600 && IsWindow(about); ++wait)
                Sleep(50);
        } else if (step == "ok" || step == "cancel") {
            PostMessageA(GetDlgItem(dialog, step == "ok" ? IDOK : IDCANCEL), BM_CLICK, 0, 0);
        }
    }
    probe::Line("done");
    probe::CloseOutput();
    return 0;
}
