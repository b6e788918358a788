#pragma once
#include <cstdint>
#include <functional>
#include <vector>

#include "engine/core/Ptr.h"
#include "engine/core/String.h"
#include "engine/scene/Image.h"
#include "tools/art/Color.h"
#include "tools/art/Gradient.h"
#include "tools/art/Mask.h"

namespace zen::art {

// A picture being drawn: floating-point RGBA with premultiplied alpha, rows top-down, pixel
// centres at (x + 0.5, y + 0.5). Shapes come in as Masks and are laid on with a colour or a
// paint, either painted over (the usual "over" operator) or added as light. A finished canvas
// becomes an engine Image (rows bottom-up, 8 bits per channel, ordered dither so that dark
// gradients do not band) ready for the engine's image codecs.
class Canvas {
public:
    enum class Blend {
        kOver,  // Paint over what is there, by the colour's alpha × coverage.
        kAdd,   // Add light: colour × alpha × coverage is added, alpha grows as for kOver.
    };

    Canvas(int width, int height, Color fill = Color(0, 0, 0, 0));

    int Width() const { return m_width; }
    int Height() const { return m_height; }
    // The pixel as a straight-alpha colour; transparent black outside.
    Color At(int x, int y) const;

    // Drawing
    void Fill(const Paint& paint);  // Replaces every pixel.
    void Draw(const Mask& mask, Color color, Blend blend = Blend::kOver);
    void Draw(const Mask& mask, const Paint& paint, Blend blend = Blend::kOver);
    // Paint over the whole canvas (a mask of full coverage everywhere).
    void Draw(const Paint& paint, Blend blend = Blend::kOver);
    // Lays `layer` over this canvas with its top-left corner at (left, top).
    void Draw(const Canvas& layer, int left, int top, Blend blend = Blend::kOver);
    // A round blob of light added around `centre`: colour × alpha × exp(−r² / 2σ²), cut off at 3σ.
    void Splat(Vec2 centre, float sigma, Color color) { Splat(centre, sigma, sigma, color); }
    // The same stretched: σx across, σy down (a streak of light on water).
    void Splat(Vec2 centre, float sigmaX, float sigmaY, Color color);
    // Each pixel replaced by f(centre, current colour) (straight alpha in and out).
    void Shade(const std::function<Color(Vec2 centre, Color under)>& f);

    // The canvas resampled to width × height by area averaging: every source pixel contributes
    // to the target pixels it overlaps in proportion to the overlap (draw large, shrink for
    // smooth edges and fine detail).
    Canvas Resampled(int width, int height) const;

    // The picture as an engine image of format Image::kR8G8B8 or Image::kR8G8B8A8. Pixels that
    // end up fully transparent take the colour of their nearest visible neighbours (up to
    // `bleed` pixels away), so that filtering and mip-mapping never pull dark fringes into
    // the edges of transparent pictures. Null for another format.
    Ptr<Image> ToImage(uint32_t format, const String& name, int bleed = 8) const;

private:
    float* Pixel(int x, int y) { return &m_pixels[(static_cast<size_t>(y) * static_cast<size_t>(m_width) + static_cast<size_t>(x)) * 4]; }
    const float* Pixel(int x, int y) const
    {
        return &m_pixels[(static_cast<size_t>(y) * static_cast<size_t>(m_width) + static_cast<size_t>(x)) * 4];
    }
    void Lay(float* pixel, Color color, float coverage, Blend blend);

    int m_width;
    int m_height;
    std::vector<float> m_pixels;  // Premultiplied R, G, B, A per pixel, rows top-down.
};

}  // namespace zen::art
