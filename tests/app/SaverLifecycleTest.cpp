#include <gtest/gtest.h>

#include "app/InputManager.h"
#include "app/SaverProcess.h"
#include "platform/PosixTestHooks.h"
#include "support/EngineScope.h"
#include "support/FileText.h"
#include "support/LogCapture.h"
#include "support/SaverEnvironment.h"
#include "support/ScriptedSaver.h"

namespace brightfold {
namespace {

class SaverLifecycle : public test::SaverEnvironment {
protected:
    // Walks the three steps the way the process entry does; returns the results "create run destroy".
    std::string Walk(test::ScriptedSaver& saver)
    {
        const int created = saver.CreateSaver();
        const int ran = created == 0 ? saver.RunSaver() : -1;
        const int destroyed = saver.DestroySaver();
        return std::to_string(created) + " " + std::to_string(ran) + " " + std::to_string(destroyed);
    }
};

TEST_F(SaverLifecycle, ChangePasswordRunsWithoutEngineOrWindow)
{
    zen::test::LogCapture log;
    zen::Ptr<test::ScriptedSaver> saver(new test::ScriptedSaver);
    EXPECT_EQ(Walk(*saver), "0 0 0");
    EXPECT_EQ(saver->Mode(), kModeChangePassword);
    EXPECT_EQ(saver->journal, "OnDefaultsApplied WriteExtraSettings OnSettingsLogged OnEngineStarted OnEngineStopping ");
    EXPECT_FALSE(log.ContainsText("Инициализация движка"));
    EXPECT_EQ(log.MissingInOrder({"INFO. Режим скринсейвера 4.", "INFO. Значения параметров по-умолчанию загружены.",
                                  "INFO. Значения параметров по-умолчанию установлены.",
                                  "INFO. Значения параметров прочитаны из реестра.",
                                  "INFO. Значения локальных данных загружены.", "INFO. Скринсейвер инициализирован.",
                                  "INFO. Окна скринсейвера созданы.", "INFO. Окна скринсейвера удалены.",
                                  "INFO. Скринсейвер завершил работу."}), "");
}

TEST_F(SaverLifecycle, ConfigureStopsAtTheMissingRendererAndStillCleansUp)
{
    SetCommandLine("/c:5678");
    zen::test::LogCapture log;
    zen::Ptr<test::ScriptedSaver> saver(new test::ScriptedSaver);
    EXPECT_EQ(Walk(*saver), "1 -1 0");
    EXPECT_EQ(saver->WindowParam(), 5678u);
    EXPECT_EQ(saver->journal, "OnDefaultsApplied WriteExtraSettings OnSettingsLogged OnEngineStopping ");
    EXPECT_EQ(log.MissingInOrder({"INFO. Инициализация движка v.0.1.2:", "INFO. Инициализация движка завершилась удачно.",
                                  "WARNING. Невозможно загрузить библиотеку рендерера [DirectX9].",
                                  "ERROR. Невозможно создать рендерер DirectX.",
                                  "ERROR. Невозможно инициализировать скринсейвер.", "INFO. Окна скринсейвера удалены.",
                                  "INFO. Завершение работы движка:", "INFO. Завершение работы движка завершилось удачно.",
                                  "INFO. Скринсейвер завершил работу."}), "");
}

TEST_F(SaverLifecycle, EachFailingStepLogsItsLine)
{
    struct Step {
        const char* hook;   // Hook made to fail (or null)
        int resource;       // Resource removed (or 0); -1: the registry key cannot be opened
        const char* walk;   // Results of create, run and destroy
        const char* line;   // Expected error line
    };
    const Step steps[] = {
        {nullptr, 239, "1 -1 0", "ERROR. Невозможно загрузить значения параметров по-умолчанию."},
        {"OnDefaultsApplied", 0, "1 -1 0", "ERROR. Невозможно установить значения параметров по-умолчанию."},
        {nullptr, 229, "1 -1 0", "ERROR. Невозможно загрузить значения локальных данных."},
        {"OnEngineStarted", 0, "1 -1 0", "ERROR. Невозможно инициализировать скринсейвер."},
        {nullptr, -1, "1 -1 0", "ERROR. Невозможно прочитать значения параметров из реестра."},
        // Failing to log the settings or to stop is only reported.
        {"OnSettingsLogged", 0, "0 0 0", "ERROR. Невозможно вывести значения параметров."},
        {"OnEngineStopping", 0, "0 0 1", "ERROR. Невозможно завершить работу скринсейвера."},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.line);
        SetUp();
        if (step.resource > 0)
            platform::posix::RemoveMediaResource(step.resource);
        if (step.resource < 0)
            platform::posix::FailSettingsKey(test::ShippedRegistryPath(), 5);
        zen::test::LogCapture log;
        zen::Ptr<test::ScriptedSaver> saver(new test::ScriptedSaver);
        if (step.hook)
            saver->fail.insert(step.hook);
        EXPECT_EQ(Walk(*saver), step.walk);
        EXPECT_TRUE(log.Contains(step.line)) << log.Joined();
        EXPECT_EQ(log.Contains("INFO. Окна скринсейвера созданы."), step.walk[0] == '0');
        if (std::string(step.walk).ends_with('0')) {
            EXPECT_TRUE(log.Contains("INFO. Скринсейвер завершил работу."));
        }
    }
}

TEST_F(SaverLifecycle, ProcessWritesTheLogFileAndEndsIt)
{
    const int result = SaverProcess::Run([]() -> Saver* { return new test::ScriptedSaver; });
    EXPECT_EQ(result, 0);
    const std::string path = SaverProcess::LogFilePath();
    EXPECT_EQ(path, m_appData + "/Brightfold/ZENLog.txt");
    SaverProcess::CloseLog();
    const std::string log = zen::test::FileText(path);
    EXPECT_EQ(log.find("INFO. Объект вывода сообщений зарегестрирован. [" + path + "]\n"), 0u) << log;
    EXPECT_NE(log.find("INFO. Сейвер создан.\nINFO. Работа скринсейвера завершена корректно.\n"), std::string::npos);
    EXPECT_NE(log.find("INFO. Скринсейвер завершил работу.\nINFO. Конец лога.\n"), std::string::npos) << log;
}

TEST_F(SaverLifecycle, ProcessReportsAFailedCreation)
{
    SetCommandLine("/s");
    const int result = SaverProcess::Run([]() -> Saver* { return new test::ScriptedSaver; });
    EXPECT_EQ(result, 0);  // The saver's own failure is logged, not a fault.
    SaverProcess::CloseLog();
    const std::string log = zen::test::FileText(SaverProcess::LogFilePath());
    EXPECT_NE(log.find("ERROR. Невозможно создать скринсейвер.\n"), std::string::npos) << log;
    EXPECT_EQ(log.find("Работа скринсейвера завершена"), std::string::npos);
    EXPECT_NE(log.find("INFO. Конец лога.\n"), std::string::npos);
}

TEST_F(SaverLifecycle, AFaultEscapingTheLifecycleEndsTheLogAndTheRunWithOne)
{
    const uint32_t outputs = zen::RegisteredOutputCount();
    const int result = SaverProcess::Run([]() -> Saver* {
        auto* saver = new test::ScriptedSaver;
        saver->throwIn = "OnEngineStarted";
        return saver;
    });
    EXPECT_EQ(result, 1);
    // The file output is already unregistered and closed: its text is complete on disk.
    EXPECT_EQ(zen::RegisteredOutputCount(), outputs);
    const std::string path = SaverProcess::LogFilePath();
    const std::string log = zen::test::FileText(path);
    const std::string ending =
        "ERROR. Конец лога вследствии ошибки\nINFO. Объект вывода сообщений разрегестрирован. [" + path + "]\n";
    ASSERT_GE(log.size(), ending.size()) << log;
    EXPECT_EQ(log.substr(log.size() - ending.size()), ending) << log;
    // Nothing of the normal ending ran after the fault.
    EXPECT_EQ(log.find("Невозможно создать скринсейвер."), std::string::npos);
    EXPECT_EQ(log.find("Скринсейвер завершил работу."), std::string::npos);
    EXPECT_EQ(log.find("INFO. Конец лога.\n"), std::string::npos);
}

TEST_F(SaverLifecycle, WithoutAnApplicationFolderTheRunGoesOnWithoutALog)
{
    platform::posix::SetApplicationDataFolder("");
    EXPECT_EQ(SaverProcess::LogFilePath(), "");
    EXPECT_EQ(SaverProcess::Run([]() -> Saver* { return new test::ScriptedSaver; }), 0);
}

TEST_F(SaverLifecycle, InputEndsTheRunByTheExitRule)
{
    zen::Ptr<test::ScriptedSaver> saver(new test::ScriptedSaver);
    ASSERT_EQ(saver->CreateSaver(), 0);
    using E = InputEvent;
    auto runningAfter = [&](E event) {
        saver->SetRunning();
        saver->HandleInput(event);
    };
    runningAfter({E::kKeyboard, E::kReleased, 10, 0});
    EXPECT_TRUE(saver->IsRunning());
    runningAfter({E::kKeyboard, E::kPressed, 100, 0});  // A key without a code ends it too.
    EXPECT_FALSE(saver->IsRunning());
    runningAfter({E::kMouse, E::kPressed, 1, 0});
    EXPECT_FALSE(saver->IsRunning());
    runningAfter({E::kMouse, E::kReleased, 0, 0});
    EXPECT_TRUE(saver->IsRunning());
    runningAfter({E::kSystem, E::kClosed, 0, 0});
    EXPECT_FALSE(saver->IsRunning());
    runningAfter({E::kSystem, E::kClosed, 1, 0});
    EXPECT_TRUE(saver->IsRunning());

    // Mouse moves: ignored while ExitOnMouseMove is off (the shipped default)...
    for (int i = 0; i < 20; ++i)
        runningAfter({E::kMouse, E::kMoved, 5, 5});
    EXPECT_TRUE(saver->IsRunning());
    EXPECT_EQ(Saver::MouseMoveBudget(), 10);
    // ...and with it on, the eleventh move of the process ends the saver. A move message that
    // leaves the pointer where it was is no move, and the process's first one only tells where
    // the pointer rests (the window system sends one as the window appears).
    saver->Settings().Current().exitOnMouseMove = true;
    Saver::ResetMouseMoveBudgetForTesting();
    const struct {
        uint32_t x, y;
        int32_t budget;
    } moves[] = {{300, 200, 10}, {300, 200, 10}, {301, 200, 9}, {301, 200, 9}, {301, 201, 8}, {0, 201, 7},
                 {0, 0, 6},      {65535, 0, 5},  {5, 5, 4},     {6, 5, 3},     {7, 5, 2},     {8, 5, 1},
                 {9, 5, 0},      {9, 5, 0}};
    for (const auto& move : moves) {
        runningAfter({E::kMouse, E::kMoved, move.x, move.y});
        EXPECT_TRUE(saver->IsRunning()) << move.x << "," << move.y;
        EXPECT_EQ(Saver::MouseMoveBudget(), move.budget) << move.x << "," << move.y;
    }
    runningAfter({E::kMouse, E::kMoved, 9, 6});  // The eleventh.
    EXPECT_FALSE(saver->IsRunning());
    EXPECT_NE(saver->journal.find("OnInput"), std::string::npos);
    EXPECT_EQ(saver->DestroySaver(), 0);
}

}  // namespace
}  // namespace brightfold
