#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>

// A compressed sound read incrementally from bytes in memory (Ogg Vorbis or MPEG audio layer
// III), as interleaved 32-bit float frames. The bytes are not copied: they must outlive the
// decoder. Open picks the format from the bytes themselves and refuses anything else, as well
// as sample rates and channel counts the library does not play, before decoding a frame.
namespace zen::audio {

class SoundDecoder {
public:
    static constexpr uint32_t kMinSampleRate = 8000;
    static constexpr uint32_t kMaxSampleRate = 96000;
    static constexpr uint32_t kMaxChannels = 2;

    virtual ~SoundDecoder() = default;

    // The decoder for `data`, or null with `*error` set (AudioError: kErrorFileForm for bytes
    // of another kind, kErrorFormat for an unplayable rate or channel count, kErrorCorrupt,
    // kErrorMemory).
    static std::unique_ptr<SoundDecoder> Open(const uint8_t* data, size_t size, int32_t* error);

    const char* FormatName() const { return m_formatName; }
    uint32_t SampleRate() const { return m_sampleRate; }
    uint32_t Channels() const { return m_channels; }

    // Decodes up to `frames` frames into `out` (frames × Channels() floats). Fewer than asked
    // only at the end of the sound or where the data is damaged; 0 once it is over.
    virtual uint32_t Read(float* out, uint32_t frames) = 0;
    // Back to the first frame. False when the decoder cannot start over.
    virtual bool Rewind() = 0;
    // Frames in the whole sound. May walk the whole file (the tool's use, not playback's);
    // the reading position is the start afterwards.
    virtual uint64_t CountFrames() = 0;

protected:
    const char* m_formatName = "";
    uint32_t m_sampleRate = 0;
    uint32_t m_channels = 0;
};

}  // namespace zen::audio
