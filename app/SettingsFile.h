#pragma once
#include <string_view>

namespace brightfold {

// Reader of the key = value texts carried in the program's resources (default settings,
// interface texts): lines end in CR or LF; ";" starts a comment to the end of the line; an
// entry is the key, " = ", then the value up to the line's end or a ";". Nothing is trimmed,
// so a space before a trailing comment stays part of the value. Works on any bytes.
class SettingsFile {
public:
    explicit SettingsFile(std::string_view text) : m_text(text) {}

    // The next line (without its comment), or false at the end.
    bool NextLine(std::string_view& line);

    // Splits at the first " = ". A line without one gives an empty key and value.
    static void SplitEntry(std::string_view line, std::string_view& key, std::string_view& value);

private:
    std::string_view m_text;
    size_t m_position = 0;
};

}  // namespace brightfold
