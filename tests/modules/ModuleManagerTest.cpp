#include <gtest/gtest.h>

#include <stdlib.h>

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "engine/modules/DynamicModule.h"
#include "engine/modules/ModuleManager.h"
#include "engine/modules/StaticModule.h"
#include "engine/vfs/Directory.h"
#include "engine/vfs/File.h"
#include "engine/vfs/FileManager.h"
#include "support/EngineScope.h"
#include "support/LogCapture.h"
#include "support/ShutdownCounter.h"
#include "support/TempFolder.h"
#include "TestPaths.h"

namespace zen {
namespace {

using test::CountShutdown;

StaticModule* MakeModule(const char* name)
{
    auto* module = new StaticModule(String(name));
    (void)module->AddSymbol(String("Shutdown"), reinterpret_cast<ModuleEntry>(&CountShutdown));
    return module;
}

// The table on its own, without the rest of the engine.
class ModuleTable : public ::testing::Test {
protected:
    ModuleTable() { EXPECT_EQ(ModuleManager::Initialize(), kSuccess); }
    ~ModuleTable() override { EXPECT_EQ(ModuleManager::Terminate(), kSuccess); }
};

TEST_F(ModuleTable, RegisteringNullOrATakenName)
{
    StaticModule* first = MakeModule("Renderer");
    StaticModule* second = MakeModule("Renderer");
    test::LogCapture log;
    EXPECT_EQ(ModuleManager::RegisterModule(nullptr), kInvalidArgument);
    EXPECT_EQ(ModuleManager::RegisterModule(first), kSuccess);
    EXPECT_EQ(ModuleManager::RegisterModule(second), kFailure);
    EXPECT_EQ(log.Lines(), (std::vector<std::string>{
                               "WARNING. Указатель на модуль равен 0 при регистрации.",
                               "WARNING. Модуль с именем [Renderer] уже зарегестрирован.",
                           }));
    EXPECT_EQ(ModuleManager::FindModule(String("Renderer")), first);
    EXPECT_EQ(first->References(), 1);
    EXPECT_EQ(second->References(), 0);  // Still the caller's.
    delete second;
}

TEST(ModuleManager, RegisteringWithoutATableLeavesTheModuleToTheCaller)
{
    test::shutdowns = 0;
    StaticModule* module = MakeModule("Orphan");
    test::LogCapture log;
    EXPECT_EQ(ModuleManager::RegisterModule(module), kFailure);
    EXPECT_EQ(log.Lines(), (std::vector<std::string>{
                               "WARNING. Невозможно вставить модуль [Orphan] в таблицу зарегестрированных модулей.",
                           }));
    EXPECT_EQ(test::shutdowns, 0);
    delete module;
    EXPECT_EQ(test::shutdowns, 1);
}

TEST_F(ModuleTable, ARegisteredModuleIsFoundWithoutLogging)
{
    StaticModule* module = MakeModule("DirectX9");
    ASSERT_EQ(ModuleManager::RegisterModule(module), kSuccess);
    test::LogCapture log;
    Module* found = nullptr;
    EXPECT_EQ(ModuleManager::LoadModule(String("DirectX9"), &found), kSuccess);
    EXPECT_EQ(found, module);
    EXPECT_EQ(ModuleManager::LoadModule(String("DirectX9")), kSuccess);
    EXPECT_TRUE(log.Lines().empty());
}

TEST(ModuleManager, StoppingReleasesTheModules)
{
    test::shutdowns = 0;
    ASSERT_EQ(ModuleManager::Initialize(), kSuccess);
    ASSERT_EQ(ModuleManager::RegisterModule(MakeModule("A")), kSuccess);
    Ptr<Module> held(MakeModule("B"));
    ASSERT_EQ(ModuleManager::RegisterModule(held.Get()), kSuccess);
    ASSERT_EQ(ModuleManager::Terminate(), kSuccess);
    EXPECT_EQ(test::shutdowns, 1);  // B is still held here.
    EXPECT_EQ(ModuleManager::FindModule(String("A")), nullptr);
    held = nullptr;
    EXPECT_EQ(test::shutdowns, 2);
}

// Dynamic modules: libraries found through the file tree as "<name>.dll".
class DynamicModules : public ::testing::Test {
protected:
    DynamicModules()
    {
        engine.emplace();
        folder = new Directory(String(ZEN_TEST_MODULE_DIR), FileManager::Root());
        (void)folder->AttachFile(new File(String("ZenTestModule.dll")));
    }
    ~DynamicModules() override { unsetenv("ZEN_TEST_MODULE_FAIL"); }

