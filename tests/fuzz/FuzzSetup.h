#pragma once
// What the codec fuzz targets do before their own work: start the engine with the codec they
// feed, and hand each input to it as a memory file, the way the program reads its archives.
#include <cstddef>
#include <cstdint>

#include "engine/core/Engine.h"
#include "engine/modules/Codec.h"
#include "engine/modules/CodecManager.h"
#include "engine/modules/ModuleManager.h"
#include "engine/vfs/MemoryFile.h"

namespace zen::fuzz {

// Starts the engine and loads the module and codec `name` as the program does at start; the
// codec (held by the codec manager). Traps when a step fails: no input could be tried then.
inline Codec* StartEngineWithCodec(const char* name)
{
    const String codecName(name);
    Codec* codec = nullptr;
    if (EngineInitialize() != kSuccess || ModuleManager::LoadModule(codecName) != kSuccess ||
        CodecManager::LoadCodec(codecName, &codec) != kSuccess || !codec)
        __builtin_trap();
    return codec;
}

// The input as the content of `file`; false when it is too large for a file or cannot be copied
// (the input is then skipped).
inline bool FillFile(MemoryFile& file, const uint8_t* data, size_t size)
{
    return size <= 0xFFFFFFFFu && file.CopyData(data, static_cast<uint32_t>(size)) == kSuccess;
}

}  // namespace zen::fuzz
