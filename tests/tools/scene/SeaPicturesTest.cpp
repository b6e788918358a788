#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "tools/scene/NightLight.h"
#include "tools/scene/SkyPictures.h"

namespace zen::scene {
namespace {

// Where the device looks for each face's texels (the usual cube-map convention): the face's
// axis at its middle, its first column towards `left` and its first row towards `up`.
TEST(SkyCube, FacesLookWhereTheDeviceSamplesThem)
{
    const struct {
        int face;
        Vector3 axis, left, up;
    } faces[] = {
        {0, {1, 0, 0}, {0, 0, 1}, {0, 1, 0}},   {1, {-1, 0, 0}, {0, 0, -1}, {0, 1, 0}},
        {2, {0, 1, 0}, {-1, 0, 0}, {0, 0, -1}}, {3, {0, -1, 0}, {-1, 0, 0}, {0, 0, 1}},
        {4, {0, 0, 1}, {-1, 0, 0}, {0, 1, 0}},  {5, {0, 0, -1}, {1, 0, 0}, {0, 1, 0}},
    };
    constexpr int n = 8;
    for (const auto& f : faces) {
        SCOPED_TRACE(f.face);
        // Between the four middle texels: the axis itself.
        const Vector3 middle = SkyPictures::CubeDirection(f.face, 3.5f, 3.5f, n);
        EXPECT_GT(middle.Dot(f.axis), 0.9999f);
        // The first column's middle leans 45 degrees less half a texel towards `left`.
        const Vector3 edge = SkyPictures::CubeDirection(f.face, 0, 3.5f, n);
        EXPECT_NEAR(edge.Dot(f.left), std::sin(std::atan(0.875f)), 1e-4f);
        const Vector3 top = SkyPictures::CubeDirection(f.face, 3.5f, 0, n);
        EXPECT_NEAR(top.Dot(f.up), std::sin(std::atan(0.875f)), 1e-4f);
    }
}

// A dome picture whose red grows from the zenith (row 0) to the nadir and whose green grows
// once around from +x towards +z: each face's middle must read back where it looks.
TEST(SkyCube, ReadsTheDomePictureAlongEachFaceAndAddsTheMoon)
{
    constexpr uint32_t w = 256, h = 128;
    Image sky(String("test.tga"), Image::kR8G8B8, w, h);
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x) {
            uint8_t* p = sky.Data() + (y * w + x) * 3;
            p[0] = static_cast<uint8_t>(std::lround((y + 0.5f) / h * 255));
            p[1] = static_cast<uint8_t>(std::lround((x + 0.5f) / w * 255));
            p[2] = 40;
        }
    Ptr<VolumeImage> cube = SkyPictures::SkyCube("sky.cube", sky);
    ASSERT_TRUE(cube);
    ASSERT_EQ(cube->Depth(), 6u);
    constexpr int n = SkyPictures::kCubeSize;
    auto texel = [&](int face, int x, int y) { return cube->Slice(static_cast<uint32_t>(face)) + (y * n + x) * 3; };
    const struct {
        int face;
        int red, green;  // -1: any (the azimuth is undefined straight up and down).
    } middles[] = {{0, 128, -1}, {1, 128, 128}, {2, 0, -1}, {3, 255, -1}, {4, 128, 64}, {5, 128, 191}};
    for (const auto& m : middles) {
        SCOPED_TRACE(m.face);
        const uint8_t* p = texel(m.face, n / 2, n / 2);
        EXPECT_NEAR(p[0], m.red, 3);
        if (m.green >= 0) {
            EXPECT_NEAR(p[1], m.green, 3);
        }
        EXPECT_EQ(p[2], 40);
    }
    // The brightest texel is the moon's disc, in the moon's direction.
    int best = -1, bx = 0, by = 0, peak = -1;
    for (int face = 0; face < 6; ++face)
        for (int y = 0; y < n; ++y)
            for (int x = 0; x < n; ++x)
                if (texel(face, x, y)[2] > peak)
                    peak = texel(face, x, y)[2], best = face, bx = x, by = y;
    EXPECT_GT(peak, 200);
    const Vector3 d = SkyPictures::CubeDirection(best, static_cast<float>(bx), static_cast<float>(by), n);
    EXPECT_GT(d.Dot(NightLight::MoonDirection()), std::cos(0.03f));
    // A picture without pixels gives no cube.
    Image empty;
    EXPECT_FALSE(SkyPictures::SkyCube("sky.cube", empty));
}

// The wave relief: unit normals leaning no way on average, never steeper than a wave can be,
// and the tile's opposite edges continue each other as smoothly as neighbours do.
TEST(SeaNormals, UnitLevelOnAverageAndSeamless)
{
    Ptr<Image> normals = SkyPictures::SeaNormals("sea_normal.tga");
    ASSERT_TRUE(normals);
    constexpr int s = SkyPictures::kWaveSize;
    auto decode = [&](int x, int y) {
        const uint8_t* p = normals->Data() + (y * s + x) * 3;
        return Vector3{p[0] / 127.5f - 1, p[1] / 127.5f - 1, p[2] / 127.5f - 1};
    };
    double sx = 0, sy = 0;
    float steepest = 1, seam = 0, inside = 0;
    for (int y = 0; y < s; ++y)
        for (int x = 0; x < s; ++x) {
            const Vector3 n = decode(x, y);
            ASSERT_NEAR(std::sqrt(n.Dot(n)), 1.0f, 0.02f) << x << "," << y;
            sx += n.x, sy += n.y;
            steepest = std::min(steepest, n.z);
            if (x + 1 < s)
                inside = std::max(inside, std::fabs(decode(x + 1, y).x - n.x));
            else
                seam = std::max(seam, std::fabs(decode(0, y).x - n.x));
        }
    EXPECT_NEAR(sx / (s * s), 0.0, 0.02);
    EXPECT_NEAR(sy / (s * s), 0.0, 0.02);
    EXPECT_GT(steepest, 0.5f);
    EXPECT_LT(steepest, 0.98f);  // There are waves.
    EXPECT_LE(seam, inside * 1.05f);
}

// The cloud density: white, part clear sky and part cloud at the coverage the scene draws it
// with (0.48), and the tile's opposite edges meet as smoothly as neighbouring texels do.
TEST(CloudDensity, PartlyCloudedAndSeamless)
{
    Ptr<Image> clouds = SkyPictures::CloudDensity("clouds.tga");
    ASSERT_TRUE(clouds);
    constexpr int s = SkyPictures::kCloudSize;
    auto alpha = [&](int x, int y) { return clouds->Data()[(y * s + x) * 4 + 3]; };
    int clouded = 0, inside = 0, seam = 0;
    for (int y = 0; y < s; ++y)
        for (int x = 0; x < s; ++x) {
            ASSERT_EQ(clouds->Data()[(y * s + x) * 4], 255);
            clouded += alpha(x, y) > 0.48f * 255;
            const int right = std::abs(alpha((x + 1) % s, y) - alpha(x, y));
            (x + 1 < s ? inside : seam) = std::max(x + 1 < s ? inside : seam, right);
        }
    EXPECT_GT(clouded, s * s / 5);
    EXPECT_LT(clouded, s * s * 4 / 5);
    EXPECT_LE(seam, inside);
}

}  // namespace
}  // namespace zen::scene
