#include "app/win32/SystemWindow.h"

#include "app/InputManager.h"
#include "app/InputTranslator.h"
#include "engine/core/MessageLog.h"

namespace brightfold {
namespace {

constexpr DWORD kMirroringDevice = DISPLAY_DEVICE_MIRRORING_DRIVER;  // State flag 8.
constexpr DWORD kPrimaryDevice = DISPLAY_DEVICE_PRIMARY_DEVICE;      // State flag 4.
constexpr DWORD kTestFullScreen = CDS_TEST | CDS_FULLSCREEN;         // 6: checks, changes nothing.

// The program installs its window layer before WinMain runs; nothing else in the process
// provides one.
struct Installer {
    Installer() { zen::WindowLayer::Install(&SystemWindow::Instance()); }
} s_installer;

bool NextDisplayDevice(DWORD index, DISPLAY_DEVICEA& device)
{
    ZeroMemory(&device, sizeof device);
    device.cb = sizeof device;  // 424 bytes.
    return EnumDisplayDevicesA(nullptr, index, &device, 0) != FALSE;
}

// The desktop rectangle of a display device from its current settings: at (0, 0) for the
// primary device, at the settings' position otherwise. False when the settings cannot be read
// (a device that is not part of the desktop).
bool DeviceRectangle(const DISPLAY_DEVICEA& device, RECT& rectangle)
{
    DEVMODEA settings;
    ZeroMemory(&settings, sizeof settings);
    settings.dmSize = sizeof settings;
    if (!EnumDisplaySettingsA(device.DeviceName, ENUM_CURRENT_SETTINGS, &settings))
        return false;
    const bool primary = (device.StateFlags & kPrimaryDevice) != 0;
    rectangle.left = primary ? 0 : settings.dmPosition.x;
    rectangle.top = primary ? 0 : settings.dmPosition.y;
    rectangle.right = rectangle.left + static_cast<LONG>(settings.dmPelsWidth);
    rectangle.bottom = rectangle.top + static_cast<LONG>(settings.dmPelsHeight);
    return true;
}

bool HasMonitor(const RECT& rectangle)
{
    return MonitorFromRect(&rectangle, MONITOR_DEFAULTTONULL) != nullptr;
}

// A full-screen pop-up over `rectangle` when the device has a display mode at (x, y) of
// width x height and `bits` that passes the test switch; null when none does or when every
// creation fails.
HWND CreateFullScreenWindow(const DISPLAY_DEVICEA& device, const RECT& rectangle, const zen::String& className,
                            const zen::String& title, HWND owner, uint32_t bits, int32_t x, int32_t y,
                            uint32_t width, uint32_t height)
{
    DEVMODEA mode;
    for (DWORD index = 0;; ++index) {
        ZeroMemory(&mode, sizeof mode);
        mode.dmSize = sizeof mode;
        if (!EnumDisplaySettingsA(device.DeviceName, index, &mode))
            return nullptr;
        if (mode.dmPosition.x != x || mode.dmPosition.y != y || mode.dmPelsWidth != width ||
            mode.dmPelsHeight != height || mode.dmBitsPerPel != bits)
            continue;
        if (ChangeDisplaySettingsExA(device.DeviceName, &mode, nullptr, kTestFullScreen, nullptr) !=
            DISP_CHANGE_SUCCESSFUL)
            continue;
        HWND window = CreateWindowExA(0, className.CStr(), title.CStr(), WS_POPUP | WS_VISIBLE, rectangle.left,
                                      rectangle.top, rectangle.right - rectangle.left,
                                      rectangle.bottom - rectangle.top, owner, nullptr, GetModuleHandleA(nullptr),
                                      nullptr);
        if (window)
            return window;
    }
}

}  // namespace

SystemWindow& SystemWindow::Instance()
{
    static SystemWindow instance;
    return instance;
}

zen::Result SystemWindow::CreateSystemWindow(void** out, const zen::String& title, void* parent, bool fullscreen,
                                             uint32_t bits, int32_t x, int32_t y, uint32_t width, uint32_t height)
{
    zen::Info("Создание системного окна [%s].", title.CStr());
    if (!out) {
        zen::Error("Указатель на окно равен 0.");
        return zen::kInvalidArgument;
    }

    const HINSTANCE instance = GetModuleHandleA(nullptr);
    m_className = title + zen::String(" Class");
    WNDCLASSA windowClass;
    ZeroMemory(&windowClass, sizeof windowClass);
    windowClass.style = CS_VREDRAW | CS_HREDRAW;  // 3
    windowClass.lpfnWndProc = &SystemWindow::WindowProcedure;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(nullptr, MAKEINTRESOURCEA(32512));   // IDI_APPLICATION
    windowClass.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszClassName = m_className.CStr();
    if (!RegisterClassA(&windowClass)) {
        zen::Error("Невозможно зарегестрировать класс окна [%s].", m_className.CStr());
        m_className = zen::String();
        return zen::kFailure;
    }

    if (parent) {
        RECT rectangle{};
        GetClientRect(static_cast<HWND>(parent), &rectangle);
        AdjustWindowRect(&rectangle, WS_CHILD | WS_VISIBLE, FALSE);
        HWND window = CreateWindowExA(0, m_className.CStr(), title.CStr(), WS_CHILD | WS_VISIBLE, rectangle.left,
                                      rectangle.top, rectangle.right - rectangle.left,
                                      rectangle.bottom - rectangle.top, static_cast<HWND>(parent), nullptr, instance,
                                      nullptr);
        if (!window) {
            Abandon(nullptr);
            zen::Error("Невозможно создать окно [%s].", title.CStr());
            return zen::kFailure;
        }
        *out = window;
        return zen::kSuccess;
    }

    // Without a parent: the display devices in the system's order. The first window made owns
    // the others, so they stay above it and go with it.
    HWND first = nullptr;
    DISPLAY_DEVICEA device;
    for (DWORD index = 0; NextDisplayDevice(index, device); ++index) {
        // A mirroring device shows another device's picture and a device outside the desktop
        // shows nothing: neither gets a window.
        if (device.StateFlags & kMirroringDevice)
            continue;
        RECT rectangle{};
        if (!DeviceRectangle(device, rectangle))
            continue;
        if (!HasMonitor(rectangle)) {
            Abandon(first);
            zen::Error("Невозможно создать окно [%s].", title.CStr());
            return zen::kFailure;
        }
        if (fullscreen) {
            HWND window =
                CreateFullScreenWindow(device, rectangle, m_className, title, first, bits, x, y, width, height);
            if (window && !first)
                first = window;
            continue;
        }
        RECT frame{x, y, x + static_cast<LONG>(width), y + static_cast<LONG>(height)};
        AdjustWindowRect(&frame, WS_VISIBLE, FALSE);
        HWND window = CreateWindowExA(WS_EX_WINDOWEDGE | WS_EX_CLIENTEDGE, m_className.CStr(), title.CStr(),
                                      WS_VISIBLE, frame.left, frame.top, frame.right - frame.left,
                                      frame.bottom - frame.top, first, nullptr, instance, nullptr);
        if (!window) {
            Abandon(first);
            zen::Error("Невозможно создать окно [%s].", title.CStr());
            return zen::kFailure;
        }
        // One windowed window is enough: a second one at the same place, owned by the first,
        // would cover the window the device presents into.
        first = window;
        break;
    }
    if (!first) {
        Abandon(nullptr);
        zen::Error("Невозможно создать окно [%s].", title.CStr());
        return zen::kFailure;
    }
    *out = first;
    return zen::kSuccess;
}

void SystemWindow::Abandon(HWND first)
{
    (void)DestroySystemWindow(first);
}

zen::Result SystemWindow::DestroySystemWindow(void* window)
{
    HWND handle = static_cast<HWND>(window);
    if (!handle) {
        zen::Warning("Указатель на окно равен 0.");
    } else if (IsWindow(handle) && !DestroyWindow(handle)) {
        zen::Error("Невозможно удалить системное окно.");
        return zen::kFailure;
    }

    DISPLAY_DEVICEA device;
    for (DWORD index = 0; NextDisplayDevice(index, device); ++index) {
        RECT rectangle{};
        const bool mirroring = (device.StateFlags & kMirroringDevice) != 0;
        if (mirroring || (DeviceRectangle(device, rectangle) && HasMonitor(rectangle)))
            ChangeDisplaySettingsExA(device.DeviceName, nullptr, nullptr, 0, nullptr);  // The registry's mode.
    }

    if (!m_className.IsEmpty()) {
        const BOOL unregistered = UnregisterClassA(m_className.CStr(), GetModuleHandleA(nullptr));
        m_className = zen::String();
        if (!unregistered) {
            zen::Error("Невозможно разрегестрировать класс системного окна.");
            return zen::kFailure;
        }
    }
    return zen::kSuccess;
}

LRESULT CALLBACK SystemWindow::WindowProcedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    InputEvent event;
    if (InputTranslator::Translate(message, wparam, lparam, &event))
        InputManager::PostEvent(event);
    return DefWindowProcA(window, message, wparam, lparam);
}

}  // namespace brightfold
