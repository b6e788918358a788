#include "audio/VorbisDecoder.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <new>

#include "audio/AudioError.h"
#include "stb_vorbis/StbVorbis.h"

namespace zen::audio {

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
