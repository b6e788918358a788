#pragma once
#include "tools/art/Canvas.h"

namespace zen::art {

// The maker's mark: a gem folded into four facets of gold, lit from the upper left, with a
// four-pointed spark of light on its upper edge ("bright" and "fold"). Drawn at any size; the
// loading screen's corner and the About box's logo use it.
class BrightfoldMark {
public:
    // The mark centred on `centre`, `size` pixels tall (the spark reaches a little beyond).
    static void Draw(Canvas& canvas, Vec2 centre, float size);
    // A four-pointed spark: arms of `radius` pixels, waist `waist` × radius.
    static void DrawSpark(Canvas& canvas, Vec2 centre, float radius, float waist, Color color);
};

}  // namespace zen::art
