#pragma once
#include <cstddef>
#include <vector>

namespace zen::sound {

// A small room-and-hall reverberator (four parallel feedback combs with damping, then two
// all-pass diffusers), one per channel; the two channels use slightly different delays so the
// tail spreads across the stereo field.
class Reverb {
public:
    Reverb(float sampleRate, float roomSeconds, float decay, float damping, int channelSeed);
    float Process(float x);

private:
    struct Line {
        std::vector<float> buffer;
        size_t at = 0;
        float filter = 0;
    };
    std::vector<Line> m_combs;
    std::vector<Line> m_allPasses;
    float m_feedback;
    float m_damping;
};

}  // namespace zen::sound
