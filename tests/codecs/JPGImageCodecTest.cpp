#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

// The library itself, to write pictures the codec must refuse.
#include <jpeglib.h>
#include <jerror.h>

#include "engine/core/Ptr.h"
#include "engine/scene/Image.h"
#include "modules/codecs/JPGImageCodec.h"
#include "support/LogCapture.h"
#include "tests/codecs/ImageTestSupport.h"
#include "support/RequiredTool.h"

namespace zen::test {
namespace {

// A smooth picture (JPEG keeps it close): top-down rows of `channels` bytes per pixel.
std::vector<uint8_t> Smooth(uint32_t width, uint32_t height, uint32_t channels)
{
    std::vector<uint8_t> pixels;
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x)
            for (uint32_t c = 0; c < channels; ++c)
                pixels.push_back(static_cast<uint8_t>((x * (3 + c) + y * (5 - c)) % 256));
    return pixels;
}

int LargestDifference(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b)
{
    if (a.size() != b.size())
        return 1000;
    int largest = 0;
    for (size_t i = 0; i < a.size(); ++i)
        largest = std::max(largest, std::abs(int{a[i]} - int{b[i]}));
    return largest;
}

double MeanDifference(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b)
{
    if (a.size() != b.size() || a.empty())
        return 1000;
    double sum = 0;
    for (size_t i = 0; i < a.size(); ++i)
        sum += std::abs(int{a[i]} - int{b[i]});
    return sum / static_cast<double>(a.size());
}

// A grey 16 × 16 progressive JPEG written by libjpeg with a scan script of 1 + 63 × (bits + 1)
// scans: the DC scan, then each AC coefficient alone, first at `bits` bits of approximation and
// refined one bit per scan.
std::vector<uint8_t> ManyScanJpeg(int bits)
{
    std::vector<jpeg_scan_info> script;
    script.push_back({1, {0}, 0, 0, 0, 0});
    for (int k = 1; k <= 63; ++k) {
        script.push_back({1, {0}, k, k, 0, bits});
        for (int al = bits - 1; al >= 0; --al)
            script.push_back({1, {0}, k, k, al + 1, al});
    }
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = 16;
    info.image_height = 16;
    info.input_components = 1;
    info.in_color_space = JCS_GRAYSCALE;
    jpeg_set_defaults(&info);
    info.scan_info = script.data();
    info.num_scans = static_cast<int>(script.size());
    jpeg_start_compress(&info, TRUE);
    std::vector<uint8_t> row(16);
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x)
            row[x] = static_cast<uint8_t>(x * y);
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::vector<uint8_t> bytes(buffer, buffer + size);
    std::free(buffer);
    return bytes;
}

std::string LibraryWarning(int code, const char* text)
{
    return "WARNING. " + std::to_string(code) + " " + text;
}

class JPGImageCodecTest : public ::testing::Test {
protected:
    test::ImageCodecScope codecs;
    test::TempFolder folder;
};

// Colour pictures of every usual kind (chroma subsampled or not, baseline or progressive) and
// grey ones, made by ImageMagick: the decode must show what ImageMagick shows.
TEST_F(JPGImageCodecTest, ReadsColourAndGreyPicturesAsImageMagickDoes)
{
    ZEN_REQUIRE_TOOL("convert", "the imagemagick package (scripts/setup.sh)");
    struct Case {
        const char* map;
        const char* options;
    } cases[] = {
        {"rgb", "-quality 90"},
        {"rgb", "-quality 75 -sampling-factor 1x1"},
        {"rgb", "-quality 60 -interlace Plane"},
        {"gray", "-quality 85"},
        {"gray", "-quality 85 -interlace Plane"},
    };
    int index = 0;
    for (const Case& c : cases) {
        const bool grey = std::string(c.map) == "gray";
        const uint32_t width = 37;  // Not a multiple of the 8 or 16 pixel blocks.
        const uint32_t height = 21;
        const std::vector<uint8_t> source = Smooth(width, height, grey ? 1 : 3);
        const std::string path = folder.Path("p" + std::to_string(index++) + ".jpg");
        ASSERT_TRUE(Magick::Make(source, c.map, width, height, c.options, path));
        Ptr<Image> image = new Image();
        ASSERT_EQ(test::DecodeFile(path, image.Get()), kSuccess) << c.options;
        EXPECT_EQ(image->Format(), grey ? Image::kA8 : Image::kR8G8B8) << c.options;
        EXPECT_EQ(image->Width(), width);
        EXPECT_EQ(image->Height(), height);
        // The same library decodes both; ImageMagick may pick another upsampling or DCT.
        EXPECT_LE(LargestDifference(FlippedRows(*image), Magick::Pixels(path, c.map)), 2) << c.options;
        EXPECT_LT(MeanDifference(FlippedRows(*image), source), 6.0) << c.options;
    }
}

