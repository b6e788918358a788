#pragma once
// The work of the image codec fuzz targets: arbitrary bytes as a picture file, read by the
// target's codec from a memory file through Image::LoadFromFile, the way a texture is read out
// of the program's archives. A failed decode must leave the image as it was; a picture that
// decodes must hold as many bytes as its format and size give, and is encoded again with the
// codec and decoded once more, which must succeed with the same format and size (and, for a
// lossless codec, the same depth and pixels).
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "engine/core/Ptr.h"
#include "engine/scene/Image.h"
#include "engine/scene/VolumeImage.h"
#include "tests/fuzz/FuzzSetup.h"

namespace zen::fuzz {

struct ImageCodecFuzzTarget {
    const char* codecName;  // Module and codec.
    const char* fileName;   // The memory file's name; its extension picks the codec.
    bool volume = false;    // Decode into a VolumeImage (cube maps) instead of an Image.
    bool lossless = true;   // The second decode must give the same depth and pixels.
    uint32_t maxEncodedBytes = 0;  // Pictures with more pixel bytes are not encoded again (0: no limit).
    Result (*encodeBytes)(const Image* image, std::vector<uint8_t>& out) = nullptr;
    Result (*decodeBytes)(const uint8_t* bytes, uint32_t size, const String& path, Image* image) = nullptr;
};

inline int InitializeImageCodecFuzz(const ImageCodecFuzzTarget& target)
{
    (void)StartEngineWithCodec(target.codecName);
    return 0;
}

inline Ptr<Image> NewFuzzImage(const ImageCodecFuzzTarget& target)
{
    return target.volume ? new VolumeImage() : new Image();
}

inline int RunImageCodecFuzz(const ImageCodecFuzzTarget& target, const uint8_t* data, size_t size)
{
    MemoryFile file{String(target.fileName)};
    if (!FillFile(file, data, size))
        return 0;
    Ptr<Image> image = NewFuzzImage(target);
    if (image->LoadFromFile(&file) != kSuccess) {
        if (image->Data() || image->Width() != 0)
            __builtin_trap();  // A failed decode must leave the image as it was.
        return 0;
    }
    uint32_t expected = 0;
    if (!Image::ComputeDataSize(image->Format(), image->Width(), image->Height(), image->Depth(), expected) ||
        expected != image->GetDataSize() || expected == 0 || !image->Data())
        __builtin_trap();
    if (target.maxEncodedBytes != 0 && expected > target.maxEncodedBytes)
        return 0;  // Left out to keep runs fast.
    std::vector<uint8_t> encoded;
    if (target.encodeBytes(image.Get(), encoded) != kSuccess)
        __builtin_trap();
    Ptr<Image> again = NewFuzzImage(target);
    if (target.decodeBytes(encoded.data(), static_cast<uint32_t>(encoded.size()), String("again"), again.Get()) !=
            kSuccess ||
        again->Format() != image->Format() || again->Width() != image->Width() || again->Height() != image->Height())
        __builtin_trap();
    if (target.lossless &&
        (again->Depth() != image->Depth() || std::memcmp(again->Data(), image->Data(), expected) != 0))
        __builtin_trap();
    return 0;
}

}  // namespace zen::fuzz

// The target's two entry points, over the ImageCodecFuzzTarget `target`.
#define ZEN_IMAGE_CODEC_FUZZER(target)                                                                                 \
    extern "C" int LLVMFuzzerInitialize(int*, char***)                                                                 \
    {                                                                                                                  \
        return zen::fuzz::InitializeImageCodecFuzz(target);                                                            \
    }                                                                                                                  \
    extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)                                            \
    {                                                                                                                  \
        return zen::fuzz::RunImageCodecFuzz(target, data, size);                                                       \
    }
