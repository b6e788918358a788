#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "engine/core/Object.h"
#include "engine/core/Ptr.h"
#include "engine/core/Stream.h"
#include "engine/scene/Image.h"
#include "engine/scene/VolumeImage.h"
#include "engine/vfs/Directory.h"
#include "engine/vfs/FileManager.h"
#include "engine/vfs/MemoryFile.h"
#include "support/LogCapture.h"
#include "support/RecordChecks.h"
#include "tests/codecs/ImageTestSupport.h"

namespace zen {
namespace {

using test::PutInt;
using test::PutString;

// An image record of `type` named `name` (with the object ID `id`) of the file `fileName`,
// followed by `fields`.
std::vector<uint8_t> Record(const std::string& type, const std::string& name, const std::vector<uint32_t>& fields,
                            const std::string* fileName = nullptr, uint32_t id = 5)
{
    std::vector<uint8_t> bytes;
    test::PutRecordHead(bytes, id, type, name);
    PutString(bytes, fileName ? *fileName : std::string());
    for (const uint32_t field : fields)
        PutInt(bytes, field);
    return bytes;
}

// A TGA of 2 × 1 pixels (red, then blue), raw, bottom-left.
std::vector<uint8_t> SmallTga()
{
    return {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 1, 0, 24, 0, 0, 0, 255, 255, 0, 0};
}

class ImageTest : public ::testing::Test {
protected:
    test::ImageCodecScope codecs;
};

TEST_F(ImageTest, SizesAreCheckedBeforeTheyCanOverflow)
{
    uint32_t size = 7;
    EXPECT_TRUE(Image::ComputeDataSize(Image::kA8, 0, 5, 1, size));
    EXPECT_EQ(size, 0u);
    EXPECT_TRUE(Image::ComputeDataSize(Image::kR8G8B8, 4096, 4096, 1, size));
    EXPECT_EQ(size, 3u * 4096 * 4096);
    EXPECT_TRUE(Image::ComputeDataSize(Image::kA16B16G16R16, 4096, 4096, 2, size));  // Exactly the limit.
    EXPECT_EQ(size, Image::kMaxDataSize);
    size = 7;
    EXPECT_FALSE(Image::ComputeDataSize(Image::kA16B16G16R16, 4096, 4096, 3, size));
    EXPECT_FALSE(Image::ComputeDataSize(Image::kA16B16G16R16, 16384, 16384, 1, size));  // 2^31 bytes.
    EXPECT_FALSE(Image::ComputeDataSize(Image::kR8G8B8A8, 65536, 65536, 1, size));      // 2^34: wraps in 32 bits.
    EXPECT_FALSE(Image::ComputeDataSize(Image::kA8, 16385, 1, 1, size));
    EXPECT_FALSE(Image::ComputeDataSize(Image::kA8, 1, 1, 0xFFFFFFFF, size));
    EXPECT_FALSE(Image::ComputeDataSize(4, 1, 1, 1, size));
    EXPECT_EQ(size, 7u) << "untouched on refusal";
}

TEST_F(ImageTest, EmptyImagesOfAGivenSizeAreZeroed)
{
    Ptr<Image> image = new Image(String("Screen Image"), Image::kR8G8B8A8, 5, 3);
    EXPECT_EQ(image->Name(), "Screen Image");
    EXPECT_TRUE(image->FileName().IsEmpty());
    EXPECT_EQ(image->GetDataSize(), 60u);
    ASSERT_NE(image->Data(), nullptr);
    EXPECT_EQ(std::vector<uint8_t>(image->Data(), image->Data() + 60), std::vector<uint8_t>(60, 0));

    Ptr<VolumeImage> volume = new VolumeImage(String("Perlin Volume"), Image::kA8, 4, 4, 3);
    EXPECT_EQ(volume->Depth(), 3u);
    EXPECT_EQ(volume->GetDataSize(), 48u);
    EXPECT_EQ(volume->GetSliceSize(), 16u);
    EXPECT_EQ(volume->Slice(2), volume->Data() + 32);
    EXPECT_EQ(volume->Slice(3), nullptr);

    Ptr<Image> none = new Image(String("none"), Image::kA8, 0, 0);
    EXPECT_EQ(none->Data(), nullptr);
    EXPECT_EQ(none->GetDataSize(), 0u);
}

TEST_F(ImageTest, ImpossibleSizesLeaveAnEmptyImage)
{
    test::LogCapture log;
    Ptr<Image> image = new Image(String("huge"), Image::kR8G8B8A8, 20000, 20000);
    EXPECT_EQ(image->Data(), nullptr);
    EXPECT_EQ(image->Width(), 0u);
    EXPECT_TRUE(log.ContainsText("ERROR. Недопустимые размеры изображения [20000 x 20000], формат [1]. ID[")) << log.Joined();
    log.Clear();
    Ptr<VolumeImage> volume = new VolumeImage(String("deep"), Image::kA8, 8, 8, 0x7FFFFFFF);
    EXPECT_EQ(volume->Data(), nullptr);
    EXPECT_EQ(volume->Depth(), 0u);
    EXPECT_TRUE(log.ContainsText("Имя[deep]")) << log.Joined();
}

TEST_F(ImageTest, SetPixelsReplacesEverythingOrNothing)
{
    Ptr<Image> image = new Image(String("i"), Image::kA8, 2, 2);
    auto pixels = std::make_unique<uint8_t[]>(12);
    pixels[11] = 42;
    ASSERT_EQ(image->SetPixels(Image::kR8G8B8A8, 3, 1, std::move(pixels)), kSuccess);
    EXPECT_EQ(image->Format(), Image::kR8G8B8A8);
    EXPECT_EQ(image->Width(), 3u);
    EXPECT_EQ(image->Data()[11], 42);

    EXPECT_EQ(image->SetPixels(Image::kA8, 4, 4, nullptr), kInvalidArgument);       // No block for 16 bytes.
    EXPECT_EQ(image->SetPixels(9, 1, 1, std::make_unique<uint8_t[]>(8)), kInvalidArgument);  // No such format.
    EXPECT_EQ(image->SetPixels(Image::kA8, 20000, 1, std::make_unique<uint8_t[]>(1)), kInvalidArgument);
    EXPECT_EQ(image->Format(), Image::kR8G8B8A8);
    EXPECT_EQ(image->Data()[11], 42);

    // A flat image has one slice; a volume takes any depth within the limits.
    Ptr<VolumeImage> volume = new VolumeImage();
    EXPECT_EQ(volume->SetPixels(Image::kA8, 2, 2, 6, std::make_unique<uint8_t[]>(24)), kSuccess);
    EXPECT_EQ(volume->Depth(), 6u);
    EXPECT_EQ(volume->SetPixels(Image::kA8, 2, 2, std::make_unique<uint8_t[]>(4)), kSuccess);
    EXPECT_EQ(volume->Depth(), 1u);
    EXPECT_EQ(image->Allocate(Image::kA16B16G16R16, 2, 1), kSuccess);
    EXPECT_EQ(image->GetDataSize(), 16u);
}

TEST_F(ImageTest, AnImageWithoutAFileStreamsItsSizeAndComesBackEmpty)
{
    Ptr<Image> image = new Image(String("Screen Image"), Image::kR8G8B8A8, 5, 3);
    image->Data()[0] = 99;
    const std::vector<uint8_t> expected =
        Record("ZEN.Image", "Screen Image", {5, 3, Image::kR8G8B8A8}, nullptr, image->ID());  // No file.
    ASSERT_EQ(test::SavedRecord(image.Get()), expected) << "no pixels in the stream";

    test::LogCapture log;
    Ptr<Image> back = test::LoadedRecord<Image>(expected);
    ASSERT_TRUE(back && back->IsExactly(&Image::TYPE));
    // Read back, the fields went to their members: the copy writes the same record.
    EXPECT_EQ(test::SavedRecord(back.Get()),
              Record("ZEN.Image", "Screen Image", {5, 3, Image::kR8G8B8A8}, nullptr, back->ID()));
    ASSERT_NE(back->Data(), nullptr);
    EXPECT_EQ(back->GetDataSize(), 60u);
    EXPECT_TRUE(log.Contains("INFO. Изображение [Screen Image] загружено.")) << log.Joined();
}

TEST_F(ImageTest, AVolumeImageStreamsItsDepthAfterTheHeight)
{
    Ptr<VolumeImage> volume = new VolumeImage(String("v"), Image::kA8, 4, 2, 6);
    const std::vector<uint8_t> expected = Record("ZEN.VolumeImage", "v", {4, 2, 6, Image::kA8}, nullptr, volume->ID());
    ASSERT_EQ(test::SavedRecord(volume.Get()), expected);

    Ptr<VolumeImage> loaded = test::LoadedRecord<VolumeImage>(expected);
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(loaded->Depth(), 6u);
    EXPECT_EQ(loaded->GetDataSize(), 48u);
}

// An image decoded from a file of the file tree streams only the file's path and is decoded
// again when read: by the full path, by a path inside its archive, or by its bare name.
TEST_F(ImageTest, AnImageFromAFileIsDecodedAgainWhenRead)
{
    auto* media = new Directory(String("Media.rar2"), FileManager::Root());
    auto* textures = new Directory(String("Textures"), media);
    auto* file = new MemoryFile(String("wood.tga"));
    ASSERT_EQ(textures->AttachFile(file), kSuccess);
    const std::vector<uint8_t> tga = SmallTga();
    ASSERT_EQ(file->CopyData(tga.data(), static_cast<uint32_t>(tga.size())), kSuccess);

    Ptr<Image> image = new Image(file, String());
    EXPECT_EQ(image->Name(), "wood.tga");
    EXPECT_EQ(image->FileName(), "Media.rar2/Textures/wood.tga");
    ASSERT_EQ(image->GetDataSize(), 6u);
    EXPECT_EQ(image->Data()[0], 255);  // Red first.

    Ptr<Image> back = test::LoadedRecord<Image>(test::SavedRecord(image.Get()));
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->FileName(), "Media.rar2/Textures/wood.tga");
    ASSERT_EQ(back->GetDataSize(), 6u);
    EXPECT_EQ(std::memcmp(back->Data(), image->Data(), 6), 0);

