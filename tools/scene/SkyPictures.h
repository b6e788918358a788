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
    static Ptr<Image> Sea(const char* fileName);
};

}  // namespace zen::scene
