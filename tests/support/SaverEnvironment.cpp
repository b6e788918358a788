#include "support/SaverEnvironment.h"
#include "TestPaths.h"

#include <filesystem>
#include <fstream>
#include <iterator>

#include "app/Saver.h"
#include "platform/PosixTestHooks.h"

namespace brightfold::test {

std::vector<uint8_t> SaverEnvironment::ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    EXPECT_TRUE(in.good()) << path;
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<uint8_t> SaverEnvironment::ShippedText(const char* name)
{
    return ReadFile(std::string(ZEN_SOURCE_DIR) + "/content/texts/" + name);
}

void SaverEnvironment::SetUp()
{
    platform::posix::SetMediaResource(239, ShippedText("DefaultSettings.txt"));
    platform::posix::SetMediaResource(229, ShippedText("Messages.txt"));
    platform::posix::SettingsStore().clear();
    platform::posix::ClearSettingsFailures();
    SetCommandLine("/a");
    m_appData = ::testing::TempDir() + "brightfold-appdata-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name();
    std::filesystem::remove_all(m_appData);
    std::filesystem::create_directories(m_appData);
    platform::posix::SetApplicationDataFolder(m_appData);
    Saver::ResetMouseMoveBudgetForTesting();
}

void SaverEnvironment::TearDown()
{
    platform::posix::RemoveMediaResource(239);
    platform::posix::RemoveMediaResource(229);
    platform::posix::SettingsStore().clear();
    platform::posix::ClearSettingsFailures();
    std::filesystem::remove_all(m_appData);
}

void SaverEnvironment::SetCommandLine(const std::string& switches)
{
    platform::posix::SetCommandLine("Brightfold.scr " + switches);
}

std::string ShippedRegistryPath()
{
    return "Software\\\\Brightfold\\\\Lighthouse 3D Screensaver";
}

}  // namespace brightfold::test
