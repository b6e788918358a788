#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/SettingsFile.h"

namespace brightfold {
namespace {

std::vector<std::string> Lines(std::string_view text)
{
    SettingsFile file(text);
    std::vector<std::string> lines;
    std::string_view line;
    while (file.NextLine(line))
        lines.emplace_back(line);
    return lines;
}

std::pair<std::string, std::string> Entry(std::string_view line)
{
    std::string_view key, value;
    SettingsFile::SplitEntry(line, key, value);
    return {std::string(key), std::string(value)};
}

TEST(SettingsFile, LinesCommentsAndLineEnds)
{
    EXPECT_EQ(Lines(""), std::vector<std::string>{});
    EXPECT_EQ(Lines("\r\n\r\n;only a comment\r\n"), std::vector<std::string>{});
    EXPECT_EQ(Lines("a = 1\r\nb = 2"), (std::vector<std::string>{"a = 1", "b = 2"}));
    EXPECT_EQ(Lines("a = 1\nb = 2\r"), (std::vector<std::string>{"a = 1", "b = 2"}));
    EXPECT_EQ(Lines("ShowFPS = 1 ; on\r\n;x\r\n;y\r\nVolume = 5"),
              (std::vector<std::string>{"ShowFPS = 1 ", "Volume = 5"}));
    EXPECT_EQ(Lines(";a\r\n;b\r\n"), std::vector<std::string>{});
}

TEST(SettingsFile, EntriesSplitAtTheFirstSeparatorOnly)
{
    EXPECT_EQ(Entry("ShowFPS = 1"), (std::pair<std::string, std::string>{"ShowFPS", "1"}));
    EXPECT_EQ(Entry("Title = a = b"), (std::pair<std::string, std::string>{"Title", "a = b"}));
    EXPECT_EQ(Entry("ShowFPS=1"), (std::pair<std::string, std::string>{"", ""}));
    EXPECT_EQ(Entry("Key = "), (std::pair<std::string, std::string>{"Key", ""}));
    EXPECT_EQ(Entry(" = value"), (std::pair<std::string, std::string>{"", "value"}));
    // Nothing is trimmed: a space before a trailing comment stays in the value.
    EXPECT_EQ(Entry(Lines("Name = x ;c")[0]), (std::pair<std::string, std::string>{"Name", "x "}));
}

}  // namespace
}  // namespace brightfold
