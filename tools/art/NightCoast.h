#pragma once
#include <cstdint>
#include <vector>

#include "tools/art/Canvas.h"

namespace zen::art {

// Where things stand in a night-coast picture. Positions are fractions of the canvas width (x)
// and height (y) from the top-left corner; sizes are fractions of the canvas height, so one
// layout reads the same at any resolution.
struct CoastLayout {
    float horizon = 0.62f;             // The sea's horizon.
    Vec2 moon = {0.82f, 0.33f};        // Centre of the moon.
    float moonRadius = 0.04f;
    float towerX = 0.20f;              // Axis of the lighthouse.
    float towerBase = 0.52f;           // Where the tower stands on the headland.
    float towerHeight = 0.27f;         // Base to gallery.
    float headlandEnd = 0.47f;         // x where the headland's slope reaches the sea.
    float headlandShore = 0.10f;       // How far below the horizon its waterline runs at x = 0.
    float beamDegrees = -17;            // Main beam, counter-clockwise from pointing right.
    float beamReach = 1.0f;            // Fade length of the main beam, canvas widths.
    float rockHeight = 0.13f;          // Foreground rocks along the bottom edge; 0 for none.
    float starDensity = 1.0f;          // Relative number of stars.
    float vignette = 0.35f;            // Darkening towards the corners, 0..1.
    uint32_t seed = 20261206;
};

// Paints the Lighthouse night scene onto a canvas: sky with stars, a faint Milky Way and thin
// clouds, the moon with its halo, the sea with perspective waves and the moon's glitter path, a
// rocky headland with a banded lighthouse and the keeper's house, the lamp's glow and beams,
// and dark foreground rocks washed by foam. Everything is computed from the layout, the canvas
// size and the seed, so the same call always gives the same pixels.
class NightCoast {
public:
    NightCoast(Canvas& canvas, const CoastLayout& layout);

    // The whole scene, back to front.
    void Paint();

    // Pixel positions the recipes place lettering and ornaments around.
    Vec2 LampCentre() const { return m_lamp; }
    Vec2 MoonCentre() const { return m_moon; }
    float HorizonY() const { return m_horizonY; }

private:
    // Layers, in painting order.
    void PaintSky();
    void PaintMilkyWay();
    void PaintStars();
    void PaintClouds();
    void PaintMoon();
    void PaintFarShore();
    void PaintSea();
    void PaintHeadland();
    void PaintHouse();
    void PaintTower();
    void PaintLight();
    void PaintRocks();
    void PaintVignette();

    // Helpers
    float Px(float heightFraction) const { return heightFraction * m_h; }
    // A jagged line from `from` to `to`: pieces + 1 points moved up or down by fractal noise of
    // up to `roughness` pixels, pinned at both ends.
    std::vector<Vec2> RoughLine(Vec2 from, Vec2 to, int pieces, float roughness, uint32_t seed) const;
    // Moonlit rim of a silhouette: the part of `shape` whose neighbourhood towards the moon is open.
    Mask Rim(const Mask& shape, float width) const;
    void AddFoam(const std::vector<Vec2>& line, float width, float strength, uint32_t seed);

    Canvas& m_canvas;
    CoastLayout m_layout;
    float m_w;         // Canvas size, pixels.
    float m_h;
    float m_horizonY;  // Pixels.
    Vec2 m_moon;       // Pixels.
    float m_moonRadius;
    Vec2 m_lamp;       // Centre of the lantern, pixels.
    float m_towerTop;  // y of the gallery floor, pixels.
    std::vector<Vec2> m_headlandTop;  // Ridge line of the headland, left to right.
};

}  // namespace zen::art