    for (const std::string path : {"Textures/wood.tga", "Textures\\wood.tga", "wood.tga"}) {
        Ptr<Image> found = test::LoadedRecord<Image>(Record("ZEN.Image", "w", {}, &path));
        ASSERT_NE(found, nullptr) << path;
        EXPECT_EQ(found->Width(), 2u) << path;
    }
    delete media;
}

TEST_F(ImageTest, AMissingOrUnreadableFileFailsTheLoad)
{
    const std::string missing = "Textures/none.tga";
    test::LogCapture log;
    Result state = kSuccess;
    EXPECT_EQ(test::LoadedRecord<Object>(Record("ZEN.Image", "gone", {}, &missing), &state), nullptr);
    EXPECT_NE(state, kSuccess);
    EXPECT_TRUE(log.Contains("WARNING. Указатель на файл равен 0 при загрузке изображения [gone].")) << log.Joined();
    EXPECT_TRUE(log.ContainsText("ERROR. Невозможно загрузить изображение из файла. ID[")) << log.Joined();
    EXPECT_TRUE(log.ContainsText("Имя[gone] Файл[Textures/none.tga]")) << log.Joined();

    auto* media = new Directory(String("Media.rar2"), FileManager::Root());
    auto* broken = new MemoryFile(String("broken.tga"));
    ASSERT_EQ(media->AttachFile(broken), kSuccess);
    ASSERT_EQ(broken->CopyData("not a picture", 13), kSuccess);
    const std::string path = "broken.tga";
    log.Clear();
    EXPECT_EQ(test::LoadedRecord<Object>(Record("ZEN.Image", "bad", {}, &path)), nullptr);
    EXPECT_TRUE(log.Contains("ERROR. Неудачна загрузка изображения [bad].")) << log.Joined();
    delete media;
}

TEST_F(ImageTest, DamagedRecordsFailWithTheFieldsMessage)
{
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        const char* expected;
    } cases[] = {
        {"width cut", Record("ZEN.Image", "x", {}), "Невозможно загрузить ширину изображения. ID["},
        {"height cut", Record("ZEN.Image", "x", {4}), "Невозможно загрузить высоту изображения. ID["},
        {"depth cut", Record("ZEN.VolumeImage", "x", {4, 4}), "Невозможно загрузить высоту изображения. ID["},
        {"format cut", Record("ZEN.Image", "x", {4, 4}), "Невозможно загрузить формат изображения. ID["},
        {"unknown format", Record("ZEN.Image", "x", {4, 4, 4}), "Невозможно загрузить формат изображения. ID["},
        {"absurd size", Record("ZEN.Image", "x", {0x7FFFFFFF, 0x7FFFFFFF, 0}),
         "Недопустимые размеры изображения [2147483647 x 2147483647 x 1], формат [0]. ID["},
        {"absurd depth", Record("ZEN.VolumeImage", "x", {1024, 1024, 0x10000, 0}),
         "Недопустимые размеры изображения [1024 x 1024 x 65536], формат [0]. ID["},
    };
    for (const Case& c : cases) {
        test::LogCapture log;
        Result state = kSuccess;
        EXPECT_EQ(test::LoadedRecord<Object>(c.bytes, &state), nullptr) << c.what;
        EXPECT_NE(state, kSuccess) << c.what;
        EXPECT_TRUE(log.ContainsText(std::string("ERROR. ") + c.expected)) << c.what << "\n" << log.Joined();
        EXPECT_FALSE(log.ContainsText("загружено.")) << c.what;
    }
    // The file name's length is checked against the bytes left before anything is allocated.
    std::vector<uint8_t> longName = Record("ZEN.Image", "x", {});
    longName.resize(longName.size() - 4);
    PutInt(longName, 0x7FFFFFF0);
    test::LogCapture log;
    EXPECT_EQ(test::LoadedRecord<Object>(longName), nullptr);
    EXPECT_TRUE(log.ContainsText("ERROR. Невозможно загрузить имя файла изображения. ID[")) << log.Joined();
}

