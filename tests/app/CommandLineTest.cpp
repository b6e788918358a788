#include <gtest/gtest.h>

#include "app/CommandLine.h"

namespace brightfold {
namespace {

struct Case {
    const char* line;
    SaverMode mode;
    uint32_t windowParam;
};

TEST(CommandLine, SwitchesAsTheScreensaverHostPassesThem)
{
    const Case cases[] = {
        {"", kModeConfigure, 0},
        {"Brightfold.scr", kModeConfigure, 0},
        {"Brightfold.scr ", kModeConfigure, 0},
        {"Brightfold.scr 1234", kModeConfigure, 0},  // A number without a switch is not a switch.
        {"Brightfold.scr /s", kModeRun, 0},
        {"Brightfold.scr -S", kModeRun, 0},
        {"Brightfold.scr /x", kModeRun, 0},
        {"Brightfold.scr -x", kModeRun, 0},
        {"Brightfold.scr /", kModeRun, 0},  // A lone slash: the end of the line counts as "any other".
        {"Brightfold.scr /t", kModeTest, 0},
        {"Brightfold.scr /T 55", kModeTest, 0},  // Test keeps its window number at 0.
        {"Brightfold.scr /p 1234", kModePreview, 1234},
        {"Brightfold.scr /p1234", kModePreview, 1234},
        {"Brightfold.scr /P", kModePreview, 0},
        {"Brightfold.scr /c:5678", kModeConfigure, 5678},
        {"Brightfold.scr /c", kModeConfigure, 0},
        {"Brightfold.scr /a 42", kModeChangePassword, 42},
        {"Brightfold.scr -A", kModeChangePassword, 0},
        {"\"C:\\Program Files\\Bright-fold\\Brightfold.scr\" /s", kModeRun, 0},
        {"\"C:\\Program Files\\Bright-fold\\Brightfold.scr\"", kModeConfigure, 0},
        {"\"C:\\Program Files\\Bright-fold\\Brightfold.scr\" /p 77", kModePreview, 77},
        {"\"unterminated /s", kModeConfigure, 0},
        {"C:\\Saver-dir\\Brightfold.scr /s", kModeRun, 0},  // Unquoted: the name ends at the first space.
        {"Brightfold.scr /p 99999999999999999999", kModePreview, 0xFFFFFFFFu},
    };
    for (const Case& c : cases) {
        const CommandLine parsed = CommandLine::Parse(c.line);
        EXPECT_EQ(parsed.mode, c.mode) << c.line;
        EXPECT_EQ(parsed.windowParam, c.windowParam) << c.line;
    }
}

}  // namespace
}  // namespace brightfold
