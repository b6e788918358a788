#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/core/HashMap.h"
#include "engine/modules/CodecManager.h"
#include "engine/modules/FileCodec.h"
#include "engine/modules/ModuleManager.h"
#include "engine/modules/SceneCodec.h"
#include "engine/modules/StaticModule.h"
#include "engine/modules/StaticModuleRegistration.h"
#include "engine/vfs/MemoryFile.h"
#include "support/EngineScope.h"
#include "support/LoadedCodec.h"
#include "support/LogCapture.h"
#include "support/ShutdownCounter.h"

namespace zen {
namespace {

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
Result CreatePackLike(Codec** out)
{
    ++g_created;
    *out = new TestArchiveCodec("TestPAKFileCodec", "pak");
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

TEST_F(CodecManagerTest, LoadCodecCreatesOnceFromTheModuleOfTheSameName)
{
    g_created = 0;
    ASSERT_EQ(RegisterStaticModule("TestPAKFileCodec", "CreateCodec", reinterpret_cast<ModuleEntry>(&CreatePackLike)),
              kSuccess);
    test::LogCapture log;
    Codec* codec = nullptr;
    ASSERT_EQ(CodecManager::LoadCodec(String("TestPAKFileCodec"), &codec), kSuccess);
    ASSERT_NE(codec, nullptr);
    EXPECT_EQ(codec->GetModule(), ModuleManager::FindModule(String("TestPAKFileCodec")));
    EXPECT_EQ(codec->GetType(), static_cast<uint32_t>(Codec::kFileCodec));
    EXPECT_EQ(log.Lines(), (std::vector<std::string>{"INFO. Загружается кодек [TestPAKFileCodec]."}));

    log.Clear();
    Codec* again = nullptr;
    EXPECT_EQ(CodecManager::LoadCodec(String("TestPAKFileCodec"), &again), kSuccess);
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

// The program's own codecs are found by the extension of a file's name, spelled as each codec
// lists it: no other mix of cases.
TEST_F(CodecManagerTest, TheProgramsCodecsAreFoundByTheirExtensionsExactly)
{
    for (const char* name : {"BMPImageCodec", "TGAImageCodec", "JPGImageCodec", "CUBEImageCodec", "RAR2FileCodec",
                             "STRSceneCodec"})
        ASSERT_NE(test::LoadedCodec(name), nullptr);
    const struct {
        const char* codec;  // Null: no codec takes the names.
        Codec::Type type;
        std::vector<const char*> files;
    } cases[] = {
        {"BMPImageCodec", Codec::kImageCodec, {"a.BMP", "a.bmp", "a.Bmp"}},
        {"TGAImageCodec", Codec::kImageCodec, {"a.TGA", "a.tga", "a.Tga"}},
        {"JPGImageCodec", Codec::kImageCodec, {"a.JPG", "a.jpg", "a.Jpg", "a.JPEG", "a.jpeg", "a.Jpeg"}},
        {"CUBEImageCodec", Codec::kImageCodec, {"s.CUBE", "s.cube", "s.Cube"}},
        {"RAR2FileCodec", Codec::kFileCodec, {"m.rar2", "m.RAR2", "m.Rar2"}},
        {"STRSceneCodec", Codec::kSceneCodec, {"Main.STR", "Main.str", "Main.Str"}},
        {nullptr, Codec::kImageCodec,
         {"a.bMP", "a.tGA", "a.JPeG", "a.JpG", "m.rAR2", "m.rar", "Main.sTR", "README"}},
    };
    for (const auto& c : cases) {
        for (const char* name : c.files) {
            SCOPED_TRACE(name);
            MemoryFile file{String(name)};
            Codec* codec = CodecManager::FindCodecForFile(&file);
            if (!c.codec) {
                EXPECT_EQ(codec, nullptr);
                continue;
            }
            ASSERT_NE(codec, nullptr);
            EXPECT_EQ(codec->Name(), c.codec);
            EXPECT_EQ(codec->GetType(), static_cast<uint32_t>(c.type));
            EXPECT_EQ(codec->GetModule(), ModuleManager::FindModule(String(c.codec)));
        }
    }
    EXPECT_EQ(CodecManager::FindCodecForFile(nullptr), nullptr);
    test::LogCapture log;
    EXPECT_EQ(CodecManager::FindCodec(String("BMPImageCodec"))->Accepts(nullptr), kInvalidArgument);
    EXPECT_EQ(log.Lines(), (std::vector<std::string>{
                               "WARNING. Указатель на файл равен 0 при проверке кодеком [BMPImageCodec]."}));
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

using test::CountShutdown;
Result CreateCounted(Codec** out)
{
    *out = new TestArchiveCodec("CountedCodec", "cnt");
    return kSuccess;
}

// The module manager stops before the codec manager: a codec keeps its module until it goes.
TEST(CodecManager, CodecsKeepTheirModulesUntilTheyAreReleased)
{
    test::shutdowns = 0;
    {
        test::EngineScope engine;
        auto* module = new StaticModule(String("CountedCodec"));
        (void)module->AddSymbol(String("Shutdown"), reinterpret_cast<ModuleEntry>(&CountShutdown));
        (void)module->AddSymbol(String("CreateCodec"), reinterpret_cast<ModuleEntry>(&CreateCounted));
        ASSERT_EQ(ModuleManager::RegisterModule(module), kSuccess);
        ASSERT_EQ(CodecManager::LoadCodec(String("CountedCodec")), kSuccess);
        ASSERT_EQ(ModuleManager::Terminate(), kSuccess);
        EXPECT_EQ(test::shutdowns, 0);
        ASSERT_EQ(CodecManager::Terminate(), kSuccess);
        EXPECT_EQ(test::shutdowns, 1);
        ASSERT_EQ(ModuleManager::Initialize(), kSuccess);  // For the engine's own stop.
        ASSERT_EQ(CodecManager::Initialize(), kSuccess);
    }
    EXPECT_EQ(test::shutdowns, 1);
}

}  // namespace
}  // namespace zen
