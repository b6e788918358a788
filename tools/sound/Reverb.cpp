#include "tools/sound/Reverb.h"

#include <cmath>

namespace zen::sound {

Reverb::Reverb(float sampleRate, float roomSeconds, float decay, float damping, int channelSeed)
    : m_feedback(decay), m_damping(damping)
{
    const float combs[4] = {1.0f, 1.117f, 1.213f, 1.297f};
    const float spread = 1.0f + 0.023f * static_cast<float>(channelSeed);
    for (float c : combs) {
        Line line;
        line.buffer.assign(static_cast<size_t>(roomSeconds * c * spread * sampleRate) + 1, 0.0f);
        m_combs.push_back(std::move(line));
    }
    for (float seconds : {0.0051f, 0.0126f}) {
        Line line;
        line.buffer.assign(static_cast<size_t>(seconds * spread * sampleRate) + 1, 0.0f);
        m_allPasses.push_back(std::move(line));
    }
}

float Reverb::Process(float x)
{
    float sum = 0;
    for (Line& comb : m_combs) {
        const float out = comb.buffer[comb.at];
        comb.filter = out * (1 - m_damping) + comb.filter * m_damping;
        comb.buffer[comb.at] = x + comb.filter * m_feedback;
        comb.at = (comb.at + 1) % comb.buffer.size();
        sum += out;
    }
    float y = sum * 0.25f;
    for (Line& pass : m_allPasses) {
        const float delayed = pass.buffer[pass.at];
        const float input = y + delayed * 0.5f;
        pass.buffer[pass.at] = input;
        pass.at = (pass.at + 1) % pass.buffer.size();
        y = delayed - input * 0.5f;
    }
    return y;
}

}  // namespace zen::sound
