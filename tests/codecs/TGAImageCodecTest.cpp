#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/core/Ptr.h"
#include "engine/scene/Image.h"
#include "support/LogCapture.h"
#include "tests/codecs/ImageTestSupport.h"
#include "support/RequiredTool.h"

namespace zen::test {
namespace {

const char kShortData[] = "ERROR. Недостаточно данных изображения в файле [t.tga].";
const char kRunPastEnd[] = "ERROR. Пакет RLE выходит за пределы изображения в файле [t.tga].";

class TGAImageCodecTest : public ::testing::Test {
protected:
    // Decodes hand-made bytes that must load.
    Ptr<Image> Decode(const std::vector<uint8_t>& bytes)
    {
        Ptr<Image> image = new Image();
        EXPECT_EQ(test::DecodeBytes(bytes, "t.tga", image.Get()), kSuccess);
        return image;
    }
    // Hand-made bytes that fail with the log line `message`.
    static void Refused(const std::vector<uint8_t>& bytes, const std::string& message)
    {
        test::ExpectRefused(bytes, "t.tga", message);
    }

    test::ImageCodecScope codecs;
    test::TempFolder folder;
};

// Raw and run-length pictures of 24 and 32 bits, starting at the bottom-left or the top-left
// corner, made by ImageMagick: the decode must show what ImageMagick shows, bottom row first.
TEST_F(TGAImageCodecTest, ReadsImageMagickPicturesOfEveryKindAndOrigin)
{
    ZEN_REQUIRE_TOOL("convert", "the imagemagick package (scripts/setup.sh)");
    int index = 0;
    for (const char* map : {"rgb", "rgba"}) {
        for (const char* compression : {"None", "RLE"}) {
            for (const char* origin : {"BottomLeft", "TopLeft"}) {
                const uint32_t width = 7;
                const uint32_t height = 5;
                const uint32_t channels = std::string(map) == "rgb" ? 3 : 4;
                // Runs of equal pixels, so the run-length file has both kinds of packet.
                std::vector<uint8_t> source = Pattern(width * height * channels, 40 + index);
                for (size_t at = channels; at < 4 * channels; ++at)
                    source[at] = source[at - channels];
                const std::string path = folder.Path("t" + std::to_string(index++) + ".tga");
                ASSERT_TRUE(Magick::Make(source, map, width, height,
                                         std::string("-orient ") + origin + " -compress " + compression, path));
                const std::vector<uint8_t> bytes = test::ReadFileBytes(path);
                const std::string what = std::string(map) + " " + compression + " " + origin;
                ASSERT_EQ(bytes[2], std::string(compression) == "RLE" ? 10 : 2) << what;
                ASSERT_EQ(bytes[16], 8 * channels) << what;
                ASSERT_EQ((bytes[17] & 0x20) != 0, std::string(origin) == "TopLeft") << what;

                Ptr<Image> image = new Image();
                ASSERT_EQ(test::DecodeFile(path, image.Get()), kSuccess) << what;
                EXPECT_EQ(image->Format(), channels == 3 ? Image::kR8G8B8 : Image::kR8G8B8A8) << what;
                EXPECT_EQ(image->Width(), width);
                EXPECT_EQ(image->Height(), height);
                EXPECT_EQ(FlippedRows(*image), Magick::Pixels(path, map)) << what;
                // ImageMagick stores its rows top first whatever origin it writes, so only a
                // top-left file shows the source the right way up.
                if (std::string(origin) == "TopLeft") {
                    EXPECT_EQ(FlippedRows(*image), source) << what;
                }
            }
        }
    }
}

TEST_F(TGAImageCodecTest, EveryCornerComesOutBottomLeftInRgbOrder)
{
    // Two by two: stored pixels carry their storage index in blue, red fixed at 9.
    std::vector<uint8_t> body;
    for (uint8_t i = 0; i < 4; ++i)
        body.insert(body.end(), {i, 0, 9});
    struct Case {
        uint8_t descriptor;
        uint8_t order[4];  // Storage index of image pixels (0,0), (1,0), (0,1), (1,1), bottom row first.
    } cases[] = {
        {0x00, {0, 1, 2, 3}},  // Bottom-left.
        {0x10, {1, 0, 3, 2}},  // Bottom-right.
        {0x20, {2, 3, 0, 1}},  // Top-left.
        {0x30, {3, 2, 1, 0}},  // Top-right.
    };
    for (const Case& c : cases) {
        Ptr<Image> image = Decode(Tga(2, 2, 2, 24, c.descriptor, body));
        ASSERT_EQ(image->GetDataSize(), 12u);
        for (int pixel = 0; pixel < 4; ++pixel) {
            EXPECT_EQ(image->Data()[3 * pixel], 9) << int{c.descriptor};
            EXPECT_EQ(image->Data()[3 * pixel + 2], c.order[pixel]) << int{c.descriptor} << " pixel " << pixel;
        }
    }
}

TEST_F(TGAImageCodecTest, RunLengthPacketsMayCrossRows)
{
    // 3 × 2: one run of 4 grey pixels, then 2 literal pixels.
    const std::vector<uint8_t> body = {0x83, 7, 7, 7, 0x01, 1, 2, 3, 4, 5, 6};
    Ptr<Image> image = Decode(Tga(10, 3, 2, 24, 0, body));
    EXPECT_EQ(PixelsOf(*image), (std::vector<uint8_t>{7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 3, 2, 1, 6, 5, 4}));
}

TEST_F(TGAImageCodecTest, SkipsTheIdFieldAndAColourMap)
{
    const std::vector<uint8_t> pixel = {1, 2, 3};
    Ptr<Image> image = Decode(Tga(2, 1, 1, 24, 0, pixel, {'h', 'e', 'l', 'l', 'o'}));
    EXPECT_EQ(PixelsOf(*image), (std::vector<uint8_t>{3, 2, 1}));

    // A true-colour picture may carry a colour map it does not use: 2 entries of 24 bits here.
    std::vector<uint8_t> mapped = Tga(2, 1, 1, 24, 0, {9, 9, 9, 9, 9, 9, 1, 2, 3});
    mapped[1] = 1;  // Colour map present.
    mapped[5] = 2;  // Entries.
    mapped[7] = 24;  // Bits per entry.
    image = Decode(mapped);
    EXPECT_EQ(PixelsOf(*image), (std::vector<uint8_t>{3, 2, 1}));
}

TEST_F(TGAImageCodecTest, RefusesOtherKindsOfPicture)
{
    const std::vector<uint8_t> body(64, 1);
    Refused(Tga(1, 2, 2, 8, 0, body), "ERROR. Неподдерживаемый тип изображения TGA [1] в файле [t.tga].");
    Refused(Tga(3, 2, 2, 8, 0, body), "ERROR. Неподдерживаемый тип изображения TGA [3] в файле [t.tga].");
    Refused(Tga(11, 2, 2, 8, 0, body), "ERROR. Неподдерживаемый тип изображения TGA [11] в файле [t.tga].");
    Refused(Tga(2, 2, 2, 16, 0, body), "ERROR. Неподдерживаемая глубина цвета TGA [16] в файле [t.tga].");
    Refused(Tga(10, 2, 2, 8, 0, body), "ERROR. Неподдерживаемая глубина цвета TGA [8] в файле [t.tga].");
    std::vector<uint8_t> badMap = Tga(2, 2, 2, 24, 0, body);
    badMap[1] = 7;
    Refused(badMap, "ERROR. Неподдерживаемый тип палитры TGA [7] в файле [t.tga].");
}

TEST_F(TGAImageCodecTest, RefusesSizesTheFileCannotHold)
{
    Refused(Tga(2, 0, 5, 24, 0, {}), "ERROR. Недопустимые размеры изображения [0 x 5] в файле [t.tga].");
    Refused(Tga(2, 5, 0, 24, 0, {}), "ERROR. Недопустимые размеры изображения [5 x 0] в файле [t.tga].");
    Refused(Tga(2, 65535, 65535, 32, 0, {}),
            "ERROR. Недопустимые размеры изображения [65535 x 65535] в файле [t.tga].");
    // A header that claims more pixels than follow fails before anything is allocated, raw or
    // run-length (at best 128 pixels per packet of 1 + 4 bytes).
    Refused(Tga(2, 4000, 4000, 32, 0, std::vector<uint8_t>(100, 0)), kShortData);
    Refused(Tga(10, 7000, 7000, 32, 0, std::vector<uint8_t>(1000, 0xFF)), kShortData);
    // 300 pixels need 3 full packets (5 bytes each): 14 bytes are too few, 15 are read.
    std::vector<uint8_t> runs;
    for (int i = 0; i < 3; ++i)
        runs.insert(runs.end(), {0xFF, 1, 2, 3, 4});
    Refused(Tga(10, 300, 1, 32, 0, std::vector<uint8_t>(runs.begin(), runs.end() - 1)), kShortData);
    Refused(Tga(10, 300, 1, 32, 0, runs), kRunPastEnd);
}

TEST_F(TGAImageCodecTest, RunsPastThePictureAndTruncatedPacketsFail)
{
    // 2 × 1 pixels, but a run of 3.
    Refused(Tga(10, 2, 1, 24, 0, {0x82, 1, 2, 3, 0, 0, 0, 0}), kRunPastEnd);
    // A literal packet of 4 pixels in a picture of 3.
    Refused(Tga(10, 3, 1, 24, 0, std::vector<uint8_t>{0x03, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}), kRunPastEnd);
    // 4 × 4 pixels as one literal packet of 16 (the minimum size check passes), cut short.
    std::vector<uint8_t> literal = {0x0F};
    for (int i = 0; i < 16 * 3; ++i)
        literal.push_back(static_cast<uint8_t>(i));
    for (size_t cut = 1; cut < literal.size(); cut += 7)
        Refused(Tga(10, 4, 4, 24, 0, std::vector<uint8_t>(literal.begin(), literal.end() - static_cast<long>(cut))),
                kShortData);
    Decode(Tga(10, 4, 4, 24, 0, literal));
}

TEST_F(TGAImageCodecTest, EveryTruncationFailsAndLeavesTheImage)
{
    const std::vector<uint8_t> good = Tga(2, 3, 2, 32, 0, Pattern(24, 5));
    for (size_t size = 0; size < good.size(); ++size) {
        Ptr<Image> image = new Image(String("kept"), Image::kA8, 1, 1);
        test::LogCapture log;
        EXPECT_EQ(test::DecodeBytes(std::vector<uint8_t>(good.begin(), good.begin() + static_cast<long>(size)),
                                    "t.tga", image.Get()),
                  kFailure);
        EXPECT_TRUE(log.Contains(size < 18 ? "ERROR. Неполный заголовок изображения TGA в файле [t.tga]." : kShortData))
            << size << "\n"
            << log.Joined();
        EXPECT_TRUE(log.Contains("ERROR. Неудачна загрузка изображения [kept]."));
        EXPECT_EQ(image->Format(), Image::kA8);
        EXPECT_EQ(image->Width(), 1u);
    }
}

TEST_F(TGAImageCodecTest, EncodesWhatItAndOtherProgramsReadBack)
{
    for (const uint32_t format : {Image::kR8G8B8, Image::kR8G8B8A8}) {
        const std::vector<uint8_t> pixels = Pattern(6 * 4 * Image::BytesPerPixel(format), format);
        Ptr<Image> image = test::ImageOf("source", format, 6, 4, pixels);
        const std::string path = folder.Path("out" + std::to_string(format) + ".tga");
        ASSERT_EQ(test::EncodeFile("TGAImageCodec", image.Get(), path), kSuccess);
        const std::vector<uint8_t> bytes = test::ReadFileBytes(path);
        ASSERT_EQ(bytes.size(), 18u + pixels.size());
        EXPECT_EQ(bytes[2], 2);
        EXPECT_EQ(bytes[16], format == Image::kR8G8B8 ? 24 : 32);
        EXPECT_EQ(bytes[18], pixels[2]);  // Stored blue first.

        Ptr<Image> back = new Image();
        ASSERT_EQ(test::DecodeFile(path, back.Get()), kSuccess);
        EXPECT_EQ(back->Format(), format);
        EXPECT_EQ(PixelsOf(*back), pixels);
        if (UseTool("convert", "the imagemagick package (scripts/setup.sh)")) {
            EXPECT_EQ(Magick::Pixels(path, format == Image::kR8G8B8 ? "rgb" : "rgba"), FlippedRows(*image));
        }
    }
    for (const uint32_t format : {Image::kA8, Image::kA16B16G16R16})
        ExpectEncodeRefused("TGAImageCodec", Ptr<Image>(new Image(String("other"), format, 2, 2)).Get(),
                            folder.Path("never.tga"), "для кодека [TGAImageCodec]. Имя[other]");
}

}  // namespace
}  // namespace zen::test
