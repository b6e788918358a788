#include "app/SettingsFile.h"

namespace brightfold {
namespace {

bool IsLineEnd(char c)
{
    return c == '\r' || c == '\n';
}

}  // namespace

bool SettingsFile::NextLine(std::string_view& line)
{
    for (;;) {
        while (m_position < m_text.size() && IsLineEnd(m_text[m_position]))
            ++m_position;
        if (m_position >= m_text.size())
            return false;
        if (m_text[m_position] != ';')
            break;
        // A comment that fills the rest of the line.
        while (m_position < m_text.size() && !IsLineEnd(m_text[m_position]))
            ++m_position;
    }
    const size_t start = m_position;
    while (m_position < m_text.size() && !IsLineEnd(m_text[m_position]) && m_text[m_position] != ';')
        ++m_position;
    line = m_text.substr(start, m_position - start);
    return true;
}

void SettingsFile::SplitEntry(std::string_view line, std::string_view& key, std::string_view& value)
{
    const size_t separator = line.find(" = ");
    if (separator == std::string_view::npos) {
        key = value = std::string_view();
        return;
    }
    key = line.substr(0, separator);
    value = line.substr(separator + 3);
}

}  // namespace brightfold
