#pragma once
#include <cstdint>

#include "engine/core/Result.h"
#include "engine/core/String.h"

namespace zen {

// The system-window layer a renderer opens its window through. The application installs the
// one of its platform before the renderer opens a window (on Windows the layer covers the
// display devices with windows, restores their display modes when the window goes and feeds
// the input manager from its window procedure); tests install stand-ins. The engine keeps a
// plain pointer: an installed layer must outlive every renderer that uses it.
// Window handles are the system's, carried as opaque pointers.
class WindowLayer {
public:
    virtual ~WindowLayer();

    // Makes the window `title`: a child filling `parent`'s client area when `parent` is set;
    // otherwise a window per display device, full screen in a display mode of `bits` per pixel
    // and the device's size at (x, y), or one windowed window of width x height at (x, y).
    // kSuccess with the first window in `out`; kFailure, logged, also when no display device
    // took a window; kInvalidArgument for a null `out`.
    virtual Result CreateSystemWindow(void** out, const String& title, void* parent, bool fullscreen, uint32_t bits,
                                      int32_t x, int32_t y, uint32_t width, uint32_t height) = 0;
    // Destroys `window` (null only restores the display modes and the class) and restores the
    // display devices' modes. kSuccess, or kFailure, logged.
    virtual Result DestroySystemWindow(void* window) = 0;

    // The installed layer; null when the application installed none.
    static WindowLayer* Installed();
    // Installs `layer` (not owned; null removes it) and returns the one it replaces.
    static WindowLayer* Install(WindowLayer* layer);
};

}  // namespace zen
