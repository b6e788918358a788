#include "tools/sound/SoundBuffer.h"

#include <algorithm>
#include <cmath>

namespace zen::sound {

float SoundBuffer::Peak() const
{
    float peak = 0;
    for (float s : samples)
        peak = std::max(peak, std::abs(s));
    return peak;
}

void SoundBuffer::Normalize(float peak)
{
    const float current = Peak();
    if (!(current > 0))
        return;
    const float scale = peak / current;
    for (float& s : samples)
        s *= scale;
}

void SoundBuffer::FoldLoop(size_t fadeFrames)
{
    const size_t frames = Frames();
    if (fadeFrames == 0 || 2 * fadeFrames > frames)
        return;
    const size_t keep = frames - fadeFrames;
    const size_t c = static_cast<size_t>(channels);
    for (size_t i = 0; i < fadeFrames; ++i) {
        const float t = (static_cast<float>(i) + 0.5f) / static_cast<float>(fadeFrames);
        const float in = std::sin(t * 1.5707963f), out = std::cos(t * 1.5707963f);
        for (size_t ch = 0; ch < c; ++ch)
            samples[i * c + ch] = samples[i * c + ch] * in + samples[(keep + i) * c + ch] * out;
    }
    samples.resize(keep * c);
}

void SoundBuffer::WrapTail(size_t frames)
{
    const size_t c = static_cast<size_t>(channels);
    if (frames == 0 || frames >= Frames())
        return;
    for (size_t i = frames * c; i < samples.size(); ++i)
        samples[i % (frames * c)] += samples[i];
    samples.resize(frames * c);
}

}  // namespace zen::sound
