#pragma once
#include "engine/core/Ptr.h"
#include "engine/core/Vector3.h"
#include "engine/scene/Image.h"
#include "engine/scene/VolumeImage.h"

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

    // The sea's relief as a tangent-space normal map (n * 0.5 + 0.5 in RGB, +z up out of the
    // water): swells and chop that tile without a seam, for the water's drifting layers.
    static constexpr int kWaveSize = 256;
    static Ptr<Image> SeaNormals(const char* fileName);

    // The night's clouds as a density in alpha (white colour), tiling without a seam: billows
    // of a few cycles over the tile with finer wisps; roughly half the tile is clear sky.
    static constexpr int kCloudSize = 256;
    static Ptr<Image> CloudDensity(const char* fileName);
    // The sky seen from the middle of the sea as a cube map (faces +x, -x, +y, -y, +z, -z, each
    // looked at from inside the way the device samples them), drawn from `sky` (the dome's
    // picture) with the moon's disc added where it hangs, so that the water mirrors both.
    static constexpr int kCubeSize = 128;
    static Ptr<VolumeImage> SkyCube(const char* fileName, const Image& sky);
    // The direction from the cube's centre through texel (x, y) of `face`.
    static Vector3 CubeDirection(int face, float x, float y, int size);
};

}  // namespace zen::scene
