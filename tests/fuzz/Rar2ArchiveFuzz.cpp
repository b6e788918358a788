// Arbitrary bytes as a RAR 2.0 archive attached through the archive codec: the block walk, every
// entry unpacked in one pass (LZ, audio, solid continuation, decryption with a password), name
// checks and the directory tree. The same bytes also go straight into the unpacker as a packed
// stream, so the decoder's table and code handling is reached without a valid archive around it.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/modules/FileCodec.h"
#include "engine/vfs/Directory.h"
#include "engine/vfs/MemoryFile.h"
#include "modules/codecs/Rar2Unpacker.h"
#include "tests/fuzz/FuzzSetup.h"

namespace {

zen::FileCodec* g_codec = nullptr;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    g_codec = static_cast<zen::FileCodec*>(zen::fuzz::StartEngineWithCodec("RAR2FileCodec"));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    zen::MemoryFile file(zen::String("Fuzz.rar2"));
    if (!zen::fuzz::FillFile(file, data, size))
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