    std::optional<test::EngineScope> engine;
    Directory* folder = nullptr;
};

TEST_F(DynamicModules, LoadingRunsInitializeOnceAndRegisters)
{
    test::LogCapture log;
    Module* module = nullptr;
    ASSERT_EQ(ModuleManager::LoadModule(String("ZenTestModule"), &module), kSuccess);
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(log.Lines(), (std::vector<std::string>(2, "INFO. Загружается модуль [ZenTestModule].")));
    EXPECT_EQ(ModuleManager::FindModule(String("ZenTestModule")), module);
    Module* again = nullptr;
    ASSERT_EQ(ModuleManager::LoadModule(String("ZenTestModule"), &again), kSuccess);
    EXPECT_EQ(again, module);

    int (*initializeCount)() = nullptr;
    void (*setShutdownCounter)(int*) = nullptr;
    ASSERT_EQ(module->GetEntry(String("InitializeCount"), initializeCount), kSuccess);
    ASSERT_EQ(module->GetEntry(String("SetShutdownCounter"), setShutdownCounter), kSuccess);
    EXPECT_EQ(initializeCount(), 1);

    log.Clear();
    ModuleEntry missing = nullptr;
    EXPECT_EQ(module->GetSymbol(String("CreateRenderer"), &missing), kFailure);
    EXPECT_EQ(module->GetSymbol(String("CreateRenderer"), nullptr), kInvalidArgument);
    EXPECT_EQ(log.Lines(), (std::vector<std::string>{
                               "WARNING. Символ [CreateRenderer] не найден в модуле [ZenTestModule].",
                               "WARNING. Указатель при поиске символа [CreateRenderer] равен 0.",
                           }));

    // Stopping the engine releases the module: "Shutdown" runs, then the library goes.
    int shutdowns = 0;
    setShutdownCounter(&shutdowns);
    log.Clear();
    engine.reset();
    EXPECT_EQ(shutdowns, 1);
    EXPECT_TRUE(log.Contains("INFO. Выгружается модуль [ZenTestModule].")) << log.Joined();
}

TEST_F(DynamicModules, AFailingInitializeLeavesNothingRegistered)
{
    setenv("ZEN_TEST_MODULE_FAIL", "1", 1);
    test::LogCapture log;
    Module* module = nullptr;
    EXPECT_EQ(ModuleManager::LoadModule(String("ZenTestModule"), &module), kFailure);
    EXPECT_EQ(module, nullptr);
    EXPECT_EQ(ModuleManager::FindModule(String("ZenTestModule")), nullptr);
    EXPECT_TRUE(log.Contains("ERROR. Неудачна инициализация модуля.")) << log.Joined();
    EXPECT_TRUE(log.Contains("INFO. Выгружается модуль [ZenTestModule].")) << log.Joined();
}

TEST_F(DynamicModules, AMissingFileIsReported)
{
    test::LogCapture log;
    EXPECT_EQ(ModuleManager::LoadModule(String("Nowhere")), kInvalidArgument);
    EXPECT_EQ(log.Lines(), (std::vector<std::string>{
                               "INFO. Загружается модуль [Nowhere].",
                               "INFO. Загружается модуль [Nowhere].",
                               "WARNING. Не найден файл модуля [Nowhere.dll].",
                               "ERROR. Невозможно загрузить модуль [Nowhere].",
                           }));
    log.Clear();
    EXPECT_EQ(DynamicModule::LoadDynamicModule(nullptr, String("Nowhere")), kInvalidArgument);
    EXPECT_EQ(log.Lines(), (std::vector<std::string>{"WARNING. Указатель на модуль [Nowhere] равен 0."}));
}

TEST_F(DynamicModules, AFileThatIsNotALibraryDoesNotLoad)
{
    test::TempFolder scratch;
    if (std::FILE* text = std::fopen(scratch.Path("Broken.dll").c_str(), "wb")) {
        std::fputs("not a library", text);
        std::fclose(text);
    }
    auto* broken = new Directory(String(scratch.Root().string()), FileManager::Root());
    (void)broken->AttachFile(new File(String("Broken.dll")));
    test::LogCapture log;
    EXPECT_EQ(ModuleManager::LoadModule(String("Broken")), kFailure);
    EXPECT_EQ(log.Lines(), (std::vector<std::string>{
                               "INFO. Загружается модуль [Broken].",
                               "INFO. Загружается модуль [Broken].",
                               "WARNING. Указатель при поиске символа [Shutdown] равен 0.",
                               "WARNING. В модуле не найдена функция завершения работы модуля [Broken].",
                               "WARNING. Загрузка модуля [Broken] неудачна.",
                               "ERROR. Невозможно загрузить модуль [Broken].",
                           }));
}

}  // namespace
}  // namespace zen
