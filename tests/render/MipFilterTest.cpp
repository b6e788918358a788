#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "engine/render/MipFilter.h"

// The mip-level box filter: colour averaged in linear light (checked against ImageMagick's
// linear-light box resize), alpha and 16-bit data as stored, area weights for odd sizes,
// volumes, row pitches, and refusal of impossible levels.
namespace zen {
namespace {

using Bytes = std::vector<uint8_t>;

constexpr MipFilter::Layout kBgra8{4, 1, 0x7};   // As 8-bit textures: colour sRGB, alpha stored.
constexpr MipFilter::Layout kRgba16{4, 2, 0};    // As wide textures: everything stored.
constexpr MipFilter::Layout kGrey8{1, 1, 0x1};
constexpr MipFilter::Layout kData8{1, 1, 0};

MipFilter::Level Flat(Bytes& bytes, uint32_t width, uint32_t height, uint32_t depth, const MipFilter::Layout& layout)
{
    const size_t row = size_t{width} * layout.channels * layout.bytesPerChannel;
    bytes.resize(row * height * depth);
    return MipFilter::Level{bytes.data(), width, height, depth, row, row * height};
}

Bytes Reduce(const MipFilter::Layout& layout, Bytes source, uint32_t width, uint32_t height, uint32_t depth,
             uint32_t toWidth, uint32_t toHeight, uint32_t toDepth)
{
    Bytes target;
    const MipFilter::Level from = Flat(source, width, height, depth, layout);
    const MipFilter::Level to = Flat(target, toWidth, toHeight, toDepth, layout);
    EXPECT_EQ(MipFilter::Reduce(layout, from, to), kSuccess);
    return target;
}

// sRGB values against the published curve: 50% grey of light is sRGB 188 (187.516), sRGB 128
// is 21.586% of light.
TEST(MipFilterTest, SrgbCurveMatchesKnownPoints)
{
    EXPECT_FLOAT_EQ(MipFilter::DecodeSrgb(0), 0.0f);
    EXPECT_FLOAT_EQ(MipFilter::DecodeSrgb(255), 1.0f);
    EXPECT_NEAR(MipFilter::DecodeSrgb(128), 0.2158605f, 1e-6f);
    EXPECT_NEAR(MipFilter::DecodeSrgb(10), 0.0030353f, 1e-6f);  // On the linear toe.
    EXPECT_EQ(MipFilter::EncodeSrgb(0.5f), 188);
    EXPECT_EQ(MipFilter::EncodeSrgb(0.2158605f), 128);
    EXPECT_EQ(MipFilter::EncodeSrgb(-1.0f), 0);
    EXPECT_EQ(MipFilter::EncodeSrgb(2.0f), 255);
    for (int value = 0; value < 256; ++value)
        EXPECT_EQ(MipFilter::EncodeSrgb(MipFilter::DecodeSrgb(static_cast<uint8_t>(value))), value) << value;
}

// The filter encodes through a table of where each 8-bit value begins; it must give the
// curve's own result for every value, in particular on both sides of each step (checked
// once over every float of [0, 1]; here a dense sweep and a float either side of each value's
// decoded light and of the midpoints between neighbours, where the steps lie).
TEST(MipFilterTest, TableEncodingMatchesTheCurve)
{
    std::vector<float> probes = {-0.0f, -1e-30f, 1.0f, std::nextafter(1.0f, 0.0f), 1.5f};
    for (uint32_t i = 0; i < (1u << 18); ++i)
        probes.push_back(static_cast<float>(i) / (1u << 18));
    for (int value = 0; value < 256; ++value) {
        const float light = MipFilter::DecodeSrgb(static_cast<uint8_t>(value));
        const float next = value < 255 ? MipFilter::DecodeSrgb(static_cast<uint8_t>(value + 1)) : 1.0f;
        for (const float at : {light, 0.5f * (light + next)})
            for (const float x : {std::nextafter(at, -1.0f), at, std::nextafter(at, 2.0f)})
                probes.push_back(x);
    }
    for (const float x : probes)
        ASSERT_EQ(MipFilter::EncodeSrgbByTable(x), MipFilter::EncodeSrgb(x)) << std::hexfloat << x;
}

// Two texels into one, grey; ImageMagick: convert -colorspace RGB -filter box -resize 1x1!
// -colorspace sRGB -depth 8 (it truncates where we round, so it may be one below).
TEST(MipFilterTest, ColourIsAveragedInLinearLight)
{
    struct Case {
        uint8_t a, b;
        uint8_t imageMagick;
        uint8_t rounded;  // Hand-computed: the mean of light, encoded and rounded.
    };
    const Case cases[] = {{0, 255, 187, 188}, {50, 200, 149, 150}, {30, 90, 67, 68}, {100, 101, 100, 101}};
    for (const Case& c : cases) {
        const Bytes out = Reduce(kGrey8, {c.a, c.b}, 2, 1, 1, 1, 1, 1);
        EXPECT_EQ(out[0], c.rounded) << int{c.a} << "," << int{c.b};
        EXPECT_LE(std::abs(out[0] - c.imageMagick), 1);
    }
    // Four texels (2x2), ImageMagick 166, the mean of light encodes to 166.896.
    EXPECT_EQ(Reduce(kGrey8, {10, 20, 200, 250}, 2, 2, 1, 1, 1, 1), Bytes{167});
}

TEST(MipFilterTest, AlphaAndDataAreAveragedAsStored)
{
    // BGRA: blue 0/255 in light, green uniform, red 0/255, alpha 0/255 as stored (127.5 -> 128).
    const Bytes out = Reduce(kBgra8, {0, 77, 255, 0, 255, 77, 0, 255}, 2, 1, 1, 1, 1, 1);
    EXPECT_EQ(out, (Bytes{188, 77, 188, 128}));
    EXPECT_EQ(Reduce(kData8, {0, 255, 10, 20}, 2, 2, 1, 1, 1, 1), Bytes{71});  // 285 / 4 = 71.25
    // 16-bit little-endian: 0 and 65535 -> 32768 (32767.5 rounded up); 1000 and 3000 -> 2000.
    const Bytes wide = Reduce(kRgba16, {0, 0, 0xE8, 0x03, 0, 0, 0, 0, 0xFF, 0xFF, 0xB8, 0x0B, 0, 0, 0, 0}, 2, 1, 1,
                              1, 1, 1);
    EXPECT_EQ(wide, (Bytes{0x00, 0x80, 0xD0, 0x07, 0, 0, 0, 0}));
}

// A uniform level stays exactly uniform, every value, whatever the size ratio.
TEST(MipFilterTest, UniformLevelsStayUniform)
{
    struct Size {
        uint32_t w, h, tw, th;
    };
    for (const Size size : {Size{2, 2, 1, 1}, Size{5, 3, 2, 1}, Size{7, 1, 3, 1}, Size{1, 9, 1, 4}}) {
        for (int value = 0; value < 256; value += 5) {
            const Bytes out = Reduce(kBgra8, Bytes(size_t{size.w} * size.h * 4, static_cast<uint8_t>(value)), size.w,
                                     size.h, 1, size.tw, size.th, 1);
            for (uint8_t byte : out)
                ASSERT_EQ(byte, value) << size.w << "x" << size.h;
        }
    }
}

// Odd sizes: 5 texels into 2, each target covering two and a half (weights 0.4, 0.4, 0.2).
TEST(MipFilterTest, OddSizesWeighTheSharedTexel)
{
    EXPECT_EQ(Reduce(kData8, {0, 100, 200, 50, 250}, 5, 1, 1, 2, 1, 1), (Bytes{80, 160}));  // 40+40; 40+20+100
    EXPECT_EQ(Reduce(kData8, {30, 60, 90}, 1, 3, 1, 1, 1, 1), Bytes{60});
    // A dimension already at 1 stays; the other halves.
    EXPECT_EQ(Reduce(kData8, {10, 20, 30, 40}, 1, 4, 1, 1, 2, 1), (Bytes{15, 35}));
}

TEST(MipFilterTest, VolumesAverageAcrossSlices)
{
    // 2x2x2 -> 1x1x1: the mean of eight; 2x1x4 -> 1x1x2: pairs of slices.
    EXPECT_EQ(Reduce(kData8, {0, 10, 20, 30, 40, 50, 60, 70}, 2, 2, 2, 1, 1, 1), Bytes{35});
    EXPECT_EQ(Reduce(kData8, {0, 2, 4, 6, 100, 102, 200, 202}, 2, 1, 4, 1, 1, 2), (Bytes{3, 151}));
}

// Locked surfaces have padded rows: the pitch is followed and the padding left alone.
TEST(MipFilterTest, RowPitchesAreFollowed)
{
    Bytes source = {10, 20, 0xEE, 0xEE, 30, 40, 0xEE, 0xEE};  // 2x2, rows 4 bytes apart.
    Bytes target = {0, 0xAA, 0xAA, 0xAA};
    const MipFilter::Level from{source.data(), 2, 2, 1, 4, 8};
    const MipFilter::Level to{target.data(), 1, 1, 1, 4, 4};
    ASSERT_EQ(MipFilter::Reduce(kData8, from, to), kSuccess);
    EXPECT_EQ(target, (Bytes{25, 0xAA, 0xAA, 0xAA}));
}

TEST(MipFilterTest, ImpossibleLevelsAreRefused)
{
    Bytes a(64, 0), b(64, 0);
    const MipFilter::Level four{a.data(), 4, 4, 1, 4, 16};
    const MipFilter::Level two{b.data(), 2, 2, 1, 2, 4};
    struct Case {
        const char* what;
        MipFilter::Layout layout;
        MipFilter::Level source, target;
    };
    const Case cases[] = {
        {"no channels", {0, 1, 0}, four, two},
        {"five channels", {5, 1, 0}, four, two},
        {"three-byte channels", {1, 3, 0}, four, two},
        {"sRGB on 16-bit", {1, 2, 1}, four, two},
        {"sRGB mask past the channels", {1, 1, 2}, four, two},
        {"target larger", kData8, two, four},
        {"more than one level down", kData8, {a.data(), 8, 8, 1, 8, 64}, {b.data(), 2, 2, 1, 2, 4}},
        {"null bits", kData8, {nullptr, 4, 4, 1, 4, 16}, two},
        {"zero width", kData8, four, {b.data(), 0, 2, 1, 2, 4}},
        {"pitch below a row", kData8, {a.data(), 4, 4, 1, 3, 16}, two},
        {"slice pitch below a slice", kData8, {a.data(), 4, 2, 2, 4, 7}, {b.data(), 2, 1, 1, 2, 2}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MipFilter::Reduce(c.layout, c.source, c.target), kInvalidArgument) << c.what;
}

}  // namespace
}  // namespace zen
