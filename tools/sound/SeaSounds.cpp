#include "tools/sound/SeaSounds.h"

#include <algorithm>
#include <cmath>

#include "tools/sound/Biquad.h"
#include "tools/sound/NoiseSource.h"

namespace zen::sound {
namespace {

constexpr float kRate = static_cast<float>(SeaSounds::kRate);
constexpr float kTwoPi = 6.28318530718f;

float Smooth(float edge0, float edge1, float x)
{
    const float t = std::clamp((x - edge0) / (edge1 - edge0), 0.0f, 1.0f);
    return t * t * (3 - 2 * t);
}

SoundBuffer Mono(float seconds)
{
    SoundBuffer sound;
    sound.channels = 1;
    sound.rate = SeaSounds::kRate;
    sound.samples.assign(static_cast<size_t>(seconds * kRate), 0.0f);
    return sound;
}

}  // namespace

SoundBuffer SeaSounds::Surf()
{
    // Waves arrive every few seconds: the water draws up (a low swell), breaks (a burst of
    // bright noise) and runs back hissing over the stones. 14 s rendered, folded to a 12 s loop.
    SoundBuffer sound = Mono(14.0f);
    NoiseSource noise(0x5E12Fu);
    Biquad body, hiss, rumble;
    const float breaks[] = {0.6f, 4.1f, 7.0f, 10.6f, 12.6f};
    const float strength[] = {1.0f, 0.75f, 0.9f, 0.65f, 1.0f};
    for (size_t i = 0; i < sound.samples.size(); ++i) {
        const float t = static_cast<float>(i) / kRate;
        float crash = 0, wash = 0;
        for (int w = 0; w < 5; ++w) {
            const float d = t - breaks[w];
            if (d > -1.2f && d < 0)
                crash += strength[w] * Smooth(-1.2f, 0.0f, d) * 0.5f;
            if (d >= 0) {
                crash += strength[w] * std::exp(-d * 2.2f);
                wash += strength[w] * std::exp(-d * 0.55f) * Smooth(0.0f, 0.4f, d);
            }
        }
        if (i % 64 == 0) {
            body.Set(Biquad::Kind::kLowPass, 500.0f + 2600.0f * std::min(crash, 1.2f), 0.7f, kRate);
            hiss.Set(Biquad::Kind::kBandPass, 3200.0f + 1800.0f * wash, 0.6f, kRate);
            rumble.Set(Biquad::Kind::kLowPass, 140.0f, 0.8f, kRate);
        }
        const float n = noise.Pink();
        sound.samples[i] = body.Process(n) * (0.25f + 1.1f * crash) + hiss.Process(noise.White()) * 0.35f * wash +
                           rumble.Process(n) * (1.6f + 1.4f * crash);
    }
    sound.FoldLoop(static_cast<size_t>(2.0f * kRate));
    sound.Normalize(0.8f);
    return sound;
}

SoundBuffer SeaSounds::Wind()
{
    // Band-limited noise whose pitch and loudness wander with the gusts, with a faint whistle.
    SoundBuffer sound = Mono(18.0f);
    NoiseSource noise(0x3A1D5u);
    Biquad band, low;
    for (size_t i = 0; i < sound.samples.size(); ++i) {
        const float t = static_cast<float>(i) / kRate;
        const float gust = 0.55f + 0.25f * std::sin(kTwoPi * t / 7.3f) + 0.15f * std::sin(kTwoPi * t / 3.1f + 1.3f) +
                           0.05f * std::sin(kTwoPi * t / 1.7f + 0.4f);
        if (i % 64 == 0) {
            band.Set(Biquad::Kind::kBandPass, 380.0f + 520.0f * gust, 2.2f, kRate);
            low.Set(Biquad::Kind::kLowPass, 260.0f, 0.7f, kRate);
        }
        const float n = noise.White();
        sound.samples[i] = (band.Process(n) * 1.6f + low.Process(noise.Pink()) * 0.9f) * gust;
    }
    sound.FoldLoop(static_cast<size_t>(3.0f * kRate));
    sound.Normalize(0.6f);
    return sound;
}

SoundBuffer SeaSounds::Gull(int variant)
{
    // A herring gull's call: a few nasal, rising-then-falling cries, each a harmonic-rich tone
    // (a pulse train through two formants) with a rough, fluttering onset.
    SoundBuffer sound = Mono(variant == 0 ? 1.9f : 1.5f);
    NoiseSource noise(variant == 0 ? 0x6011u : 0x6012u);
    struct Cry {
        float start, length, low, high;
    };
    const Cry cries0[] = {{0.05f, 0.42f, 1300, 2350}, {0.55f, 0.36f, 1250, 2200}, {1.0f, 0.33f, 1200, 2100},
                          {1.42f, 0.40f, 1100, 1900}};
    const Cry cries1[] = {{0.05f, 0.62f, 1050, 2500}, {0.8f, 0.55f, 1000, 2300}};
    const Cry* cries = variant == 0 ? cries0 : cries1;
    const int count = variant == 0 ? 4 : 2;
    Biquad formantA, formantB, soften;
    formantA.Set(Biquad::Kind::kBandPass, 2400.0f, 3.0f, kRate);
    formantB.Set(Biquad::Kind::kBandPass, 4100.0f, 4.0f, kRate);
    soften.Set(Biquad::Kind::kLowPass, 6500.0f, 0.7f, kRate);
    float phase = 0;
    for (size_t i = 0; i < sound.samples.size(); ++i) {
        const float t = static_cast<float>(i) / kRate;
        float pitch = 0, amp = 0;
        for (int c = 0; c < count; ++c) {
            const float d = (t - cries[c].start) / cries[c].length;
            if (d < 0 || d > 1)
                continue;
            // Up quickly, a held peak, then a falling tail.
            const float shape = d < 0.25f ? Smooth(0.0f, 0.25f, d) : 1.0f - 0.65f * Smooth(0.35f, 1.0f, d);
            pitch = (cries[c].low + (cries[c].high - cries[c].low) * shape) / 2.6f;
            amp = Smooth(0.0f, 0.06f, d) * (1.0f - Smooth(0.75f, 1.0f, d));
        }
        if (amp <= 0) {
            sound.samples[i] = soften.Process(formantA.Process(0) + formantB.Process(0));
            continue;
        }
        const float flutter = 1.0f + 0.18f * std::sin(kTwoPi * 38.0f * t) + 0.04f * noise.White();
        phase += pitch * flutter / kRate;
        phase -= std::floor(phase);
        const float pulse = phase < 0.18f ? 1.0f : -0.22f;  // Narrow pulses: many harmonics.
        const float voice = pulse * amp + 0.02f * noise.White() * amp;
        sound.samples[i] = soften.Process(formantA.Process(voice) * 1.2f + formantB.Process(voice) * 0.6f);
    }
    sound.Normalize(0.7f);
    return sound;
}

SoundBuffer SeaSounds::Foghorn()
{
    // A diaphone: a deep, buzzing tone (sawtooth and square at 98 Hz) that swells, holds, and
    // drops in pitch to its grunting end; heard across the water, so its highs are softened.
    SoundBuffer sound = Mono(5.0f);
    Biquad tone, air;
    tone.Set(Biquad::Kind::kLowPass, 900.0f, 0.9f, kRate);
    air.Set(Biquad::Kind::kLowPass, 2400.0f, 0.7f, kRate);
    float phase = 0;
    for (size_t i = 0; i < sound.samples.size(); ++i) {
        const float t = static_cast<float>(i) / kRate;
        const float swell = Smooth(0.0f, 0.45f, t) * (1.0f - Smooth(3.2f, 4.6f, t));
        const float drop = 1.0f - 0.22f * Smooth(2.9f, 3.6f, t);
        const float pitch = 98.0f * drop * (1.0f + 0.004f * std::sin(kTwoPi * 5.0f * t));
        phase += pitch / kRate;
        phase -= std::floor(phase);
        const float saw = 2 * phase - 1;
        const float square = phase < 0.5f ? 0.7f : -0.7f;
        sound.samples[i] = air.Process(tone.Process((saw + square) * swell));
    }
    sound.Normalize(0.85f);
    return sound;
}

}  // namespace zen::sound
