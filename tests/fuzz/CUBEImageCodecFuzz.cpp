// Arbitrary bytes as a CUBE file (six TGA faces), read by CUBEImageCodec from a memory file through
// Image::LoadFromFile (tests/fuzz/ImageCodecFuzzBody.h). A cube that decodes is encoded again and must
// decode to the same pixels.
#include <cstddef>
#include <cstdint>

#include "modules/codecs/CUBEImageCodec.h"
#include "tests/fuzz/ImageCodecFuzzBody.h"

namespace {

const zen::fuzz::ImageCodecFuzzTarget kTarget{
    .codecName = "CUBEImageCodec",
    .fileName = "fuzz.cube",
    .volume = true,
    .encodeBytes = &zen::CUBEImageCodec::EncodeBytes,
    .decodeBytes = &zen::CUBEImageCodec::DecodeBytes,
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    return zen::fuzz::InitializeImageCodecFuzz(kTarget);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return zen::fuzz::RunImageCodecFuzz(kTarget, data, size);
}
