#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/core/Object.h"
#include "engine/core/Ptr.h"
#include "engine/core/Stream.h"
#include "support/EngineScope.h"
#include "support/LogCapture.h"
#include "support/RecordBytes.h"
#include "support/TestClasses.h"

// Object records that fail while the objects they describe are still being loaded. Whatever a
// corrupt file says, the stream must fail cleanly: no object may be destroyed while its own
// Load is running (the sanitizer build turns such a use after free into a failure).
namespace zen {
namespace {

class Bytes {
public:
    Bytes& U32(uint32_t value)
    {
        test::PutInt(m_bytes, value);
        return *this;
    }
    Bytes& Text(const std::string& text)
    {
        test::PutString(m_bytes, text);
        return *this;
    }
    // ID, type name, object name and controller count of a new record.
    Bytes& Record(uint32_t id, const char* type, const char* name, uint32_t controllers)
    {
        return U32(id).Text(type).Text(name).U32(controllers);
    }
    std::vector<uint8_t> Take() { return std::move(m_bytes); }

private:
    std::vector<uint8_t> m_bytes;
};

using test::ByteStream;

constexpr uint32_t kNull = 0xFFFFFFFFu;

TEST(StreamFailure, AWrongTypedReferenceToAnObjectBeingLoadedFailsCleanly)
{
    test::EngineScope engine;
    // A Thing whose one controller is the Thing itself.
    ByteStream stream(Bytes().Record(5, "ZEN.Thing", "Self", 1).U32(5).Take());
    test::LogCapture log;
    Object* out = nullptr;
    EXPECT_EQ(stream.ReadObject(&out), kFailure);
    EXPECT_EQ(out, nullptr);
    EXPECT_TRUE(log.ContainsText("ERROR. Невозможно загрузить контроллер объекта. Имя[Self]")) << log.Joined();
}

TEST(StreamFailure, ALoadedObjectIsHandedOutUnreferenced)
{
    test::EngineScope engine;
    ByteStream stream(Bytes()
                          .Record(5, "ZEN.Thing", "Outer", 0)
                          .U32(1)
                          .Record(6, "ZEN.Thing", "Inner", 0)
                          .U32(2)
                          .U32(kNull)
                          .U32(5)  // Inner's link: its owner.
                          .U32(kNull)
                          .Take());
    Object* out = nullptr;
    ASSERT_EQ(stream.ReadObject(&out), kSuccess);
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(out->References(), 0);
    Ptr<test::Thing> outer(static_cast<test::Thing*>(out));
    ASSERT_TRUE(outer->child);
    EXPECT_EQ(outer->child->References(), 1);
    EXPECT_EQ(outer->child->link, outer.Get());
}

// A load either hands out a graph that the last release of its root frees in full, or fails
// and frees everything it made: rings of owners and objects nothing holds are refused.
TEST(StreamFailure, EveryLoadFreesWhatItMadeOnceTheRootGoes)
{
    test::EngineScope engine;
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        Result expected;
        const char* logged;  // Expected in the log; null for none.
    };
    const Case cases[] = {
        {"a part owning its owner",
         Bytes().Record(5, "ZEN.Thing", "Outer", 0).U32(1).Record(6, "ZEN.Thing", "Inner", 0).U32(2)
             .U32(5).U32(kNull).U32(kNull).Take(),
         kFailure, "ERROR. Объекты потока удерживают друг друга по кругу. RTTI[ZEN.Thing]"},
        {"a ring below the root",
         Bytes().Record(5, "ZEN.Thing", "Root", 0).U32(1).Record(6, "ZEN.Thing", "A", 0).U32(2)
             .Record(7, "ZEN.Thing", "B", 0).U32(3).U32(6).U32(kNull).U32(kNull).U32(kNull).Take(),
         kFailure, "ERROR. Объекты потока удерживают друг друга по кругу. RTTI[ZEN.Thing]"},
        {"a link to an object that nothing owns",
         Bytes().Record(5, "ZEN.Thing", "Root", 0).U32(1).U32(kNull)
             .Record(6, "ZEN.Thing", "Loose", 0).U32(2).U32(kNull).U32(kNull).Take(),
         kFailure, "ERROR. Объект потока не принадлежит ни одному объекту. RTTI[ZEN.Thing]"},
        {"a ring cut off by the end of the data",
         Bytes().Record(5, "ZEN.Thing", "Outer", 0).U32(1).Record(6, "ZEN.Thing", "Inner", 0).U32(2).U32(5).Take(),
         kFailure, nullptr},
        {"a ring whose record fails after it closed",
         Bytes().Record(5, "ZEN.Thing", "Root", 0).U32(1).Record(6, "ZEN.Thing", "A", 0).U32(2)
             .Record(7, "ZEN.Thing", "B", 0).U32(3).U32(6).U32(kNull).U32(kNull).U32(12345).Take(),
         kFailure, nullptr},
        {"a shared part, owned once and linked once",
         Bytes().Record(5, "ZEN.Thing", "Root", 0).U32(1).Record(6, "ZEN.Thing", "A", 0).U32(2).U32(kNull)
             .U32(5).U32(6).Take(),
         kSuccess, nullptr},
        {"a part that is only linked, twice",
         Bytes().Record(5, "ZEN.Thing", "Root", 0).U32(1).Record(6, "ZEN.Thing", "A", 0).U32(2).U32(kNull)
             .Record(7, "ZEN.Thing", "B", 0).U32(3).U32(kNull).U32(kNull).U32(7).Take(),
         kFailure, "ERROR. Объект потока не принадлежит ни одному объекту. RTTI[ZEN.Thing]"},
    };
    for (const Case& item : cases) {
        SCOPED_TRACE(item.what);
        ASSERT_EQ(test::Thing::live, 0);
        {
            ByteStream stream(item.bytes);
            test::LogCapture log;
            Object* out = nullptr;
            EXPECT_EQ(stream.ReadObject(&out), item.expected);
            EXPECT_EQ(out != nullptr, item.expected == kSuccess);
            if (item.logged) {
                EXPECT_TRUE(log.ContainsText(item.logged)) << log.Joined();
            }
            Ptr<Object> root(out);
        }
        EXPECT_EQ(test::Thing::live, 0);
        test::Thing::live = 0;
    }
}

TEST(StreamFailure, AControllerCountWithItsTopBitSetReadsAsNone)
{
    test::EngineScope engine;
    ByteStream in(Bytes().Record(9, "ZEN.Thing", "t", 0x80000001u).U32(42).U32(kNull).U32(kNull).Take());
    Ptr<test::Thing> thing;
    ASSERT_EQ(in.ReadObject(thing), kSuccess);
    ASSERT_TRUE(thing);
    EXPECT_EQ(thing->ControllerCount(), 0u);
    EXPECT_EQ(thing->value, 42);
    EXPECT_EQ(in.Remaining(), 0u);
}

TEST(StreamFailure, ObjectFieldsThatCannotBeLoadedNameTheObject)
{
    test::EngineScope engine;
    std::vector<uint8_t> cutInName = Bytes().Record(3, "ZEN.Thing", "l", 0).Take();
    cutInName.resize(4 + 13 + 2);
    std::vector<uint8_t> cutInCount = Bytes().Record(3, "ZEN.Thing", "l", 0).Take();
    cutInCount.resize(cutInCount.size() - 2);
    std::vector<uint8_t> cutInController = Bytes().Record(3, "ZEN.Thing", "l", 1).Take();
    cutInController.push_back(0);
    const struct {
        std::vector<uint8_t> bytes;
        std::string fragment;
    } cases[] = {
        {cutInName, "ERROR. Невозможно загрузить имя объекта. ID["},
        {cutInCount, "ERROR. Невозможно загрузить количество контроллеров объекта. Имя[l] ID["},
        {cutInController, "ERROR. Невозможно загрузить контроллер объекта. Имя[l] ID["},
        {Bytes().Record(3, "ZEN.Thing", "l", 1).U32(kNull).Take(),
         "ERROR. Невозможно установить контроллер объекта. Имя[l] ID["},
    };
    for (const auto& c : cases) {
        ByteStream in(c.bytes);
        test::LogCapture log;
        Object* read = nullptr;
        EXPECT_NE(in.ReadObject(&read), kSuccess);
        EXPECT_EQ(read, nullptr);
        EXPECT_TRUE(log.ContainsText(c.fragment)) << log.Joined();
    }
}

// A graph our own writer saved, cut short inside its last field: nothing of it survives.
TEST(StreamFailure, ASavedGraphCutShortFreesEverything)
{
    test::EngineScope engine;
    ASSERT_EQ(test::Thing::live, 0);
    Stream written;
    {
        Ptr<test::Thing> root(new test::Thing(String("Root")));
        root->child = new test::Thing(String("A"));
        root->child->child = new test::Thing(String("B"));
        ASSERT_EQ(written.WriteObject(root.Get()), kSuccess);
    }
    std::vector<uint8_t> bytes(written.Data(), written.Data() + written.Position());
    bytes.resize(bytes.size() - 2);  // Root's link cut short.
    ByteStream stream(bytes);
    Object* out = nullptr;
    EXPECT_EQ(stream.ReadObject(&out), kFailure);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(test::Thing::live, 0);
}

// `depth` Things, each the child of the one before; the innermost has no child.
std::vector<uint8_t> NestedThings(uint32_t depth)
{
    Bytes bytes;
    for (uint32_t i = 0; i < depth; ++i)
        bytes.Record(i, "ZEN.Thing", "", 0).U32(static_cast<uint32_t>(i));  // Record, then value.
    bytes.U32(kNull);                      // The innermost child.
    for (uint32_t i = 0; i < depth; ++i)
        bytes.U32(kNull);                  // Every level's link, innermost first.
    return bytes.Take();
}

TEST(StreamFailure, RecordsNestedWithoutEndFailInsteadOfExhaustingTheStack)
{
    test::EngineScope engine;
    {
        ByteStream stream(NestedThings(Stream::kMaxNesting));
        Ptr<test::Thing> root;
        ASSERT_EQ(stream.ReadObject(root), kSuccess);
        uint32_t depth = 0;
        for (test::Thing* t = root.Get(); t; t = t->child.Get())
            ++depth;
        EXPECT_EQ(depth, Stream::kMaxNesting);
        EXPECT_EQ(stream.Remaining(), 0u);
    }
    {
        ByteStream stream(NestedThings(Stream::kMaxNesting + 1));
        test::LogCapture log;
        Object* out = nullptr;
        EXPECT_EQ(stream.ReadObject(&out), kFailure);
        EXPECT_EQ(out, nullptr);
        EXPECT_TRUE(log.Contains("ERROR. Слишком глубокая вложенность объектов. RTTI[ZEN.Thing] ID[" +
                                 std::to_string(Stream::kMaxNesting) + "]"))
            << log.Lines().size();
    }
    {
        // Far beyond what any stack holds one frame chain for.
        ByteStream stream(NestedThings(300000));
        Object* out = nullptr;
        EXPECT_EQ(stream.ReadObject(&out), kFailure);
        EXPECT_EQ(out, nullptr);
    }
}

}  // namespace
}  // namespace zen
