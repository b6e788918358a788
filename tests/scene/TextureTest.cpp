#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/core/Object.h"
#include "engine/core/Ptr.h"
#include "engine/core/Stream.h"
#include "engine/render/Renderer.h"
#include "engine/scene/CompositeTexture.h"
#include "engine/scene/CubeTexture.h"
#include "engine/scene/Image.h"
#include "engine/scene/Texture.h"
#include "engine/scene/VolumeImage.h"
#include "engine/scene/VolumeTexture.h"
#include "modules/recording/RecordingRenderer.h"
#include "support/EngineScope.h"
#include "support/LogCapture.h"
#include "support/RecordChecks.h"
#include "support/RecordingRendererScope.h"
#include "support/TestClasses.h"

namespace zen {
namespace {

using test::PutInt;
using test::PutString;

// A texture record of `type` with mip levels 2 whose image link is `image` (bytes of a record).
std::vector<uint8_t> TextureRecord(const std::string& type, const std::vector<uint8_t>& image)
{
    std::vector<uint8_t> bytes;
    test::PutRecordHead(bytes, 1, type, "tex");
    PutInt(bytes, 2);  // Mip levels.
    bytes.insert(bytes.end(), image.begin(), image.end());
    return bytes;
}

std::vector<uint8_t> ImageRecord(const std::string& type, const std::vector<uint32_t>& sizes)
{
    std::vector<uint8_t> bytes;
    test::PutRecordHead(bytes, 2, type, "img");
    PutString(bytes, "");
    for (const uint32_t value : sizes)
        PutInt(bytes, value);
    return bytes;
}

class TextureTest : public ::testing::Test {
protected:
    test::EngineScope engine;
};

TEST_F(TextureTest, SettingAnImageRestartsTheMipChainAndTheDeviceCopy)
{
    Ptr<Image> first = new Image(String("a"), Image::kR8G8B8, 4, 4);
    Ptr<Image> second = new Image(String("b"), Image::kR8G8B8A8, 8, 8);
    Ptr<Texture> texture = new Texture(String("t"), first.Get());
    texture->SetMipLevels(3);
    texture->SetDirty(false);
    texture->SetImage(second.Get());
    EXPECT_EQ(texture->GetImage(), second.Get());
    EXPECT_EQ(texture->MipLevels(), 0);
    EXPECT_TRUE(texture->IsDirty());
    EXPECT_EQ(first->References(), 1) << "the old image was released";
    EXPECT_EQ(second->References(), 2);

    Ptr<VolumeImage> volume = new VolumeImage(String("v"), Image::kA8, 2, 2, 6);
    auto restarts = [&](auto& layered) {
        layered.SetMipLevels(5);
        layered.SetDirty(false);
        layered.SetImage(volume.Get());
        EXPECT_EQ(layered.MipLevels(), 0);
        EXPECT_TRUE(layered.IsDirty());
        EXPECT_EQ(layered.GetImage(false), volume.Get());
    };
    restarts(*Ptr<CubeTexture>(new CubeTexture()));
    restarts(*Ptr<VolumeTexture>(new VolumeTexture()));
}

TEST_F(TextureTest, GetImageMarksDirtyOnlyWhenAsked)
{
    Ptr<VolumeImage> volume = new VolumeImage(String("v"), Image::kA8, 2, 2, 2);
    auto marks = [&](auto& layered) {
        layered.SetDirty(false);
        EXPECT_EQ(layered.GetImage(false), volume.Get());
        EXPECT_FALSE(layered.IsDirty());
        EXPECT_EQ(layered.GetImage(true), volume.Get());
        EXPECT_TRUE(layered.IsDirty());
    };
    marks(*Ptr<VolumeTexture>(new VolumeTexture(String("t"), volume.Get())));
    marks(*Ptr<CubeTexture>(new CubeTexture(String("c"), volume.Get())));
}

TEST_F(TextureTest, TheRendererHoldingADeviceCopyIsToldToReleaseIt)
{
    test::RecordingRendererScope scope;
    ASSERT_EQ(LoadRenderer(String("Recording")), kSuccess);
    RecordingRenderer* renderer = RecordingRenderer::Latest();
    ASSERT_NE(renderer, nullptr);
    {
        Ptr<Texture> texture = new Texture(String("t"), new Image(String("a"), Image::kA8, 2, 2));
        Ptr<CubeTexture> cube = new CubeTexture(String("c"), nullptr);
        const uint64_t handle = 77;
        texture->Bind(sizeof handle, &handle);
        cube->Bind(sizeof handle, &handle);
        texture->SetImage(new Image(String("b"), Image::kA8, 4, 4));
        EXPECT_EQ(texture->BoundRenderer(), nullptr);
        EXPECT_TRUE(texture->IsDirty());
        ASSERT_EQ(renderer->Journal().size(), 1u);
        EXPECT_EQ(renderer->Journal()[0], "ReleaseTexture #1");
        renderer->ClearJournal();
        texture = nullptr;  // No device copy any more: nothing to release.
        EXPECT_TRUE(renderer->Journal().empty());
        cube = nullptr;
        ASSERT_EQ(renderer->Journal().size(), 1u);
        EXPECT_EQ(renderer->Journal()[0], "ReleaseTexture #2");
    }
    EXPECT_EQ(ReleaseRenderer(), kSuccess);
}

TEST_F(TextureTest, ATextureStreamsItsMipLevelsAndAnImageLink)
{
    Ptr<Image> image = new Image(String("img"), Image::kA8, 4, 2);
    Ptr<Texture> texture = new Texture(String("tex"), image.Get());
    texture->SetMipLevels(2);
    std::vector<uint8_t> expected;
    test::PutRecordHead(expected, texture->ID(), "ZEN.Texture", "tex");
    PutInt(expected, 2);
    test::PutRecordHead(expected, image->ID(), "ZEN.Image", "img");
    PutString(expected, "");
    for (const uint32_t value : {4u, 2u, uint32_t{Image::kA8}})
        PutInt(expected, value);
    ASSERT_EQ(test::SavedRecord(texture.Get()), expected);

    test::LogCapture log;
    Ptr<Texture> back = test::LoadedRecord<Texture>(expected);
    ASSERT_TRUE(back && back->IsExactly(&Texture::TYPE));
    EXPECT_EQ(back->MipLevels(), 2);
    EXPECT_TRUE(back->IsDirty());
    ASSERT_NE(back->GetImage(), nullptr);
    EXPECT_EQ(back->GetImage()->Width(), 4u);
    const int imageLine = log.IndexOf("INFO. Изображение [img] загружено.");
    const int textureLine = log.IndexOf("INFO. Текстура [tex] загружена.");
    EXPECT_GE(imageLine, 0) << log.Joined();
    EXPECT_GT(textureLine, imageLine) << log.Joined();
}

TEST_F(TextureTest, TexturesSharingAnImageShareItAfterLoading)
{
    Ptr<Image> image = new Image(String("shared"), Image::kA8, 2, 2);
    Ptr<Texture> one = new Texture(String("one"), image.Get());
    Ptr<Texture> two = new Texture(String("two"), image.Get());
    Stream out(0, 256);
    ASSERT_EQ(out.WriteObject(one.Get()), kSuccess);
    ASSERT_EQ(out.WriteObject(two.Get()), kSuccess);
    test::ByteStream reader(std::vector<uint8_t>(out.Data(), out.Data() + out.Position()));
    Object* first = nullptr;
    Object* second = nullptr;
    ASSERT_EQ(reader.ReadObject(&first), kSuccess);
    Ptr<Object> keepFirst(first);
    ASSERT_EQ(reader.ReadObject(&second), kSuccess);
    Ptr<Object> keepSecond(second);
    EXPECT_EQ(static_cast<Texture*>(first)->GetImage(), static_cast<Texture*>(second)->GetImage());
    EXPECT_NE(static_cast<Texture*>(first)->GetImage(), nullptr);
}

TEST_F(TextureTest, VolumeAndCubeTexturesNeedAVolumeImage)
{
    const std::vector<uint8_t> volume = ImageRecord("ZEN.VolumeImage", {2, 2, 6, 0});
    const std::vector<uint8_t> flat = ImageRecord("ZEN.Image", {2, 2, 0});
    for (const char* type : {"ZEN.CubeTexture", "ZEN.VolumeTexture", "ZEN.CompositeTexture"}) {
        Ptr<Object> loaded = test::LoadedRecord<Object>(TextureRecord(type, volume));
        ASSERT_NE(loaded, nullptr) << type;
        EXPECT_EQ(loaded->GetRtti()->Name(), type);

        test::LogCapture log;
        EXPECT_EQ(test::LoadedRecord<Object>(TextureRecord(type, flat)), nullptr) << type;
        EXPECT_TRUE(log.ContainsText("ERROR. Невозможно загрузить изображение текстуры. ID[")) << log.Joined();
    }
    // A flat texture takes either kind of image, but no other object.
    EXPECT_NE(test::LoadedRecord<Object>(TextureRecord("ZEN.Texture", volume)), nullptr);
    std::vector<uint8_t> thing;
    test::PutRecordHead(thing, 3, "ZEN.Thing", "odd");
    PutInt(thing, 0);
    PutInt(thing, 0xFFFFFFFF);
    PutInt(thing, 0xFFFFFFFF);
    test::LogCapture log;
    EXPECT_EQ(test::LoadedRecord<Object>(TextureRecord("ZEN.Texture", thing)), nullptr);
    EXPECT_TRUE(log.ContainsText("ERROR. Невозможно загрузить изображение текстуры. ID[")) << log.Joined();
    EXPECT_TRUE(log.ContainsText("Имя[tex]")) << log.Joined();
}

TEST_F(TextureTest, DamagedRecordsFailWithTheFieldsMessage)
{
    std::vector<uint8_t> noMips;
    test::PutRecordHead(noMips, 1, "ZEN.Texture", "tex");
    noMips.push_back(1);  // Mip levels cut short.
    test::LogCapture log;
    EXPECT_EQ(test::LoadedRecord<Object>(noMips), nullptr);
    EXPECT_TRUE(log.ContainsText("ERROR. Невозможно загрузить количество мип-мэпов текстуры. ID[")) << log.Joined();
    EXPECT_TRUE(log.ContainsText("ERROR. Невозможно загрузить родительские данные. ID[")) << log.Joined();

    log.Clear();
    std::vector<uint8_t> noImage = TextureRecord("ZEN.Texture", {});
    EXPECT_EQ(test::LoadedRecord<Object>(noImage), nullptr);
    EXPECT_TRUE(log.ContainsText("ERROR. Невозможно загрузить изображение текстуры. ID[")) << log.Joined();
    EXPECT_FALSE(log.ContainsText("загружена.")) << log.Joined();

    // Saving into a stream that is full at once.
    Ptr<Texture> texture = new Texture(String("tex"), nullptr);
    Stream full(4 + 3 + 4, 0);  // Room for the Object fields only.
    log.Clear();
    EXPECT_EQ(texture->Save(full), kFailure);
    EXPECT_TRUE(log.ContainsText("ERROR. Невозможно сохранить количество мип-мэпов текстуры. Имя[tex] ID[")) << log.Joined();
    Stream almost(4 + 3 + 4 + 4, 0);  // ... and the mip levels.
    log.Clear();
    EXPECT_EQ(texture->Save(almost), kFailure);
    EXPECT_TRUE(log.ContainsText("ERROR. Невозможно сохранить изображение текстуры. Имя[tex] ID[")) << log.Joined();
}

TEST_F(TextureTest, SearchesReachTheImage)
{
    Ptr<Image> image = new Image(String("Wood"), Image::kA8, 1, 1);
    Ptr<Texture> texture = new Texture(String("Wood Texture"), image.Get());
    EXPECT_EQ(texture->FindByName(String("Wood Texture")), texture.Get());
    EXPECT_EQ(texture->FindByName(String("Wood")), image.Get());
    EXPECT_EQ(texture->FindByName(String("Stone")), nullptr);
    Array<Object*> images(4, 4);
    texture->CollectByType(&Image::TYPE, images);
    ASSERT_EQ(images.Count(), 1u);
    EXPECT_EQ(images[0], image.Get());

    Ptr<VolumeImage> volume = new VolumeImage(String("Cube"), Image::kA8, 1, 1, 6);
    Ptr<CubeTexture> cube = new CubeTexture(String("Sky"), volume.Get());
    EXPECT_EQ(cube->FindByName(String("Cube")), volume.Get());
    Array<Object*> all(4, 4);
    cube->CollectByType(&Object::TYPE, all);
    EXPECT_EQ(all.Count(), 2u);
}

TEST_F(TextureTest, UpdateRunsTheControllers)
{
    std::string journal;
    Ptr<Texture> texture = new Texture(String("t"), nullptr);
    ASSERT_EQ(texture->SetController(new test::TestController(String("noise"), &journal)), kSuccess);
    texture->Update(0.5);
    EXPECT_EQ(journal, "noise(0.5)");
}

// The slices of a composite texture come from its sources, each scaled to the volume's size.
TEST_F(TextureTest, ACompositeTextureAssemblesItsSlicesWhenFirstUsed)
{
    Ptr<VolumeImage> volume = new VolumeImage(String("Composite"), Image::kA8, 4, 2, 1);
    Ptr<CompositeTexture> texture = new CompositeTexture(String("c"), volume.Get());
    Ptr<Image> exact = new Image(String("exact"), Image::kA8, 4, 2);
    for (uint8_t i = 0; i < 8; ++i)
        exact->Data()[i] = static_cast<uint8_t>(10 + i);
    Ptr<Image> small = new Image(String("small"), Image::kA8, 2, 1);
    small->Data()[0] = 1;
    small->Data()[1] = 2;
    Ptr<Image> colour = new Image(String("colour"), Image::kR8G8B8, 4, 2);
    ASSERT_EQ(texture->AddSourceImage(exact.Get()), kSuccess);
    ASSERT_EQ(texture->AddSourceImage(small.Get()), kSuccess);
    ASSERT_EQ(texture->AddSourceImage(colour.Get()), kSuccess);
    EXPECT_EQ(texture->AddSourceImage(nullptr), kInvalidArgument);
    EXPECT_EQ(texture->SourceImageCount(), 3u);
    EXPECT_FALSE(texture->IsComposed());

    texture->SetDirty(false);
    test::LogCapture log;
    VolumeImage* composed = texture->GetImage(false);
    ASSERT_EQ(composed, volume.Get());
    EXPECT_TRUE(texture->IsComposed());
    EXPECT_TRUE(texture->IsDirty());
    EXPECT_EQ(composed->Depth(), 3u);
    EXPECT_EQ(composed->Width(), 4u);
    // The exact source as it is, the small one doubled each way, the colour one left black.
    EXPECT_EQ(std::vector<uint8_t>(composed->Data(), composed->Data() + 24),
              (std::vector<uint8_t>{10, 11, 12, 13, 14, 15, 16, 17, 1, 1, 2, 2, 1, 1, 2, 2, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_TRUE(log.ContainsText("WARNING. Исходное изображение [colour] не подходит для слоя [2] текстуры. Имя[c]"))
        << log.Joined();

    // Composed once: later uses do not compose again until asked to.
    exact->Data()[0] = 99;
    EXPECT_EQ(texture->GetImage(false)->Slice(0)[0], 10);
    EXPECT_EQ(texture->GetImage(true), volume.Get());  // A writer: composition forgotten.
    EXPECT_FALSE(texture->IsComposed());
    EXPECT_EQ(texture->GetImage(false)->Slice(0)[0], 99);

    texture->RemoveSourceImages();
    EXPECT_EQ(texture->GetImage(false)->Depth(), 0u);
    Ptr<VolumeImage> other = new VolumeImage(String("Other"), Image::kA8, 1, 1, 1);
    ASSERT_EQ(texture->AddSourceImage(small.Get()), kSuccess);
    texture->SetImage(other.Get());
    EXPECT_FALSE(texture->IsComposed());
    EXPECT_EQ(texture->GetImage(false)->Slice(0)[0], 1);
    EXPECT_EQ(texture->FindByName(String("small")), small.Get());
}

// More sources than an image may have slices: the volume is left as it was and the log says
// why, instead of blaming memory.
TEST_F(TextureTest, ACompositeOfTooManySlicesIsRefusedWithItsSize)
{
    Ptr<VolumeImage> volume = new VolumeImage(String("Deep"), Image::kA8, 1, 1, 1);
    Ptr<CompositeTexture> texture = new CompositeTexture(String("c"), volume.Get());
    Ptr<Image> dot = new Image(String("dot"), Image::kA8, 1, 1);
    for (uint32_t i = 0; i <= Image::kMaxDepth; ++i)
        ASSERT_EQ(texture->AddSourceImage(dot.Get()), kSuccess);
    test::LogCapture log;
    EXPECT_EQ(texture->GetImage(false), volume.Get());
    EXPECT_FALSE(texture->IsComposed());
    EXPECT_EQ(volume->Depth(), 1u);
    EXPECT_TRUE(log.ContainsText("ERROR. Недопустимые размеры изображения [1 x 1 x 16385], формат [2]. ID["))
        << log.Joined();
    EXPECT_FALSE(log.ContainsText("Недостаточно памяти")) << log.Joined();
}

}  // namespace
}  // namespace zen
