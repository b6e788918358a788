// Arbitrary bytes as a BMP file, read by BMPImageCodec from a memory file through Image::LoadFromFile
// (tests/fuzz/ImageCodecFuzzBody.h). A picture that decodes is encoded again and must decode to the same
// pixels.
#include "modules/codecs/BMPImageCodec.h"
#include "tests/fuzz/ImageCodecFuzzBody.h"

const zen::fuzz::ImageCodecFuzzTarget kTarget{
    .codecName = "BMPImageCodec",
    .fileName = "fuzz.bmp",
    .encodeBytes = &zen::BMPImageCodec::EncodeBytes,
    .decodeBytes = &zen::BMPImageCodec::DecodeBytes,
};

ZEN_IMAGE_CODEC_FUZZER(kTarget)