TEST_F(JPGImageCodecTest, RefusesCmykPictures)
{
    ZEN_REQUIRE_TOOL("convert", "the imagemagick package (scripts/setup.sh)");
    const std::string path = folder.Path("cmyk.jpg");
    ASSERT_TRUE(Magick::Make(Smooth(16, 16, 3), "rgb", 16, 16, "-colorspace CMYK", path));
    Ptr<Image> image = new Image(String("kept"), Image::kA8, 1, 1);
    test::LogCapture log;
    EXPECT_EQ(test::DecodeFile(path, image.Get()), kFailure);
    EXPECT_TRUE(log.Contains("ERROR. Неподдерживаемое количество компонент JPEG [4] в файле [" + path + "]."))
        << log.Joined();
    EXPECT_TRUE(log.Contains("ERROR. Неудачна загрузка изображения [kept]."));
    EXPECT_EQ(image->Format(), Image::kA8);
}

// A file that ends early is refused with the library's own warning rather than decoded to
// filler, wherever it ends.
TEST_F(JPGImageCodecTest, TruncatedFilesFailWithTheLibraryMessage)
{
    std::vector<uint8_t> good;
    ASSERT_EQ(JPGImageCodec::EncodeBytes(test::ImageOf("s", Image::kR8G8B8, 40, 24, Smooth(40, 24, 3)).Get(), good),
              kSuccess);
    const std::string premature = LibraryWarning(JWRN_JPEG_EOF, "Premature end of JPEG file");
    for (size_t size = 1; size + 2 < good.size(); size += 1 + size / 8) {  // The last 2 bytes are the end marker.
        test::LogCapture log;
        test::ExpectRefused(std::vector<uint8_t>(good.begin(), good.begin() + static_cast<long>(size)), "cut.jpg",
                            "ERROR. Файл JPEG [cut.jpg] повреждён.", std::to_string(size));
        EXPECT_TRUE(log.Contains(premature) || log.ContainsText("WARNING. ")) << size << "\n" << log.Joined();
    }
    // Cut in the middle of the scan data: exactly the premature-end warning.
    Ptr<Image> image = new Image();
    test::LogCapture log;
    EXPECT_EQ(test::DecodeBytes(std::vector<uint8_t>(good.begin(), good.end() - 40), "cut.jpg", image.Get()),
              kFailure);
    EXPECT_TRUE(log.Contains(premature)) << log.Joined();
}

TEST_F(JPGImageCodecTest, NonJpegBytesFailWithTheLibraryMessage)
{
    Ptr<Image> image = new Image();
    test::LogCapture log;
    EXPECT_EQ(test::DecodeBytes({'B', 'M', 1, 2, 3, 4}, "fake.jpg", image.Get()), kFailure);
    EXPECT_TRUE(log.Contains(LibraryWarning(JERR_NO_SOI, "Not a JPEG file: starts with 0x42 0x4d"))) << log.Joined();
    EXPECT_TRUE(log.Contains("ERROR. Файл JPEG [fake.jpg] повреждён."));
    log.Clear();
    EXPECT_EQ(test::DecodeBytes({}, "empty.jpg", image.Get()), kFailure);
    EXPECT_TRUE(log.ContainsText("ERROR. Файл JPEG [empty.jpg] повреждён.")) << log.Joined();
}

TEST_F(JPGImageCodecTest, ProgressiveFilesWithTooManyScansAreRefused)
{
    const std::vector<uint8_t> allowed = ManyScanJpeg(5);  // 379 scans.
    Ptr<Image> image = new Image();
    ASSERT_EQ(test::DecodeBytes(allowed, "scans.jpg", image.Get()), kSuccess);
    EXPECT_EQ(image->Format(), Image::kA8);

    const std::vector<uint8_t> refused = ManyScanJpeg(8);  // 568 scans.
    test::LogCapture log;
    EXPECT_EQ(test::DecodeBytes(refused, "scans.jpg", image.Get()), kFailure);
    EXPECT_TRUE(log.Contains("ERROR. Слишком много сканов в файле JPEG [scans.jpg].")) << log.Joined();
}

