#pragma once
#include <cstdint>
#include <string>
#include <vector>

// Sound files made at test time by other programs' encoders, so the decoders are checked
// against the samples a file was made from: Ogg Vorbis through libvorbisenc, MP3 through the
// `lame` program (a test that needs it fails in CI when it is missing, and is skipped
// elsewhere), and 16-bit PCM WAV written and read here.
namespace zen::test {

struct Samples {
    uint32_t rate = 44100;
    uint32_t channels = 1;
    std::vector<float> data;  // Interleaved, -1..1.
    size_t Frames() const { return channels ? data.size() / channels : 0; }
};

// A sine of `hz` at `amplitude`; channel c of a stereo tone is shifted by a quarter turn per
// channel so the channels differ.
Samples MakeTone(uint32_t rate, uint32_t channels, double seconds, double hz, double amplitude = 0.5);

std::vector<uint8_t> EncodeVorbis(const Samples& samples, float quality);
// `lameArguments` e.g. "-b 128". False (with the reason in `why`) when lame is missing or fails.
bool EncodeMp3(const Samples& samples, const std::string& lameArguments, std::vector<uint8_t>& out,
               std::string& why);
bool LameAvailable();

std::vector<uint8_t> WriteWav16(const Samples& samples);
bool ReadWav16(const std::vector<uint8_t>& bytes, Samples& out);

// Signal-to-noise ratio in dB of `decoded` against `reference` (same channel count), after
// shifting `decoded` by the delay in [0, maxDelay] frames that fits best; `delay` gets it.
double BestSnr(const Samples& reference, const Samples& decoded, size_t maxDelay, size_t& delay);

}  // namespace zen::test
