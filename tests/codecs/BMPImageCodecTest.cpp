#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "engine/core/Ptr.h"
#include "engine/modules/CodecManager.h"
#include "engine/scene/Image.h"
#include "engine/vfs/File.h"
#include "modules/codecs/BMPImageCodec.h"
#include "support/LogCapture.h"
#include "tests/codecs/ImageTestSupport.h"
#include "support/RequiredTool.h"

namespace zen::test {
namespace {

uint32_t GetUInt(const std::vector<uint8_t>& bytes, size_t at)
{
    return uint32_t{bytes[at]} | uint32_t{bytes[at + 1]} << 8 | uint32_t{bytes[at + 2]} << 16 |
           uint32_t{bytes[at + 3]} << 24;
}

void PutUInt(std::vector<uint8_t>& bytes, size_t at, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

// A bitmap written by hand: 24-bit, `width` × `height`, pixel (x, y) from the bottom row being
// B = x, G = y, R = 200, each row padded to 4 bytes.
std::vector<uint8_t> HandMadeBitmap(uint32_t width, uint32_t height)
{
    const uint32_t stride = (width * 3 + 3) & ~3u;
    std::vector<uint8_t> bytes(54 + stride * height, 0);
    bytes[0] = 'B';
    bytes[1] = 'M';
    PutUInt(bytes, 2, static_cast<uint32_t>(bytes.size()));
    PutUInt(bytes, 10, 54);
    PutUInt(bytes, 14, 40);
    PutUInt(bytes, 18, width);
    PutUInt(bytes, 22, height);
    bytes[26] = 1;
    bytes[28] = 24;
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x) {
            uint8_t* pixel = &bytes[54 + y * stride + x * 3];
            pixel[0] = static_cast<uint8_t>(x);
            pixel[1] = static_cast<uint8_t>(y);
            pixel[2] = 200;
        }
    return bytes;
}

class BMPImageCodecTest : public ::testing::Test {
protected:
    test::ImageCodecScope codecs;
    test::TempFolder folder;
};

// ImageMagick's 24-bit bitmaps of widths 1 to 4 cover every amount of row padding (3, 2, 1, 0
// bytes); the decode must give the source pixels, bottom row first, in R, G, B order.
TEST_F(BMPImageCodecTest, Reads24BitBitmapsOfEveryRowPadding)
{
    ZEN_REQUIRE_TOOL("convert", "the imagemagick package (scripts/setup.sh)");
    for (uint32_t width = 1; width <= 5; ++width) {
        const uint32_t height = 3;
        const std::vector<uint8_t> source = Pattern(width * height * 3, width);
        const std::string path = folder.Path("c" + std::to_string(width) + ".bmp");
        ASSERT_TRUE(Magick::Make(source, "rgb", width, height, "", "BMP3:" + path));
        const std::vector<uint8_t> bytes = test::ReadFileBytes(path);
        ASSERT_EQ(bytes[28], 24) << "ImageMagick wrote another bit count";

        Ptr<Image> image = new Image();
        ASSERT_EQ(test::DecodeFile(path, image.Get()), kSuccess) << width;
        EXPECT_EQ(image->Format(), Image::kR8G8B8);
        EXPECT_EQ(image->Width(), width);
        EXPECT_EQ(image->Height(), height);
        EXPECT_EQ(FlippedRows(*image), source) << "width " << width;
        EXPECT_EQ(FlippedRows(*image), Magick::Pixels(path, "rgb")) << "width " << width;
    }
}

// 8-bit bitmaps keep the palette index as the grey value; mapping the indices through the
// file's own colour table must give back the picture.
TEST_F(BMPImageCodecTest, Reads8BitBitmapsAsIndicesOfEveryRowPadding)
{
    ZEN_REQUIRE_TOOL("convert", "the imagemagick package (scripts/setup.sh)");
    for (uint32_t width = 1; width <= 5; ++width) {
        const uint32_t height = 24;  // Enough greys that ImageMagick needs 8 bits per index.
        const std::vector<uint8_t> source = Pattern(width * height, 100 + width);
        const std::string path = folder.Path("p" + std::to_string(width) + ".bmp");
        ASSERT_TRUE(Magick::Make(source, "gray", width, height, "-type Palette -compress None", "BMP3:" + path));
        const std::vector<uint8_t> bytes = test::ReadFileBytes(path);
        ASSERT_EQ(bytes[28], 8) << "ImageMagick wrote another bit count";
        const uint32_t table = 14 + GetUInt(bytes, 14);

        Ptr<Image> image = new Image();
        ASSERT_EQ(test::DecodeFile(path, image.Get()), kSuccess) << width;
        EXPECT_EQ(image->Format(), Image::kA8);
        ASSERT_EQ(image->GetDataSize(), width * height);
        std::vector<uint8_t> shown = FlippedRows(*image);
        for (uint8_t& index : shown) {
            ASSERT_LT(table + 4u * index + 2, bytes.size());
            index = bytes[table + 4 * index + 1];  // Grey entries: blue = green = red.
        }
        // ImageMagick may round greys when it builds the palette, so the reference is its own
        // reading of the file rather than the source.
        EXPECT_EQ(shown, Magick::Pixels(path, "gray")) << "width " << width;
    }
}

TEST_F(BMPImageCodecTest, TopDownBitmapsAreTurnedBottomUp)
{
    const uint32_t width = 3;
    const uint32_t height = 4;
    const std::vector<uint8_t> bottomUp = HandMadeBitmap(width, height);
    // The same picture stored top row first, as a negative height says.
    std::vector<uint8_t> topDown = bottomUp;
    PutUInt(topDown, 22, static_cast<uint32_t>(-static_cast<int32_t>(height)));
    const uint32_t stride = 12;
    for (uint32_t y = 0; y < height; ++y)
        std::memcpy(&topDown[54 + y * stride], &bottomUp[54 + (height - 1 - y) * stride], stride);

    Ptr<Image> expected = new Image();
    Ptr<Image> image = new Image();
    ASSERT_EQ(test::DecodeBytes(bottomUp, "up.bmp", expected.Get()), kSuccess);
    ASSERT_EQ(test::DecodeBytes(topDown, "down.bmp", image.Get()), kSuccess);
    ASSERT_EQ(image->Height(), height);
    EXPECT_EQ(PixelsOf(*image), PixelsOf(*expected));
    // Bottom row, second pixel: R = 200, G = row 0, B = column 1.
    EXPECT_EQ(image->Data()[3], 200);
    EXPECT_EQ(image->Data()[4], 0);
    EXPECT_EQ(image->Data()[5], 1);
}

TEST_F(BMPImageCodecTest, RefusesWhatItCannotRead)
{
    ZEN_REQUIRE_TOOL("convert", "the imagemagick package (scripts/setup.sh)");
    struct Case {
        const char* options;
        const char* map;
        const char* expected;
    } cases[] = {
        {"-define bmp3:alpha=true", "rgba", "Неподдерживаемая глубина цвета BMP [32] в файле ["},
        {"-type Palette", "gray", "Неподдерживаемое сжатие BMP [1] в файле ["},  // RLE8.
        {"-type Palette -colors 4 -compress None", "gray", "Неподдерживаемая глубина цвета BMP [4] в файле ["},
    };
    int index = 0;
    for (const Case& c : cases) {
        const uint32_t channels = std::string(c.map) == "rgba" ? 4 : 1;
        std::vector<uint8_t> source = Pattern(8 * 8 * channels, 7);
        if (channels == 4)
            for (size_t at = 3; at < source.size(); at += 4)
                source[at] = 128;  // Real transparency, so the alpha channel is kept.
        const std::string path = folder.Path("refused" + std::to_string(index++) + ".bmp");
        ASSERT_TRUE(Magick::Make(source, c.map, 8, 8, c.options, "BMP3:" + path));
        Ptr<Image> image = new Image(String("before"), Image::kA8, 2, 2);
        test::LogCapture log;
        EXPECT_EQ(test::DecodeFile(path, image.Get()), kFailure) << c.options;
        EXPECT_TRUE(log.ContainsText(c.expected)) << log.Joined();
        EXPECT_TRUE(log.Contains("ERROR. Неудачна загрузка изображения [before].")) << log.Joined();
        EXPECT_EQ(image->Width(), 2u);  // Unchanged.
        EXPECT_EQ(image->Format(), Image::kA8);
    }
}

TEST_F(BMPImageCodecTest, DamagedHeadersFailWithTheirReason)
{
    const std::vector<uint8_t> good = HandMadeBitmap(5, 3);
    struct Case {
        const char* what;
        size_t at;
        uint32_t value;
        const char* expected;
    } cases[] = {
        {"signature", 0, 0x4D41, "ERROR. Файл [bad.bmp] не является изображением BMP."},
        {"header size", 14, 12, "ERROR. Неподдерживаемый размер заголовка BMP [12] в файле [bad.bmp]."},
        {"bit count", 28, 16, "ERROR. Неподдерживаемая глубина цвета BMP [16] в файле [bad.bmp]."},
        {"compression", 30, 1, "ERROR. Неподдерживаемое сжатие BMP [1] в файле [bad.bmp]."},
        {"width 0", 18, 0, "ERROR. Недопустимые размеры изображения [0 x 3] в файле [bad.bmp]."},
        {"height 0", 22, 0, "ERROR. Недопустимые размеры изображения [5 x 0] в файле [bad.bmp]."},
        {"negative width", 18, 0xFFFFFFFB, "ERROR. Недопустимые размеры изображения [-5 x 3] в файле [bad.bmp]."},
        {"absurd width", 18, 0x7FFFFFFF,
         "ERROR. Недопустимые размеры изображения [2147483647 x 3] в файле [bad.bmp]."},
        {"lowest height", 22, 0x80000000,
         "ERROR. Недопустимые размеры изображения [5 x 2147483648] в файле [bad.bmp]."},
        {"offset inside the header", 10, 20, "ERROR. Неверное смещение данных BMP [20] в файле [bad.bmp]."},
        {"offset past the end", 10, 100000, "ERROR. Неверное смещение данных BMP [100000] в файле [bad.bmp]."},
        {"more rows than the file holds", 22, 4, "ERROR. Недостаточно данных изображения в файле [bad.bmp]."},
        {"wider than the file holds", 18, 1000, "ERROR. Недостаточно данных изображения в файле [bad.bmp]."},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> bytes = good;
        if (std::string(c.what) == "signature" || std::string(c.what) == "bit count") {
            bytes[c.at] = static_cast<uint8_t>(c.value);
            bytes[c.at + 1] = static_cast<uint8_t>(c.value >> 8);
        } else {
            PutUInt(bytes, c.at, c.value);
        }
        test::ExpectRefused(bytes, "bad.bmp", c.expected, c.what);
    }
}

// Every cut fails, except within the last row's padding, which may be missing.
TEST_F(BMPImageCodecTest, EveryCutFailsExceptInTheLastRowsPadding)
{
    const std::vector<uint8_t> good = HandMadeBitmap(3, 3);  // 54 + 3 × 12 bytes, 3 of each row padding.
    Ptr<Image> whole = new Image();
    ASSERT_EQ(test::DecodeBytes(good, "whole.bmp", whole.Get()), kSuccess);
    for (size_t size = 0; size < good.size(); ++size) {
        const std::vector<uint8_t> bytes(good.begin(), good.begin() + static_cast<long>(size));
        if (size + 3 >= good.size()) {
            Ptr<Image> image = new Image();
            ASSERT_EQ(test::DecodeBytes(bytes, "short.bmp", image.Get()), kSuccess) << size;
            EXPECT_EQ(PixelsOf(*image), PixelsOf(*whole)) << size;
            continue;
        }
        test::ExpectRefused(bytes, "cut.bmp",
                            size < 54 ? "ERROR. Неполный заголовок изображения BMP в файле [cut.bmp]."
                                      : "ERROR. Недостаточно данных изображения в файле [cut.bmp].",
                            std::to_string(size));
    }
}

TEST_F(BMPImageCodecTest, EncodesWhatItAndOtherProgramsReadBack)
{
    for (const uint32_t format : {Image::kR8G8B8, Image::kA8}) {
        for (uint32_t width = 1; width <= 5; ++width) {
            const uint32_t height = 3;
            const uint32_t size = width * height * Image::BytesPerPixel(format);
            const std::vector<uint8_t> pixels = Pattern(size, width + 10 * format);
            Ptr<Image> image = test::ImageOf("source", format, width, height, pixels);
            const std::string path = folder.Path("out" + std::to_string(format) + std::to_string(width) + ".bmp");
            ASSERT_EQ(test::EncodeFile("BMPImageCodec", image.Get(), path), kSuccess);

            Ptr<Image> back = new Image();
            ASSERT_EQ(test::DecodeFile(path, back.Get()), kSuccess);
            EXPECT_EQ(back->Format(), format);
            EXPECT_EQ(back->Width(), width);
            EXPECT_EQ(back->Height(), height);
            EXPECT_EQ(PixelsOf(*back), pixels);
            if (UseTool("convert", "the imagemagick package (scripts/setup.sh)")) {
                EXPECT_EQ(Magick::Pixels(path, format == Image::kA8 ? "gray" : "rgb"), FlippedRows(*image))
                    << "format " << format << " width " << width;
            }
        }
    }
}

// Four bytes per pixel make a 32-bit bitmap (B, G, R, A), which other programs read; this
// decoder keeps refusing 32-bit files.
TEST_F(BMPImageCodecTest, EncodesRgbaImagesAs32BitBitmaps)
{
    const uint32_t width = 3, height = 2;
    const std::vector<uint8_t> pixels = Pattern(width * height * 4, 77);
    Ptr<Image> image = test::ImageOf("rgba", Image::kR8G8B8A8, width, height, pixels);
    std::vector<uint8_t> bytes;
    ASSERT_EQ(BMPImageCodec::EncodeBytes(image.Get(), bytes), kSuccess);
    ASSERT_EQ(bytes.size(), 54u + width * height * 4);  // 12-byte rows need no padding.
    EXPECT_EQ(GetUInt(bytes, 2), bytes.size());
    EXPECT_EQ(GetUInt(bytes, 10), 54u);
    EXPECT_EQ(bytes[28], 32);
    EXPECT_EQ(GetUInt(bytes, 30), 0u);  // No compression.
    EXPECT_EQ(GetUInt(bytes, 46), 0u);  // No colour table.
    for (size_t at = 0; at < pixels.size(); at += 4) {
        EXPECT_EQ(bytes[54 + at], pixels[at + 2]) << at;
        EXPECT_EQ(bytes[54 + at + 1], pixels[at + 1]) << at;
        EXPECT_EQ(bytes[54 + at + 2], pixels[at]) << at;
        EXPECT_EQ(bytes[54 + at + 3], pixels[at + 3]) << at;
    }
    const std::string path = folder.Path("rgba.bmp");
    ASSERT_EQ(test::EncodeFile("BMPImageCodec", image.Get(), path), kSuccess);
    EXPECT_EQ(test::ReadFileBytes(path), bytes);
    if (UseTool("convert", "the imagemagick package (scripts/setup.sh)")) {
        const std::vector<uint8_t> rgba = FlippedRows(*image);
        std::vector<uint8_t> rgb;
        for (size_t at = 0; at < rgba.size(); at += 4)
            rgb.insert(rgb.end(), rgba.begin() + static_cast<long>(at), rgba.begin() + static_cast<long>(at) + 3);
        EXPECT_EQ(Magick::Pixels(path, "rgb"), rgb);
    }
    Ptr<Image> back = new Image();
    test::LogCapture log;
    EXPECT_EQ(test::DecodeFile(path, back.Get()), kFailure);
    EXPECT_TRUE(log.ContainsText("Неподдерживаемая глубина цвета BMP [32]")) << log.Joined();
}

TEST_F(BMPImageCodecTest, EncodeRefusesOtherFormatsAndEmptyImages)
{
    const std::string path = folder.Path("never.bmp");
    ExpectEncodeRefused("BMPImageCodec", Ptr<Image>(new Image(String("wide"), Image::kA16B16G16R16, 2, 2)).Get(), path,
                        "Неподдерживаемый формат изображения [3] для кодека [BMPImageCodec]. Имя[wide]");
    Ptr<Image> empty = new Image();
    ExpectEncodeRefused("BMPImageCodec", empty.Get(), path, "Изображение не содержит данных.");
    auto* codec = static_cast<BMPImageCodec*>(CodecManager::FindCodec(String("BMPImageCodec")));
    File file{String(path)};
    EXPECT_EQ(codec->Encode(nullptr, empty.Get()), kInvalidArgument);
    EXPECT_EQ(codec->Decode(&file, nullptr), kInvalidArgument);
}

}  // namespace
}  // namespace zen::test
