#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "engine/core/Object.h"
#include "engine/core/Ptr.h"
#include "engine/core/Stream.h"

// Whole object records written to bytes and read back, for the particle tests' round trips.
namespace zen::test {

using Bytes = std::vector<uint8_t>;

class ParticleByteStream : public Stream {
public:
    explicit ParticleByteStream(const Bytes& bytes) { AdoptBuffer(Bytes(bytes)); }
};

inline Bytes SavedRecord(Object* object)
{
    Stream stream;
    EXPECT_EQ(stream.WriteObject(object), kSuccess);
    return Bytes(stream.Data(), stream.Data() + stream.Position());
}

// The object read back, of exactly type T; null when reading fails.
template <class T>
Ptr<T> LoadedRecord(const Bytes& bytes, Result* result = nullptr)
{
    ParticleByteStream stream(bytes);
    Object* object = nullptr;
    const Result read = stream.ReadObject(&object);
    if (result)
        *result = read;
    if (read != kSuccess || !object)
        return nullptr;
    Ptr<Object> keep(object);
    if (!object->IsExactly(&T::TYPE))
        return nullptr;
    return Ptr<T>(static_cast<T*>(object));
}

}  // namespace zen::test
