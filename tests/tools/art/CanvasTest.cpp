#include <gtest/gtest.h>

#include <cmath>

#include "tools/art/Canvas.h"

namespace zen::art {
namespace {

Mask Full(int width, int height, float coverage = 1)
{
    Mask mask(width, height);
    mask.Apply([coverage](int, int, float) { return coverage; });
    return mask;
}

TEST(CanvasBlend, OverMixesByAlphaAndCoverage)
{
    Canvas canvas(2, 1, Color(0, 0, 1, 1));
    canvas.Draw(Full(2, 1, 0.5f), Color(1, 0, 0, 0.5f));
    const Color c = canvas.At(0, 0);
    EXPECT_NEAR(c.r, 0.25f, 1e-6);
    EXPECT_NEAR(c.b, 0.75f, 1e-6);
    EXPECT_NEAR(c.a, 1.0f, 1e-6);
}

TEST(CanvasBlend, OverOnTransparentKeepsTheColourAndBuildsAlpha)
{
    Canvas canvas(1, 1);
    canvas.Draw(Full(1, 1), Color(0.2f, 0.4f, 0.6f, 0.5f));
    canvas.Draw(Full(1, 1), Color(0.2f, 0.4f, 0.6f, 0.5f));
    const Color c = canvas.At(0, 0);
    EXPECT_NEAR(c.a, 0.75f, 1e-6);
    EXPECT_NEAR(c.r, 0.2f, 1e-6);  // Straight colour unchanged by stacking the same colour.
    EXPECT_NEAR(c.b, 0.6f, 1e-6);
}

TEST(CanvasBlend, AddingLightBrightensWithoutDarkening)
{
    Canvas canvas(1, 1, Color(0.5f, 0.1f, 0.0f, 1));
    canvas.Draw(Full(1, 1), Color(0.25f, 0.5f, 0.5f, 1), Canvas::Blend::kAdd);
    const Color c = canvas.At(0, 0);
    EXPECT_NEAR(c.r, 0.75f, 1e-6);
    EXPECT_NEAR(c.g, 0.6f, 1e-6);
    EXPECT_NEAR(c.b, 0.5f, 1e-6);
}

TEST(CanvasBlend, SplatIsAGaussianOfTheGivenPeak)
{
    Canvas canvas(21, 21, Color(0, 0, 0, 1));
    canvas.Splat({10.5f, 10.5f}, 2, Color(1, 1, 1, 0.8f));
    EXPECT_NEAR(canvas.At(10, 10).g, 0.8f, 1e-5);
    EXPECT_NEAR(canvas.At(12, 10).g, 0.8f * std::exp(-0.5f), 1e-5);
    EXPECT_EQ(canvas.At(0, 10).g, 0.0f);  // Beyond three sigma.
    canvas.Splat({10.5f, 10.5f}, 4, 1, Color(1, 1, 1, 1));
    EXPECT_GT(canvas.At(14, 10).g, canvas.At(10, 14).g);
}

TEST(CanvasResample, AveragesAreasAndKeepsTheMean)
{
    Canvas canvas(4, 2);
    canvas.Fill([](Vec2 p) { return p.x < 2 ? Color(1, 0, 0, 1) : Color(0, 0, 1, 0); });
    const Canvas half = canvas.Resampled(2, 1);
    EXPECT_NEAR(half.At(0, 0).r, 1.0f, 1e-6);
    EXPECT_NEAR(half.At(1, 0).a, 0.0f, 1e-6);
    const Canvas one = canvas.Resampled(1, 1);
    // Premultiplied averaging: half the area is opaque red, half fully transparent.
    EXPECT_NEAR(one.At(0, 0).a, 0.5f, 1e-6);
    EXPECT_NEAR(one.At(0, 0).r, 1.0f, 1e-6);
    EXPECT_NEAR(one.At(0, 0).b, 0.0f, 1e-6);

    Canvas odd(5, 3);
    odd.Fill([](Vec2 p) { return Color(p.x / 5, p.y / 3, 0.5f, 1); });
    const Canvas shrunk = odd.Resampled(3, 2);
    float sumIn = 0;
    float sumOut = 0;
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x)
            sumIn += odd.At(x, y).r;
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            sumOut += shrunk.At(x, y).r;
    EXPECT_NEAR(sumIn / 15, sumOut / 6, 1e-5);
}

TEST(CanvasImage, RowsGoBottomUpInRgbOrder)
{
    Canvas canvas(2, 2);
    canvas.Fill([](Vec2 p) { return p.y < 1 ? Color(1, 0, 0, 1) : Color(0, 0, 1, 1); });  // Red on top.
    Ptr<Image> rgb = canvas.ToImage(Image::kR8G8B8, String("rgb"));
    ASSERT_TRUE(rgb);
    EXPECT_EQ(rgb->Width(), 2u);
    EXPECT_EQ(rgb->Format(), static_cast<uint32_t>(Image::kR8G8B8));
    const uint8_t* bottom = rgb->Data();
    const uint8_t* top = rgb->Data() + 6;
    EXPECT_EQ(bottom[0], 0);
    EXPECT_EQ(bottom[2], 255);
    EXPECT_EQ(top[0], 255);
    EXPECT_EQ(top[2], 0);
    EXPECT_FALSE(canvas.ToImage(Image::kA8, String("grey")));
}

TEST(CanvasImage, FullyTransparentPixelsTakeTheirNeighboursColour)
{
    Canvas canvas(6, 1);
    Mask left(6, 1);
    left.Row(0)[0] = 1;
    left.Row(0)[1] = 0.5f;
    canvas.Draw(left, Color(1.0f, 0.5f, 0.0f, 1));
    Ptr<Image> image = canvas.ToImage(Image::kR8G8B8A8, String("bleed"), 3);
    ASSERT_TRUE(image);
    const uint8_t* p = image->Data();
    EXPECT_EQ(p[0 * 4 + 3], 255);
    EXPECT_EQ(p[1 * 4 + 0], 255);  // Half covered: the straight colour, not darkened.
    EXPECT_NEAR(p[1 * 4 + 3], 128, 1);
    for (int x = 2; x <= 4; ++x) {  // Bled three pixels out, invisible.
        EXPECT_EQ(p[x * 4 + 0], 255) << x;
        EXPECT_NEAR(p[x * 4 + 1], 128, 1) << x;
        EXPECT_EQ(p[x * 4 + 3], 0) << x;
    }
    EXPECT_EQ(p[5 * 4 + 0], 0);  // Beyond the bleed distance.
}

TEST(CanvasImage, DitherKeepsTheMeanOfInBetweenLevels)
{
    Canvas canvas(32, 32, Color(0.3f / 255.0f + 100.0f / 255.0f, 0, 0, 1));
    Ptr<Image> image = canvas.ToImage(Image::kR8G8B8, String("flat"));
    ASSERT_TRUE(image);
    int sum = 0;
    for (uint32_t i = 0; i < 32 * 32; ++i) {
        const int v = image->Data()[i * 3];
        EXPECT_TRUE(v == 100 || v == 101) << v;
        sum += v;
    }
    EXPECT_NEAR(static_cast<double>(sum) / 1024.0, 100.3, 0.02);
    // Out-of-range light is clamped, not wrapped.
    Canvas bright(1, 1, Color(3, -1, 0.5f, 1));
    Ptr<Image> clamped = bright.ToImage(Image::kR8G8B8, String("bright"));
    EXPECT_EQ(clamped->Data()[0], 255);
    EXPECT_EQ(clamped->Data()[1], 0);
}

}  // namespace
}  // namespace zen::art