TEST_F(ImageTest, EachFieldThatCannotBeWrittenHasItsMessage)
{
    Ptr<Image> image = new Image(String("img"), Image::kA8, 2, 2);
    const uint32_t objectFields = 4 + 3 + 4;  // Name and controller count.
    struct Case {
        uint32_t room;
        const char* expected;
    } cases[] = {
        {0, "Невозможно сохранить родительские данные. Имя[img] ID["},
        {objectFields, "Невозможно сохранить имя файла изображения. Имя[img] ID["},
        {objectFields + 4, "Невозможно сохранить ширину изображения. Имя[img] ID["},
        {objectFields + 8, "Невозможно сохранить высоту изображения. Имя[img] ID["},
        {objectFields + 12, "Невозможно сохранить формат изображения. Имя[img] ID["},
    };
    for (const Case& c : cases) {
        Stream stream(c.room, 0);  // Fixed size: the write after `room` bytes fails.
        test::LogCapture log;
        EXPECT_EQ(image->Save(stream), kFailure) << c.room;
        EXPECT_TRUE(log.ContainsText(std::string("ERROR. ") + c.expected)) << c.room << "\n" << log.Joined();
    }
    Ptr<VolumeImage> volume = new VolumeImage(String("img"), Image::kA8, 2, 2, 2);
    Stream stream(objectFields + 12, 0);  // Room up to the height; the depth does not fit.
    test::LogCapture log;
    EXPECT_EQ(volume->Save(stream), kFailure);
    EXPECT_TRUE(log.ContainsText("ERROR. Невозможно сохранить высоту изображения. Имя[img] ID[")) << log.Joined();
}

