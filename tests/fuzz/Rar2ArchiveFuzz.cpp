// Arbitrary bytes as a RAR 2.0 archive attached through the archive codec: the block walk, every
// entry unpacked in one pass (LZ, audio, solid continuation, decryption with a password), name
// checks and the directory tree. The same bytes also go straight into the unpacker as a packed
// stream, so the decoder's table and code handling is reached without a valid archive around it.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/core/Engine.h"
#include "engine/modules/CodecManager.h"
#include "engine/modules/FileCodec.h"
#include "engine/modules/ModuleManager.h"
#include "engine/vfs/Directory.h"
#include "engine/vfs/MemoryFile.h"
#include "modules/codecs/Rar2Unpacker.h"

namespace {

zen::FileCodec* g_codec = nullptr;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    const zen::String name("RAR2FileCodec");
    zen::Codec* codec = nullptr;
    if (zen::EngineInitialize() != zen::kSuccess || zen::ModuleManager::LoadModule(name) != zen::kSuccess ||
        zen::CodecManager::LoadCodec(name, &codec) != zen::kSuccess || !codec)
        __builtin_trap();
    g_codec = static_cast<zen::FileCodec*>(codec);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 0xFFFFFFFFu)
        return 0;
    zen::MemoryFile file(zen::String("Fuzz.rar2"));
    if (file.CopyData(data, static_cast<uint32_t>(size)) != zen::kSuccess)
        return 0;
    zen::Directory* directory = nullptr;
    if (g_codec->Load(&file, &directory, zen::String("password")) == zen::kSuccess)
        delete directory;

    // The raw stream: a fresh start and a solid continuation of it.
    zen::Rar2Unpacker unpacker;
    std::vector<uint8_t> out;
    const uint32_t claimed = static_cast<uint32_t>(size) * 4 + 16;
    (void)unpacker.Unpack(data, static_cast<uint32_t>(size), claimed, false, out);
    (void)unpacker.Unpack(data, static_cast<uint32_t>(size), 64, true, out);
    return 0;
}
