#pragma once
#include <gtest/gtest.h>

#include <cstddef>
#include <string>

#include "engine/core/ClassRegistry.h"
#include "support/LogCapture.h"
#include "support/RecordBytes.h"

namespace zen::test {

// The start of an object record as a stream holds it: the object's ID, its type, its name and
// no controllers.
inline void PutRecordHead(Bytes& bytes, uint32_t id, const std::string& type, const std::string& name)
{
    PutInt(bytes, id);
    PutString(bytes, type);
    PutString(bytes, name);
    PutInt(bytes, 0);
}

// A new object of the class registered as `type`; null when none is.
inline Ptr<Object> CreateRegistered(const char* type)
{
    const CreateFunction create = ClassRegistry::LookupCreator(String(type));
    Object* made = nullptr;
    if (!create || create(&made) != kSuccess || !made)
        return nullptr;
    return Ptr<Object>(made);
}

// Every prefix of the record `bytes` (lengths 1, 1 + step, ...) fails to load.
inline void ExpectEveryCutFails(const Bytes& bytes, size_t step)
{
    for (size_t cut = 1; cut < bytes.size(); cut += step) {
        ByteStream shortened(Bytes(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(cut)));
        LogCapture log;
        Ptr<Object> broken;
        EXPECT_NE(shortened.ReadObject(broken), kSuccess) << cut;
    }
}

}  // namespace zen::test
