// Arbitrary bytes as a TGA file, read by TGAImageCodec from a memory file through Image::LoadFromFile
// (tests/fuzz/ImageCodecFuzzBody.h). A picture that decodes is encoded again and must decode to the same
// pixels.
#include "modules/codecs/TGAImageCodec.h"
#include "tests/fuzz/ImageCodecFuzzBody.h"

const zen::fuzz::ImageCodecFuzzTarget kTarget{
    .codecName = "TGAImageCodec",
    .fileName = "fuzz.tga",
    .encodeBytes = &zen::TGAImageCodec::EncodeBytes,
    .decodeBytes = &zen::TGAImageCodec::DecodeBytes,
};

ZEN_IMAGE_CODEC_FUZZER(kTarget)
