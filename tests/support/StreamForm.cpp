#include "support/StreamForm.h"

#include <gtest/gtest.h>

#include "engine/core/ClassRegistry.h"
#include "support/LogCapture.h"

namespace zen::test {
namespace {

Ptr<Object> Create(const char* type)
{
    const CreateFunction create = ClassRegistry::LookupCreator(String(type));
    Object* made = nullptr;
    if (!create || create(&made) != kSuccess)
        return nullptr;
    return Ptr<Object>(made);
}

}  // namespace

void ExpectStreamForm(const char* type, const Bytes& fields, bool cuts, const Bytes& lead)
{
    SCOPED_TRACE(type);
    Ptr<Object> object = Create(type);
    ASSERT_NE(object, nullptr);
    object->SetName(String("e"));
    Stream out;
    ASSERT_EQ(object->Save(out), kSuccess);
    Bytes expected;
    PutString(expected, "e");
    PutInt(expected, 0);
    expected.insert(expected.end(), lead.begin(), lead.end());
    expected.insert(expected.end(), fields.begin(), fields.end());
    EXPECT_EQ(Bytes(out.Data(), out.Data() + out.Position()), expected);
    if (!cuts)
        return;
    Ptr<Object> loaded = Create(type);
    ByteStream whole(expected);
    EXPECT_EQ(loaded->Load(whole), kSuccess);
    for (size_t cut = expected.size() - fields.size(); cut < expected.size(); ++cut) {
        ByteStream part(Bytes(expected.begin(), expected.begin() + static_cast<std::ptrdiff_t>(cut)));
        LogCapture log;
        EXPECT_EQ(loaded->Load(part), kFailure) << cut;
        EXPECT_TRUE(log.ContainsText("Невозможно загрузить")) << cut;
    }
}

}  // namespace zen::test
