#pragma once
#include <string>

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

}  // namespace zen::test
