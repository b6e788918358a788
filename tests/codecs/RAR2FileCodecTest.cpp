#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "engine/core/Crc32.h"
#include "engine/modules/FileCodec.h"
#include "engine/vfs/Directory.h"
#include "engine/vfs/FileManager.h"
#include "engine/vfs/MemoryFile.h"
#include "modules/codecs/RAR2FileCodec.h"
#include "modules/codecs/Rar2Archive.h"
#include "platform/PosixTestHooks.h"
#include "support/EngineScope.h"
#include "support/FileText.h"
#include "support/LoadedCodec.h"
#include "support/LogCapture.h"
#include "support/MemoryFiles.h"
#include "support/StoredArchive.h"
#include "support/TempFolder.h"
#include "tests/codecs/ImageTestSupport.h"
#include "tests/codecs/Rar2TestData.h"
#include "support/RequiredTool.h"

namespace zen {
namespace {

constexpr int kArchiveResource = 9327;

uint32_t ContentCrc(File* file)
{
    const std::string text = test::FileText(file);
    return Crc32::Compute(text.data(), text.size());
}

class RAR2FileCodecTest : public ::testing::Test {
protected:
    ~RAR2FileCodecTest() override { platform::posix::RemoveMediaResource(kArchiveResource); }

    // Loads archive bytes seen as a file called `name`; the directory is the caller's.
    Result LoadBytes(const std::vector<uint8_t>& bytes, Directory** out, const String& password = String(),
                     const char* name = "Test.rar2")
    {
        MemoryFile file{String(name)};
        EXPECT_EQ(file.CopyData(bytes.data(), static_cast<uint32_t>(bytes.size())), kSuccess);
        return codec->Load(&file, out, password);
    }

    // The tree of archive bytes that load; null (and the test failed) otherwise.
    std::unique_ptr<Directory> Loaded(const std::vector<uint8_t>& bytes, const String& password = String())
    {
        Directory* directory = nullptr;
        EXPECT_EQ(LoadBytes(bytes, &directory, password), kSuccess);
        EXPECT_NE(directory, nullptr);
        return std::unique_ptr<Directory>(directory);
    }

    std::unique_ptr<Directory> LoadSample(const std::string& sample, const String& password = String())
    {
        return Loaded(test::ReadFileBytes(test::Rar2DataPath(sample)), password);
    }

