#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "engine/core/Result.h"

namespace zen::sound {

// The sound files the scene plays, synthesised (SeaSounds, Score) and encoded as Ogg Vorbis:
// "surf.ogg", "wind.ogg", "gull1.ogg", "gull2.ogg", "foghorn.ogg" (mono, placed in the scene)
// and "music.ogg" (stereo). Only the native content tool encodes them; a build without the
// encoder says so in the log and fails.
class SoundSet {
public:
    struct File {
        std::string name;
        std::vector<uint8_t> bytes;
    };
    static std::vector<std::string> Names();
    [[nodiscard]] static Result MakeAll(std::vector<File>& files);
};

}  // namespace zen::sound
