#include "audio/Mp3Decoder.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "audio/AudioError.h"
#include "dr_libs/dr_mp3.h"

namespace zen::audio {
namespace {

struct FrameHeader {
    uint32_t version = 0;  // 3 MPEG-1, 2 MPEG-2, 0 MPEG-2.5.
    uint32_t sampleRate = 0;
    uint32_t length = 0;   // Bytes of the whole frame, header included.
    uint32_t sideInfo = 0; // Bytes of the header and the side information.
    bool crc = false;      // A 16-bit checksum follows the header.
};

// The layer III decoder's own delay, in frames: the encoder's delay in a LAME tag leaves it out.
constexpr uint32_t kDecoderDelay = 529;

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
    const bool mono = (h[3] >> 6) == 3;
    const bool crc = (h[1] & 1) == 0;
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
    header.sideInfo = 4 + (mpeg1 ? (mono ? 17 : 32) : (mono ? 9 : 17));
    header.crc = crc;
    return true;
}

// Where the first frame starts: after an ID3v2 tag when there is one.
size_t FirstFrame(const uint8_t* data, size_t size)
{
    if (size < 10 || data[0] != 'I' || data[1] != 'D' || data[2] != '3')
        return 0;
    const size_t tag = (size_t{data[6]} << 21) | (size_t{data[7]} << 14) | (size_t{data[8]} << 7) | data[9];
    return 10 + tag + ((data[5] & 0x10) ? 10 : 0);
}

uint32_t Be32(const uint8_t* p)
{
    return (static_cast<uint32_t>(p[0]) << 24) | (p[1] << 16) | (p[2] << 8) | p[3];
}

// An encoder's tag frame ("Xing" or "Info") carries no sound: the audio starts after it. When
// it has a LAME extension, that gives the frames the encoder put before the sound and after it
// to fill the last frame, so the sound can be cut back to exactly what was encoded (which is
// what makes a looped MP3 loop without a gap).
struct EncoderTag {
    size_t audioStart = 0;  // Byte where the frames with sound begin.
    bool trims = false;     // The delay and padding below are known.
    uint32_t delay = 0, padding = 0;
    uint64_t frames = 0;    // Decoded frames of the whole file; 0 when the tag does not say.
};

EncoderTag ReadEncoderTag(const uint8_t* data, size_t size, size_t at, const FrameHeader& frame)
{
    EncoderTag tag;
    tag.audioStart = at;
    const size_t end = at + frame.length;
    auto isTag = [&](size_t x) {
        return x + 8 <= end && (std::memcmp(data + x, "Xing", 4) == 0 || std::memcmp(data + x, "Info", 4) == 0);
    };
    // LAME puts its tag right after the side information even in a frame with a checksum;
    // other encoders may leave room for the checksum first.
    if (end > size)
        return tag;
    size_t x = at + frame.sideInfo;
    if (!isTag(x) && frame.crc)
        x += 2;
    if (!isTag(x))
        return tag;
    tag.audioStart = end;
    const uint32_t flags = Be32(data + x + 4);
    if ((flags & 1) && x + 12 <= end)
        tag.frames = uint64_t{Be32(data + x + 8)} * (frame.version == 3 ? 1152 : 576);
    x += 8 + ((flags & 1) ? 4 : 0) + ((flags & 2) ? 4 : 0) + ((flags & 4) ? 100 : 0) + ((flags & 8) ? 4 : 0);
    // The extension: a nine-byte encoder name, then at byte 21 the delay and the padding, twelve
    // bits each.
    if (x + 24 > end || (std::memcmp(data + x, "LAME", 4) != 0 && std::memcmp(data + x, "Lavc", 4) != 0 &&
                         std::memcmp(data + x, "Lavf", 4) != 0))
        return tag;
    const uint8_t* d = data + x + 21;
    tag.delay = (static_cast<uint32_t>(d[0]) << 4) | (d[1] >> 4);
    tag.padding = ((d[1] & 0x0Fu) << 8) | d[2];
    tag.trims = true;
    return tag;
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
    if (size >= 10 && data[0] == 'I' && data[1] == 'D' && data[2] == '3' && ((data[6] | data[7] | data[8] | data[9]) & 0x80))
        return false;
    const size_t at = FirstFrame(data, size);
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
    FrameHeader first;
    const size_t at = FirstFrame(data, size);
    ParseFrameHeader(data, size, at, first);
    const EncoderTag tag = ReadEncoderTag(data, size, at, first);
    // A file that is nothing but its tag frame (or is cut inside it) has no sound to play.
    if (tag.audioStart >= size || !drmp3_init_memory(&decoder->m_state->mp3, data + tag.audioStart,
                                                      size - tag.audioStart, nullptr)) {
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
    // The length takes a walk over the frame headers (no decoding); the sound itself is still
    // decoded as it plays.
    const uint64_t decoded = drmp3_get_pcm_frame_count(&decoder->m_state->mp3);
    decoder->m_length = decoded;
    if (tag.trims) {
        const uint64_t skip = uint64_t{tag.delay} + kDecoderDelay;
        // A file cut short lost its padding with its end: only the delay goes.
        const bool whole = tag.frames == 0 || decoded >= tag.frames;
        const uint64_t trimmed = uint64_t{tag.delay} + (whole ? tag.padding : kDecoderDelay);
        decoder->m_skip = std::min(skip, decoded);
        decoder->m_length = std::min(decoded > trimmed ? decoded - trimmed : 0, decoded - decoder->m_skip);
    }
    if (decoder->m_length == 0 || !decoder->Rewind()) {
        *error = kErrorCorrupt;
        return nullptr;
    }
    return decoder;
}

uint32_t Mp3Decoder::Read(float* out, uint32_t frames)
{
    const uint64_t left = m_length - m_position;
    const uint32_t want = static_cast<uint32_t>(std::min<uint64_t>(frames, left));
    const uint32_t got = want ? static_cast<uint32_t>(drmp3_read_pcm_frames_f32(&m_state->mp3, want, out)) : 0;
    m_position += got;
    return got;
}

bool Mp3Decoder::Rewind()
{
    m_position = 0;
    return drmp3_seek_to_pcm_frame(&m_state->mp3, m_skip) != 0;
}

uint64_t Mp3Decoder::CountFrames()
{
    Rewind();
    return m_length;
}

}  // namespace zen::audio