    test::EngineScope engine;
    RAR2FileCodec* codec = static_cast<RAR2FileCodec*>(test::LoadedCodec("RAR2FileCodec"));
};

TEST_F(RAR2FileCodecTest, AttachedResourceGivesEveryFileOfTheArchive)
{
    platform::posix::SetMediaResource(kArchiveResource,
                                      test::ReadFileBytes(test::Rar2DataPath("sharpcompress_Rar2_dirs_nested_m5.rar")));
    ASSERT_EQ(FileManager::AttachResource(kArchiveResource, String("Media.rar2"), String()), kSuccess);
    Directory* media = FileManager::Root()->FindDirectory(String("Media.rar2"));
    ASSERT_NE(media, nullptr);
    EXPECT_EQ(media->DirectoryCount(), 2u);
    EXPECT_EQ(media->FileCount(), 1u);

    // Nested names become directories; bare names are found anywhere.
    File* exe = FileManager::FindFile(String("exe\\test.exe"));
    ASSERT_NE(exe, nullptr);
    EXPECT_EQ(exe->Parent()->Name(), "exe");
    EXPECT_EQ(exe->Parent()->Parent(), media);
    EXPECT_EQ(ContentCrc(exe), 0xcfb109c8u);
    EXPECT_EQ(ContentCrc(FileManager::FindFile(String("test.jpg"))), 0x088814e3u);
    EXPECT_EQ(FileManager::FindFile(String("jpg/test.jpg")), FileManager::FindFile(String("jpg\\test.jpg")));
    // The Unicode name, in the engine's code page 1251.
    File* cyrillic = FileManager::FindFile(String("\xF2\xE5\xF1\xF2.txt"));
    ASSERT_NE(cyrillic, nullptr);
    EXPECT_EQ(ContentCrc(cyrillic), 0x9bd160fau);
    EXPECT_EQ(static_cast<MemoryFile*>(cyrillic)->OwnerModule(), codec->GetModule());
}

TEST_F(RAR2FileCodecTest, EveryManifestLineLoads)
{
    std::string current;
    std::unique_ptr<Directory> directory;
    for (const test::Rar2ManifestLine& line : test::ReadRar2Manifest()) {
        SCOPED_TRACE(line.archive + " " + line.entry);
        if (line.archive != current) {
            current = line.archive;
            const String password(current.find("pw-password") != std::string::npos ? "password" : "");
            directory = LoadSample(current, password);
            ASSERT_NE(directory, nullptr);
            EXPECT_EQ(directory->Name(), "Test.rar2");
            EXPECT_EQ(directory->Parent(), nullptr);
        }
        // MANIFEST names are UTF-8 with "/"; the tree has code page 1251.
        std::string path = line.entry;
        if (path == reinterpret_cast<const char*>(u8"тест.txt"))
            path = "\xF2\xE5\xF1\xF2.txt";
        if (!path.empty() && path.back() == '/') {
            path.pop_back();
            Directory* found = directory->FindDirectory(String(path));
            ASSERT_NE(found, nullptr);
            EXPECT_EQ(found->FileCount() + found->DirectoryCount(), 0u);
            continue;
        }
        File* file = directory->FindFile(String(path));
        ASSERT_NE(file, nullptr);
        if (line.hasData) {
            const std::string content = test::FileText(file);
            EXPECT_EQ(content.size(), line.size);
            EXPECT_EQ(Crc32::Compute(content.data(), content.size()), line.crc);
        } else {
            EXPECT_EQ(test::FileText(file), "test.txt");  // The symbolic link as a plain file with its text.
        }
    }
}

TEST_F(RAR2FileCodecTest, DamagedEntriesBecomeFilesWithoutData)
{
    std::vector<uint8_t> bytes = test::ReadFileBytes(test::Rar2DataPath("zxtune_test_v2_m0-m5_mm.rar"));
    bytes[33007 + 38 + 500] ^= 0x10;  // Inside p3.bin's packed data.
    bytes[16442 - 5] ^= 0x01;         // The last bytes of the stored p0.bin: its CRC no longer matches.
    test::LogCapture log;
    const std::unique_ptr<Directory> directory = Loaded(bytes);
    ASSERT_NE(directory, nullptr);
    EXPECT_EQ(directory->FileCount(), 7u);
    const std::string etalon = [] {
        const auto data = test::ReadFileBytes(test::Rar2DataPath("zxtune_etalon.bin"));
        return std::string(data.begin(), data.end());
    }();
    for (const char* name : {"p1.bin", "p2.bin", "p4.bin", "p5.bin", "pMM.bin"})
        EXPECT_EQ(test::FileText(directory->FindFile(String(name))), etalon) << name;
    for (const char* name : {"p0.bin", "p3.bin"}) {
        File* file = directory->FindFile(String(name));
        ASSERT_NE(file, nullptr);
        EXPECT_EQ(file->Open(File::kRead), kFailure) << name;
        EXPECT_EQ(static_cast<MemoryFile*>(file)->DataBlock(), nullptr);
    }
    EXPECT_TRUE(log.Contains("WARNING. Файл [p0.bin] архива [Test.rar2] не распакован: неверная контрольная сумма."))
        << log.Joined();
    EXPECT_TRUE(log.ContainsText("Файл [p3.bin] архива [Test.rar2] не распакован"));
}

TEST_F(RAR2FileCodecTest, UnsafeNamesAreRefused)
{
    std::vector<test::StoredEntry> entries;
    for (const char* name : {"..\\evil.txt", "\\rooted.txt", "/rooted2.txt", "C:\\drive.txt", "D:stream.txt",
                             "ok\\..\\..\\up.txt", "fine\\safe.txt", "..\\outdir"})
        entries.push_back({name, "x"});
    entries.push_back({"..\\..\\dir", "", true});

    test::LogCapture log;
    const std::unique_ptr<Directory> directory = Loaded(test::StoredArchive(entries));
    ASSERT_NE(directory, nullptr);
    EXPECT_EQ(directory->FileCount(), 0u);
    ASSERT_EQ(directory->DirectoryCount(), 1u);
    EXPECT_EQ(test::FileText(directory->FindFile(String("fine\\safe.txt"))), "x");
    // The writer stores "/" as "\".
    for (const char* name : {"..\\evil.txt", "\\rooted.txt", "\\rooted2.txt", "C:\\drive.txt", "D:stream.txt",
                             "ok\\..\\..\\up.txt", "..\\outdir", "..\\..\\dir"})
        EXPECT_TRUE(log.Contains(std::string("WARNING. Имя файла в архиве [") + name +
                                 "] недопустимо. Файл пропущен."))
            << name << "\n"
            << log.Joined();
}

TEST_F(RAR2FileCodecTest, BuildsMissingDirectoriesAndKeepsRepeatedNamesApart)
{
    const std::unique_ptr<Directory> directory = Loaded(test::StoredArchive({
        {"x\\y\\deep.txt", "a"},
        {"a\\a\\a.txt", "b"},
        {"x\\y", "", true},  // Listed after its content.
        {"x\\empty", "", true},
        {".\\x\\.\\dot.txt", "a"},
    }));
    ASSERT_NE(directory, nullptr);
    Directory* x = directory->FindDirectory(String("x"));
    ASSERT_NE(x, nullptr);
    EXPECT_EQ(x->DirectoryCount(), 2u);
    EXPECT_EQ(test::FileText(directory->FindFile(String("x\\y\\deep.txt"))), "a");
    EXPECT_EQ(test::FileText(directory->FindFile(String("x\\dot.txt"))), "a");
    // "a\a\a.txt" is a file in a directory "a" inside a directory "a".
    Directory* outer = directory->GetDirectory(0)->Name() == "a" ? directory->GetDirectory(0) : directory->GetDirectory(1);
    ASSERT_EQ(outer->Name(), "a");
    ASSERT_EQ(outer->DirectoryCount(), 1u);
    EXPECT_EQ(outer->FileCount(), 0u);
    EXPECT_EQ(outer->GetDirectory(0)->FileCount(), 1u);
    // Entries are found again by their stored names, separators and "." parts as written.
    EXPECT_EQ(RAR2FileCodec::FindEntryFile(directory.get(), String("a\\a\\a.txt")), outer->GetDirectory(0)->GetFile(0));
    EXPECT_EQ(test::FileText(RAR2FileCodec::FindEntryFile(directory.get(), String(".\\x\\.\\dot.txt"))), "a");
    EXPECT_EQ(test::FileText(RAR2FileCodec::FindEntryFile(directory.get(), String("x/y/deep.txt"))), "a");
    EXPECT_EQ(RAR2FileCodec::FindEntryFile(directory.get(), String("x\\y")), nullptr);  // A directory.
    EXPECT_EQ(RAR2FileCodec::FindEntryFile(directory.get(), String("a\\a.txt")), nullptr);
    EXPECT_EQ(RAR2FileCodec::FindEntryFile(directory.get(), String("")), nullptr);
    EXPECT_EQ(RAR2FileCodec::FindEntryFile(nullptr, String("x\\dot.txt")), nullptr);
}

// A name stored twice: the later copy wins when it unpacks, and a damaged later copy does not
// wipe out the good one before it.
TEST_F(RAR2FileCodecTest, ARepeatedNameKeepsTheLastCopyThatUnpacks)
{
    std::vector<uint8_t> bytes =
        test::StoredArchive({{"new.txt", "a"}, {"new.txt", "b"}, {"kept.txt", "a"}, {"kept.txt", "c"}});
    Rar2Archive archive;
    ASSERT_EQ(archive.Open(bytes.data(), static_cast<uint32_t>(bytes.size())), kSuccess);
    ASSERT_EQ(archive.EntryCount(), 4u);
    bytes[archive.Entry(3).dataOffset] ^= 0x01;  // The second "kept.txt" fails its CRC.

    test::LogCapture log;
    const std::unique_ptr<Directory> directory = Loaded(bytes);
    ASSERT_NE(directory, nullptr);
    EXPECT_EQ(directory->FileCount(), 2u);
    EXPECT_EQ(test::FileText(directory->FindFile(String("new.txt"))), "b");
    EXPECT_EQ(test::FileText(directory->FindFile(String("kept.txt"))), "a");
    EXPECT_TRUE(log.Contains("WARNING. Файл [kept.txt] архива [Test.rar2] не распакован: неверная контрольная сумма. "
                             "Оставлена предыдущая копия."))
        << log.Joined();
}

TEST_F(RAR2FileCodecTest, ResultsForBadArgumentsAndBadData)
{
    Directory* directory = nullptr;
    MemoryFile file{String("x.rar2")};
    EXPECT_EQ(codec->Load(nullptr, &directory, String()), kInvalidArgument);
    EXPECT_EQ(codec->Load(&file, nullptr, String()), kInvalidArgument);
    // A memory file without data cannot be opened.
    EXPECT_EQ(codec->Load(&file, &directory, String()), kFailure);
    EXPECT_EQ(directory, nullptr);

    test::LogCapture log;
    const std::vector<uint8_t> text = {'n', 'o', 't', ' ', 'a', 'n', ' ', 'a', 'r', 'c', 'h', 'i', 'v', 'e'};
    EXPECT_EQ(LoadBytes(text, &directory), kFailure);
    EXPECT_EQ(directory, nullptr);
    EXPECT_TRUE(log.Contains("ERROR. Файл [Test.rar2] не является архивом RAR.")) << log.Joined();

    // Marker and main header only: an empty directory.
    const std::unique_ptr<Directory> empty = Loaded(test::StoredArchive({}));
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(empty->FileCount() + empty->DirectoryCount(), 0u);

    // Cut in the middle of the second header: the first file, and a warning.
    const std::vector<uint8_t> whole = test::ReadFileBytes(test::Rar2DataPath("rarfile_rar202_comments_stored.rar"));
    const std::vector<uint8_t> cut(whole.begin(), whole.begin() + 140);
    log.Clear();
    const std::unique_ptr<Directory> first = Loaded(cut);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->FileCount(), 1u);
    EXPECT_TRUE(log.Contains("WARNING. Архив [Test.rar2] повреждён или обрезан; прочитано файлов: 1.")) << log.Joined();
}

// With the password the entries unpack (every manifest line is checked with it).
TEST_F(RAR2FileCodecTest, EncryptedEntriesNeedThePassword)
{
    const std::unique_ptr<Directory> directory = LoadSample("rarfile_rar202_comments_encrypted_pw-password.rar");
    ASSERT_NE(directory, nullptr);
    EXPECT_EQ(test::FileText(directory->FindFile(String("FILE1.TXT"))), "<cannot open>");
}

TEST_F(RAR2FileCodecTest, SavedTreesLoadBackAndOpenInUnar)
{
    // A tree of memory files, one without data (left out with a warning).
    Directory source{String("Source")};
    Directory* textures = new Directory(String("Textures"), &source);
    new Directory(String("\xCF\xF3\xF1\xF2\xE0\xFF"), &source);  // "Пустая", code page 1251.
    const std::vector<uint8_t> wav = test::ReadFileBytes(test::Rar2DataPath("BoatModernEnglish.wav"));
    test::AddMemoryFile(&source, "Main.STR", std::string(5000, 'S'));
    test::AddMemoryFile(textures, "\xEA\xE0\xEC\xE5\xED\xFC.wav", std::string(wav.begin(), wav.end()));  // "камень.wav"
    ASSERT_EQ(textures->AttachFile(new MemoryFile(String("missing.bmp"))), kSuccess);

    test::TempFolder temp;
    const std::string path = temp.Path("Saved.rar2");
    zen::File target{String(path)};
    test::LogCapture log;
    EXPECT_EQ(codec->Save(nullptr, &source, String()), kFailure);
    EXPECT_EQ(codec->Save(&target, nullptr, String()), kFailure);
    ASSERT_EQ(codec->Save(&target, &source, String()), kSuccess);
    EXPECT_TRUE(log.Contains("WARNING. Файл [Textures\\missing.bmp] не может быть прочитан и не записан в архив."))
        << log.Joined();

    Directory* loaded = nullptr;
    zen::File saved{String(path)};
    ASSERT_EQ(codec->Load(&saved, &loaded, String()), kSuccess);
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(test::FileText(loaded->FindFile(String("Main.STR"))), std::string(5000, 'S'));
    EXPECT_EQ(test::FileText(loaded->FindFile(String("Textures\\\xEA\xE0\xEC\xE5\xED\xFC.wav"))),
              std::string(wav.begin(), wav.end()));
    EXPECT_NE(loaded->FindDirectory(String("\xCF\xF3\xF1\xF2\xE0\xFF")), nullptr);
    EXPECT_EQ(loaded->FindFile(String("missing.bmp")), nullptr);
    delete loaded;

    if (test::UseTool("lsar", "the unar package (scripts/setup.sh)")) {
        const std::string command = "lsar -t '" + path + "' > /dev/null 2>&1";
        EXPECT_EQ(std::system(command.c_str()), 0);
    }
}

}  // namespace
}  // namespace zen
