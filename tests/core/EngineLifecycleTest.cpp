#include <gtest/gtest.h>

#include <string>

#include "engine/core/ClassRegistry.h"
#include "engine/core/Engine.h"
#include "engine/core/FrameRateCounter.h"
#include "engine/core/Timer.h"
#include "platform/PosixTestHooks.h"
#include "support/LogCapture.h"

namespace zen {
namespace {

std::string g_calls;
Result First() { g_calls += "1"; return kSuccess; }
Result Second() { g_calls += "2"; return kFailure; }
Result Third() { g_calls += "3"; return kSuccess; }
Result Post() { g_calls += "P"; return kSuccess; }

TEST(EngineFunctions, EmptyListsStartAndStopWithTheirLines)
{
    test::LogCapture log;
    EngineFunctions lists;
    EXPECT_EQ(lists.Initialize(), kSuccess);
    EXPECT_EQ(lists.Shutdown(), kSuccess);
    EXPECT_EQ(log.Lines(), (std::vector<std::string>{
                               "INFO. Инициализация движка v.0.1.2:",
                               "INFO. Инициализация движка завершилась удачно.",
                               "INFO. Постинициализация движка:",
                               "INFO. Постинициализация движка завершилась удачно.",
                               "INFO. Завершение работы движка:",
                               "INFO. Завершение работы движка завершилось удачно.",
                           }));
}

// Start-up and shut-down run their lists in registration order and stop at the first failure;
// a failed start-up runs no post-initialiser.
TEST(EngineFunctions, AFailingStepStopsItsListInRegistrationOrder)
{
    for (const bool starting : {true, false}) {
        SCOPED_TRACE(starting ? "start-up" : "shut-down");
        test::LogCapture log;
        EngineFunctions lists;
        for (Result (*step)() : {First, Second, Third})
            starting ? lists.AddInit(step) : lists.AddTerminate(step);
        lists.AddPostInit(Post);
        g_calls.clear();
        EXPECT_EQ(starting ? lists.Initialize() : lists.Shutdown(), kFailure);
        EXPECT_EQ(g_calls, "12");
        EXPECT_EQ(log.Lines().back(), starting ? "ERROR. Инициализация движка неудачно."
                                               : "ERROR. Завершение работы движка неудачно.");
        EXPECT_FALSE(log.Contains("INFO. Постинициализация движка:"));
    }
}

TEST(EngineFunctions, ProcessEngineStartsObjectThenTheManagersAndStopsInTheSameOrder)
{
    test::LogCapture log;
    ASSERT_EQ(EngineInitialize(), kSuccess);
    ASSERT_GE(log.Lines().size(), 2u);
    EXPECT_EQ(log.Lines()[0], "INFO. Инициализация движка v.0.1.2:");
    EXPECT_EQ(log.Lines()[1], "INFO. Инициализация класса [Object] прошла удачно.");
    EXPECT_NE(ClassRegistry::LookupCreator(String("ZEN.Object")), nullptr);
    EXPECT_NE(ClassRegistry::LookupCreator(String("ZEN.Controller")), nullptr);
    ASSERT_EQ(EngineShutdown(), kSuccess);
    EXPECT_TRUE(log.Contains("INFO. Завершение работы класса [Object] прошло удачно."));
    EXPECT_EQ(ClassRegistry::LookupCreator(String("ZEN.Object")), nullptr);
    std::vector<std::string> steps;
    for (const std::string& line : log.Lines()) {
        for (const char* prefix : {"INFO. Инициализация менеджера ", "INFO. Завершение работы менеджера "})
            if (line.rfind(prefix, 0) == 0)
                steps.push_back(line.substr(std::string(prefix).size()));
        if (line.find("класса [Object]") != std::string::npos)
            steps.push_back("Object");
    }
    // The manager lines end in "." and differ only in the manager's name.
    EXPECT_EQ(steps, (std::vector<std::string>{"Object", "файлов.", "ввода.", "модулей.", "кодеков.", "шрифтов.",
                                               "звука.", "Object", "файлов.", "ввода.", "модулей.", "кодеков.",
                                               "шрифтов.", "звука."}));
}

class FrozenClock : public ::testing::Test {
protected:
    void SetUp() override { platform::posix::SetTickCount(1000); }
    void TearDown() override { platform::posix::UseRealTickCount(); }
};

TEST_F(FrozenClock, TimerDeltaIsSecondsSinceThePreviousRead)
{
    Timer timer;
    platform::posix::AdvanceTickCount(250);
    EXPECT_DOUBLE_EQ(timer.Delta(), 0.25);
    EXPECT_DOUBLE_EQ(timer.Delta(), 0.0);
    platform::posix::AdvanceTickCount(1500);
    EXPECT_DOUBLE_EQ(timer.Delta(), 1.5);
}

TEST_F(FrozenClock, TimerResumeDiscountsThePause)
{
    Timer timer;
    platform::posix::AdvanceTickCount(100);
    timer.Pause();
    platform::posix::AdvanceTickCount(5000);
    timer.Resume();
    platform::posix::AdvanceTickCount(100);
    EXPECT_DOUBLE_EQ(timer.Elapsed(), 0.2);
}

TEST_F(FrozenClock, TimerSurvivesTheTickCountWrapping)
{
    platform::posix::SetTickCount(0xFFFFFF00u);
    Timer timer;
    platform::posix::SetTickCount(0x100);
    EXPECT_DOUBLE_EQ(timer.Delta(), 0.512);
}

TEST_F(FrozenClock, FrameRateNeedsMoreThanOneSecond)
{
    FrameRateCounter counter;
    for (int i = 0; i < 4; ++i) {
        platform::posix::AdvanceTickCount(250);
        counter.Frame();
    }
    EXPECT_EQ(counter.FramesPerSecond(), 0.0);  // Exactly 1.0 s is not enough.
    platform::posix::AdvanceTickCount(250);
    counter.Frame();
    EXPECT_DOUBLE_EQ(counter.FramesPerSecond(), 5 / 1.25);
    // The 0.25 s over the second carries into the next measurement.
    for (int i = 0; i < 4; ++i) {
        platform::posix::AdvanceTickCount(200);
        counter.Frame();
    }
    EXPECT_NEAR(counter.FramesPerSecond(), 4 / 1.05, 1e-9);
}

}  // namespace
}  // namespace zen
