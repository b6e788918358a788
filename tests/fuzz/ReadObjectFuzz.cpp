// Arbitrary bytes read as one object record, with the engine started so that every class the
// program registers can be created by its type name (new classes are picked up by linking).
// Whatever the bytes, reading must fail or succeed cleanly: no crash, no overrun.
// With leak detection on: whatever the load made is freed with the last reference to its root,
// or by the stream itself when the load fails or is refused.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/core/Engine.h"
#include "engine/core/Object.h"
#include "engine/core/Ptr.h"
#include "engine/core/Stream.h"

namespace {

// A stream over the fuzzer's bytes.
class ByteStream : public zen::Stream {
public:
    ByteStream(const uint8_t* data, size_t size) { AdoptBuffer(std::vector<uint8_t>(data, data + size)); }
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    if (zen::EngineInitialize() != zen::kSuccess)
        __builtin_trap();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 0xFFFFFFFFu)
        return 0;
    ByteStream stream(data, size);
    zen::Object* object = nullptr;
    (void)stream.ReadObject(&object);
    zen::Ptr<zen::Object> root(object);  // Adopted and released: the whole graph goes.
    return 0;
}
