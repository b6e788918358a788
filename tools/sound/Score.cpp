#include "tools/sound/Score.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "tools/sound/Biquad.h"
#include "tools/sound/Reverb.h"

namespace zen::sound {
namespace {

constexpr float kRate = static_cast<float>(Score::kRate);
constexpr float kTwoPi = 6.28318530718f;

float Hertz(int midi)
{
    return 440.0f * std::pow(2.0f, static_cast<float>(midi - 69) / 12.0f);
}

struct Chord {
    int bass;
    int voices[4];
};

// Dm, Bb, F, C, Dm, Gm, Bb, A: the eight-bar phrase the piece turns on.
const Chord kPhrase[8] = {
    {38, {50, 57, 62, 65}}, {34, {46, 53, 62, 65}}, {41, {53, 57, 60, 65}}, {36, {48, 55, 60, 64}},
    {38, {50, 57, 62, 65}}, {43, {55, 58, 62, 67}}, {34, {46, 53, 62, 65}}, {33, {45, 57, 61, 64}},
};
// The coda: Bb, C, Dm, Dm, back into the opening bar.
const Chord kCoda[4] = {
    {34, {46, 53, 62, 65}}, {36, {48, 55, 60, 64}}, {38, {50, 57, 62, 65}}, {38, {50, 57, 62, 69}}};

struct Note {
    int bar;      // Within the phrase, 0-7.
    float beat;   // Start, in beats.
    float beats;  // Length.
    int midi;
};

const Note kMelody[] = {
    {0, 0, 1.5f, 69}, {0, 1.5f, 0.5f, 65}, {0, 2, 1, 67}, {0, 3, 1, 69},  //
    {1, 0, 2, 74},    {1, 2, 1, 72},       {1, 3, 1, 70},                 //
    {2, 0, 3, 69},    {2, 3, 1, 72},                                      //
    {3, 0, 2, 67},    {3, 2, 2, 64},                                      //
    {4, 0, 1.5f, 65}, {4, 1.5f, 0.5f, 64}, {4, 2, 1, 62}, {4, 3, 1, 65},  //
    {5, 0, 1, 67},    {5, 1, 1, 70},       {5, 2, 2, 74},                 //
    {6, 0, 1.5f, 72}, {6, 1.5f, 0.5f, 70}, {6, 2, 1, 69}, {6, 3, 1, 67},  //
    {7, 0, 2, 64},    {7, 2, 2, 69},
};

class Mix {
public:
    explicit Mix(size_t frames) : m_left(frames, 0.0f), m_right(frames, 0.0f), m_send(frames, 0.0f) {}

    // Adds one sample at `frame`, panned (-1 left .. 1 right), with some sent to the reverb.
    void Add(size_t frame, float value, float pan, float send)
    {
        if (frame >= m_left.size())
            return;
        const float angle = (pan + 1) * 0.25f * 3.14159265f;
        m_left[frame] += value * std::cos(angle);
        m_right[frame] += value * std::sin(angle);
        m_send[frame] += value * send;
    }
    size_t Frames() const { return m_left.size(); }

