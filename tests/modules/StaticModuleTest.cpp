#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/core/Ptr.h"
#include "engine/modules/CodecManager.h"
#include "engine/modules/ModuleManager.h"
#include "engine/modules/StaticModule.h"
#include "engine/modules/StaticModuleRegistration.h"
#include "support/EngineScope.h"
#include "support/LogCapture.h"

namespace zen {
namespace {

int g_calls = 0;
Result Succeed()
{
    ++g_calls;
    return kSuccess;
}
Result Fail()
{
    ++g_calls;
    return kFailure;
}
ModuleEntry Entry(Result (*function)())
{
    return reinterpret_cast<ModuleEntry>(function);
}

TEST(StaticModule, AMissingSymbolOrNullOutputIsRefused)
{
    StaticModule* module = new StaticModule(String("Codecs"));
    ASSERT_EQ(module->AddSymbol(String("CreateCodec"), Entry(&Succeed)), kSuccess);
    EXPECT_EQ(module->AddSymbol(String("CreateCodec"), Entry(&Fail)), kFailure);  // The first stays.
    ModuleInitializeFunction create = nullptr;
    ASSERT_EQ(module->GetEntry(String("CreateCodec"), create), kSuccess);
    EXPECT_EQ(create, &Succeed);
    ASSERT_EQ(module->AddSymbol(String("Shutdown"), Entry(&Succeed)), kSuccess);
    test::LogCapture log;
    ModuleEntry entry = nullptr;
    EXPECT_EQ(module->GetSymbol(String("CreateRenderer"), &entry), kFailure);
    EXPECT_EQ(entry, nullptr);
    EXPECT_EQ(module->GetSymbol(String("CreateCodec"), nullptr), kInvalidArgument);
    EXPECT_EQ(log.Lines(), (std::vector<std::string>{
                               "WARNING. Невозможно найти символ [CreateRenderer] в модуле [Codecs].",
                               "WARNING. Указатель на символ [CreateCodec] равен 0.",
                           }));
    delete module;
}

TEST(StaticModule, DestructionRunsShutdownAndReportsItsFailure)
{
    g_calls = 0;
    test::LogCapture log;
    auto* good = new StaticModule(String("Good"));
    (void)good->AddSymbol(String("Shutdown"), Entry(&Succeed));
    delete good;
    EXPECT_EQ(g_calls, 1);
    EXPECT_TRUE(log.Lines().empty());

    auto* failing = new StaticModule(String("Failing"));
    (void)failing->AddSymbol(String("Shutdown"), Entry(&Fail));
    delete failing;
    auto* without = new StaticModule(String("Without"));
    delete without;
    EXPECT_EQ(g_calls, 2);
    EXPECT_EQ(log.Lines(), (std::vector<std::string>{
                               "ERROR. Неудачно завершение работы модуля.",
                               "WARNING. Невозможно найти символ [Shutdown] в модуле [Without].",
                               "WARNING. В модуле не найдена функция завершения работы модуля [Without].",
                           }));
}

// The registration that codec and renderer modules make during post-initialisation.
TEST(StaticModuleRegistration, RegistersAModuleWithDoNothingInitializeAndShutdown)
{
    test::EngineScope engine;
    ASSERT_EQ(RegisterStaticModule("TestCodecModule", "CreateCodec", Entry(&Succeed)), kSuccess);
    Module* module = ModuleManager::FindModule(String("TestCodecModule"));
    ASSERT_NE(module, nullptr);
    ModuleInitializeFunction initialize = nullptr;
    ModuleShutdownFunction shutdown = nullptr;
    ModuleInitializeFunction create = nullptr;
    ASSERT_EQ(module->GetEntry(String("Initialize"), initialize), kSuccess);
    ASSERT_EQ(module->GetEntry(String("Shutdown"), shutdown), kSuccess);
    ASSERT_EQ(module->GetEntry(String("CreateCodec"), create), kSuccess);
    EXPECT_EQ(initialize(), kSuccess);
    EXPECT_EQ(shutdown(), kSuccess);
    EXPECT_EQ(create, &Succeed);

    test::LogCapture log;
    EXPECT_EQ(RegisterStaticModule("TestCodecModule", "CreateCodec", Entry(&Succeed)), kFailure);
    EXPECT_EQ(log.Lines(), (std::vector<std::string>{
                               "WARNING. Модуль с именем [TestCodecModule] уже зарегестрирован.",
                           }));
}

// Engine start registers the modules compiled into the program, in their tier order; a second
// start after a stop registers them again.
TEST(StaticModuleRegistration, ProgramModulesAreRegisteredAtEveryStart)
{
    for (int run = 0; run < 2; ++run) {
        test::EngineScope engine;
        EXPECT_NE(ModuleManager::FindModule(String("STRSceneCodec")), nullptr);
    }
    EXPECT_EQ(ModuleManager::FindModule(String("STRSceneCodec")), nullptr);
}

}  // namespace
}  // namespace zen
