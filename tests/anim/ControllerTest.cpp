#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "anim/AnimTestSupport.h"
#include "engine/anim/Controller.h"
#include "engine/core/Stream.h"
#include "support/LogCapture.h"
#include "support/RecordBytes.h"
#include "support/TestClasses.h"

// The controller base block every controller's stream form starts with: the object's fields,
// then the active flag as one byte, with one message per step that fails.
namespace zen {
namespace {

using test::ByteStream;

using test::ShortStream;

std::vector<uint8_t> Written(const Stream& stream)
{
    return std::vector<uint8_t>(stream.Data(), stream.Data() + stream.Position());
}

TEST(ControllerStream, ObjectFieldsThenTheActiveFlagAsOneByte)
{
    test::TestController controller(String("spin"));
    EXPECT_TRUE(controller.IsActive());
    EXPECT_EQ(controller.Owner(), nullptr);
    controller.SetActive(false);
    Stream out;
    ASSERT_EQ(controller.Save(out), kSuccess);
    std::vector<uint8_t> expected;
    test::PutString(expected, "spin");
    test::PutInt(expected, 0);  // No controllers of its own.
    expected.push_back(0);
    EXPECT_EQ(Written(out), expected);

    // Any non-zero byte reads back as active; the name comes back, the owner is never stored.
    expected.back() = 2;
    test::TestController back;
    ByteStream in(expected);
    ASSERT_EQ(back.Load(in), kSuccess);
    EXPECT_EQ(back.Name(), "spin");
    EXPECT_TRUE(back.IsActive());
    EXPECT_EQ(back.Owner(), nullptr);
    EXPECT_EQ(in.Remaining(), 0u);
}

TEST(ControllerStream, EachFailingStepWritesItsOwnMessage)
{
    test::TestController controller(String("c"));
    const std::string id = std::to_string(controller.ID());
    std::vector<uint8_t> withoutFlag;
    test::PutString(withoutFlag, "c");
    test::PutInt(withoutFlag, 0);
    const struct {
        int saveBudget;  // Bytes the save may write; -1: load `loadBytes` bytes of `withoutFlag`.
        size_t loadBytes;
        std::string line;    // The last line logged.
        const char* absent;  // Logged by no other step.
    } cases[] = {
        {4 + 1 + 4, 0, "ERROR. Невозможно сохранить флаг активности контроллера. Имя[c] ID[" + id + "]",
         "родительские"},
        {0, 0, "ERROR. Невозможно сохранить родительские данные. Имя[c] ID[" + id + "]", "флаг активности"},
        {-1, withoutFlag.size(), "ERROR. Невозможно загрузить флаг активности контроллера. ID[" + id + "] Имя[c]",
         "родительские"},
        {-1, 3, "ERROR. Невозможно загрузить родительские данные. ID[" + id + "]", "флаг активности"},
    };
    for (const auto& c : cases) {
        test::LogCapture log;
        if (c.saveBudget >= 0) {
            ShortStream out(static_cast<uint32_t>(c.saveBudget));
            ASSERT_EQ(controller.Save(out), kFailure);
        } else {
            ByteStream in(std::vector<uint8_t>(withoutFlag.begin(), withoutFlag.begin() + c.loadBytes));
            ASSERT_EQ(controller.Load(in), kFailure);
        }
        EXPECT_EQ(log.Lines().back(), c.line);
        EXPECT_FALSE(log.ContainsText(c.absent)) << c.line;
    }
}

}  // namespace
}  // namespace zen
