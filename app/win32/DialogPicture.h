#pragma once
#include <windows.h>

namespace brightfold {

// A picture of the file tree, copied to a temporary file and loaded with the system's bitmap
// loader at the size of a control's client area.
class DialogPicture {
public:
    // The bitmap of file `name` scaled to `width` x `height`; null (logged) when it cannot be
    // had. The caller deletes it. The temporary copy is removed as soon as it is loaded, so
    // repeated paints leave nothing behind.
    static HBITMAP Load(const char* name, int width, int height);
    // Copies the bitmap into `target` at (0, 0), `width` x `height`.
    static void Draw(HDC target, HBITMAP bitmap, int width, int height);
    // Loads `name` at the client size of `control` and paints it there.
    static void PaintInto(HWND control, const char* name);
};

}  // namespace brightfold
