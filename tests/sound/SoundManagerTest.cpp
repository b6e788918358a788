// The sound manager's loading path, natively: the library it loads is the native build of our
// audio library (resource "BASS" 108 of the native platform), written to a temporary file.
#include <gtest/gtest.h>

#include <stdlib.h>

#include <cstdlib>
#include <filesystem>

#include "TestPaths.h"
#include "codecs/ImageTestSupport.h"
#include "engine/sound/SoundManager.h"
#include "platform/PosixTestHooks.h"
#include "sound/SoundTestSupport.h"
#include "support/LogCapture.h"
#include "support/TempFolder.h"

namespace zen {
namespace {

// Temporary files of the manager's pattern ("bas" + six characters) in the temporary folder.
size_t LibraryCopies()
{
    size_t count = 0;
    const char* folder = std::getenv("TMPDIR");
    for (const auto& entry : std::filesystem::directory_iterator(folder && *folder ? folder : "/tmp")) {
        const std::string name = entry.path().filename().string();
        if (name.size() == 9 && name.rfind("bas", 0) == 0)
            ++count;
    }
    return count;
}

// Each test has a temporary folder of its own, so the copies other tests running at the same
// time make are not counted.
class SoundManagerTest : public ::testing::Test {
protected:
    SoundManagerTest()
    {
        if (const char* previous = std::getenv("TMPDIR"))
            m_previous = previous;
        setenv("TMPDIR", m_folder.Root().c_str(), 1);
    }
    ~SoundManagerTest() override
    {
        (void)SoundManager::Terminate();
        platform::posix::ResetTypedResource("BASS", 108);
        if (m_previous.empty())
            unsetenv("TMPDIR");
        else
            setenv("TMPDIR", m_previous.c_str(), 1);
    }

