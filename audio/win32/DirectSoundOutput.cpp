#include "audio/win32/DirectSoundOutput.h"

#include <windows.h>
#include <mmsystem.h>
#include <dsound.h>

#include <algorithm>
#include <chrono>
#include <cmath>

namespace zen::audio {
namespace {

LONG GainToMillibels(float gain)
{
    if (gain <= 0.00001f)
        return DSBVOLUME_MIN;
    const float millibels = 2000.0f * std::log10(std::min(gain, 1.0f));
    return std::max<LONG>(DSBVOLUME_MIN, static_cast<LONG>(std::lround(millibels)));
}

// DirectSound takes distances up to about 1e9; larger ones (the scene's "no limit") are that.
float ClampDistance(float distance)
{
    return std::min(distance, 1.0e9f);
}

}  // namespace

DirectSoundOutput::~DirectSoundOutput()
{
    Close();
}

bool DirectSoundOutput::Open(void* window, uint32_t sampleRate, std::mutex* lock)
{
    if (FAILED(DirectSoundCreate8(nullptr, &m_sound, nullptr))) {
        m_sound = nullptr;
        return false;
    }
    HWND owner = window ? static_cast<HWND>(window) : GetDesktopWindow();
    if (FAILED(m_sound->SetCooperativeLevel(owner, DSSCL_PRIORITY))) {
        Close();
        return false;
    }
    DSBUFFERDESC primary{};
    primary.dwSize = sizeof primary;
    primary.dwFlags = DSBCAPS_PRIMARYBUFFER | DSBCAPS_CTRL3D;
    if (FAILED(m_sound->CreateSoundBuffer(&primary, &m_primary, nullptr))) {
        m_primary = nullptr;
        Close();
        return false;
    }
    WAVEFORMATEX format{};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = 2;
    format.nSamplesPerSec = sampleRate;
    format.wBitsPerSample = 16;
    format.nBlockAlign = 4;
    format.nAvgBytesPerSec = sampleRate * 4;
    m_primary->SetFormat(&format);  // A device that keeps its own format still plays ours.
    if (FAILED(m_primary->QueryInterface(IID_IDirectSound3DListener, reinterpret_cast<void**>(&m_listener))))
        m_listener = nullptr;
    m_lock = lock;
    m_stop = false;
    m_thread = std::thread([this] { RefillLoop(); });
    return true;
}

void DirectSoundOutput::Close()
{
    // Called with the library's lock held; the refill thread takes it each round, so it is
    // let go while the thread finishes.
    if (m_thread.joinable()) {
        m_stop = true;
        if (m_lock)
            m_lock->unlock();
        m_thread.join();
        if (m_lock)
            m_lock->lock();
    }
    for (auto& [id, voice] : m_voices)
        ReleaseVoice(voice);
    m_voices.clear();
    if (m_listener)
        m_listener->Release();
    if (m_primary)
        m_primary->Release();
    if (m_sound)
        m_sound->Release();
    m_listener = nullptr;
    m_primary = nullptr;
    m_sound = nullptr;
}

void DirectSoundOutput::RefillLoop()
{
    while (!m_stop) {
        std::this_thread::sleep_for(std::chrono::milliseconds(kRefillMilliseconds));
        std::lock_guard<std::mutex> held(*m_lock);
        if (m_stop)
            break;
        for (auto& [id, voice] : m_voices)
            if (voice.playing)
                Refill(voice);
    }
}

uint32_t DirectSoundOutput::CreateVoice(const VoiceFormat& format, VoiceSource* source)
{
    if (!m_sound || format.channels < 1 || format.channels > 2)
        return 0;
    Voice voice;
    voice.format = format;
    voice.source = source;
    voice.blockAlign = format.channels * 2;
    voice.bytes = format.sampleRate * kBufferMilliseconds / 1000 * voice.blockAlign;
    WAVEFORMATEX wave{};
    wave.wFormatTag = WAVE_FORMAT_PCM;
    wave.nChannels = static_cast<WORD>(format.channels);
    wave.nSamplesPerSec = format.sampleRate;
    wave.wBitsPerSample = 16;
    wave.nBlockAlign = static_cast<WORD>(voice.blockAlign);
    wave.nAvgBytesPerSec = format.sampleRate * voice.blockAlign;
    DSBUFFERDESC description{};
    description.dwSize = sizeof description;
    description.dwFlags = DSBCAPS_GETCURRENTPOSITION2 | DSBCAPS_GLOBALFOCUS | DSBCAPS_CTRLVOLUME |
                          (format.is3D ? DSBCAPS_CTRL3D : 0);
    description.dwBufferBytes = voice.bytes;
    description.lpwfxFormat = &wave;
    description.guid3DAlgorithm = DS3DALG_DEFAULT;
    if (FAILED(m_sound->CreateSoundBuffer(&description, &voice.buffer, nullptr)))
        return 0;
    if (format.is3D) {
        if (FAILED(voice.buffer->QueryInterface(IID_IDirectSound3DBuffer, reinterpret_cast<void**>(&voice.buffer3D)))) {
            ReleaseVoice(voice);
            return 0;
        }
        voice.buffer3D->SetMode(DS3DMODE_NORMAL, DS3D_DEFERRED);
    }
    const uint32_t id = m_nextVoice++;
    m_voices[id] = voice;
    return id;
}

void DirectSoundOutput::ReleaseVoice(Voice& voice)
{
    if (voice.buffer)
        voice.buffer->Stop();
    if (voice.buffer3D)
        voice.buffer3D->Release();
    if (voice.buffer)
        voice.buffer->Release();
    voice.buffer3D = nullptr;
    voice.buffer = nullptr;
}

void DirectSoundOutput::DestroyVoice(uint32_t id)
{
    auto found = m_voices.find(id);
    if (found == m_voices.end())
        return;
    ReleaseVoice(found->second);
    m_voices.erase(found);
}

void DirectSoundOutput::Fill(Voice& voice, uint32_t bytes)
{
    void* parts[2] = {};
    DWORD sizes[2] = {};
    if (FAILED(voice.buffer->Lock(voice.writeAt, bytes, &parts[0], &sizes[0], &parts[1], &sizes[1], 0)))
        return;
    for (int part = 0; part < 2; ++part) {
        if (!parts[part])
            continue;
        auto* out = static_cast<int16_t*>(parts[part]);
        const uint32_t frames = sizes[part] / voice.blockAlign;
        const uint32_t samples = frames * voice.format.channels;
        if (m_floats.size() < samples)
            m_floats.resize(samples);
        uint32_t got = 0;
        if (!voice.sourceEnded) {
            got = voice.source->Pull(m_floats.data(), frames);
            if (got < frames)
                voice.sourceEnded = true;
        }
        const uint32_t pulled = got * voice.format.channels;
        for (uint32_t i = 0; i < pulled; ++i) {
            const float clamped = std::clamp(m_floats[i], -1.0f, 1.0f);
            out[i] = static_cast<int16_t>(std::lround(clamped * 32767.0f));
        }
        std::fill(out + pulled, out + samples, int16_t{0});
        if (voice.sourceEnded)
            voice.silenceWritten += (samples - pulled) * 2;
    }
    voice.buffer->Unlock(parts[0], sizes[0], parts[1], sizes[1]);
    voice.writeAt = (voice.writeAt + bytes) % voice.bytes;
}

void DirectSoundOutput::Refill(Voice& voice)
{
    DWORD play = 0, write = 0;
    if (FAILED(voice.buffer->GetCurrentPosition(&play, &write)))
        return;
    // Fill up to one block short of the play cursor, so a full ring never reads as empty.
    const uint32_t room = (play + voice.bytes - voice.writeAt) % voice.bytes;
    if (room > voice.blockAlign)
        Fill(voice, (room - voice.blockAlign) / voice.blockAlign * voice.blockAlign);
    // Once a whole ring of silence has gone in after the stream's end, its last sample has
    // played: the buffer stops.
    if (voice.sourceEnded && voice.silenceWritten >= voice.bytes) {
        voice.buffer->Stop();
        voice.playing = false;
    }
}

void DirectSoundOutput::StartVoice(uint32_t id, bool fromStart)
{
    auto found = m_voices.find(id);
    if (found == m_voices.end())
        return;
    Voice& voice = found->second;
    if (fromStart) {
        voice.buffer->Stop();
        voice.buffer->SetCurrentPosition(0);
        voice.writeAt = 0;
        voice.sourceEnded = false;
        voice.silenceWritten = 0;
        Fill(voice, voice.bytes - voice.blockAlign);
    }
    voice.playing = true;
    voice.buffer->Play(0, 0, DSBPLAY_LOOPING);
}

void DirectSoundOutput::StopVoice(uint32_t id)
{
    auto found = m_voices.find(id);
    if (found == m_voices.end())
        return;
    found->second.buffer->Stop();
    found->second.playing = false;
}

void DirectSoundOutput::SetVoiceVolume(uint32_t id, float gain)
{
    auto found = m_voices.find(id);
    if (found != m_voices.end())
        found->second.buffer->SetVolume(GainToMillibels(gain));
}

void DirectSoundOutput::SetVoice3D(uint32_t id, const AudioVector& p, float minDistance, float maxDistance)
{
    auto found = m_voices.find(id);
    if (found == m_voices.end() || !found->second.buffer3D)
        return;
    IDirectSound3DBuffer* buffer = found->second.buffer3D;
    buffer->SetPosition(p.x, p.y, p.z, DS3D_DEFERRED);
    buffer->SetMinDistance(ClampDistance(minDistance), DS3D_DEFERRED);
    buffer->SetMaxDistance(ClampDistance(std::max(maxDistance, minDistance)), DS3D_DEFERRED);
}

void DirectSoundOutput::SetListener(const AudioVector& f, const AudioVector& t)
{
    if (m_listener)
        m_listener->SetOrientation(f.x, f.y, f.z, t.x, t.y, t.z, DS3D_DEFERRED);
}

void DirectSoundOutput::SetFactors(float distance, float rolloff, float doppler)
{
    if (!m_listener)
        return;
    m_listener->SetDistanceFactor(distance, DS3D_DEFERRED);
    m_listener->SetRolloffFactor(std::clamp(rolloff, DS3D_MINROLLOFFFACTOR, DS3D_MAXROLLOFFFACTOR), DS3D_DEFERRED);
    m_listener->SetDopplerFactor(std::clamp(doppler, DS3D_MINDOPPLERFACTOR, DS3D_MAXDOPPLERFACTOR), DS3D_DEFERRED);
}

void DirectSoundOutput::Commit3D()
{
    if (m_listener)
        m_listener->CommitDeferredSettings();
}

}  // namespace zen::audio
