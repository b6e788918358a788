#pragma once
#include <cstdint>
#include <vector>

#include "engine/core/Result.h"
#include "tools/sound/SoundBuffer.h"

namespace zen::sound {

// Encodes synthesised sound as Ogg Vorbis (libvorbisenc, variable bit rate at a quality from
// -0.1 to 1). The stream's serial number is fixed, so the same sound gives the same file.
class OggWriter {
public:
    [[nodiscard]] static Result Encode(const SoundBuffer& sound, float quality, std::vector<uint8_t>& out);
};

}  // namespace zen::sound
