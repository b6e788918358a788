#pragma once
#include "tools/art/Canvas.h"

namespace zen::art {

// "loader.jpg": the loading screen's background, stretched over the whole screen while the
// scene loads. The night coast with the lighthouse, and the product's name lettered in the sky
// between the corner ornaments, which the saver draws on top at their own pixel size.
class LoaderPicture {
public:
    static constexpr int kWidth = 1024;
    static constexpr int kHeight = 768;

    static Canvas Draw();
};

}  // namespace zen::art