    test::TempFolder m_folder;

private:
    std::string m_previous;
};

TEST_F(SoundManagerTest, LoadsTheLibraryResolvesEveryEntryPointAndOpensTheDevice)
{
    test::LogCapture log;
    const size_t copiesBefore = LibraryCopies();
    ASSERT_EQ(SoundManager::Initialize(), kSuccess);
    EXPECT_EQ(LibraryCopies(), copiesBefore + 1) << "the library's temporary copy";
    uint32_t count = 0;
    for (; SoundManager::EntryPointName(count); ++count)
        EXPECT_TRUE(SoundManager::IsResolved(count)) << SoundManager::EntryPointName(count);
    EXPECT_EQ(count, 89u);
    EXPECT_EQ(log.Lines(), (std::vector<std::string>{"INFO. Инициализация менеджера звука.",
                                                     "INFO. Звук инициализирован. Устройство [1] [Recording]",
                                                     "INFO. Менеджер звука инициализирован."}));
    audio::RecordingAudioOutput* device = test::LoadedRecording();
    ASSERT_NE(device, nullptr);
    EXPECT_EQ(device->Calls(), (std::vector<std::string>{"Open 44100", "Factors 1 7 1",
                                                         "Listener front 0 0 1 top 0 1 0", "Commit3D"}));

    // The global stream volume, read back through the library's own entry point.
    using GetConfig = uint32_t (*)(uint32_t);
    auto getConfig = reinterpret_cast<GetConfig>(platform::FindLibrarySymbol(SoundManager::LibraryHandle(),
                                                                              "BASS_GetConfig"));
    const struct {
        uint32_t set, read;
    } volumes[] = {{150, 100}, {100, 100}, {37, 37}, {0, 0}, {0xFFFFFFFFu, 100}};
    for (const auto& v : volumes) {
        SoundManager::SetVolume(v.set);
        EXPECT_EQ(getConfig(5), v.read) << "SetVolume(" << v.set << ")";
    }

    // The entry points the library only carries fail with its "not available" code (10).
    using ErrorGetCode = int32_t (*)();
    auto errorCode = reinterpret_cast<ErrorGetCode>(platform::FindLibrarySymbol(SoundManager::LibraryHandle(),
                                                                                 "BASS_ErrorGetCode"));
    for (const char* name : {"BASS_MusicLoad", "BASS_ChannelGetLevel", "BASS_RecordInit"}) {
        using Carried = uintptr_t (*)();
        auto carried = reinterpret_cast<Carried>(platform::FindLibrarySymbol(SoundManager::LibraryHandle(), name));
        ASSERT_NE(carried, nullptr) << name;
        EXPECT_EQ(carried(), 0u) << name;
        EXPECT_EQ(errorCode(), 10) << name;
        SoundManager::SetVolume(100);  // A call that succeeds clears the code again.
        EXPECT_EQ(errorCode(), 0) << name;
    }

    // A second device start (the saver's, with its window) is refused by the library and said
    // once; the same refusal again is not repeated.
    log.Clear();
    int window = 0;
    SoundManager::StartDevice(&window);
    SoundManager::StartDevice(&window);
    ASSERT_EQ(log.Lines().size(), 1u);
    EXPECT_EQ(log.Lines()[0], "ERROR. Невозможно инициализировать звук. Причина [5]. Устройство [Recording]");

    log.Clear();
    EXPECT_EQ(SoundManager::Terminate(), kSuccess);
    EXPECT_EQ(log.Lines(), (std::vector<std::string>{"INFO. Завершение работы менеджера звука.",
                                                     "INFO. Менеджер звука завершил работу."}));
    EXPECT_EQ(LibraryCopies(), copiesBefore) << "the temporary copy is deleted";
    EXPECT_FALSE(SoundManager::IsLoaded());
}

TEST_F(SoundManagerTest, ALibraryThatCannotBeHadFailsTheStartAndEveryCallStaysQuiet)
{
    const std::string error = "ERROR. Инициализация менеджера звука. ";
    const std::string cannotLoad = error + "Невозможно загрузить библиотеку [bass.dll].";
    std::vector<uint8_t> noise(5000, 0x90);
    struct Case {
        const char* what;
        int resource;  // 0 missing, 1 empty, 2 bytes, 3 the library but no temporary folder, 4 unloadable.
        std::vector<uint8_t> bytes;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {"no resource", 0, {}, {error + "Невозможно найти ресурс [bass.dll].", cannotLoad}},
        {"an empty resource", 1, {}, {error + "Размер ресурса [bass.dll] равен 0.", cannotLoad}},
        {"bytes that are no library", 2, noise, {cannotLoad}},
        {"a resource that cannot be locked", 4, {}, {error + "Невозможно залочить ресурс [bass.dll].", cannotLoad}},
        {"no temporary folder", 3, {}, {error + "Невозможно создать временный файл [bass.dll].", cannotLoad}},
        {"a library of another kind", 2, test::ReadFileBytes(std::string(ZEN_TEST_MODULE_DIR) + "/ZenTestModule.dll"),
         {"ERROR. Версия библиотеки BASS не совпадает."}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.resource == 0)
            platform::posix::RemoveTypedResource("BASS", 108);
        else if (c.resource < 3)
            platform::posix::SetTypedResource("BASS", 108, c.bytes);
        else if (c.resource == 4)
            platform::posix::SetTypedResourceUnloadable("BASS", 108);
        const size_t copiesBefore = LibraryCopies();
        test::LogCapture log;
        if (c.resource == 3)
            setenv("TMPDIR", (m_folder.Root() / "missing").c_str(), 1);
        EXPECT_EQ(SoundManager::Initialize(), kFailure);
        setenv("TMPDIR", m_folder.Root().c_str(), 1);
        std::vector<std::string> expected{"INFO. Инициализация менеджера звука."};
        expected.insert(expected.end(), c.lines.begin(), c.lines.end());
        EXPECT_EQ(log.Lines(), expected);
        EXPECT_FALSE(SoundManager::IsLoaded());
        EXPECT_EQ(LibraryCopies(), copiesBefore) << "no copy is left behind";
        for (uint32_t i = 0; SoundManager::EntryPointName(i); ++i)
            ASSERT_FALSE(SoundManager::IsResolved(i)) << SoundManager::EntryPointName(i);
        // Nothing goes through an entry point that is not there.
        log.Clear();
        uint8_t bytes[16] = {};
        EXPECT_EQ(SoundManager::StreamCreate(bytes, sizeof bytes, 0), 0u);
        SoundManager::ChannelPlay(1, true);
        SoundManager::SetVolume(50);
        SoundManager::SetListener(Vector3{0, 0, 1}, Vector3{0, 1, 0});
        EXPECT_FALSE(SoundManager::ChannelIsActive(1));
        EXPECT_TRUE(log.Lines().empty());
        EXPECT_EQ(SoundManager::Terminate(), kSuccess);
        EXPECT_EQ(log.Lines(), std::vector<std::string>{"INFO. Завершение работы менеджера звука."});
        platform::posix::ResetTypedResource("BASS", 108);
    }
}

}  // namespace
}  // namespace zen
