#pragma once
#include "tools/sound/SoundBuffer.h"

namespace zen::sound {

// The music of the saver: a slow nocturne in D minor, 66 beats a minute, 36 bars (a little over
// two minutes), composed here note by note and played by a small synthesiser (a string pad of
// detuned saws, a soft bass, an electric-piano melody by two-operator FM and bells), in stereo
// through a reverberator. Its last bar leads back into the first and the reverb tail is wrapped
// onto the start, so the track loops without a seam.
class Score {
public:
    static constexpr int kRate = 44100;
    static constexpr int kBars = 36;
    static constexpr float kBeatsPerMinute = 66.0f;

    static float BarSeconds() { return 4.0f * 60.0f / kBeatsPerMinute; }
    static SoundBuffer Render();
};

}  // namespace zen::sound
