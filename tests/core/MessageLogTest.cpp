#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "engine/core/FileMessageOutput.h"
#include "engine/core/MessageLog.h"
#include "support/FileText.h"
#include "support/LogCapture.h"

namespace zen {
namespace {

class RecordingOutput : public MessageOutput {
public:
    explicit RecordingOutput(const char* name, std::string* journal) : MessageOutput(String(name)), m_journal(journal) {}
    void Write(uint32_t level, const String& text) override
    {
        *m_journal += Name().Std() + ":" + std::to_string(level) + ":" + text.Std() + "\n";
    }

private:
    std::string* m_journal;
};

TEST(MessageLog, RegistrationLinesAndDuplicates)
{
    std::string journal;
    Ptr<RecordingOutput> output(new RecordingOutput("one", &journal));
    const uint32_t before = RegisteredOutputCount();

    EXPECT_EQ(RegisterOutput(output.Get()), kSuccess);
    // The new output gets its own registration line first.
    EXPECT_EQ(journal, "one:0:Объект вывода сообщений зарегестрирован. [one]\n");

    journal.clear();
    EXPECT_EQ(RegisterOutput(output.Get()), kSuccess);
    EXPECT_EQ(journal, "one:1:Объект вывода сообщений уже зарегестрирован. [one]\n");
    EXPECT_EQ(RegisteredOutputCount(), before + 1);

    journal.clear();
    EXPECT_EQ(UnregisterOutput(output.Get()), kSuccess);
    EXPECT_EQ(journal, "one:0:Объект вывода сообщений разрегестрирован. [one]\n");
    EXPECT_EQ(UnregisterOutput(output.Get()), kInvalidArgument);
    EXPECT_EQ(RegisterOutput(nullptr), kInvalidArgument);
    EXPECT_EQ(RegisteredOutputCount(), before);
}

TEST(MessageLog, RemovingTheFirstOfThreeKeepsTheOrder)
{
    std::string journal;
    Ptr<RecordingOutput> a(new RecordingOutput("a", &journal)), b(new RecordingOutput("b", &journal)),
        c(new RecordingOutput("c", &journal));
    ASSERT_EQ(RegisterOutput(a.Get()), kSuccess);
    ASSERT_EQ(RegisterOutput(b.Get()), kSuccess);
    ASSERT_EQ(RegisterOutput(c.Get()), kSuccess);
    ASSERT_EQ(UnregisterOutput(a.Get()), kSuccess);
    journal.clear();
    Error("x=%d", 7);
    EXPECT_EQ(journal, "b:2:x=7\nc:2:x=7\n");
    (void)UnregisterOutput(b.Get());
    (void)UnregisterOutput(c.Get());
}

TEST(MessageLog, RegistryHoldsTheOnlyReferenceUntilRemoval)
{
    std::string journal;
    auto* output = new RecordingOutput("owned", &journal);
    ASSERT_EQ(RegisterOutput(output), kSuccess);
    EXPECT_EQ(output->References(), 1);
    Ptr<RecordingOutput> keep(output);
    EXPECT_EQ(UnregisterOutput(output), kSuccess);
    EXPECT_EQ(keep->References(), 1);
}

TEST(MessageLog, LongMessagesAreCutAtTheBufferNotOverrun)
{
    test::LogCapture log;
    const std::string huge(20000, 'x');
    Info("%s", huge.c_str());
    ASSERT_EQ(log.Lines().size(), 1u);
    EXPECT_EQ(log.Lines()[0], "INFO. " + std::string(kMessageCapacity - 1, 'x'));
}

TEST(MessageLog, FileOutputPrefixesLevelsAndNamesItselfAfterThePath)
{
    const std::string path = ::testing::TempDir() + "zen_log_test.txt";
    {
        Ptr<FileMessageOutput> file(new FileMessageOutput(String(path.c_str())));
        EXPECT_EQ(file->Name(), path.c_str());
        ASSERT_TRUE(file->IsOpen());
        ASSERT_EQ(RegisterOutput(file.Get()), kSuccess);
        Info("a");
        Warning("b");
        Error("c");
        Critical("d");
        Log(7, "e");
        (void)UnregisterOutput(file.Get());
    }
    EXPECT_EQ(test::FileText(path), "INFO. Объект вывода сообщений зарегестрирован. [" + path +
                                   "]\nINFO. a\nWARNING. b\nERROR. c\nCRITICAL ERROR. d\nUNKNOWN. e\n"
                                   "INFO. Объект вывода сообщений разрегестрирован. [" + path + "]\n");
    std::remove(path.c_str());
}

TEST(MessageLog, TextsAreCodePage1251Bytes)
{
    // "Конец лога." as the program writes it.
    const std::string expected = "\xca\xee\xed\xe5\xf6 \xeb\xee\xe3\xe0.";
    EXPECT_EQ(std::string("Конец лога."), expected);
}

TEST(MessageLog, FileOutputWithoutAPathIsSilent)
{
    Ptr<FileMessageOutput> file(new FileMessageOutput(String(), String("quiet")));
    EXPECT_FALSE(file->IsOpen());
    file->Write(kLevelInfo, String("nothing"));  // Must not crash.
    EXPECT_EQ(file->Name(), "quiet");
}

}  // namespace
}  // namespace zen
