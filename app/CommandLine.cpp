#include "app/CommandLine.h"

#include <cctype>

namespace brightfold {
namespace {

// The rest of the line after the program name.
std::string_view SkipProgramName(std::string_view line)
{
    if (!line.empty() && line.front() == '"') {
        const size_t closing = line.find('"', 1);
        return closing == std::string_view::npos ? std::string_view() : line.substr(closing + 1);
    }
    const size_t space = line.find(' ');
    return space == std::string_view::npos ? std::string_view() : line.substr(space + 1);
}

// The decimal number from the first digit on, as atol reads it (saturating instead of
// overflowing on absurdly long digit runs); 0 when there is no digit.
uint32_t WindowNumber(std::string_view rest)
{
    size_t at = 0;
    while (at < rest.size() && !std::isdigit(static_cast<unsigned char>(rest[at])))
        ++at;
    uint64_t value = 0;
    for (; at < rest.size() && std::isdigit(static_cast<unsigned char>(rest[at])); ++at) {
        value = value * 10 + static_cast<uint64_t>(rest[at] - '0');
        if (value > 0xFFFFFFFFull)
            value = 0xFFFFFFFFull;
    }
    return static_cast<uint32_t>(value);
}

}  // namespace

CommandLine CommandLine::Parse(std::string_view line)
{
    CommandLine parsed;
    const std::string_view rest = SkipProgramName(line);
    const size_t marker = rest.find_first_of("/-");
    if (marker == std::string_view::npos)
        return parsed;  // No switch: Configure.

    const std::string_view after = rest.substr(marker + 1);
    const char letter = after.empty() ? '\0' : static_cast<char>(std::tolower(static_cast<unsigned char>(after[0])));
    switch (letter) {
    case 'a': parsed.mode = kModeChangePassword; break;
    case 'c': parsed.mode = kModeConfigure; break;
    case 'p': parsed.mode = kModePreview; break;
    case 't': parsed.mode = kModeTest; break;
    default: parsed.mode = kModeRun; break;
    }
    if (parsed.mode == kModeChangePassword || parsed.mode == kModeConfigure || parsed.mode == kModePreview)
        parsed.windowParam = WindowNumber(after);
    return parsed;
}

}  // namespace brightfold
