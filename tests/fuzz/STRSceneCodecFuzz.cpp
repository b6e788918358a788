// Arbitrary bytes as a scene file (version header, then one object record) read by the scene
// codec from a memory file, the way the program reads Main.STR out of its archive.
// Leak detection is off (below): a crafted record can leave objects nobody adopts (a raw link to a
// new object, an owned reference back to an enclosing one). They are left alive on purpose:
// freeing them could leave dangling links in the graph that was read.
#include <cstddef>
#include <cstdint>

#include "engine/core/Object.h"
#include "engine/core/Ptr.h"
#include "engine/modules/SceneLoader.h"
#include "engine/vfs/MemoryFile.h"
#include "tests/fuzz/FuzzSetup.h"

// Off by default, so a plain run of the target (and the fuzz script) does not stop at the first
// deliberately abandoned object; ASAN_OPTIONS=detect_leaks=1 turns it back on.
extern "C" const char* __asan_default_options()
{
    return "detect_leaks=0";
}

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    (void)zen::fuzz::StartEngineWithCodec("STRSceneCodec");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    zen::MemoryFile file(zen::String("Main.STR"));
    if (!zen::fuzz::FillFile(file, data, size))
        return 0;
    zen::Object* root = nullptr;
    (void)zen::LoadScene(&file, &root);
    zen::Ptr<zen::Object> scene(root);
    return 0;
}
