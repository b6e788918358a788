#include <gtest/gtest.h>

#include "platform/PosixTestHooks.h"
#include "support/LogCapture.h"
#include "support/SaverEnvironment.h"
#include "support/ScriptedSaver.h"

namespace brightfold {
namespace {

using test::ShippedRegistryPath;

class SettingsStoreTest : public test::SaverEnvironment {
protected:
    // Loads and layers the settings the way CreateSaver does.
    int LoadAll()
    {
        if (saver->Settings().LoadDefaults() != 0 || saver->Settings().ApplyDefaults() != 0)
            return 1;
        return saver->Settings().ReadRegistry();
    }
    void SetDefaults(const std::string& text)
    {
        platform::posix::SetMediaResource(239, std::vector<uint8_t>(text.begin(), text.end()));
    }
    platform::posix::SettingsValues& Stored() { return platform::posix::SettingsStore()[ShippedRegistryPath()]; }

    zen::Ptr<test::ScriptedSaver> saver{new test::ScriptedSaver};
};

TEST_F(SettingsStoreTest, KeysTheResourceLacksKeepTheBuiltInValues)
{
    // The shipped resource's values (see the logged settings below) replace the built-in ones...
    ASSERT_EQ(saver->Settings().LoadDefaults(), 0);
    EXPECT_EQ(saver->Settings().RegistryPath().Std(), ShippedRegistryPath());
    EXPECT_EQ(saver->Settings().WebSite().Std().find("https://www.brightfold.example/"), 0u);
    // ...but only for the keys it has: where it differs from the shipped one, the built-in value shows.
    SetDefaults("; nothing but a comment\r\nFilmResolution = 1\r\n");
    zen::Ptr<test::ScriptedSaver> bare(new test::ScriptedSaver);
    ASSERT_EQ(bare->Settings().LoadDefaults(), 0);
    const UserSettings& d = bare->Settings().Defaults();
    EXPECT_TRUE(d.exitOnMouseMove);
    EXPECT_TRUE(d.hour24);
    EXPECT_EQ(d.gamma, 100);
    EXPECT_EQ(d.width, 800);
    EXPECT_EQ(bare->Settings().RegistryPath(), "Software\\Brightfold\\Test Screensaver");
    EXPECT_EQ(bare->Settings().WebSite(), "");
}

TEST_F(SettingsStoreTest, FirstRunWritesTheDefaultsThenLaterRunsReadThem)
{
    zen::test::LogCapture log;
    ASSERT_EQ(LoadAll(), 0);
    EXPECT_TRUE(log.Contains("INFO. Первый запуск скринсейвера. Запись параметров по-умолчанию в реестр..."));
    EXPECT_TRUE(log.Contains("INFO. Значения параметров по-умолчанию записаны в реестр."));
    ASSERT_EQ(Stored().size(), 13u);
    EXPECT_EQ(Stored()["ShowTime"], 1u);
    EXPECT_EQ(Stored()["Gamma"], 0u);
    EXPECT_EQ(Stored()["Width"], 800u);

    // A value deleted by hand keeps the resource default for that field only; a flag stored as
    // 5 reads as on and is written back as 1.
    Stored().erase("Volume");
    Stored()["Width"] = 1024;
    Stored()["ShowFPS"] = 5;
    Stored()["Gamma"] = 0xFFFFFFF6u;  // Numbers take the 32 bits as they are.
    zen::Ptr<test::ScriptedSaver> second(new test::ScriptedSaver);
    saver = second;
    log.Clear();
    ASSERT_EQ(LoadAll(), 0);
    EXPECT_FALSE(log.ContainsText("Первый запуск"));
    EXPECT_EQ(saver->CurrentSettings().volume, 80);
    EXPECT_EQ(saver->CurrentSettings().width, 1024);
    EXPECT_TRUE(saver->CurrentSettings().showFps);
    EXPECT_EQ(saver->CurrentSettings().gamma, -10);
    EXPECT_EQ(saver->journal, "OnDefaultsApplied ReadExtraSettings ");
    ASSERT_EQ(saver->Settings().WriteRegistry(), 0);
    EXPECT_EQ(Stored()["ShowFPS"], 1u);
    EXPECT_EQ(Stored()["Volume"], 80u);
}

TEST_F(SettingsStoreTest, ResourceEntryRules)
{
    SetDefaults(
        "ShowFPS = 1 ; trailing comment\r\n"
        "ShowTime = x\r\n"
        "Volume = x\r\n"
        "Width=1024\r\n"          // Not an entry: no spaces around "=".
        "showfps = 0\r\n"          // Keys are case-sensitive.
        "Height = 700 pixels\r\n"  // A leading number is enough.
        "Gamma = -20\r\n"
        "RegistryPath = Software\\\\Test ;with a space before the comment\r\n");
    ASSERT_EQ(saver->Settings().LoadDefaults(), 0);
    const UserSettings& d = saver->Settings().Defaults();
    EXPECT_TRUE(d.showFps);
    EXPECT_FALSE(d.showTime);
    EXPECT_EQ(d.volume, 80);
    EXPECT_EQ(d.width, 800);
    EXPECT_EQ(d.height, 700);
    EXPECT_EQ(d.gamma, -20);
    EXPECT_EQ(saver->Settings().RegistryPath(), "Software\\\\Test ");
}

TEST_F(SettingsStoreTest, MissingResourcesAndFailingHooksReportTheirLines)
{
    zen::test::LogCapture log;
    platform::posix::RemoveMediaResource(239);
    EXPECT_EQ(saver->Settings().LoadDefaults(), 1);
    EXPECT_EQ(log.Lines(), (std::vector<std::string>{"ERROR. Невозможно загрузить ресурс ID[239].",
                                                     "INFO. Ресурс настроек не загружен."}));
    log.Clear();
    platform::posix::SetResourceUnloadable(229, true);
    EXPECT_EQ(saver->Settings().LoadMessages(), 1);
    EXPECT_EQ(log.Lines(), (std::vector<std::string>{"ERROR. Невозможно загрузить ресурс ID[229].",
                                                     "INFO. Ресурс локальных данных не загружен."}));
    log.Clear();
    SetDefaults("Volume = 5\r\nFailHere = 1\r\nWidth = 9\r\n");
    EXPECT_EQ(saver->Settings().LoadDefaults(), 1);
    EXPECT_TRUE(log.Contains("ERROR. Неудачна обработка параметра [FailHere = 1]."));
    EXPECT_EQ(saver->Settings().Defaults().width, 800);  // Stopped at the failing line.
}

TEST_F(SettingsStoreTest, RegistryThatCannotBeOpenedShowsTheSystemText)
{
    zen::test::LogCapture log;
    ASSERT_EQ(saver->Settings().LoadDefaults(), 0);
    platform::posix::FailSettingsKey(ShippedRegistryPath(), 5);
    EXPECT_EQ(saver->Settings().ReadRegistry(), 1);
    EXPECT_TRUE(log.Contains("ERROR. Неудачна попытка открытия пути реестра [" + ShippedRegistryPath() + "]."));
    EXPECT_EQ(platform::posix::LastMessageBoxCaption(), "Error");
    EXPECT_EQ(platform::posix::LastMessageBoxText(), "System error 5.");
    EXPECT_EQ(saver->Settings().WriteRegistry(), 1);
}

TEST_F(SettingsStoreTest, LogLinesInTableOrder)
{
    ASSERT_EQ(saver->Settings().LoadDefaults(), 0);
    ASSERT_EQ(saver->Settings().ApplyDefaults(), 0);
    zen::test::LogCapture log;
    ASSERT_EQ(saver->Settings().LogSettings(), 0);
    EXPECT_EQ(log.Lines(), (std::vector<std::string>{
                               "INFO. ShowFPS: false", "INFO. ExitOnMouseMove: false", "INFO. ShowTime: true",
                               "INFO. UseDesktopSettings: true", "INFO. Music: true", "INFO. SFX: true",
                               "INFO. Hour24: false", "INFO. Volume: 80", "INFO. Width: 800", "INFO. Height: 600",
                               "INFO. ColorDepth: 32", "INFO. AntiAliasing: 0", "INFO. Gamma: 0"}));
    saver->fail.insert("OnSettingsLogged");
    EXPECT_EQ(saver->Settings().LogSettings(), 1);
}

TEST_F(SettingsStoreTest, MessagesKeepTheFirstTextOfARepeatedKey)
{
    const std::string text = "AppName = First\r\nAppName = Second\r\nno separator\r\nMes_Button_OK = OK ;c\r\n";
    platform::posix::SetMediaResource(229, std::vector<uint8_t>(text.begin(), text.end()));
    ASSERT_EQ(saver->Settings().LoadMessages(), 0);
    ASSERT_NE(saver->Settings().LookupMessage(zen::String("AppName")), nullptr);
    EXPECT_EQ(*saver->Settings().LookupMessage(zen::String("AppName")), "First");
    EXPECT_EQ(*saver->Settings().LookupMessage(zen::String("Mes_Button_OK")), "OK ");
    EXPECT_EQ(saver->Settings().LookupMessage(zen::String("appname")), nullptr);
}

TEST_F(SettingsStoreTest, ShippedMessagesCarryEveryKeyTheInterfaceUses)
{
    ASSERT_EQ(saver->Settings().LoadMessages(), 0);
    const char* keys[] = {"AppName", "Mes_Settings_Title", "Mes_Settings_Box_Mode", "Mes_Settings_Box_Sound",
                          "Mes_Settings_Box_Graphics", "Mes_Settings_Box_Misc", "Mes_Settings_Box_Products",
                          "Mes_Settings_Box_Quality", "Mes_Settings_UseDesktop", "Mes_Settings_MusicVolume",
                          "Mes_Settings_EnableMusic", "Mes_Settings_EnableSound", "Mes_Settings_ExitOnMouse",
                          "Mes_Settings_Gamma", "Mes_Settings_ShowTime", "Mes_Settings_24h", "Mes_Settings_12h",
                          "Mes_Settings_ShowFPS", "Mes_Settings_Products", "Mes_Settings_Button_About",
                          "Mes_Settings_Button_RestoreDefs", "Mes_Settings_Button_Visit", "Mes_Button_OK",
                          "Mes_Button_Cancel", "Mes_About_Title", "Mes_About_String1", "Mes_About_String2",
                          "Mes_About_String3", "Mes_About_String4", "Mes_About_String5", "Mes_About_String6",
                          "Mes_About_String7", "Mes_About_String8"};
    for (const char* key : keys)
        EXPECT_NE(saver->Settings().LookupMessage(zen::String(key)), nullptr) << key;
    EXPECT_EQ(*saver->Settings().LookupMessage(zen::String("AppName")), "Lighthouse 3D Screensaver");
}

}  // namespace
}  // namespace brightfold
