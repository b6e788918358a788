// Fuzz target: Ogg Vorbis bytes opened, played and restarted as a stream of our audio library
// (the decoder is chosen from the bytes, so inputs of the other kind are refused early).
// Seeds: tests/fuzz/corpus/VorbisStreamFuzz (small files made by libvorbisenc).
#include "SoundStreamFuzzBody.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    zen::fuzz::PlaySoundInput(data, size);
    return 0;
}
