#pragma once
#include <memory>

#include "audio/SoundDecoder.h"

struct stb_vorbis;

namespace zen::audio {

// Ogg Vorbis through stb_vorbis. All of the decoder's memory comes from one block of our own
// (kArenaBytes, or kLargeArenaBytes for files whose set-up needs more), so a file that asks for
// absurd tables is refused for lack of memory instead of growing the heap.
class VorbisDecoder : public SoundDecoder {
public:
    static constexpr size_t kArenaBytes = 256 * 1024;
    static constexpr size_t kLargeArenaBytes = 2 * 1024 * 1024;

    ~VorbisDecoder() override;
    // Null with `*error` set when the bytes are not a playable Ogg Vorbis stream.
    static std::unique_ptr<VorbisDecoder> Open(const uint8_t* data, size_t size, int32_t* error);
    static bool Recognizes(const uint8_t* data, size_t size);  // Starts with an Ogg page.

    uint32_t Read(float* out, uint32_t frames) override;
    bool Rewind() override;
    uint64_t CountFrames() override;

private:
    VorbisDecoder() = default;

    stb_vorbis* m_vorbis = nullptr;     // Lives in m_arena.
    std::unique_ptr<char[]> m_arena;
    size_t m_arenaBytes = 0;
};

}  // namespace zen::audio
