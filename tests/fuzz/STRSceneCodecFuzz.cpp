// Arbitrary bytes as a scene file (version header, then one object record) read by the scene
// codec from a memory file, the way the program reads Main.STR out of its archive.
// Run with -detect_leaks=0: a crafted record can leave objects nobody adopts (a raw link to a
// new object, an owned reference back to an enclosing one). They are left alive on purpose:
// freeing them could leave dangling links in the graph that was read.
#include <cstddef>
#include <cstdint>

#include "engine/core/Engine.h"
#include "engine/core/Object.h"
#include "engine/core/Ptr.h"
#include "engine/modules/CodecManager.h"
#include "engine/modules/ModuleManager.h"
#include "engine/modules/SceneLoader.h"
#include "engine/vfs/MemoryFile.h"

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    const zen::String name("STRSceneCodec");
    if (zen::EngineInitialize() != zen::kSuccess || zen::ModuleManager::LoadModule(name) != zen::kSuccess ||
        zen::CodecManager::LoadCodec(name) != zen::kSuccess)
        __builtin_trap();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 0xFFFFFFFFu)
        return 0;
    zen::MemoryFile file(zen::String("Main.STR"));
    if (file.CopyData(data, static_cast<uint32_t>(size)) != zen::kSuccess)
        return 0;
    zen::Object* root = nullptr;
    (void)zen::LoadScene(&file, &root);
    zen::Ptr<zen::Object> scene(root);
    return 0;
}
