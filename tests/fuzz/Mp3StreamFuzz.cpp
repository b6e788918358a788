// Fuzz target: MP3 bytes opened, played and restarted as a stream of our audio library
// (the decoder is chosen from the bytes, so inputs of the other kind are refused early).
// Seeds: tests/fuzz/corpus/Mp3StreamFuzz (small files made by lame).
#include "SoundStreamFuzzBody.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    zen::fuzz::PlaySoundInput(data, size);
    return 0;
}
