// Arbitrary bytes as a CUBE file (six TGA faces), read by CUBEImageCodec from a memory file through
// Image::LoadFromFile (tests/fuzz/ImageCodecFuzzBody.h). A cube that decodes is encoded again and must
// decode to the same pixels.
#include "modules/codecs/CUBEImageCodec.h"
#include "tests/fuzz/ImageCodecFuzzBody.h"

const zen::fuzz::ImageCodecFuzzTarget kTarget{
    .codecName = "CUBEImageCodec",
    .fileName = "fuzz.cube",
    .volume = true,
    .encodeBytes = &zen::CUBEImageCodec::EncodeBytes,
    .decodeBytes = &zen::CUBEImageCodec::DecodeBytes,
};

ZEN_IMAGE_CODEC_FUZZER(kTarget)
