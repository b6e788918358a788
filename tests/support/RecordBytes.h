#pragma once
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "engine/core/Object.h"
#include "engine/core/Ptr.h"
#include "engine/core/Stream.h"

namespace zen::test {

using Bytes = std::vector<uint8_t>;

// Builders of object-stream bytes by hand, for tests that feed the reader records the writer
// would never make: little-endian values, and strings as their length then their bytes.
inline void PutInt(Bytes& bytes, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

inline void PutString(Bytes& bytes, const std::string& text)
{
    PutInt(bytes, static_cast<uint32_t>(text.size()));
    bytes.insert(bytes.end(), text.begin(), text.end());
}

inline void PutFloat(Bytes& bytes, float value)
{
    uint8_t raw[4];
    std::memcpy(raw, &value, 4);
    bytes.insert(bytes.end(), raw, raw + 4);
}

inline void PutDouble(Bytes& bytes, double value)
{
    uint8_t raw[8];
    std::memcpy(raw, &value, 8);
    bytes.insert(bytes.end(), raw, raw + 8);
}

// A read stream over given bytes.
class ByteStream : public Stream {
public:
    explicit ByteStream(const Bytes& bytes) { AdoptBuffer(Bytes(bytes)); }
};

// The record WriteObject makes of `object`; empty when writing fails.
inline Bytes SavedRecord(Object* object)
{
    Stream stream;
    if (stream.WriteObject(object) != kSuccess)
        return {};
    return Bytes(stream.Data(), stream.Data() + stream.Position());
}

// The object ReadObject makes of `bytes` when it is a T; null otherwise (`result` gets the read's).
template <class T>
Ptr<T> LoadedRecord(const Bytes& bytes, Result* result = nullptr)
{
    ByteStream stream(bytes);
    Object* object = nullptr;
    const Result read = stream.ReadObject(&object);
    if (result)
        *result = read;
    if (read != kSuccess || !object)
        return nullptr;
    Ptr<Object> keep(object);
    if (!object->IsDerivedFrom(&T::TYPE))
        return nullptr;
    return Ptr<T>(static_cast<T*>(object));
}

}  // namespace zen::test