TEST_F(JPGImageCodecTest, EncodesBaselineQuality50ThatReadsBack)
{
    for (const uint32_t format : {Image::kR8G8B8, Image::kA8, Image::kR8G8B8A8}) {
        const uint32_t channels = Image::BytesPerPixel(format);
        const std::vector<uint8_t> pixels = Smooth(45, 30, channels);
        Ptr<Image> image = test::ImageOf("source", format, 45, 30, pixels);
        const std::string path = folder.Path("out" + std::to_string(format) + ".jpg");
        ASSERT_EQ(test::EncodeFile("JPGImageCodec", image.Get(), path), kSuccess) << format;

        Ptr<Image> back = new Image();
        ASSERT_EQ(test::DecodeFile(path, back.Get()), kSuccess);
        EXPECT_EQ(back->Width(), 45u);
        EXPECT_EQ(back->Height(), 30u);
        // Alpha does not go into a JPEG: an R8G8B8A8 image comes back as R8G8B8.
        EXPECT_EQ(back->Format(), format == Image::kA8 ? Image::kA8 : Image::kR8G8B8);
        std::vector<uint8_t> expected = pixels;
        if (format == Image::kR8G8B8A8) {
            expected.clear();
            for (size_t at = 0; at < pixels.size(); at += 4)
                expected.insert(expected.end(), pixels.begin() + static_cast<long>(at),
                                pixels.begin() + static_cast<long>(at) + 3);
        }
        EXPECT_LT(MeanDifference(test::PixelsOf(*back), expected), 8.0) << format;
        if (UseTool("convert", "the imagemagick package (scripts/setup.sh)")) {
            std::vector<uint8_t> described;
            ASSERT_TRUE(Magick::Run("'" + path + "' -format '%Q %[interlace] %[colorspace]' info:", &described));
            EXPECT_EQ(std::string(described.begin(), described.end()),
                      format == Image::kA8 ? "50 None Gray" : "50 None sRGB");
            // Rows go top-down into the file: ImageMagick sees the image's top row first.
            EXPECT_LT(MeanDifference(Magick::Pixels(path, format == Image::kA8 ? "gray" : "rgb"), FlippedRows(*back)),
                      1.0);
        }
    }
}

TEST_F(JPGImageCodecTest, EncodesInMemorySoEncodesCannotCollide)
{
    // Two encodes at the same time, each of its own picture, each reading back as its own.
    Ptr<Image> dark = new Image(String("dark"), Image::kA8, 64, 64);
    Ptr<Image> light = new Image(String("light"), Image::kA8, 64, 64);
    std::memset(dark->Data(), 20, dark->GetDataSize());
    std::memset(light->Data(), 230, light->GetDataSize());
    std::vector<uint8_t> darkBytes;
    std::vector<uint8_t> lightBytes;
    Result darkResult = kFailure;
    Result lightResult = kFailure;
    for (int round = 0; round < 20; ++round) {
        std::thread one([&] { darkResult = JPGImageCodec::EncodeBytes(dark.Get(), darkBytes); });
        std::thread two([&] { lightResult = JPGImageCodec::EncodeBytes(light.Get(), lightBytes); });
        one.join();
        two.join();
        ASSERT_EQ(darkResult, kSuccess);
        ASSERT_EQ(lightResult, kSuccess);
        Ptr<Image> back = new Image();
        ASSERT_EQ(test::DecodeBytes(darkBytes, "dark.jpg", back.Get()), kSuccess);
        EXPECT_NEAR(back->Data()[100], 20, 2);
        ASSERT_EQ(test::DecodeBytes(lightBytes, "light.jpg", back.Get()), kSuccess);
        EXPECT_NEAR(back->Data()[100], 230, 2);
    }
    EXPECT_NE(access("ALKGW12419klzhseg124124JJ", F_OK), 0) << "no fixed temporary file";
}

TEST_F(JPGImageCodecTest, EncodeRefusesWideChannelsAndEmptyImages)
{
    const std::string path = folder.Path("never.jpg");
    ExpectEncodeRefused("JPGImageCodec", Ptr<Image>(new Image(String("wide"), Image::kA16B16G16R16, 2, 2)).Get(), path,
                        "Неподдерживаемый формат изображения [3] для кодека [JPGImageCodec]. Имя[wide]");
    ExpectEncodeRefused("JPGImageCodec", Ptr<Image>(new Image()).Get(), path, "Изображение не содержит данных. Имя[]");
}

}  // namespace
}  // namespace zen::test
