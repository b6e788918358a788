// Arbitrary bytes read as one object record, with the engine started so that every class the
// program registers can be created by its type name (new classes are picked up by linking).
// Whatever the bytes, reading must fail or succeed cleanly: no crash, no overrun.
// Leak detection is off (below): a crafted record can leave objects nobody adopts (a raw link to a
// new object, an owned reference back to an enclosing one). They are left alive on purpose:
// freeing them could leave dangling links in the graph that was read.
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

// Off by default, so a plain run of the target (and the fuzz script) does not stop at the first
// deliberately abandoned object; ASAN_OPTIONS=detect_leaks=1 turns it back on.
extern "C" const char* __asan_default_options()
{
    return "detect_leaks=0";
}

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
