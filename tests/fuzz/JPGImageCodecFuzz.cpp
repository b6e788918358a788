// Arbitrary bytes as a JPEG file, read by JPGImageCodec from a memory file through Image::LoadFromFile
// (tests/fuzz/ImageCodecFuzzBody.h). A picture that decodes is also encoded again (small ones), which must
// succeed and decode to the same size.
#include "modules/codecs/JPGImageCodec.h"
#include "tests/fuzz/ImageCodecFuzzBody.h"

const zen::fuzz::ImageCodecFuzzTarget kTarget{
    .codecName = "JPGImageCodec",
    .fileName = "fuzz.jpg",
    .lossless = false,
    .maxEncodedBytes = 64 * 1024,  // Larger ones are not encoded again: runs stay fast.
    .encodeBytes = &zen::JPGImageCodec::EncodeBytes,
    .decodeBytes = &zen::JPGImageCodec::DecodeBytes,
};

ZEN_IMAGE_CODEC_FUZZER(kTarget)
