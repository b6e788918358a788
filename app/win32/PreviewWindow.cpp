#include "app/win32/PreviewWindow.h"

#include "app/Saver.h"
#include "app/win32/DialogPicture.h"

namespace brightfold {
namespace {

constexpr UINT kStartMessage = WM_USER;  // Posted by Run: the window starts its timer.
constexpr UINT_PTR kTimer = 1;
bool g_pumping = false;                   // The start-up loop runs until the first timer.

void StopSaver()
{
    if (Saver* saver = Saver::Current())
        saver->Stop();
}

}  // namespace

intptr_t PreviewWindow::Procedure(void* handle, uint32_t message, uintptr_t wparam, intptr_t lparam)
{
    HWND window = static_cast<HWND>(handle);
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        RECT client;
        if (dc && GetClientRect(window, &client) && client.right > 0 && client.bottom > 0)
            if (HBITMAP bitmap = DialogPicture::Load("preview.bmp", client.right, client.bottom)) {
                DialogPicture::Draw(dc, bitmap, client.right, client.bottom);
                DeleteObject(bitmap);
            }
        EndPaint(window, &paint);
        return 0;
    }
    case kStartMessage:
        SetTimer(window, kTimer, 500, nullptr);
        break;
    case WM_TIMER:
        g_pumping = false;
        KillTimer(window, kTimer);
        break;
    case WM_DESTROY:
    case WM_CLOSE:
    case WM_QUIT:
        // The default procedure is not called: closing does not destroy the window, the saver
        // ends and takes it down itself.
        StopSaver();
        return 1;
    case WM_SYSCOMMAND:
        switch (wparam & 0xFFF0) {
        case SC_CLOSE:
        case SC_NEXTWINDOW:
        case SC_PREVWINDOW:
            StopSaver();
            return 1;
        case SC_SCREENSAVE:
            return 0;
        default:
            break;
        }
        break;
    default:
        break;
    }
    return DefWindowProcA(window, message, wparam, lparam);
}

int PreviewWindow::Run(Saver& saver)
{
    HWND window = static_cast<HWND>(saver.Window());
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_IDLE);
    g_pumping = true;
    PostMessageA(window, kStartMessage, 0, 0);
    MSG message;
    while (g_pumping) {
        const BOOL got = GetMessageA(&message, window, 0, 0);
        if (got == 0 || got == -1) {
            PostQuitMessage(0);
            break;
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    // Until the window or its parent goes. Waiting for the next message instead of spinning
    // keeps the idle thread from taking a whole core while the settings page is open.
    while (saver.IsRunning()) {
        if (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
            continue;
        }
        if (!IsWindow(window))
            break;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
    }
    return 0;
}

}  // namespace brightfold
