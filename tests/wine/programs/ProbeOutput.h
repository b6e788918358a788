#pragma once
// The OUT file of the Wine stage's probe programs: the tests read it while the probe still
// runs, so every line is flushed as soon as it is written.
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

}  // namespace probe
