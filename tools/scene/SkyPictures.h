#pragma once
#include "engine/core/Ptr.h"
#include "engine/scene/Image.h"

namespace zen::scene {

// The pictures of the sky and the sea: the sky dome (an equirectangular map: u once around from
// +x towards +z, v from the zenith down to the nadir, so it lies on a lathe sphere), the moon
// with its halo, and a tile of moonlit sea.
class SkyPictures {
public:
    static constexpr int kSkyWidth = 2048, kSkyHeight = 1024;
    static constexpr int kMoonSize = 256;
    static constexpr int kSeaSize = 256;

    static Ptr<Image> Sky(const char* fileName);
    static Ptr<Image> Moon(const char* fileName);
    static Ptr<Image> Sea(const char* fileName) { return SeaAt(fileName, 0.0f); }
    // The sea with its waves moved on by `phase` (0-1) of their cycle: the swell one picture
    // across, the chop one picture down, so that phase 1 is phase 0 again.
    static Ptr<Image> SeaAt(const char* fileName, float phase);
    static constexpr int kSeaFrames = 16;
};

}  // namespace zen::scene
