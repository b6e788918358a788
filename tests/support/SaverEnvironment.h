#pragma once
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace brightfold::test {

// The native stand-ins a saver needs, set to a known state for one test: the shipped settings
// texts as resources 239 and 229, an empty settings store, a command line and a temporary
// application-data folder. Restored (cleared) afterwards.
class SaverEnvironment : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    static std::vector<uint8_t> ReadFile(const std::string& path);
    static std::vector<uint8_t> ShippedText(const char* name);  // content/texts/<name>
    void SetCommandLine(const std::string& switches);          // Prefixes the program name.

    std::string m_appData;  // Temporary folder standing in for the user's application data.
};

// The shipped registry path ("Software\\Brightfold\\...") as the store sees it.
std::string ShippedRegistryPath();

}  // namespace brightfold::test
