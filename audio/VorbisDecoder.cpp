#include "audio/VorbisDecoder.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <new>
#include <vector>

#include "audio/AudioError.h"
#include "stb_vorbis/StbVorbis.h"

namespace zen::audio {
namespace {

uint32_t Le32(const uint8_t* p)
{
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

// The second packet of the first logical stream (the comment header), gathered from its Ogg
// pages; false when the bytes end first or the pages are malformed.
bool GatherCommentPacket(const uint8_t* data, size_t size, std::vector<uint8_t>& packet)
{
    size_t at = 0;
    uint32_t packetIndex = 0;
    while (at + 27 <= size && std::memcmp(data + at, "OggS", 4) == 0) {
        const uint32_t segments = data[at + 26];
        if (size - at - 27 < segments)
            return false;
        const uint8_t* lacing = data + at + 27;
        size_t body = at + 27 + segments;
        for (uint32_t i = 0; i < segments; ++i) {
            if (size - body < lacing[i])
                return false;
            if (packetIndex == 1)
                packet.insert(packet.end(), data + body, data + body + lacing[i]);
            body += lacing[i];
            if (lacing[i] < 255 && packetIndex++ == 1)
                return true;
        }
        at = body;
    }
    return false;
}

// stb_vorbis trusts the lengths inside the comment header and writes a terminating zero at
// [length], which a length beyond the packet (read as -1 at its end) turns into a write before
// its buffer. The header must hold every length it gives.
bool CommentHeaderIsSound(const uint8_t* data, size_t size)
{
    std::vector<uint8_t> packet;
    if (!GatherCommentPacket(data, size, packet))
        return false;
    if (packet.size() < 7 + 4 || packet[0] != 3 || std::memcmp(packet.data() + 1, "vorbis", 6) != 0)
        return false;
    size_t at = 7;
    auto take = [&](size_t bytes) {
        if (packet.size() - at < bytes)
            return false;
        at += bytes;
        return true;
    };
    const uint32_t vendor = Le32(&packet[at]);
    if (!take(4) || !take(vendor) || !take(4))
        return false;
    const uint32_t comments = Le32(&packet[at - 4]);
    if (comments > (packet.size() - at) / 4)
        return false;
    for (uint32_t i = 0; i < comments; ++i) {
        if (!take(4))
            return false;
        if (!take(Le32(&packet[at - 4])))
            return false;
    }
    return take(1) && (packet[at - 1] & 1) != 0;
}

}  // namespace

VorbisDecoder::~VorbisDecoder()
{
    if (m_vorbis)
        stb_vorbis_close(m_vorbis);
}

bool VorbisDecoder::Recognizes(const uint8_t* data, size_t size)
{
    return data && size >= 4 && std::memcmp(data, "OggS", 4) == 0;
}

std::unique_ptr<VorbisDecoder> VorbisDecoder::Open(const uint8_t* data, size_t size, int32_t* error)
{
    if (!Recognizes(data, size)) {
        *error = kErrorFileForm;
        return nullptr;
    }
    if (size > static_cast<size_t>(INT_MAX)) {
        *error = kErrorArgument;
        return nullptr;
    }
    if (!CommentHeaderIsSound(data, size)) {
        *error = kErrorCorrupt;
        return nullptr;
    }
    std::unique_ptr<VorbisDecoder> decoder(new (std::nothrow) VorbisDecoder());
    if (!decoder) {
        *error = kErrorMemory;
        return nullptr;
    }
    for (const size_t arenaBytes : {kArenaBytes, kLargeArenaBytes}) {
        decoder->m_arena.reset(new (std::nothrow) char[arenaBytes]);
        if (!decoder->m_arena) {
            *error = kErrorMemory;
            return nullptr;
        }
        decoder->m_arenaBytes = arenaBytes;
        const stb_vorbis_alloc arena{decoder->m_arena.get(), static_cast<int>(arenaBytes)};
        int status = 0;
        decoder->m_vorbis = stb_vorbis_open_memory(data, static_cast<int>(size), &status, &arena);
        if (decoder->m_vorbis)
            break;
        if (status != VORBIS_outofmem) {
            *error = kErrorCorrupt;
            return nullptr;
        }
    }
    if (!decoder->m_vorbis) {
        *error = kErrorMemory;
        return nullptr;
    }
    const stb_vorbis_info info = stb_vorbis_get_info(decoder->m_vorbis);
    if (info.sample_rate < kMinSampleRate || info.sample_rate > kMaxSampleRate || info.channels < 1 ||
        static_cast<uint32_t>(info.channels) > kMaxChannels) {
        *error = kErrorFormat;
        return nullptr;
    }
    decoder->m_formatName = "ogg-vorbis";
    decoder->m_sampleRate = info.sample_rate;
    decoder->m_channels = static_cast<uint32_t>(info.channels);
    return decoder;
}

uint32_t VorbisDecoder::Read(float* out, uint32_t frames)
{
    uint32_t done = 0;
    while (done < frames) {
        const uint32_t want = frames - done;
        const int floats = static_cast<int>(std::min<uint64_t>(uint64_t{want} * m_channels, INT_MAX / 2));
        const int got = stb_vorbis_get_samples_float_interleaved(m_vorbis, static_cast<int>(m_channels),
                                                                 out + size_t{done} * m_channels, floats);
        if (got <= 0)
            break;
        done += static_cast<uint32_t>(got);
    }
    return done;
}

bool VorbisDecoder::Rewind()
{
    return stb_vorbis_seek_start(m_vorbis) != 0;
}

uint64_t VorbisDecoder::CountFrames()
{
    // The length stored in the last page says nothing certain about a damaged file: count
    // what actually decodes.
    Rewind();
    float scratch[4096];
    uint64_t total = 0;
    for (;;) {
        const uint32_t got = Read(scratch, 4096 / m_channels);
        if (got == 0)
            break;
        total += got;
    }
    Rewind();
    return total;
}

}  // namespace zen::audio
