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
#include "support/ToolRun.h"
#include "tests/codecs/ImageTestSupport.h"

// `zen image info` and `zen image convert`, run as a program.
namespace zen {
namespace {

using test::Pattern;
using test::RunZen;
using test::ToolRun;

// The tool prints the engine's reasons as UTF-8 whatever the program's own code page.
std::string Utf8(const char8_t* text)
{
    return std::string(reinterpret_cast<const char*>(text));
}

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
    // A 5 × 3 colour picture saved as a bitmap.
    Ptr<Image> WriteBitmap(const std::string& path)
    {
        Ptr<Image> image = new Image(String("b"), Image::kR8G8B8, 5, 3);
        const std::vector<uint8_t> pixels = Pattern(image->GetDataSize(), 3);
        std::memcpy(image->Data(), pixels.data(), pixels.size());
        std::vector<uint8_t> bytes;
        EXPECT_EQ(BMPImageCodec::EncodeBytes(image.Get(), bytes), kSuccess);
        test::WriteFileBytes(path, bytes);
        return image;
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

    Ptr<VolumeImage> cube = new VolumeImage(String("c"), Image::kR8G8B8A8, 2, 2, 6);
    const std::vector<uint8_t> pixels = Pattern(cube->GetDataSize(), 4);
    std::memcpy(cube->Data(), pixels.data(), pixels.size());
    std::vector<uint8_t> bytes;
    ASSERT_EQ(CUBEImageCodec::EncodeBytes(cube.Get(), bytes), kSuccess);
    test::WriteFileBytes(folder.Path("sky.cube"), bytes);
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
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.output.find("odd.bmp: cannot be decoded"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find(Utf8(u8"Неподдерживаемая глубина цвета BMP [16]")), std::string::npos) << run.output;

    const ToolRun unknown = RunZen("image info " + folder.Path("notes.txt"));
    EXPECT_EQ(unknown.exitCode, 1);
    EXPECT_NE(unknown.output.find("no image codec reads the extension \"txt\""), std::string::npos) << unknown.output;
    const ToolRun absent = RunZen("image info " + folder.Path("absent.tga"));
    EXPECT_EQ(absent.exitCode, 1);
    EXPECT_NE(absent.output.find(Utf8(u8"Невозможно открыть файл изображения")), std::string::npos) << absent.output;
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

    const ToolRun wide = RunZen("image convert " + folder.Path("b.bmp") + " " + folder.Path("b.cube"));
    EXPECT_EQ(wide.exitCode, 1);
    EXPECT_NE(wide.output.find("b.cube: cannot be written"), std::string::npos) << wide.output;
    EXPECT_EQ(RunZen("image convert " + folder.Path("b.bmp") + " " + folder.Path("b.png")).exitCode, 1);
    EXPECT_EQ(RunZen("image convert " + folder.Path("b.bmp")).exitCode, 2);
}

TEST_F(ImageTool, ConvertTurnsACubeIntoSixFaces)
{
    Ptr<VolumeImage> cube = new VolumeImage(String("c"), Image::kR8G8B8, 3, 2, 6);
    const std::vector<uint8_t> pixels = Pattern(cube->GetDataSize(), 8);
    std::memcpy(cube->Data(), pixels.data(), pixels.size());
    std::vector<uint8_t> bytes;
    ASSERT_EQ(CUBEImageCodec::EncodeBytes(cube.Get(), bytes), kSuccess);
    test::WriteFileBytes(folder.Path("sky.cube"), bytes);

    const ToolRun run = RunZen("image convert " + folder.Path("sky.cube") + " " + folder.Path("face.tga"));
    EXPECT_EQ(run.exitCode, 0) << run.output;
    for (uint32_t face = 0; face < 6; ++face) {
        const std::string path = folder.Path("face_" + std::to_string(face) + ".tga");
        EXPECT_NE(run.output.find("wrote " + path + "\n"), std::string::npos) << run.output;
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
