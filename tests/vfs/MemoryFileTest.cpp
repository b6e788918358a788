#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "engine/modules/StaticModule.h"
#include "engine/vfs/MemoryFile.h"
#include "support/LogCapture.h"
#include "support/ShutdownCounter.h"

namespace zen {
namespace {

MemoryFile* WithText(const char* name, const std::string& text)
{
    auto* file = new MemoryFile(String(name));
    EXPECT_EQ(file->CopyData(text.data(), static_cast<uint32_t>(text.size())), kSuccess);
    return file;
}

TEST(MemoryFile, OpeningForWritingFailsSilently)
{
    MemoryFile file(String("scene.STR"));
    ASSERT_EQ(file.CopyData("abc", 3), kSuccess);
    test::LogCapture log;
    EXPECT_EQ(file.Open(File::kWrite), kFailure);
    EXPECT_EQ(file.Open(File::kAppend), kFailure);
    EXPECT_FALSE(file.IsOpen());
    EXPECT_TRUE(log.Lines().empty());
}

TEST(MemoryFile, AFileWithoutDataCannotBeOpened)
{
    MemoryFile file(String("broken.bmp"));
    test::LogCapture log;
    EXPECT_EQ(file.Open(File::kRead), kFailure);
    EXPECT_TRUE(log.Lines().empty());
    EXPECT_EQ(file.GetSize(), 0u);
    EXPECT_EQ(log.Lines(), (std::vector<std::string>{"WARNING. Файл [broken.bmp] не может быть открыть для чтения."}));
}

TEST(MemoryFile, ReadingWorksOnACopyThatCloseDrops)
{
    MemoryFile* file = WithText("t.txt", "hello");
    ASSERT_EQ(file->Open(File::kRead), kSuccess);
    EXPECT_EQ(file->GetSize(), 5u);
    EXPECT_NE(file->Stream::Data(), file->DataBlock());
    char bytes[5] = {};
    EXPECT_EQ(file->Read(bytes, 5), kSuccess);
    EXPECT_EQ(std::string(bytes, 5), "hello");
    EXPECT_EQ(file->Write("x", 1), kFailure);
    EXPECT_EQ(file->Close(), kSuccess);
    EXPECT_FALSE(file->IsOpen());
    EXPECT_EQ(file->Stream::Data(), nullptr);
    EXPECT_EQ(file->DataSize(), 5u);  // The content itself stays.
    ASSERT_EQ(file->Open(File::kRead), kSuccess);  // And can be read again.
    EXPECT_EQ(file->Read(bytes, 5), kSuccess);
    delete file;
}

TEST(MemoryFile, DetachedDataOutlivesTheFile)
{
    MemoryFile* file = WithText("d.txt", "keep");
    uint8_t* data = file->DetachData();
    EXPECT_EQ(file->DataBlock(), nullptr);
    EXPECT_EQ(file->Open(File::kRead), kFailure);
    delete file;
    EXPECT_EQ(std::memcmp(data, "keep", 4), 0);  // The sanitizer build catches a freed block.
    delete[] data;
}

TEST(MemoryFile, SetDataReplacesAndFreesTheOldBlock)
{
    MemoryFile file(String("r.txt"));
    ASSERT_EQ(file.CopyData("first", 5), kSuccess);
    file.SetData(new uint8_t[2]{'o', 'k'}, 2);
    EXPECT_EQ(file.DataSize(), 2u);
    EXPECT_EQ(file.GetSize(), 2u);
    file.SetData(nullptr, 10);
    EXPECT_EQ(file.DataSize(), 0u);
}

using test::CountShutdown;

TEST(MemoryFile, KeepsItsOwnerModuleLoaded)
{
    test::shutdowns = 0;
    Ptr<StaticModule> module(new StaticModule(String("Producer")));
    ASSERT_EQ(module->AddSymbol(String("Shutdown"), reinterpret_cast<ModuleEntry>(&CountShutdown)), kSuccess);
    MemoryFile* file = WithText("m.txt", "x");
    file->SetOwnerModule(module.Get());
    module = nullptr;
    EXPECT_EQ(test::shutdowns, 0);
    delete file;
    EXPECT_EQ(test::shutdowns, 1);
}

}  // namespace
}  // namespace zen
