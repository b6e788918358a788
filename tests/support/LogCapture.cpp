#include "support/LogCapture.h"

namespace zen::test {

class LogCapture::Output : public MessageOutput {
public:
    Output() : MessageOutput(String("test capture")) {}
    void Write(uint32_t level, const String& text) override
    {
        static const char* const kPrefixes[] = {"INFO. ", "WARNING. ", "ERROR. ", "CRITICAL ERROR. "};
        lines.push_back(std::string(level < 4 ? kPrefixes[level] : "UNKNOWN. ") + text.Std());
    }
    std::vector<std::string> lines;
};

LogCapture::LogCapture() : m_output(new Output)
{
    (void)RegisterOutput(m_output.Get());
    m_output->lines.clear();  // Drop our own registration line.
}

LogCapture::~LogCapture()
{
    (void)UnregisterOutput(m_output.Get());
}

const std::vector<std::string>& LogCapture::Lines() const
{
    return m_output->lines;
}

bool LogCapture::Contains(const std::string& line) const
{
    return IndexOf(line) >= 0;
}

bool LogCapture::ContainsText(const std::string& fragment) const
{
    for (const auto& line : Lines())
        if (line.find(fragment) != std::string::npos)
            return true;
    return false;
}

int LogCapture::IndexOf(const std::string& line, int from) const
{
    for (size_t i = static_cast<size_t>(from < 0 ? 0 : from); i < Lines().size(); ++i)
        if (Lines()[i] == line)
            return static_cast<int>(i);
    return -1;
}

std::string LogCapture::MissingInOrder(const std::vector<std::string>& lines) const
{
    int at = 0;
    for (const auto& line : lines)
        if ((at = IndexOf(line, at)) < 0)
            return line + "\n" + Joined();
    return "";
}

void LogCapture::Clear()
{
    m_output->lines.clear();
}

std::string LogCapture::Joined() const
{
    std::string all;
    for (const auto& line : Lines())
        all += line + "\n";
    return all;
}

}  // namespace zen::test
