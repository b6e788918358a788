#include "audio/Mp3Decoder.h"

#include <new>

#include "audio/AudioError.h"
#include "dr_libs/dr_mp3.h"

namespace zen::audio {
namespace {

struct FrameHeader {
    uint32_t version = 0;  // 3 MPEG-1, 2 MPEG-2, 0 MPEG-2.5.
    uint32_t sampleRate = 0;
    uint32_t length = 0;   // Bytes of the whole frame, header included.
};

// A layer III frame header at `at`; false for anything else (free format included).
bool ParseFrameHeader(const uint8_t* data, size_t size, size_t at, FrameHeader& header)
{
    if (at > size || size - at < 4)
        return false;
    const uint8_t* h = data + at;
    if (h[0] != 0xFF || (h[1] & 0xE0) != 0xE0)
        return false;
    const uint32_t version = (h[1] >> 3) & 3;
    const uint32_t layer = (h[1] >> 1) & 3;
    const uint32_t bitrateIndex = h[2] >> 4;
    const uint32_t rateIndex = (h[2] >> 2) & 3;
    const uint32_t padding = (h[2] >> 1) & 1;
    if (version == 1 || layer != 1 || bitrateIndex == 0 || bitrateIndex == 15 || rateIndex == 3)
        return false;
    static constexpr uint32_t kBitrates[2][15] = {
        {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},      // MPEG-2 and 2.5
        {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320},  // MPEG-1
    };
    static constexpr uint32_t kRates[3] = {44100, 48000, 32000};
    const bool mpeg1 = version == 3;
    header.version = version;
    header.sampleRate = kRates[rateIndex] >> (mpeg1 ? 0 : version == 2 ? 1 : 2);
    const uint32_t bitrate = kBitrates[mpeg1 ? 1 : 0][bitrateIndex] * 1000;
    header.length = (mpeg1 ? 144 : 72) * bitrate / header.sampleRate + padding;
    return true;
}

}  // namespace

struct Mp3Decoder::State {
    drmp3 mp3{};
    bool open = false;
};

Mp3Decoder::~Mp3Decoder()
{
    if (m_state && m_state->open)
        drmp3_uninit(&m_state->mp3);
}

bool Mp3Decoder::Recognizes(const uint8_t* data, size_t size)
{
    if (!data)
        return false;
    size_t at = 0;
    if (size >= 10 && data[0] == 'I' && data[1] == 'D' && data[2] == '3') {
        if ((data[6] | data[7] | data[8] | data[9]) & 0x80)
            return false;
        const size_t tag = (size_t{data[6]} << 21) | (size_t{data[7]} << 14) | (size_t{data[8]} << 7) | data[9];
        at = 10 + tag + ((data[5] & 0x10) ? 10 : 0);
    }
    FrameHeader first, second;
    if (!ParseFrameHeader(data, size, at, first))
        return false;
    const size_t next = at + first.length;
    if (size - at < first.length + 4)
        return true;  // A single frame: nothing follows to check against.
    return ParseFrameHeader(data, size, next, second) && second.version == first.version &&
           second.sampleRate == first.sampleRate;
}

std::unique_ptr<Mp3Decoder> Mp3Decoder::Open(const uint8_t* data, size_t size, int32_t* error)
{
    if (!Recognizes(data, size)) {
        *error = kErrorFileForm;
        return nullptr;
    }
    std::unique_ptr<Mp3Decoder> decoder(new (std::nothrow) Mp3Decoder());
    if (decoder)
        decoder->m_state.reset(new (std::nothrow) State());
    if (!decoder || !decoder->m_state) {
        *error = kErrorMemory;
        return nullptr;
    }
    if (!drmp3_init_memory(&decoder->m_state->mp3, data, size, nullptr)) {
        *error = kErrorCorrupt;
        return nullptr;
    }
    decoder->m_state->open = true;
    const drmp3& mp3 = decoder->m_state->mp3;
    if (mp3.sampleRate < kMinSampleRate || mp3.sampleRate > kMaxSampleRate || mp3.channels < 1 ||
        mp3.channels > kMaxChannels) {
        *error = kErrorFormat;
        return nullptr;
    }
    decoder->m_formatName = "mp3";
    decoder->m_sampleRate = mp3.sampleRate;
    decoder->m_channels = mp3.channels;
    return decoder;
}

uint32_t Mp3Decoder::Read(float* out, uint32_t frames)
{
    return static_cast<uint32_t>(drmp3_read_pcm_frames_f32(&m_state->mp3, frames, out));
}

bool Mp3Decoder::Rewind()
{
    return drmp3_seek_to_pcm_frame(&m_state->mp3, 0) != 0;
}

uint64_t Mp3Decoder::CountFrames()
{
    const uint64_t frames = drmp3_get_pcm_frame_count(&m_state->mp3);
    Rewind();
    return frames;
}

}  // namespace zen::audio
