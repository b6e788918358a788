#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "engine/core/Engine.h"
#include "engine/core/Stream.h"
#include "engine/scene/Transform.h"
#include "support/EngineScope.h"
#include "support/LogCapture.h"
#include "support/RecordBytes.h"
#include "support/TestClasses.h"

namespace zen {
namespace {

std::vector<uint8_t> Bytes(const Stream& stream, uint32_t count)
{
    return std::vector<uint8_t>(stream.Data(), stream.Data() + count);
}

using test::ByteStream;

TEST(Stream, ValuesAreLittleEndianWithoutPadding)
{
    Stream stream(0, 16);
    stream.WriteByte(0xAB);
    stream.WriteWord(0x1234);
    stream.WriteInt(-2);
    stream.WriteFloat(1.0f);
    stream.WriteBool(true);
    stream.WriteString(String(""));
    stream.WriteString(String("hi"));
    ASSERT_EQ(stream.State(), kSuccess);
    EXPECT_EQ(Bytes(stream, stream.Position()),
              (std::vector<uint8_t>{0xAB, 0x34, 0x12, 0xFE, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x80, 0x3F, 0x01, 0, 0, 0, 0,
                                    2, 0, 0, 0, 'h', 'i'}));
}

TEST(Stream, TransformIsFortyBytesAndReadsBackWithFlagsCleared)
{
    Transform t;
    t.scale = {1, 2, 3};
    t.rotation = {0.5f, 0.5f, 0.5f, 0.5f};
    t.translation = {7, 8, 9};
    Stream out;
    out.WriteTransform(t);
    ASSERT_EQ(out.Position(), 40u);
    ByteStream in(Bytes(out, 40));
    Transform back;
    ASSERT_EQ(in.ReadTransform(back), kSuccess);
    EXPECT_EQ(back.scale, t.scale);
    EXPECT_EQ(back.rotation, t.rotation);
    EXPECT_EQ(back.translation, t.translation);
    EXPECT_FALSE(back.isIdentity);
    EXPECT_FALSE(back.noRotation);
}

TEST(Stream, ZeroIncrementFailsTheFirstWriteAndStaysFailed)
{
    test::LogCapture log;
    Stream stream(0, 0);
    EXPECT_EQ(stream.WriteByte(1), kFailure);
    EXPECT_EQ(log.Lines(), (std::vector<std::string>{"WARNING. Приращение буффера равно 0.",
                                                     "WARNING. Невозможно записать данные вследствие малого размера буффера."}));
    log.Clear();
    EXPECT_EQ(stream.WriteByte(1), kFailure);
    EXPECT_EQ(log.Lines(), (std::vector<std::string>{"WARNING. Неправильное состояние потока."}));
}

TEST(Stream, ReadingPastTheEndFailsWithoutMoving)
{
    test::LogCapture log;
    ByteStream stream({1, 2, 3});
    uint32_t value = 0;
    EXPECT_EQ(stream.ReadUInt(value), kFailure);
    EXPECT_EQ(stream.Position(), 0u);
    EXPECT_TRUE(log.Contains("WARNING. Невозможно считать данные. Буффер переполнен."));

    Stream empty;
    uint8_t byte = 0;
    EXPECT_EQ(empty.ReadByte(byte), kFailure);
    EXPECT_TRUE(log.Contains("WARNING. Невозможно считать данные. Буффер не существует."));
}

TEST(Stream, StringLengthBeyondTheDataFailsInsteadOfAllocating)
{
    test::LogCapture log;
    ByteStream stream({0xFF, 0xFF, 0xFF, 0x7F, 'a', 'b'});
    String value("kept");
    EXPECT_EQ(stream.ReadString(value), kFailure);
    EXPECT_EQ(value, "kept");
    EXPECT_EQ(stream.State(), kFailure);
}

class StreamObjects : public ::testing::Test {
protected:
    test::EngineScope engine;
};

TEST_F(StreamObjects, RecordLayoutIsIdTypeNameThenFields)
{
    Ptr<test::Thing> thing(new test::Thing(String("n")));
    thing->value = 5;
    std::vector<uint8_t> expected;
    test::PutInt(expected, thing->ID());
    test::PutString(expected, "ZEN.Thing");
    test::PutString(expected, "n");   // Object: name
    test::PutInt(expected, 0);        // Object: controller count
    test::PutInt(expected, 5);        // value
    test::PutInt(expected, Stream::kNullID);  // child
    test::PutInt(expected, Stream::kNullID);  // link
    EXPECT_EQ(test::SavedRecord(thing.Get()), expected);
}

TEST_F(StreamObjects, SharedObjectsAndCyclesKeepTheirShape)
{
    Ptr<test::Thing> root(new test::Thing(String("root")));
    root->child = new test::Thing(String("child"));
    root->child->link = root.Get();           // Back to the enclosing object.
    root->child->child = new test::Thing(String("leaf"));
    root->link = root->child->child.Get();    // A second reference to the leaf.
    Ptr<test::TestController> controller(new test::TestController(String("c1")));
    Ptr<test::TestController> second(new test::TestController(String("c2")));
    ASSERT_EQ(root->SetController(controller.Get()), kSuccess);
    ASSERT_EQ(root->SetController(second.Get()), kSuccess);
    controller->SetActive(false);

    ByteStream in(test::SavedRecord(root.Get()));
    Ptr<test::Thing> back;
    ASSERT_EQ(in.ReadObject(back), kSuccess);
    ASSERT_TRUE(back);
    EXPECT_EQ(in.Remaining(), 0u);
    EXPECT_EQ(back->Name(), "root");
    ASSERT_TRUE(back->child);
    EXPECT_EQ(back->child->link, back.Get());
    ASSERT_TRUE(back->child->child);
    EXPECT_EQ(back->link, back->child->child.Get());
    EXPECT_NE(back->ID(), root->ID());
    ASSERT_EQ(back->ControllerCount(), 2u);
    EXPECT_EQ(back->GetController(0)->Name(), "c2");
    EXPECT_EQ(back->GetController(1)->Name(), "c1");
    EXPECT_FALSE(back->GetController(1)->IsActive());
    EXPECT_EQ(back->GetController(1)->Owner(), back.Get());
    back->child->link = nullptr;
}

TEST_F(StreamObjects, UnknownTypeNameFailsTheStream)
{
    test::LogCapture log;
    ByteStream in({7, 0, 0, 0, 8, 0, 0, 0, 'Z', 'E', 'N', '.', 'N', 'o', 'p', 'e'});
    Object* read = nullptr;
    EXPECT_EQ(in.ReadObject(&read), kFailure);
    EXPECT_EQ(read, nullptr);
    EXPECT_TRUE(log.Contains("ERROR. Невозможно найти функцию создания объекта. RTTI[ZEN.Nope] ID[7]"));
}

TEST_F(StreamObjects, AnObjectOfTheWrongTypeInATypedFieldIsRefused)
{
    // A TestController where a Thing is expected.
    Ptr<test::TestController> wrong(new test::TestController(String("w")));
    ByteStream in(test::SavedRecord(wrong.Get()));
    Ptr<test::Thing> field;
    EXPECT_EQ(in.ReadObject(field), kFailure);
    EXPECT_FALSE(field);
}

TEST_F(StreamObjects, EveryReferenceIsLoggedWithItsRecord)
{
    Ptr<test::Thing> thing(new test::Thing(String("a")));
    const std::string id = std::to_string(thing->ID());
    Stream out;
    test::LogCapture log;
    ASSERT_EQ(out.WriteObject(thing.Get()), kSuccess);
    const uint32_t end = out.Position();
    ASSERT_EQ(out.WriteObject(thing.Get()), kSuccess);
    EXPECT_EQ(out.Position(), end + 4);  // A second reference is the bare ID.
    ASSERT_EQ(out.WriteObject(nullptr), kSuccess);
    EXPECT_EQ(log.Lines(), (std::vector<std::string>{
                               "INFO. Write ID[" + id + "]",
                               "INFO. RTTI[ZEN.Thing] ID[" + id + "] Name[a] Pointer[" + std::to_string(end) + "]",
                               "INFO. Write ID[" + id + "]",
                           }));

    log.Clear();
    ByteStream in(Bytes(out, out.Position()));
    Object* one = nullptr;
    Object* two = nullptr;
    Object* none = reinterpret_cast<Object*>(1);
    ASSERT_EQ(in.ReadObject(&one), kSuccess);
    ASSERT_EQ(in.ReadObject(&two), kSuccess);
    ASSERT_EQ(in.ReadObject(&none), kSuccess);
    Ptr<Object> own(one);
    EXPECT_EQ(two, one);
    EXPECT_EQ(none, nullptr);
    // The record line names the new object by its own run-time ID, not the file's; the null
    // child and link inside the record are read (and logged) before it ends.
    EXPECT_EQ(log.Lines(), (std::vector<std::string>{
                               "INFO. Read ID[" + id + "]",
                               "INFO. Read ID[-1]",
                               "INFO. Read ID[-1]",
                               "INFO. RTTI[ZEN.Thing] ID[" + std::to_string(one->ID()) + "] Name[a] Pointer[" +
                                   std::to_string(end) + "]",
                               "INFO. Read ID[" + id + "]",
                               "INFO. Read ID[-1]",
                           }));
}

// Object's own part of a record fails with a line that names the field group and the object.
TEST_F(StreamObjects, ObjectFieldsThatCannotBeSavedNameTheObject)
{
    Ptr<test::Thing> thing(new test::Thing(String("s")));
    ASSERT_EQ(thing->SetController(new test::TestController(String("c"))), kSuccess);
    const std::string id = std::to_string(thing->ID());
    const uint32_t head = 4 + 4 + 9;  // ID and type name.
    struct Case {
        uint32_t room;
        std::string line;
    };
    const Case cases[] = {
        {head + 2, "ERROR. Невозможно сохранить имя объекта. Имя[s] ID[" + id + "]"},
        {head + 5 + 2, "ERROR. Невозможно сохранить количество контроллеров объекта. Имя[s] ID[" + id + "]"},
        {head + 5 + 4 + 2, "ERROR. Невозможно сохранить контроллер объекта. Имя[s] ID[" + id + "]"},
    };
    for (const Case& c : cases) {
        Stream out(c.room, 0);
        test::LogCapture log;
        EXPECT_NE(out.WriteObject(thing.Get()), kSuccess);
        EXPECT_TRUE(log.Contains(c.line)) << log.Joined();
    }
}

TEST_F(StreamObjects, ARecordWhoseHeadCannotBeWrittenStillNamesItsObject)
{
    Ptr<test::Thing> root(new test::Thing(String("outer")));
    root->child = new test::Thing(String("inner"));
    // Room for the outer record up to its child reference, which does not fit.
    const uint32_t upToChild = 4 + 4 + 9 + 4 + 5 + 4 + 4;
    Stream out(upToChild + 2, 0);
    test::LogCapture log;
    EXPECT_NE(out.WriteObject(root.Get()), kSuccess);
    EXPECT_TRUE(log.Contains("ERROR. Невозможно сохранить имя объекта. Имя[inner] ID[" +
                             std::to_string(root->child->ID()) + "]"))
        << log.Joined();
    EXPECT_TRUE(log.ContainsText("INFO. RTTI[ZEN.Thing] ID[" + std::to_string(root->child->ID()) + "] Name[inner]"));
}

}  // namespace
}  // namespace zen
