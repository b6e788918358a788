#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "engine/core/Crc32.h"
#include "engine/core/Ptr.h"
#include "engine/scene/Image.h"
#include "engine/scene/VolumeImage.h"
#include "modules/codecs/BMPImageCodec.h"
#include "modules/codecs/CUBEImageCodec.h"
#include "support/ToolOutput.h"
#include "tests/codecs/ImageTestSupport.h"

// `zen image info` and `zen image convert`, run as a program.
namespace zen {
namespace {

using test::Pattern;
using test::RunZen;
using test::ToolRun;
using test::Utf8;

std::string InfoLine(const Image& image)
{
    char line[96];
    if (image.Depth() != 1 || image.IsDerivedFrom(&VolumeImage::TYPE))
        std::snprintf(line, sizeof line, "%ux%ux%u format %u crc32 %08x\n", image.Width(), image.Height(),
                      image.Depth(), image.Format(), Crc32::Compute(image.Data(), image.GetDataSize()));
    else
        std::snprintf(line, sizeof line, "%ux%u format %u crc32 %08x\n", image.Width(), image.Height(),
                      image.Format(), Crc32::Compute(image.Data(), image.GetDataSize()));
    return line;
}

class ImageTool : public ::testing::Test {
protected:
    // A picture of `image`'s size filled with a pattern from `seed`, saved to `path` by `encode`.
    template <class I>
    Ptr<I> Write(const std::string& path, I* image, Result (*encode)(const Image*, std::vector<uint8_t>&), uint32_t seed)
    {
        const std::vector<uint8_t> pixels = Pattern(image->GetDataSize(), seed);
        std::memcpy(image->Data(), pixels.data(), pixels.size());
        std::vector<uint8_t> bytes;
        EXPECT_EQ(encode(image, bytes), kSuccess);
        test::WriteFileBytes(path, bytes);
        return image;
    }
    // A 5 × 3 colour picture saved as a bitmap.
    Ptr<Image> WriteBitmap(const std::string& path)
    {
        return Write(path, new Image(String("b"), Image::kR8G8B8, 5, 3), &BMPImageCodec::EncodeBytes, 3);
    }

    test::TempFolder folder;
};

TEST_F(ImageTool, InfoPrintsSizeFormatAndThePixelsChecksum)
{
    Ptr<Image> image = WriteBitmap(folder.Path("b.bmp"));
    const ToolRun run = RunZen("image info " + folder.Path("b.bmp"));
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(run.output, InfoLine(*image));
    EXPECT_EQ(run.output.substr(0, 15), "5x3 format 0 cr");

    const Ptr<VolumeImage> cube = Write(folder.Path("sky.cube"), new VolumeImage(String("c"), Image::kR8G8B8A8, 2, 2, 6),
                                        &CUBEImageCodec::EncodeBytes, 4);
    const ToolRun cubeRun = RunZen("image info " + folder.Path("sky.cube"));
    EXPECT_EQ(cubeRun.exitCode, 0) << cubeRun.output;
    EXPECT_EQ(cubeRun.output, InfoLine(*cube));
    EXPECT_EQ(cubeRun.output.substr(0, 14), "2x2x6 format 1");
}

TEST_F(ImageTool, InfoTellsWhyAFileCannotBeDecoded)
{
    std::vector<uint8_t> bytes(60, 0);
    bytes[0] = 'B';
    bytes[1] = 'M';
    bytes[14] = 40;
    bytes[28] = 16;  // 16 bits per pixel.
    test::WriteFileBytes(folder.Path("odd.bmp"), bytes);
    const ToolRun run = RunZen("image info " + folder.Path("odd.bmp"));
    EXPECT_TRUE(test::Said(run, 1, {"odd.bmp: cannot be decoded", Utf8(u8"Неподдерживаемая глубина цвета BMP [16]")}));
    EXPECT_TRUE(test::Said(RunZen("image info " + folder.Path("notes.txt")), 1,
                           {"no image codec reads the extension \"txt\""}));
    EXPECT_TRUE(
        test::Said(RunZen("image info " + folder.Path("absent.tga")), 1, {Utf8(u8"Невозможно открыть файл изображения")}));
    EXPECT_EQ(RunZen("image info").exitCode, 2);
    EXPECT_EQ(RunZen("image info a.bmp b.bmp").exitCode, 2);
}

TEST_F(ImageTool, ConvertKeepsThePixels)
{
    Ptr<Image> image = WriteBitmap(folder.Path("b.bmp"));
    const ToolRun run = RunZen("image convert " + folder.Path("b.bmp") + " " + folder.Path("b.tga"));
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(run.output, "wrote " + folder.Path("b.tga") + "\n");
    EXPECT_EQ(RunZen("image info " + folder.Path("b.tga")).output, InfoLine(*image));

    // Into JPEG and back: the size and format stay, the pixels change.
    EXPECT_EQ(RunZen("image convert " + folder.Path("b.tga") + " " + folder.Path("b.jpg")).exitCode, 0);
    EXPECT_EQ(RunZen("image info " + folder.Path("b.jpg")).output.substr(0, 13), "5x3 format 0 ");

    EXPECT_TRUE(test::Said(RunZen("image convert " + folder.Path("b.bmp") + " " + folder.Path("b.cube")), 1,
                           {"b.cube: cannot be written"}));
    EXPECT_EQ(RunZen("image convert " + folder.Path("b.bmp") + " " + folder.Path("b.png")).exitCode, 1);
    EXPECT_EQ(RunZen("image convert " + folder.Path("b.bmp")).exitCode, 2);
}

TEST_F(ImageTool, ConvertTurnsACubeIntoSixFaces)
{
    const Ptr<VolumeImage> cube = Write(folder.Path("sky.cube"), new VolumeImage(String("c"), Image::kR8G8B8, 3, 2, 6),
                                        &CUBEImageCodec::EncodeBytes, 8);

    const ToolRun run = RunZen("image convert " + folder.Path("sky.cube") + " " + folder.Path("face.tga"));
    for (uint32_t face = 0; face < 6; ++face) {
        const std::string path = folder.Path("face_" + std::to_string(face) + ".tga");
        EXPECT_TRUE(test::Said(run, 0, {"wrote " + path + "\n"}));
        Ptr<Image> slice = new Image(String("s"), Image::kR8G8B8, 3, 2);
        std::memcpy(slice->Data(), cube->Slice(face), cube->GetSliceSize());
        EXPECT_EQ(RunZen("image info " + path).output, InfoLine(*slice)) << face;
    }
    // And a cube into a cube stays one file.
    EXPECT_EQ(RunZen("image convert " + folder.Path("sky.cube") + " " + folder.Path("copy.Cube")).exitCode, 0);
    EXPECT_EQ(RunZen("image info " + folder.Path("copy.Cube")).output, InfoLine(*cube));
}

}  // namespace
}  // namespace zen
