#pragma once
#include "tools/sound/SoundBuffer.h"

namespace zen::sound {

// The sounds of the coast, synthesised: surf breaking on the rocks and wind (seamless loops),
// two gull cries and the foghorn (one-shots). Mono, for sounds placed in the scene; the same
// samples on every run.
class SeaSounds {
public:
    static constexpr int kRate = 44100;

    static SoundBuffer Surf();
    static SoundBuffer Wind();
    static SoundBuffer Gull(int variant);  // 0 or 1: two different calls.
    static SoundBuffer Foghorn();
};

}  // namespace zen::sound
