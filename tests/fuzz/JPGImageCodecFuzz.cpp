// Arbitrary bytes as a JPEG file, read by JPGImageCodec from a memory file through
// Image::LoadFromFile, the way a texture is read out of the program's archives. A picture that decodes is also encoded again (small ones), which must succeed and decode to the same size.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "engine/core/Engine.h"
#include "engine/core/Ptr.h"
#include "engine/modules/CodecManager.h"
#include "engine/modules/ModuleManager.h"
#include "engine/scene/Image.h"
#include "engine/scene/VolumeImage.h"
#include "engine/vfs/MemoryFile.h"
#include "modules/codecs/JPGImageCodec.h"

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    const zen::String name("JPGImageCodec");
    if (zen::EngineInitialize() != zen::kSuccess || zen::ModuleManager::LoadModule(name) != zen::kSuccess ||
        zen::CodecManager::LoadCodec(name) != zen::kSuccess)
        __builtin_trap();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 0xFFFFFFFFu)
        return 0;
    zen::MemoryFile file(zen::String("fuzz.jpg"));
    if (file.CopyData(data, static_cast<uint32_t>(size)) != zen::kSuccess)
        return 0;
    zen::Ptr<zen::Image> image = new zen::Image();
    if (image->LoadFromFile(&file) != zen::kSuccess) {
        if (image->Data() || image->Width() != 0)
            __builtin_trap();  // A failed decode must leave the image as it was.
        return 0;
    }
    uint32_t expected = 0;
    if (!zen::Image::ComputeDataSize(image->Format(), image->Width(), image->Height(), image->Depth(), expected) ||
        expected != image->GetDataSize() || expected == 0 || !image->Data())
        __builtin_trap();
    // The encoder works from the decoded pixels; large pictures are left out to keep runs fast.
    if (expected > 64 * 1024)
        return 0;
    std::vector<uint8_t> encoded;
    if (zen::JPGImageCodec::EncodeBytes(image.Get(), encoded) != zen::kSuccess)
        __builtin_trap();
    zen::Ptr<zen::Image> again = new zen::Image();
    if (zen::JPGImageCodec::DecodeBytes(encoded.data(), static_cast<uint32_t>(encoded.size()), zen::String("again"),
                                        again.Get()) != zen::kSuccess ||
        again->Format() != image->Format() || again->Width() != image->Width() || again->Height() != image->Height())
        __builtin_trap();
    return 0;
}