    SoundBuffer Finish()
    {
        Reverb left(kRate, 0.037f, 0.84f, 0.35f, 0), right(kRate, 0.037f, 0.84f, 0.35f, 1);
        SoundBuffer out;
        out.channels = 2;
        out.rate = Score::kRate;
        out.samples.resize(m_left.size() * 2);
        for (size_t i = 0; i < m_left.size(); ++i) {
            out.samples[2 * i] = m_left[i] + 0.7f * left.Process(m_send[i]);
            out.samples[2 * i + 1] = m_right[i] + 0.7f * right.Process(m_send[i]);
        }
        return out;
    }

private:
    std::vector<float> m_left, m_right, m_send;
};

// A saw with its step smoothed (polyBLEP), so high partials do not fold back as noise.
float Saw(float phase, float step)
{
    float value = 2 * phase - 1;
    if (phase < step) {
        const float t = phase / step;
        value -= t + t - t * t - 1;
    } else if (phase > 1 - step) {
        const float t = (phase - 1) / step;
        value -= t * t + t + t + 1;
    }
    return value;
}

void Pad(Mix& mix, float start, float length, int midi, float pan, float level)
{
    const float attack = 1.1f, release = 1.8f;
    const size_t first = static_cast<size_t>(std::max(0.0f, start) * kRate);
    const size_t last = static_cast<size_t>((start + length + release) * kRate);
    Biquad filter;
    filter.Set(Biquad::Kind::kLowPass, 1300.0f, 0.6f, kRate);
    const float f = Hertz(midi);
    float a = 0, b = 0.37f;
    for (size_t i = first; i < last && i < mix.Frames(); ++i) {
        const float t = static_cast<float>(i) / kRate - start;
        float env = std::min(1.0f, t / attack);
        if (t > length)
            env *= std::max(0.0f, 1.0f - (t - length) / release);
        const float fa = f * 1.0035f, fb = f * 0.9965f;
        a += fa / kRate;
        a -= std::floor(a);
        b += fb / kRate;
        b -= std::floor(b);
        const float v = filter.Process(Saw(a, fa / kRate) + Saw(b, fb / kRate));
        mix.Add(i, v * env * env * level, pan, 0.5f);
    }
}

void Bass(Mix& mix, float start, float length, int midi, float level)
{
    const size_t first = static_cast<size_t>(start * kRate);
    const size_t last = static_cast<size_t>((start + length + 0.6f) * kRate);
    const float f = Hertz(midi);
    for (size_t i = first; i < last && i < mix.Frames(); ++i) {
        const float t = static_cast<float>(i) / kRate - start;
        const float env = std::min(1.0f, t / 0.08f) * std::exp(-t * 0.7f) * (t > length ? std::max(0.0f, 1 - (t - length) / 0.6f) : 1.0f);
        const float v = std::sin(kTwoPi * f * t) + 0.25f * std::sin(kTwoPi * 2 * f * t);
        mix.Add(i, v * env * level, 0.0f, 0.15f);
    }
}

// Two-operator FM: a bright strike that mellows (electric piano at ratio 1, bell at 3.5).
void Strike(Mix& mix, float start, float length, int midi, float ratio, float index, float decay, float pan,
            float level)
{
    const float tail = std::max(length, 1.0f) + 2.5f;
    const size_t first = static_cast<size_t>(start * kRate);
    const size_t last = static_cast<size_t>((start + tail) * kRate);
    const float f = Hertz(midi);
    for (size_t i = first; i < last && i < mix.Frames(); ++i) {
        const float t = static_cast<float>(i) / kRate - start;
        const float env = std::min(1.0f, t / 0.006f) * std::exp(-t * decay) *
                          (t > length ? std::exp(-(t - length) * 3.0f) : 1.0f);
        const float modulation = index * std::exp(-t * 2.5f) + 0.3f;
        const float v = std::sin(kTwoPi * f * t + modulation * std::sin(kTwoPi * f * ratio * t));
        mix.Add(i, v * env * level, pan, 0.45f);
    }
}

}  // namespace

SoundBuffer Score::Render()
{
    const float bar = BarSeconds(), beat = bar / 4.0f;
    const size_t loopFrames = static_cast<size_t>(static_cast<float>(kBars) * bar * kRate);
    Mix mix(loopFrames + static_cast<size_t>(6.0f * kRate));
    const float pans[4] = {-0.6f, 0.5f, -0.2f, 0.3f};
    for (int b = 0; b < kBars; ++b) {
        const Chord& chord = b < 32 ? kPhrase[b % 8] : kCoda[b - 32];
        const float start = static_cast<float>(b) * bar;
        // The pad sounds throughout; the chord's voices enter a little before the bar line.
        for (int v = 0; v < 4; ++v)
            Pad(mix, start - 0.25f, bar, chord.voices[v], pans[v], 0.055f);
        // The bass from the second phrase on, twice a bar.
        if (b >= 8 && b < 34) {
            Bass(mix, start, 2 * beat, chord.bass, 0.16f);
            Bass(mix, start + 2 * beat, 2 * beat, chord.bass + (b % 2 ? 12 : 0), 0.12f);
        }
        // Bells on the off-beats through the third and fourth phrases.
        if (b >= 16 && b < 32) {
            for (int k = 0; k < 4; ++k) {
                const int note = chord.voices[(k + b) % 4] + 12;
                Strike(mix, start + (static_cast<float>(k) + 0.5f) * beat, beat, note, 3.5f, 1.2f, 1.6f, 0.55f,
                       0.035f);
            }
        }
    }
    // The melody: the second phrase as written, the third an octave higher and softer against the
    // bells, the fourth as written again with a third below; the coda lets it go.
    for (int phrase = 1; phrase < 4; ++phrase) {
        for (const Note& note : kMelody) {
            const float start = (static_cast<float>(phrase * 8 + note.bar) * 4.0f + note.beat) * beat;
            const float length = note.beats * beat;
            const int midi = note.midi + (phrase == 2 ? 12 : 0);
            Strike(mix, start, length, midi, 1.0f, 2.2f, 0.9f, -0.15f, phrase == 2 ? 0.10f : 0.14f);
            if (phrase == 3)
                Strike(mix, start, length, midi - (midi % 12 == 2 || midi % 12 == 9 ? 3 : 4), 1.0f, 1.6f, 0.9f, 0.3f,
                       0.07f);
        }
    }
    SoundBuffer music = mix.Finish();
    music.WrapTail(loopFrames);
    music.Normalize(0.8f);
    return music;
}

}  // namespace zen::sound
