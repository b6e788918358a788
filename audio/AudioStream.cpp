#include "audio/AudioStream.h"

namespace zen::audio {

AudioStream::AudioStream(std::unique_ptr<SoundDecoder> decoder, uint32_t flags)
    : m_decoder(std::move(decoder)), m_flags(flags)
{
}

uint32_t AudioStream::Pull(float* out, uint32_t frames)
{
    const uint32_t sourceChannels = m_decoder->Channels();
    const bool mixDown = Is3D() && sourceChannels > 1;
    uint32_t done = 0;
    bool rewoundEmpty = false;  // A loop over a sound with no frames at all must not spin.
    while (done < frames && !ended) {
        const uint32_t want = frames - done;
        uint32_t got = 0;
        if (mixDown) {
            if (m_scratch.size() < size_t{want} * sourceChannels)
                m_scratch.resize(size_t{want} * sourceChannels);
            got = m_decoder->Read(m_scratch.data(), want);
            for (uint32_t i = 0; i < got; ++i) {
                float sum = 0;
                for (uint32_t c = 0; c < sourceChannels; ++c)
                    sum += m_scratch[size_t{i} * sourceChannels + c];
                out[done + i] = sum / static_cast<float>(sourceChannels);
            }
        } else {
            got = m_decoder->Read(out + size_t{done} * sourceChannels, want);
        }
        done += got;
        if (got == want)
            break;
        if (got > 0)
            rewoundEmpty = false;
        if (Loops() && !rewoundEmpty && m_decoder->Rewind()) {
            rewoundEmpty = true;
            continue;
        }
        ended = true;
        playing = false;
    }
    return done;
}

}  // namespace zen::audio
