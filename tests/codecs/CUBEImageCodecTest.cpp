#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "engine/core/Ptr.h"
#include "engine/modules/CodecManager.h"
#include "engine/scene/VolumeImage.h"
#include "engine/vfs/File.h"
#include "modules/codecs/CUBEImageCodec.h"
#include "support/LogCapture.h"
#include "tests/codecs/ImageTestSupport.h"
#include "support/RequiredTool.h"

namespace zen::test {
namespace {

// Six raw 2 × 2 faces of 24 bits, face f's pixels all (B, G, R) = (f, 10 + f, 20 + f).
std::vector<uint8_t> SimpleCube()
{
    std::vector<uint8_t> bytes;
    for (uint8_t face = 0; face < 6; ++face) {
        std::vector<uint8_t> body;
        for (int pixel = 0; pixel < 4; ++pixel)
            body.insert(body.end(), {face, static_cast<uint8_t>(10 + face), static_cast<uint8_t>(20 + face)});
        const std::vector<uint8_t> one = Tga(2, 2, 2, 24, 0, body);
        bytes.insert(bytes.end(), one.begin(), one.end());
    }
    return bytes;
}

class CUBEImageCodecTest : public ::testing::Test {
protected:
    test::ImageCodecScope codecs;
    test::TempFolder folder;
};

TEST_F(CUBEImageCodecTest, SixFacesBecomeSixSlicesInFileOrder)
{
    Ptr<VolumeImage> cube = new VolumeImage();
    ASSERT_EQ(test::DecodeBytes(SimpleCube(), "sky.cube", cube.Get()), kSuccess);
    EXPECT_EQ(cube->Width(), 2u);
    EXPECT_EQ(cube->Height(), 2u);
    EXPECT_EQ(cube->Depth(), 6u);
    EXPECT_EQ(cube->Format(), Image::kR8G8B8);
    ASSERT_EQ(cube->GetDataSize(), 6u * 12);
    for (uint32_t face = 0; face < 6; ++face) {
        const uint8_t* slice = cube->Slice(face);
        EXPECT_EQ(slice[0], 20 + face);
        EXPECT_EQ(slice[1], 10 + face);
        EXPECT_EQ(slice[11], face);
    }
    EXPECT_EQ(cube->Slice(6), nullptr);
}

// Six pictures from ImageMagick, raw and run-length mixed, one after another.
TEST_F(CUBEImageCodecTest, ReadsImageMagickFacesAsTheTgaCodecDoes)
{
    ZEN_REQUIRE_TOOL("convert", "the imagemagick package (scripts/setup.sh)");
    std::vector<uint8_t> file;
    std::vector<uint8_t> expected;
    for (int face = 0; face < 6; ++face) {
        const std::string path = folder.Path("face" + std::to_string(face) + ".tga");
        ASSERT_TRUE(Magick::Make(Pattern(5 * 3 * 4, 70 + face), "rgba", 5, 3,
                                 face % 2 ? "-compress RLE -orient TopLeft" : "-compress None", path));
        const std::vector<uint8_t> bytes = test::ReadFileBytes(path);
        file.insert(file.end(), bytes.begin(), bytes.end());
        const std::vector<uint8_t> shown = Magick::Pixels(path, "rgba");
        expected.insert(expected.end(), shown.begin(), shown.end());
    }
    Ptr<VolumeImage> cube = new VolumeImage();
    ASSERT_EQ(test::DecodeBytes(file, "sky.cube", cube.Get()), kSuccess);
    EXPECT_EQ(cube->Format(), Image::kR8G8B8A8);
    EXPECT_EQ(cube->Depth(), 6u);
    EXPECT_EQ(FlippedRows(*cube), expected);
}

TEST_F(CUBEImageCodecTest, FacesMustMatchAndBeComplete)
{
    std::vector<uint8_t> mixed = SimpleCube();
    // Face 3 of 32 bits instead of 24: replace it.
    const size_t faceBytes = 18 + 12;
    std::vector<uint8_t> wide = Tga(2, 2, 2, 32, 0, std::vector<uint8_t>(16, 1));
    mixed.erase(mixed.begin() + 3 * faceBytes, mixed.begin() + 4 * faceBytes);
    mixed.insert(mixed.begin() + 3 * faceBytes, wide.begin(), wide.end());
    const std::vector<uint8_t> whole = SimpleCube();
    std::vector<uint8_t> larger = whole;
    larger[5 * faceBytes + 12] = 3;  // Face 5 claims a width of 3.

    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        const char* expected;
    } cases[] = {
        {"format", mixed,
         "ERROR. Грань [3] кубической карты [sky.cube] отличается размером или глубиной цвета от первой."},
        {"size", larger, "ERROR. Недостаточно данных изображения в файле [sky.cube]."},
        {"five faces", std::vector<uint8_t>(whole.begin(), whole.begin() + 5 * faceBytes),
         "ERROR. Неполный заголовок изображения TGA в файле [sky.cube]."},
        {"cut in face 6", std::vector<uint8_t>(whole.begin(), whole.end() - 1),
         "ERROR. Недостаточно данных изображения в файле [sky.cube]."},
        {"empty", {}, "ERROR. Неполный заголовок изображения TGA в файле [sky.cube]."},
    };
    for (const Case& c : cases) {
        Ptr<VolumeImage> cube = new VolumeImage(String("kept"), Image::kA8, 1, 1, 1);
        test::LogCapture log;
        EXPECT_EQ(test::DecodeBytes(c.bytes, "sky.cube", cube.Get()), kFailure) << c.what;
        EXPECT_TRUE(log.Contains(c.expected)) << c.what << "\n" << log.Joined();
        EXPECT_EQ(cube->Depth(), 1u) << c.what;
        EXPECT_EQ(cube->Format(), Image::kA8) << c.what;
    }

