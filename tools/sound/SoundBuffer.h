#pragma once
#include <cstddef>
#include <vector>

namespace zen::sound {

// Synthesised sound: interleaved float samples (nominally -1..1) at a sample rate.
struct SoundBuffer {
    int channels = 1;
    int rate = 44100;
    std::vector<float> samples;

    size_t Frames() const { return channels > 0 ? samples.size() / static_cast<size_t>(channels) : 0; }
    float Seconds() const { return static_cast<float>(Frames()) / static_cast<float>(rate); }

    // Peak of the absolute sample values.
    float Peak() const;
    // Scales the whole sound so that its peak is `peak`.
    void Normalize(float peak);
    // Makes the sound loop without a seam: the last `fadeFrames` frames are cross-faded (equal
    // power) into the first ones and then dropped, so playing it again from the start continues
    // the sound where its end left off.
    void FoldLoop(size_t fadeFrames);
    // Wraps everything past `frames` (a tail that rings on) back onto the start and cuts the
    // sound to `frames`: a piece whose ending leads into its beginning loops without a click.
    void WrapTail(size_t frames);
};

}  // namespace zen::sound
