#include "audio/RecordingAudioOutput.h"

#include <cstdarg>
#include <cstdio>

namespace zen::audio {

void RecordingAudioOutput::Record(const char* format, ...)
{
    char line[256];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(line, sizeof line, format, arguments);
    va_end(arguments);
    m_calls.emplace_back(line);
}

bool RecordingAudioOutput::Open(void*, uint32_t sampleRate, std::mutex* lock)
{
    Record("Open %u", sampleRate);
    if (!m_available)
        return false;
    m_open = true;
    m_lock = lock;
    return true;
}

void RecordingAudioOutput::Close()
{
    Record("Close");
    m_voices.clear();
    m_open = false;
}

uint32_t RecordingAudioOutput::CreateVoice(const VoiceFormat& format, VoiceSource* source)
{
    const uint32_t voice = m_nextVoice++;
    m_voices[voice] = Voice{format, source};
    Record("CreateVoice %u %u %u %s", voice, format.sampleRate, format.channels, format.is3D ? "3d" : "2d");
    return voice;
}

void RecordingAudioOutput::DestroyVoice(uint32_t voice)
{
    m_voices.erase(voice);
    Record("DestroyVoice %u", voice);
}

void RecordingAudioOutput::StartVoice(uint32_t voice, bool fromStart)
{
    Record("Start %u%s", voice, fromStart ? " restart" : "");
}

void RecordingAudioOutput::StopVoice(uint32_t voice)
{
    Record("Stop %u", voice);
}

void RecordingAudioOutput::SetVoiceVolume(uint32_t voice, float gain)
{
    Record("Volume %u %g", voice, gain);
}

void RecordingAudioOutput::SetVoice3D(uint32_t voice, const AudioVector& p, float minDistance, float maxDistance)
{
    Record("Voice3D %u %g %g %g min %g max %g", voice, p.x, p.y, p.z, minDistance, maxDistance);
}

void RecordingAudioOutput::SetListener(const AudioVector& f, const AudioVector& t)
{
    Record("Listener front %g %g %g top %g %g %g", f.x, f.y, f.z, t.x, t.y, t.z);
}

void RecordingAudioOutput::SetFactors(float distance, float rolloff, float doppler)
{
    Record("Factors %g %g %g", distance, rolloff, doppler);
}

void RecordingAudioOutput::Commit3D()
{
    Record("Commit3D");
}

std::vector<float> RecordingAudioOutput::Render(uint32_t voice, uint32_t frames)
{
    auto found = m_voices.find(voice);
    if (found == m_voices.end())
        return {};
    std::vector<float> samples(size_t{frames} * found->second.format.channels);
    std::unique_lock<std::mutex> held;
    if (m_lock)
        held = std::unique_lock<std::mutex>(*m_lock);
    const uint32_t got = found->second.source->Pull(samples.data(), frames);
    samples.resize(size_t{got} * found->second.format.channels);
    return samples;
}

}  // namespace zen::audio
