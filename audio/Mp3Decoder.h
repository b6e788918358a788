#pragma once
#include <memory>

#include "audio/SoundDecoder.h"

namespace zen::audio {

// MPEG audio layer III through dr_mp3. dr_mp3 would take the first sync word it finds anywhere
// in the bytes as the start of a sound, so Open first insists on a layer III frame header at
// the start (after an ID3v2 tag) and, when the file is long enough, a second one right after
// the first frame: a picture or a text file is then refused as another format. An encoder's
// tag frame is skipped, and with a LAME tag the encoder's delay and padding are cut off, so the
// sound is exactly as long as what was encoded.
class Mp3Decoder : public SoundDecoder {
public:
    ~Mp3Decoder() override;
    static std::unique_ptr<Mp3Decoder> Open(const uint8_t* data, size_t size, int32_t* error);
    // Where the first frame starts when the bytes begin like an MPEG layer III file
    // (optionally after an ID3v2 tag); false otherwise.
    static bool Recognizes(const uint8_t* data, size_t size);

    uint32_t Read(float* out, uint32_t frames) override;
    bool Rewind() override;
    uint64_t CountFrames() override;

private:
    struct State;
    Mp3Decoder() = default;

    std::unique_ptr<State> m_state;  // dr_mp3's decoder (about 16 KB).
    uint64_t m_skip = 0;             // Decoded frames before the sound starts.
    uint64_t m_length = 0;           // Frames of the sound.
    uint64_t m_position = 0;         // Frames read since the start.
};

}  // namespace zen::audio
