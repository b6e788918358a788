#include <gtest/gtest.h>

#include <unistd.h>

#include <fstream>
#include <string>
#include <vector>

#include "engine/vfs/Directory.h"
#include "engine/scene/Transform.h"
#include "engine/vfs/File.h"
#include "support/FileText.h"
#include "support/LogCapture.h"
#include "support/TempFolder.h"
#include "support/TestClasses.h"

namespace zen {
namespace {

// A scratch folder on disk, seen as a Directory named by its path so that the files in it have
// real paths ("<folder>/<name>").
class DiskFile : public ::testing::Test {
protected:
    // Files still open are written out when the directory goes, before the folder does.
    ~DiskFile() override { delete folder; }

    File* Add(const char* name)
    {
        auto* file = new File(String(name));
        EXPECT_EQ(folder->AttachFile(file), kSuccess);
        return file;
    }
    std::string PathOf(const std::string& name) const { return scratch.Path(name); }
    // A file of the folder whose disk file holds `bytes`.
    File* AddWith(const char* name, const std::string& bytes)
    {
        std::ofstream(PathOf(name), std::ios::binary) << bytes;
        return Add(name);
    }
    std::string Get(const std::string& name) const { return test::FileText(PathOf(name)); }

    test::TempFolder scratch;
    Directory* folder = new Directory(String(scratch.Root().string()));
};

TEST_F(DiskFile, WrittenBytesReachTheDiskAtCloseAndReadBack)
{
    File* file = Add("data.bin");
    EXPECT_EQ(file->GetPath().Std(), PathOf("data.bin"));
    ASSERT_EQ(file->Open(File::kWrite), kSuccess);
    file->WriteInt(0x04030201);
    file->WriteString(String("abc"));
    EXPECT_EQ(file->GetSize(), 11u);  // While writing: the bytes written so far.
    EXPECT_EQ(Get("data.bin"), "");  // Nothing before Close.
    ASSERT_EQ(file->Close(), kSuccess);
    EXPECT_EQ(Get("data.bin"), std::string("\x01\x02\x03\x04\x03\0\0\0abc", 11));

    ASSERT_EQ(file->Open(File::kRead), kSuccess);
    EXPECT_EQ(file->GetSize(), 11u);
    int32_t value = 0;
    String text;
    EXPECT_EQ(file->ReadInt(value), kSuccess);
    EXPECT_EQ(file->ReadString(text), kSuccess);
    EXPECT_EQ(value, 0x04030201);
    EXPECT_EQ(text, String("abc"));
    EXPECT_EQ(file->Close(), kSuccess);
    EXPECT_FALSE(file->IsOpen());
}

TEST_F(DiskFile, AppendAddsToTheEnd)
{
    File* file = AddWith("log.txt", "one,");
    ASSERT_EQ(file->Open(File::kAppend), kSuccess);
    file->Write("two", 3);
    ASSERT_EQ(file->Close(), kSuccess);
    EXPECT_EQ(Get("log.txt"), "one,two");
}

TEST_F(DiskFile, AnUnknownModeOpensForReading)
{
    File* file = AddWith("five.txt", "12345");
    ASSERT_EQ(file->Open(5), kSuccess);
    EXPECT_EQ(file->OpenMode(), static_cast<uint32_t>(File::kRead));
    char bytes[5] = {};
    EXPECT_EQ(file->Read(bytes, 5), kSuccess);
    EXPECT_EQ(std::string(bytes, 5), "12345");
    EXPECT_EQ(Get("five.txt"), "12345");  // Not truncated.
}

TEST_F(DiskFile, WritingToAFileOpenForReadingChangesNothing)
{
    File* file = AddWith("r.txt", "abc");
    ASSERT_EQ(file->Open(File::kRead), kSuccess);
    test::LogCapture log;
    EXPECT_EQ(file->Write("x", 1), kFailure);
    EXPECT_EQ(file->WriteInt(7), kFailure);
    EXPECT_EQ(log.Lines(), (std::vector<std::string>(2, "WARNING. Запись в файл [" + PathOf("r.txt") +
                                                                "], открытый для чтения.")));
    EXPECT_EQ(file->State(), kSuccess);
    EXPECT_EQ(file->Position(), 0u);
    EXPECT_EQ(file->GetSize(), 3u);
    char c = 0;
    EXPECT_EQ(file->Read(&c, 1), kSuccess);
    EXPECT_EQ(c, 'a');
    ASSERT_EQ(file->Close(), kSuccess);
    EXPECT_EQ(Get("r.txt"), "abc");
}

TEST_F(DiskFile, MisusedReadsAndWritesWarn)
{
    File* file = Add("m.txt");
    test::LogCapture log;
    char c = 0;
    EXPECT_EQ(file->Read(&c, 1), kFailure);
    EXPECT_EQ(file->Write(&c, 1), kFailure);
    ASSERT_EQ(file->Open(File::kWrite), kSuccess);
    EXPECT_EQ(file->Read(&c, 1), kFailure);
    const std::string path = PathOf("m.txt");
    EXPECT_EQ(log.Lines(), (std::vector<std::string>{
                               "WARNING. Чтение из закрытого файла [" + path + "].",
                               "WARNING. Запись в закрытый файл [" + path + "].",
                               "WARNING. Чтение из файла [" + path + "], открытого для записи.",
                           }));
    EXPECT_EQ(file->State(), kSuccess);
}

// A refused read leaves the stream's state alone, but no typed read built on it may report
// success: a caller that checks only the result would otherwise go on with values never read.
TEST_F(DiskFile, TypedReadsOnAClosedFileFail)
{
    File* file = AddWith("closed.bin", std::string(64, '\0'));
    test::LogCapture log;
    bool flag = true;
    String text("kept");
    Vector3 vector;
    Quaternion rotation;
    Transform transform;
    Object* object = reinterpret_cast<Object*>(1);
    Ptr<test::Thing> thing;
    test::Thing* link = nullptr;
    EXPECT_EQ(file->ReadBool(flag), kFailure);
    EXPECT_EQ(file->ReadString(text), kFailure);
    EXPECT_EQ(file->ReadVector3(vector), kFailure);
    EXPECT_EQ(file->ReadQuaternion(rotation), kFailure);
    EXPECT_EQ(file->ReadTransform(transform), kFailure);
    EXPECT_EQ(file->ReadObject(&object), kFailure);
    EXPECT_EQ(file->ReadObject(thing), kFailure);
    EXPECT_EQ(file->ReadLink(link), kFailure);
    EXPECT_TRUE(flag);
    EXPECT_EQ(text, "kept");
    EXPECT_EQ(object, nullptr);
    EXPECT_FALSE(thing);
    // Each read stopped at its first refused primitive.
    EXPECT_EQ(log.Lines(), std::vector<std::string>(8, "WARNING. Чтение из закрытого файла [" + PathOf("closed.bin") + "]."));
    EXPECT_EQ(file->State(), kSuccess);
    EXPECT_EQ(file->WriteString(String("x")), kFailure);
}

TEST_F(DiskFile, SizeOfAClosedFileIsMeasuredOnDisk)
{
    File* file = AddWith("sized.bin", std::string(3000, 'z'));
    test::LogCapture log;
    EXPECT_EQ(file->GetSize(), 3000u);
    EXPECT_FALSE(file->IsOpen());
    EXPECT_TRUE(log.Lines().empty());

    File* missing = Add("missing.bin");
    log.Clear();
    EXPECT_EQ(missing->GetSize(), 0u);
    EXPECT_FALSE(missing->IsOpen());
    const std::string path = PathOf("missing.bin");
    EXPECT_EQ(log.Lines(), (std::vector<std::string>{
                               "WARNING. Невозможно открыть файл [" + path + "].",
                               "WARNING. Файл [" + path + "] не может быть открыть для чтения.",
                           }));
}

TEST_F(DiskFile, AnEmptyFileOpensWithNothingToRead)
{
    File* file = AddWith("empty.txt", "");
    ASSERT_EQ(file->Open(File::kRead), kSuccess);
    EXPECT_EQ(file->GetSize(), 0u);
    uint8_t byte = 0;
    EXPECT_EQ(file->ReadByte(byte), kFailure);
}

TEST_F(DiskFile, ReopeningWritesOutWhatWasWritten)
{
    File* file = Add("again.txt");
    ASSERT_EQ(file->Open(File::kWrite), kSuccess);
    file->Write("hello", 5);
    ASSERT_EQ(file->Open(File::kRead), kSuccess);
    EXPECT_EQ(file->GetSize(), 5u);
    EXPECT_EQ(Get("again.txt"), "hello");
}

TEST_F(DiskFile, DestroyingAnOpenFileWritesItOut)
{
    File* file = Add("closing.txt");
    ASSERT_EQ(file->Open(File::kWrite), kSuccess);
    file->Write("bye", 3);
    delete file;
    EXPECT_EQ(folder->FileCount(), 0u);
    EXPECT_EQ(Get("closing.txt"), "bye");
}

TEST_F(DiskFile, OpenAndCloseForgetTheObjectsMet)
{
    test::Thing thing(String("t"));
    File* file = Add("ids.bin");
    ASSERT_EQ(file->Open(File::kWrite), kSuccess);
    file->WriteObject(&thing);
    const uint32_t full = file->Position();
    file->WriteObject(&thing);
    EXPECT_EQ(file->Position(), full + 4);  // The second reference is a bare ID.
    ASSERT_EQ(file->Open(File::kWrite), kSuccess);
    file->WriteObject(&thing);
    EXPECT_EQ(file->Position(), full);  // After reopening the object is written in full again.
}

// A full device takes the buffered bytes but cannot flush them.
TEST(File, AShortWriteAtCloseKeepsTheFileOpenWithItsBytes)
{
    if (access("/dev/full", W_OK) != 0)
        GTEST_SKIP() << "no /dev/full here";
    File file(String("/dev/full"));
    ASSERT_EQ(file.Open(File::kWrite), kSuccess);
    file.Write("data", 4);
    test::LogCapture log;
    EXPECT_EQ(file.Close(), kFailure);
    EXPECT_TRUE(file.IsOpen());
    EXPECT_EQ(file.GetSize(), 4u);
    // Reopening must not drop bytes that never reached the file.
    EXPECT_EQ(file.Open(File::kRead), kFailure);
    EXPECT_TRUE(file.IsOpen());
    EXPECT_EQ(file.OpenMode(), static_cast<uint32_t>(File::kWrite));
    EXPECT_EQ(log.Lines(), (std::vector<std::string>{
                               "WARNING. В файл [/dev/full] записаны не все данные.",
                               "WARNING. В файл [/dev/full] записаны не все данные.",
                               "WARNING. Невозможно закрыть файл [/dev/full].",
                           }));
}

TEST(File, ExtensionIsTheTextAfterTheLastDot)
{
    EXPECT_EQ(File(String("Main.STR")).GetExtension(), String("STR"));
    EXPECT_EQ(File(String("archive.tar.rar2")).GetExtension(), String("rar2"));
    EXPECT_EQ(File(String("README")).GetExtension(), String(""));
    EXPECT_EQ(File(String("trailing.")).GetExtension(), String(""));
    EXPECT_EQ(File(String("/tmp/dir.d/plain")).GetExtension(), String(""));
    EXPECT_EQ(File(String("/tmp/dir.d/scene.Str")).GetExtension(), String("Str"));
}

}  // namespace
}  // namespace zen
