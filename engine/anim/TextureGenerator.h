#pragma once
#include <cstdint>
#include <memory>
#include "engine/anim/Controller.h"

namespace zen {

class Image;

// The shared part of the controllers that compute texture pixels on the processor (noise,
// octave noise, normal map, Fresnel ramp). It has no run-time type of its own: each generator
// names Controller as its base record. Update finds the image of the owner texture, marks the
// texture for upload and hands the image to Generate; a done flag (never saved) keeps the work
// to the first Update unless the generator asks to run again.
class TextureGenerator : public Controller {
public:
    // While active and not done: a Texture owner (or, for generators that accept them, a
    // VolumeTexture) has its image generated; any other owner, or none, only sets done.
    void Update(double elapsed) override;
    // Generates again on the next Update.
    void Reset() override { m_done = false; }
    bool IsDone() const { return m_done; }

    // The lattice hash both noise generators use: a value in (-1, 1], arithmetic modulo 2^32.
    static float NoiseHash(uint32_t n);
    // The byte a generated value becomes: the integer part (toward zero) of `value`, its low 8
    // bits. Values beyond the 32-bit range saturate first instead of being undefined.
    static uint8_t LowByte(double value);
    // Which colour component byte `byteIndex` of a pixel of `bytesPerPixel` takes: the byte
    // itself for up to four bytes, both bytes of a 16-bit channel alike for eight.
    static uint32_t ColorComponent(uint32_t byteIndex, uint32_t bytesPerPixel);

protected:
    TextureGenerator() = default;
    // Whether a VolumeTexture owner is accepted (the noise generators).
    virtual bool AcceptsVolume() const { return false; }
    // Whether a done generator runs again on every Update (a regenerating noise).
    virtual bool GeneratesAgain() const { return false; }
    // Writes the pixels of `image` (flat, or a volume when `volume`). True sets done; false
    // keeps it clear so the next Update tries again.
    virtual bool Generate(Image& image, bool volume) = 0;
    // A new pixel block of `size` bytes, or null after logging the shortage.
    std::unique_ptr<uint8_t[]> NewBlock(uint32_t size);

private:
    bool m_done = false;  // Set after a generation; not saved.
};

}  // namespace zen