TEST_F(ImageTest, LoadFromFileNeedsAFileAndACodec)
{
    Ptr<Image> image = new Image(String("pic"), Image::kA8, 1, 1);
    test::LogCapture log;
    EXPECT_EQ(image->LoadFromFile(nullptr), kInvalidArgument);
    EXPECT_TRUE(log.Contains("WARNING. Указатель на файл равен 0 при загрузке изображения [pic].")) << log.Joined();
    MemoryFile text{String("notes.txt")};
    ASSERT_EQ(text.CopyData("hello", 5), kSuccess);
    EXPECT_EQ(image->LoadFromFile(&text), kInvalidArgument);
    EXPECT_TRUE(log.Contains("WARNING. Не найден кодек для файла при загрузке изображения [pic].")) << log.Joined();
    EXPECT_EQ(image->Width(), 1u);

    // The (file, name) constructor keeps the given name.
    MemoryFile tga{String("x.tga")};
    const std::vector<uint8_t> bytes = SmallTga();
    ASSERT_EQ(tga.CopyData(bytes.data(), static_cast<uint32_t>(bytes.size())), kSuccess);
    Ptr<Image> named = new Image(&tga, String("Logo"));
    EXPECT_EQ(named->Name(), "Logo");
    EXPECT_EQ(named->FileName(), "x.tga");
    EXPECT_EQ(named->Width(), 2u);
}

}  // namespace
}  // namespace zen