    // Width 3 on face 5 with the bytes it needs: sizes differ.
    std::vector<uint8_t> grown = larger;
    grown.insert(grown.end(), 6, 0);
    Ptr<VolumeImage> cube = new VolumeImage();
    test::LogCapture log;
    EXPECT_EQ(test::DecodeBytes(grown, "sky.cube", cube.Get()), kFailure);
    EXPECT_TRUE(
        log.Contains("ERROR. Грань [5] кубической карты [sky.cube] отличается размером или глубиной цвета от первой."))
        << log.Joined();
}

TEST_F(CUBEImageCodecTest, AFlatImageCannotHoldACube)
{
    Ptr<Image> flat = new Image();
    test::LogCapture log;
    EXPECT_EQ(test::DecodeBytes(SimpleCube(), "sky.cube", flat.Get()), kFailure);
    EXPECT_TRUE(log.ContainsText("загружается только в объёмное изображение")) << log.Joined();
    EXPECT_EQ(flat->Data(), nullptr);
}

TEST_F(CUBEImageCodecTest, EncodesSixFacesItReadsBack)
{
    auto* codec = static_cast<CUBEImageCodec*>(CodecManager::FindCodec(String("CUBEImageCodec")));
    ASSERT_NE(codec, nullptr);
    Ptr<VolumeImage> cube = new VolumeImage(String("sky"), Image::kR8G8B8A8, 3, 2, 6);
    const std::vector<uint8_t> pixels = Pattern(cube->GetDataSize(), 9);
    std::memcpy(cube->Data(), pixels.data(), pixels.size());
    const std::string path = folder.Path("sky.cube");
    File file{String(path)};
    ASSERT_EQ(codec->Encode(&file, cube.Get()), kSuccess);
    EXPECT_EQ(test::ReadFileBytes(path).size(), 6 * (18 + 24u));

    Ptr<VolumeImage> back = new VolumeImage();
    ASSERT_EQ(test::DecodeFile(path, back.Get()), kSuccess);
    EXPECT_EQ(back->Depth(), 6u);
    EXPECT_EQ(test::PixelsOf(*back), pixels);

    for (Ptr<Image> wrong : {Ptr<Image>(new VolumeImage(String("deep"), Image::kR8G8B8, 2, 2, 5)),
                             Ptr<Image>(new VolumeImage(String("grey"), Image::kA8, 2, 2, 6)),
                             Ptr<Image>(new Image(String("flat"), Image::kR8G8B8, 2, 2))})
        ExpectEncodeRefused("CUBEImageCodec", wrong.Get(), folder.Path("never.cube"),
                            "Кубическая карта записывается только");
}

}  // namespace
}  // namespace zen::test
