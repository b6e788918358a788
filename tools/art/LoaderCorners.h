#pragma once
#include "tools/art/Canvas.h"

namespace zen::art {

// The four ornaments the loading screen draws over its background, each at its own pixel size
// and flush with its corner of the screen: the maker's mark with "BRIGHTFOLD presents" (top
// left), a compass rose (top right), "Loading..." (bottom left) and a small lighthouse over
// waves (bottom right). Each sits on a soft dark backing that fades out before the picture's
// inner edges, and a thin gold frame line runs along its two screen edges, so the ornaments
// read on any background and show no rectangle.
class LoaderCorners {
public:
    enum class Corner { kLeftDown, kRightDown, kLeftUp, kRightUp };

    static int Width(Corner corner);
    static int Height(Corner corner);
    static Canvas Draw(Corner corner);
};

}  // namespace zen::art
