#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "engine/core/HashMap.h"
#include "engine/modules/CodecManager.h"
#include "engine/modules/FileCodec.h"
#include "engine/modules/ImageCodec.h"
#include "engine/modules/ModuleManager.h"
#include "engine/modules/SceneCodec.h"
#include "engine/modules/StaticModule.h"
#include "engine/modules/StaticModuleRegistration.h"
#include "engine/vfs/MemoryFile.h"
#include "support/EngineScope.h"
#include "support/LogCapture.h"

namespace zen {
namespace {

class TestImageCodec : public ImageCodec {
public:
    TestImageCodec(const char* name, std::initializer_list<const char*> extensions) : ImageCodec(String(name))
    {
        for (const char* extension : extensions)
            (void)AddExtension(String(extension));
    }
    Result Decode(File*, Image*) override { return kFailure; }
    Result Encode(File*, Image*) override { return kFailure; }
};

class TestArchiveCodec : public FileCodec {
public:
    TestArchiveCodec(const char* name, const char* extension) : FileCodec(String(name))
    {
        (void)AddExtension(String(extension));
    }
    Result Load(File*, Directory**, const String&) override { return kFailure; }
    Result Save(File*, Directory*, const String&) override { return kFailure; }
};

class TestSceneCodec : public SceneCodec {
public:
    TestSceneCodec(const char* name, const char* extension) : SceneCodec(String(name))
    {
        (void)AddExtension(String(extension));
    }
    Result Load(File*, Object**) override { return kFailure; }
    Result Save(File*, Object*) override { return kFailure; }
};

uint32_t BucketOf(const char* name)
{
    return StringHash()(String(name)) % 32;
}

int g_created = 0;
Result CreateJpegLike(Codec** out)
{
    ++g_created;
    *out = new TestImageCodec("TestJPGImageCodec", {"JPG", "jpg", "Jpg", "JPEG", "jpeg", "Jpeg"});
    return kSuccess;
}
Result CreateNothing(Codec**)
{
    return kOutOfMemory;
}

class CodecManagerTest : public ::testing::Test {
protected:
    test::EngineScope engine;
};

TEST(CodecManager, StartAndStopLines)
{
    test::LogCapture log;
    EXPECT_EQ(CodecManager::Initialize(), kSuccess);
    EXPECT_EQ(CodecManager::Terminate(), kSuccess);
    EXPECT_EQ(log.Lines(), (std::vector<std::string>{
                               "INFO. Инициализация менеджера кодеков.",
                               "INFO. Менеджер кодеков инициализирован.",
                               "INFO. Завершение работы менеджера кодеков.",
                               "INFO. Менеджер кодеков завершил работу.",
                           }));
}

TEST_F(CodecManagerTest, LoadCodecCreatesOnceFromTheModuleOfTheSameName)
{
    g_created = 0;
    ASSERT_EQ(RegisterStaticModule("TestJPGImageCodec", "CreateCodec", reinterpret_cast<ModuleEntry>(&CreateJpegLike)),
              kSuccess);
    test::LogCapture log;
    Codec* codec = nullptr;
    ASSERT_EQ(CodecManager::LoadCodec(String("TestJPGImageCodec"), &codec), kSuccess);
    ASSERT_NE(codec, nullptr);
    EXPECT_EQ(codec->GetModule(), ModuleManager::FindModule(String("TestJPGImageCodec")));
    EXPECT_EQ(codec->GetType(), static_cast<uint32_t>(Codec::kImageCodec));
    EXPECT_EQ(log.Lines(), (std::vector<std::string>{"INFO. Загружается кодек [TestJPGImageCodec]."}));

    log.Clear();
    Codec* again = nullptr;
    EXPECT_EQ(CodecManager::LoadCodec(String("TestJPGImageCodec"), &again), kSuccess);
    EXPECT_EQ(again, codec);
    EXPECT_EQ(g_created, 1);
    EXPECT_TRUE(log.Lines().empty());
}

TEST_F(CodecManagerTest, LoadCodecFailures)
{
    auto* noCreate = new StaticModule(String("NoCreateCodec"));
    (void)noCreate->AddSymbol(String("Shutdown"), reinterpret_cast<ModuleEntry>(+[]() -> Result { return kSuccess; }));
    ASSERT_EQ(ModuleManager::RegisterModule(noCreate), kSuccess);
    ASSERT_EQ(RegisterStaticModule("FailingCodec", "CreateCodec", reinterpret_cast<ModuleEntry>(&CreateNothing)),
              kSuccess);
    test::LogCapture log;
    EXPECT_EQ(CodecManager::LoadCodec(String("GhostCodec")), kInvalidArgument);
    EXPECT_EQ(CodecManager::LoadCodec(String("NoCreateCodec")), kInvalidArgument);
    EXPECT_EQ(CodecManager::LoadCodec(String("FailingCodec")), kFailure);
    EXPECT_EQ(log.Lines(), (std::vector<std::string>{
                               "INFO. Загружается кодек [GhostCodec].",
                               "ERROR. Не найден модуль для кодека [GhostCodec].",
                               "INFO. Загружается кодек [NoCreateCodec].",
                               "WARNING. Невозможно найти символ [CreateCodec] в модуле [NoCreateCodec].",
                               "ERROR. В модуле не найдена функция создания кодека [NoCreateCodec].",
                               "INFO. Загружается кодек [FailingCodec].",
                               "ERROR. Создание кодека [FailingCodec] неудачно.",
                           }));
    EXPECT_EQ(CodecManager::FindCodec(String("FailingCodec")), nullptr);
}

TEST_F(CodecManagerTest, ASecondCodecOfTheSameNameIsRefused)
{
    Ptr<Codec> first(new TestArchiveCodec("TestRAR2FileCodec", "rar2"));
    Ptr<Codec> second(new TestArchiveCodec("TestRAR2FileCodec", "zip"));
    test::LogCapture log;
    EXPECT_EQ(CodecManager::RegisterCodec(nullptr), kInvalidArgument);
    EXPECT_EQ(CodecManager::RegisterCodec(first.Get()), kSuccess);
    EXPECT_EQ(CodecManager::RegisterCodec(second.Get()), kFailure);
    EXPECT_EQ(log.Lines(), (std::vector<std::string>{
                               "WARNING. Указатель на кодек равен 0 при регистрации.",
                               "WARNING. Кодек с именем [TestRAR2FileCodec] уже зарегестрирован.",
                           }));
    EXPECT_EQ(CodecManager::FindCodec(String("TestRAR2FileCodec")), first.Get());
    EXPECT_EQ(first->References(), 2);
    EXPECT_EQ(second->References(), 1);
}

TEST_F(CodecManagerTest, ExtensionsMatchExactly)
{
    ASSERT_EQ(RegisterStaticModule("TestJPGImageCodec", "CreateCodec", reinterpret_cast<ModuleEntry>(&CreateJpegLike)),
              kSuccess);
    Codec* jpeg = nullptr;
    ASSERT_EQ(CodecManager::LoadCodec(String("TestJPGImageCodec"), &jpeg), kSuccess);
    Ptr<Codec> rar(new TestArchiveCodec("TestRAR2FileCodec", "rar2"));
    ASSERT_EQ(CodecManager::RegisterCodec(rar.Get()), kSuccess);

    const auto codecFor = [](const char* name) {
        MemoryFile file{String(name)};
        return CodecManager::FindCodecForFile(&file);
    };
    EXPECT_EQ(codecFor("photo.Jpeg"), jpeg);
    EXPECT_EQ(codecFor("photo.jpeg"), jpeg);
    EXPECT_EQ(codecFor("photo.JPG"), jpeg);
    EXPECT_EQ(codecFor("photo.JPEg"), nullptr);
    EXPECT_EQ(codecFor("photo.JpG"), nullptr);
    EXPECT_EQ(codecFor("photo"), nullptr);
    EXPECT_EQ(codecFor("Media.rar2"), rar.Get());
    EXPECT_EQ(codecFor("Media.rar"), nullptr);
    EXPECT_EQ(CodecManager::FindCodecForFile(nullptr), nullptr);

    test::LogCapture log;
    EXPECT_EQ(jpeg->Accepts(nullptr), kInvalidArgument);
    EXPECT_EQ(log.Lines(), (std::vector<std::string>{
                               "WARNING. Указатель на файл равен 0 при проверке кодеком [TestJPGImageCodec]."}));
}

TEST_F(CodecManagerTest, TheLookupByFileWalksBucketsInOrder)
{
    // Two codecs for the same extension: the one in the lower bucket wins, whatever the order
    // of registration.
    ASSERT_LT(BucketOf("XB"), BucketOf("XC"));
    Ptr<Codec> late(new TestArchiveCodec("XB", "dup"));
    Ptr<Codec> early(new TestArchiveCodec("XC", "dup"));
    ASSERT_EQ(CodecManager::RegisterCodec(early.Get()), kSuccess);
    ASSERT_EQ(CodecManager::RegisterCodec(late.Get()), kSuccess);
    MemoryFile file(String("both.dup"));
    EXPECT_EQ(CodecManager::FindCodecForFile(&file), late.Get());
    // Asked for a kind, only codecs of that kind count.
    Ptr<Codec> scene(new TestSceneCodec("XD", "dup"));
    ASSERT_EQ(CodecManager::RegisterCodec(scene.Get()), kSuccess);
    EXPECT_EQ(CodecManager::FindCodecForFile(&file, Codec::kSceneCodec), scene.Get());
    EXPECT_EQ(CodecManager::FindCodecForFile(&file, Codec::kFileCodec), late.Get());
    EXPECT_EQ(CodecManager::FindCodecForFile(&file, Codec::kImageCodec), nullptr);
}

int g_shutdowns = 0;
Result CountShutdown()
{
    ++g_shutdowns;
    return kSuccess;
}
Result CreateCounted(Codec** out)
{
    *out = new TestArchiveCodec("CountedCodec", "cnt");
    return kSuccess;
}

// The module manager stops before the codec manager: a codec keeps its module until it goes.
TEST(CodecManager, CodecsKeepTheirModulesUntilTheyAreReleased)
{
    g_shutdowns = 0;
    {
        test::EngineScope engine;
        auto* module = new StaticModule(String("CountedCodec"));
        (void)module->AddSymbol(String("Shutdown"), reinterpret_cast<ModuleEntry>(&CountShutdown));
        (void)module->AddSymbol(String("CreateCodec"), reinterpret_cast<ModuleEntry>(&CreateCounted));
        ASSERT_EQ(ModuleManager::RegisterModule(module), kSuccess);
        ASSERT_EQ(CodecManager::LoadCodec(String("CountedCodec")), kSuccess);
        ASSERT_EQ(ModuleManager::Terminate(), kSuccess);
        EXPECT_EQ(g_shutdowns, 0);
        ASSERT_EQ(CodecManager::Terminate(), kSuccess);
        EXPECT_EQ(g_shutdowns, 1);
        ASSERT_EQ(ModuleManager::Initialize(), kSuccess);  // For the engine's own stop.
        ASSERT_EQ(CodecManager::Initialize(), kSuccess);
    }
    EXPECT_EQ(g_shutdowns, 1);
}

}  // namespace
}  // namespace zen
