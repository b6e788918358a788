#include "engine/core/FileMessageOutput.h"

namespace zen {

FileMessageOutput::FileMessageOutput(const String& path, const String& name)
    : MessageOutput(name.IsEmpty() ? path : name)
{
    if (!path.IsEmpty())
        m_file = std::fopen(path.CStr(), "w");
}

FileMessageOutput::~FileMessageOutput()
{
    if (m_file)
        std::fclose(m_file);
}

void FileMessageOutput::Write(uint32_t level, const String& text)
{
    if (!m_file)
        return;
    static const char* const kPrefixes[] = {"INFO. ", "WARNING. ", "ERROR. ", "CRITICAL ERROR. "};
    const char* prefix = level < 4 ? kPrefixes[level] : "UNKNOWN. ";
    std::fputs(prefix, m_file);
    std::fwrite(text.CStr(), 1, text.Length(), m_file);
    std::fputc('\n', m_file);
}

}  // namespace zen
