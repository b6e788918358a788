// Arbitrary bytes as a TGA file, read by TGAImageCodec from a memory file through Image::LoadFromFile
// (tests/fuzz/ImageCodecFuzzBody.h). A picture that decodes is encoded again and must decode to the same
// pixels.
#include <cstddef>
#include <cstdint>

#include "modules/codecs/TGAImageCodec.h"
#include "tests/fuzz/ImageCodecFuzzBody.h"

namespace {

const zen::fuzz::ImageCodecFuzzTarget kTarget{
    .codecName = "TGAImageCodec",
    .fileName = "fuzz.tga",
    .encodeBytes = &zen::TGAImageCodec::EncodeBytes,
    .decodeBytes = &zen::TGAImageCodec::DecodeBytes,
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
