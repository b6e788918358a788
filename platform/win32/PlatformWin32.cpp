// Win32 face of the platform layer.
#include <windows.h>
#include <shlobj.h>

#include "platform/Platform.h"

namespace platform {

uint32_t TickCount()
{
    return GetTickCount();
}

std::string CommandLine()
{
    const char* line = GetCommandLineA();
    return line ? line : "";
}

bool ApplicationDataFolder(std::string& out)
{
    LPITEMIDLIST list = nullptr;
    if (FAILED(SHGetSpecialFolderLocation(nullptr, CSIDL_APPDATA, &list)) || !list)
        return false;
    wchar_t wide[MAX_PATH] = {};
    const BOOL found = SHGetPathFromIDListW(list, wide);
    CoTaskMemFree(list);
    if (!found)
        return false;
    // The log path is used by the C runtime, which takes the multibyte code page.
    char narrow[MAX_PATH * 2] = {};
    if (WideCharToMultiByte(CP_ACP, 0, wide, -1, narrow, sizeof narrow, nullptr, nullptr) == 0)
        return false;
    out = narrow;
    return true;
}

bool CreateFolder(const std::string& path)
{
    return CreateDirectoryA(path.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

const char* PathSeparator()
{
    return "\\";
}

ResourceLookup FindMediaResource(int id, const void** data, uint32_t* size)
{
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id), "MEDIADATA");
    if (!found)
        return ResourceLookup::kNotFound;
    HGLOBAL loaded = LoadResource(module, found);
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes)
        return ResourceLookup::kNotLoadable;
    *data = bytes;
    *size = SizeofResource(module, found);
    return ResourceLookup::kFound;
}

ResourceLookup FindTypedResource(const char* type, int id, const void** data, uint32_t* size)
{
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id), type);
    if (!found)
        return ResourceLookup::kNotFound;
    HGLOBAL loaded = LoadResource(module, found);
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes)
        return ResourceLookup::kNotLoadable;
    *data = bytes;
    *size = SizeofResource(module, found);
    return ResourceLookup::kFound;
}

bool CreateTemporaryFile(const char* prefix, std::string& path)
{
    char folder[MAX_PATH + 1] = {};
    const DWORD length = GetTempPathA(sizeof folder, folder);
    if (length == 0 || length > MAX_PATH)
        return false;
    char name[MAX_PATH + 1] = {};
    if (GetTempFileNameA(folder, prefix, 0, name) == 0)
        return false;
    path = name;
    return true;
}

bool WriteTemporaryFile(const std::string& path, const void* data, uint32_t size)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY,
                              nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const bool ok = WriteFile(file, data, size, &written, nullptr) && written == size;
    return CloseHandle(file) && ok;
}

bool DeleteFileAt(const std::string& path)
{
    return DeleteFileA(path.c_str()) != 0;
}

long OpenOrCreateSettingsKey(const std::string& path, uint32_t access, SettingsKey* key, bool* created)
{
    HKEY handle = nullptr;
    DWORD disposition = 0;
    const LONG status = RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                        access, nullptr, &handle, &disposition);
    if (status != ERROR_SUCCESS)
        return status;
    *key = handle;
    *created = disposition == REG_CREATED_NEW_KEY;
    return 0;
}

bool ReadSettingsValue(SettingsKey key, const char* name, uint32_t* value)
{
    DWORD data = 0;
    DWORD size = sizeof data;
    if (RegQueryValueExA(static_cast<HKEY>(key), name, nullptr, nullptr, reinterpret_cast<BYTE*>(&data), &size) !=
        ERROR_SUCCESS)
        return false;
    *value = data;
    return true;
}

long WriteSettingsValue(SettingsKey key, const char* name, uint32_t value)
{
    const DWORD data = value;
    return RegSetValueExA(static_cast<HKEY>(key), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data),
                          sizeof data);
}

long FlushSettingsKey(SettingsKey key)
{
    return RegFlushKey(static_cast<HKEY>(key));
}

long CloseSettingsKey(SettingsKey key)
{
    return RegCloseKey(static_cast<HKEY>(key));
}

bool SystemErrorText(long code, std::string& out)
{
    char* text = nullptr;
    const DWORD length =
        FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, static_cast<DWORD>(code), MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                       reinterpret_cast<char*>(&text), 0, nullptr);
    if (length == 0 || !text)
        return false;
    out.assign(text, length);
    LocalFree(text);
    return true;
}

void ShowInformationBox(const std::string& text, const std::string& caption)
{
    MessageBoxA(nullptr, text.c_str(), caption.c_str(), MB_OK | MB_ICONINFORMATION);
}

void NotifyScreenSaverRunning()
{
    BOOL previous = FALSE;
    SystemParametersInfoA(SPI_SCREENSAVERRUNNING, TRUE, &previous, 0);
}

void ShowMouseCursor()
{
    ShowCursor(TRUE);
}

void HideMouseCursor()
{
    ShowCursor(FALSE);
}

void* CreatePreviewWindow(const std::string& className, uint32_t parent, WindowProcedure procedure)
{
    const HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA windowClass;
    ZeroMemory(&windowClass, sizeof windowClass);
    windowClass.style = CS_VREDRAW | CS_HREDRAW;
    // WindowProcedure has WNDPROC's x64 calling convention and argument widths.
    windowClass.lpfnWndProc = procedure ? reinterpret_cast<WNDPROC>(procedure) : &DefWindowProcA;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
    windowClass.lpszClassName = className.c_str();
    (void)RegisterClassA(&windowClass);

    HWND parentWindow = reinterpret_cast<HWND>(static_cast<uintptr_t>(parent));
    RECT rectangle{100, 100, 150, 150};
    if (parentWindow)
        GetClientRect(parentWindow, &rectangle);
    AdjustWindowRect(&rectangle, WS_CHILD | WS_VISIBLE, FALSE);
    return CreateWindowExA(0, className.c_str(), className.c_str(), WS_CHILD | WS_VISIBLE, rectangle.left,
                           rectangle.top, rectangle.right - rectangle.left, rectangle.bottom - rectangle.top,
                           parentWindow, nullptr, instance, nullptr);
}

void DestroyPreviewWindow(void* window, const std::string& className)
{
    if (window)
        DestroyWindow(static_cast<HWND>(window));
    UnregisterClassA(className.c_str(), GetModuleHandleA(nullptr));
}

void ShowDialogControl(void* dialog, int id, bool shown)
{
    if (HWND control = dialog ? GetDlgItem(static_cast<HWND>(dialog), id) : nullptr)
        ShowWindow(control, shown ? SW_SHOW : SW_HIDE);
}

bool PumpMessages()
{
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return true;
}

void* OpenLibrary(const std::string& path)
{
    return reinterpret_cast<void*>(LoadLibraryA(path.c_str()));
}

void* FindLibrarySymbol(void* library, const char* name)
{
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name));
}

bool CloseLibrary(void* library)
{
    return FreeLibrary(static_cast<HMODULE>(library)) != 0;
}

}  // namespace platform
