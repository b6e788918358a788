#include "app/win32/DialogPicture.h"

#include <string>

#include "app/Saver.h"
#include "engine/core/MessageLog.h"
#include "platform/Platform.h"

namespace brightfold {

HBITMAP DialogPicture::Load(const char* name, int width, int height)
{
    const std::string path = Saver::CopyToTempFile(name);
    if (path.empty())
        return nullptr;
    HANDLE bitmap = LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, width, height, LR_LOADFROMFILE);
    (void)platform::RemoveTemporaryFile(path);
    if (!bitmap)
        zen::Error("Невозможно загрузить изображение [%s].", name);
    return static_cast<HBITMAP>(bitmap);
}

void DialogPicture::Draw(HDC target, HBITMAP bitmap, int width, int height)
{
    HDC source = CreateCompatibleDC(target);
    if (!source)
        return;
    HGDIOBJ previous = SelectObject(source, bitmap);
    BitBlt(target, 0, 0, width, height, source, 0, 0, SRCCOPY);
    SelectObject(source, previous);
    DeleteDC(source);
}

void DialogPicture::PaintInto(HWND control, const char* name)
{
    RECT client;
    if (!control || !GetClientRect(control, &client) || client.right <= 0 || client.bottom <= 0)
        return;
    HBITMAP bitmap = Load(name, client.right, client.bottom);
    if (!bitmap)
        return;
    if (HDC dc = GetDC(control)) {
        Draw(dc, bitmap, client.right, client.bottom);
        ReleaseDC(control, dc);
    }
    DeleteObject(bitmap);
}

}  // namespace brightfold
