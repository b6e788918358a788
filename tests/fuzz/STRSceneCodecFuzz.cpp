// Arbitrary bytes as a scene file (version header, then one object record) read by the scene
// codec from a memory file, the way the program reads Main.STR out of its archive.
// With leak detection on: a scene that fails, or would leave objects alive after the last
// reference to its root goes, is freed in full by the stream.
#include <cstddef>
#include <cstdint>

#include "engine/core/Object.h"
#include "engine/core/Ptr.h"
#include "engine/modules/SceneLoader.h"
#include "engine/vfs/MemoryFile.h"
#include "tests/fuzz/FuzzSetup.h"

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
