#pragma once
#include <cstdint>
#include <string_view>

#include "app/SaverMode.h"

namespace brightfold {

// The screensaver switches as the system's screensaver host passes them: the program name
// (quoted or not), then "/" or "-" and a letter, then for /p, /c and /a optionally a window
// number, with or without a space or colon before it.
struct CommandLine {
    SaverMode mode = kModeConfigure;
    uint32_t windowParam = 0;

    static CommandLine Parse(std::string_view line);
};

}  // namespace brightfold
