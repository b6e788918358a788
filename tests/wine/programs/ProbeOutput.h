#pragma once
// The OUT file of the Wine stage's probe programs: the tests read it while the probe still
// runs, so every line is flushed as soon as it is written.
#include <windows.h>

#include <cstdarg>
#include <cstdio>

namespace probe {

inline std::FILE* g_out = nullptr;  // Owned; open between OpenOutput and CloseOutput.

// False when the file cannot be created.
inline bool OpenOutput(const char* path)
{
    g_out = std::fopen(path, "w");
    return g_out != nullptr;
}

inline void CloseOutput()
{
    std::fclose(g_out);
    g_out = nullptr;
}

// One line (the newline is added).
inline void Line(const char* format, ...) __attribute__((format(printf, 1, 2)));
inline void Line(const char* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    std::vfprintf(g_out, format, arguments);
    va_end(arguments);
    std::fputc('\n', g_out);
    std::fflush(g_out);
}

// A shown black window of class `name` with a 152 x 112 client area at (40, 40), which a
// preview is drawn into; null when it cannot be made.
inline HWND PreviewParent(const char* name, const char* title)
{
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = &DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszClassName = name;
    RegisterClassA(&windowClass);
    RECT frame{0, 0, 152, 112};
    AdjustWindowRect(&frame, WS_OVERLAPPEDWINDOW, FALSE);
    return CreateWindowExA(0, name, title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, frame.right - frame.left,
                           frame.bottom - frame.top, nullptr, nullptr, windowClass.hInstance, nullptr);
}

}  // namespace probe
