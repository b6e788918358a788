#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <numeric>
#include <string>
#include <vector>

#include "anim/AnimTestSupport.h"
#include "engine/anim/FresnelTextureController.h"
#include "engine/anim/NoiseTextureController.h"
#include "engine/anim/NormalmapTextureController.h"
#include "engine/anim/PerlinNoiseTextureController.h"
#include "engine/core/Ptr.h"
#include "engine/core/Stream.h"
#include "engine/scene/Image.h"
#include "engine/scene/Texture.h"
#include "engine/scene/VolumeImage.h"
#include "engine/scene/VolumeTexture.h"
#include "support/EngineScope.h"
#include "support/LogCapture.h"
#include "support/RecordBytes.h"
#include "support/RecordChecks.h"
#include "support/StreamForm.h"

// The processor-side texture generators: noise, octave noise, normal map from heights and the
// Fresnel ramp. Reference values come from an independent Python transcription of the formulas.
namespace zen {
namespace {

using test::ByteStream;
using test::PutFloat;
using test::ShortStream;

std::vector<uint8_t> Pixels(const Image& image)
{
    return std::vector<uint8_t>(image.Data(), image.Data() + image.GetDataSize());
}

// A texture over a fresh image with the generator attached.
Ptr<Texture> TextureWith(Controller* generator, uint32_t format, uint32_t width, uint32_t height)
{
    Ptr<Texture> texture = new Texture(String("tex"), new Image(String("img"), format, width, height));
    EXPECT_EQ(texture->SetController(generator), kSuccess);
    return texture;
}

class TextureGenerators : public ::testing::Test {
protected:
    test::EngineScope engine;
};

TEST_F(TextureGenerators, HashMatchesAnIndependentTranscription)
{
    const struct {
        uint32_t n;
        float expected;
    } cases[] = {{0, -0.281791f}, {1, -0.2263731f}, {57, 0.204344f}, {131, -0.4821462f},
                 {1000, 0.9561058f}, {0xFFFFFFFFu, 0.9001263f}};
    for (const auto& c : cases)
        EXPECT_NEAR(TextureGenerator::NoiseHash(c.n), c.expected, 1e-6) << c.n;
}

TEST_F(TextureGenerators, BytesAreTheLowBitsOfTheTruncatedValue)
{
    const struct {
        double value;
        uint8_t expected;
    } cases[] = {{0.9, 0}, {255.99, 255}, {256.5, 0}, {-0.9, 0}, {-1.0, 255}, {-72.3, 184}, {1e30, 255}, {-1e30, 0}};
    for (const auto& c : cases)
        EXPECT_EQ(TextureGenerator::LowByte(c.value), c.expected) << c.value;
}

// Signed view of noise bytes: the values are not remapped, so they wrap around in the byte.
std::vector<int> Signed(const std::vector<uint8_t>& bytes)
{
    const auto* values = reinterpret_cast<const int8_t*>(bytes.data());
    return std::vector<int>(values, values + bytes.size());
}

TEST_F(TextureGenerators, NoiseSpreadsOverTheConfiguredColourRange)
{
    const struct {
        float scale;
        int bound;  // |value * scale * 255| never exceeds it.
    } cases[] = {{0.5f, 127}, {0.25f, 63}, {0.1f, 25}};
    for (const auto& c : cases) {
        Ptr<NoiseTextureController> noise = new NoiseTextureController;
        noise->SetColor({c.scale, c.scale, c.scale, c.scale});
        Ptr<Texture> texture = TextureWith(noise.Get(), Image::kA8, 64, 64);
        texture->SetDirty(false);
        texture->Update(0.1);
        EXPECT_TRUE(texture->IsDirty());
        EXPECT_TRUE(noise->IsDone());
        const std::vector<int> values = Signed(Pixels(*texture->GetImage()));
        const auto [low, high] = std::minmax_element(values.begin(), values.end());
        EXPECT_NEAR(std::accumulate(values.begin(), values.end(), 0.0) / values.size(), 0, c.bound * 0.08) << c.scale;
        EXPECT_LE(*high, c.bound);
        EXPECT_GE(*low, -c.bound);
        EXPECT_GT(*high, c.bound * 9 / 10) << c.scale;
        EXPECT_LT(*low, -c.bound * 9 / 10) << c.scale;
    }
}

TEST_F(TextureGenerators, NoiseColourScalesEachByteOfThePixel)
{
    Ptr<NoiseTextureController> noise = new NoiseTextureController;
    noise->SetColor({0.5f, 0, 0.25f, 0});
    Ptr<Texture> texture = TextureWith(noise.Get(), Image::kR8G8B8A8, 16, 16);
    texture->Update(0);
    const std::vector<uint8_t> bytes = Pixels(*texture->GetImage());
    bool someRed = false;
    for (size_t i = 0; i < bytes.size(); i += 4) {
        EXPECT_EQ(bytes[i + 1], 0);
        EXPECT_EQ(bytes[i + 3], 0);
        const int red = static_cast<int8_t>(bytes[i]);
        const int blue = static_cast<int8_t>(bytes[i + 2]);
        // Same value, half the scale: blue follows red within truncation.
        EXPECT_NEAR(blue, red / 2.0, 1.01) << i;
        someRed = someRed || red != 0;
    }
    EXPECT_TRUE(someRed);
}

TEST_F(TextureGenerators, NoiseWritesOnceUnlessItRegenerates)
{
    for (const bool regenerate : {false, true}) {
        Ptr<NoiseTextureController> noise = new NoiseTextureController;
        noise->SetRegenerate(regenerate);
        Ptr<Texture> texture = TextureWith(noise.Get(), Image::kR8G8B8, 32, 32);
        std::srand(11);
        texture->Update(0);
        const std::vector<uint8_t> first = Pixels(*texture->GetImage());
        texture->Update(0);
        const std::vector<uint8_t> second = Pixels(*texture->GetImage());
        EXPECT_EQ(first != second, regenerate);
        // The same seed gives the same pattern.
        std::srand(11);
        Ptr<NoiseTextureController> again = new NoiseTextureController;
        Ptr<Texture> other = TextureWith(again.Get(), Image::kR8G8B8, 32, 32);
        other->Update(0);
        EXPECT_EQ(Pixels(*other->GetImage()), first);
    }
}

TEST_F(TextureGenerators, NoiseFillsEverySliceOfAVolumeDifferently)
{
    Ptr<NoiseTextureController> noise = new NoiseTextureController;
    Ptr<VolumeTexture> volume = new VolumeTexture(String("v"), new VolumeImage(String("vi"), Image::kA8, 8, 8, 3));
    ASSERT_EQ(volume->SetController(noise.Get()), kSuccess);
    volume->SetDirty(false);
    volume->Update(0);
    EXPECT_TRUE(volume->IsDirty());
    VolumeImage* image = volume->GetImage(false);
    ASSERT_EQ(image->Depth(), 3u);
    EXPECT_NE(std::memcmp(image->Slice(0), image->Slice(1), 64), 0);
    EXPECT_NE(std::memcmp(image->Slice(1), image->Slice(2), 64), 0);
}

TEST_F(TextureGenerators, OctaveNoiseMatchesAnIndependentTranscription)
{
    PerlinNoiseTextureController perlin;
    perlin.SetLatticeSize(4);
    perlin.SetOctaves(3);
    std::vector<float> values;
    ASSERT_TRUE(perlin.ComputeFlat(8, 6, 7, values));
    ASSERT_EQ(values.size(), 48u);
    const struct {
        uint32_t x, y;
        float expected;
    } cases[] = {{0, 0, 0.318816f}, {3, 1, 0.403107f}, {7, 5, 0.258409f}, {5, 2, 0.440661f}};
    for (const auto& c : cases)
        EXPECT_NEAR(values[c.y * 8 + c.x], c.expected, 2e-5) << c.x << "," << c.y;
}

TEST_F(TextureGenerators, OctaveNoiseStaysInRangeAndLogsItsSpanOncePerGeneration)
{
    for (const int32_t octaves : {1, 4, 8}) {
        Ptr<PerlinNoiseTextureController> perlin = new PerlinNoiseTextureController;
        perlin->SetOctaves(octaves);
        perlin->SetPersistence(0.9f);  // Sums run into the clamp.
        Ptr<Texture> texture = TextureWith(perlin.Get(), Image::kA8, 64, 64);
        // The lattice's seed comes from the process's generator, which the engine seeds with the
        // time: fixed here, so the picture's mean is the same on every run.
        std::srand(12345);
        test::LogCapture log;
        texture->Update(0);
        texture->Update(0);
        int spans = 0;
        for (const std::string& line : log.Lines())
            spans += line.rfind("ERROR. Min[", 0) == 0;
        EXPECT_EQ(spans, 1) << octaves;
        const std::vector<uint8_t> bytes = Pixels(*texture->GetImage());
        const double mean = std::accumulate(bytes.begin(), bytes.end(), 0.0) / bytes.size();
        EXPECT_GT(mean, 60) << octaves;
        EXPECT_LT(mean, 195) << octaves;
    }
}

TEST_F(TextureGenerators, VolumeOctaveNoiseIsStretchedToTheFullRangeThenSmoothed)
{
    PerlinNoiseTextureController perlin;
    perlin.SetLatticeSize(4);
    std::vector<float> values;
    test::LogCapture log;
    ASSERT_TRUE(perlin.ComputeVolume(8, 8, 8, 3, values));
    ASSERT_EQ(values.size(), 512u);
    const float low = *std::min_element(values.begin(), values.end());
    const float high = *std::max_element(values.begin(), values.end());
    // Smoothing averages (its weights sum to 1), so the stretched 0..1 narrows but stays inside.
    EXPECT_GE(low, 0.0f);
    EXPECT_LE(high, 1.0f);
    EXPECT_LT(high - low, 0.9f);
    EXPECT_GT(high - low, 0.05f);
    EXPECT_TRUE(log.ContainsText("Min["));
}

TEST_F(TextureGenerators, RefusedOctaveNoiseParametersLeaveTheImageAndSayWhy)
{
    const struct {
        int32_t lattice, octaves;
    } cases[] = {{0, 4}, {-16, 4}, {100000, 4}, {16, -1}, {16, 1000}};
    for (const auto& c : cases) {
        Ptr<PerlinNoiseTextureController> perlin = new PerlinNoiseTextureController;
        perlin->SetLatticeSize(c.lattice);
        perlin->SetOctaves(c.octaves);
        Ptr<Texture> texture = TextureWith(perlin.Get(), Image::kA8, 8, 8);
        std::memset(texture->GetImage()->Data(), 77, 64);
        test::LogCapture log;
        texture->Update(0);
        EXPECT_TRUE(log.ContainsText("Неверные параметры шума")) << c.lattice << " " << c.octaves;
        EXPECT_EQ(Pixels(*texture->GetImage()), std::vector<uint8_t>(64, 77));
        EXPECT_TRUE(perlin->IsDone());  // Logged once, not every frame.
    }
}

TEST_F(TextureGenerators, NormalMapOfAFlatFieldPointsStraightUp)
{
    for (const bool keep : {false, true}) {
        Ptr<NormalmapTextureController> normals = new NormalmapTextureController;
        normals->SetKeepHeight(keep);
        Ptr<Texture> texture = TextureWith(normals.Get(), Image::kA8, 5, 3);
        std::memset(texture->GetImage()->Data(), 90, 15);
        texture->Update(0);
        const Image& image = *texture->GetImage();
        EXPECT_EQ(image.Format(), keep ? Image::kR8G8B8A8 : Image::kR8G8B8);
        std::vector<uint8_t> expected;
        for (int i = 0; i < 15; ++i) {
            expected.insert(expected.end(), {128, 128, 255});
            if (keep)
                expected.push_back(90);
        }
        EXPECT_EQ(Pixels(image), expected);
    }
}

TEST_F(TextureGenerators, NormalMapOfARampLeansAgainstTheSlope)
{
    Ptr<NormalmapTextureController> normals = new NormalmapTextureController;
    Ptr<Texture> texture = TextureWith(normals.Get(), Image::kA8, 8, 2);
    uint8_t* heights = texture->GetImage()->Data();
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 8; ++x)
            heights[y * 8 + x] = static_cast<uint8_t>(x * 16);  // Rising to the right.
    texture->Update(0);
    const std::vector<uint8_t> bytes = Pixels(*texture->GetImage());
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 7; ++x) {
            const uint8_t* p = &bytes[(y * 8 + x) * 3];
            EXPECT_EQ(p[0], 89) << x;  // Tilted away from the rise.
            EXPECT_EQ(p[1], 128) << x;
            EXPECT_EQ(p[2], 249) << x;
        }
        // The last column differences against the wrapped-around first, a fall.
        const uint8_t* last = &bytes[(y * 8 + 7) * 3];
        EXPECT_EQ(last[0], 243);
        EXPECT_EQ(last[1], 128);
        EXPECT_EQ(last[2], 180);
    }
}

TEST_F(TextureGenerators, NormalMapWaitsForAGreyImage)
{
    Ptr<NormalmapTextureController> normals = new NormalmapTextureController;
    Ptr<Texture> texture = TextureWith(normals.Get(), Image::kR8G8B8, 4, 4);
    texture->Update(0);
    EXPECT_FALSE(normals->IsDone());
    EXPECT_EQ(texture->GetImage()->Format(), Image::kR8G8B8);
    texture->SetImage(new Image(String("grey"), Image::kA8, 4, 4));
    texture->Update(0);
    EXPECT_TRUE(normals->IsDone());
    EXPECT_EQ(texture->GetImage()->Format(), Image::kR8G8B8);
    EXPECT_EQ(Pixels(*texture->GetImage())[2], 255);
}

TEST_F(TextureGenerators, FresnelRampFallsFromFullReflectionToTheNormalIncidenceValue)
{
    Ptr<FresnelTextureController> fresnel = new FresnelTextureController;
    Ptr<Texture> texture = TextureWith(fresnel.Get(), Image::kR8G8B8A8, 16, 3);
    texture->Update(0);
    const Image& image = *texture->GetImage();
    EXPECT_EQ(image.Format(), Image::kR8G8B8A8);
    const uint8_t expected[16] = {255, 186, 133, 93, 64, 43, 29, 19, 13, 9, 7, 5, 5, 5, 5, 5};
    const std::vector<uint8_t> bytes = Pixels(image);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 16; ++x)
            for (int c = 0; c < 4; ++c)
                EXPECT_EQ(bytes[(y * 16 + x) * 4 + c], expected[x]) << x << "," << y;
    EXPECT_NEAR(fresnel->Reflectance(1), 0.0203672f, 1e-6);
}

TEST_F(TextureGenerators, OwnersOfOtherKindsOnlyEndTheWork)
{
    // A volume texture suits the noise generators only.
    Ptr<FresnelTextureController> fresnel = new FresnelTextureController;
    Ptr<VolumeTexture> volume = new VolumeTexture(String("v"), new VolumeImage(String("vi"), Image::kA8, 2, 2, 2));
    ASSERT_EQ(volume->SetController(fresnel.Get()), kSuccess);
    test::LogCapture log;
    volume->Update(0);
    EXPECT_TRUE(fresnel->IsDone());
    EXPECT_EQ(Pixels(*volume->GetImage(false)), std::vector<uint8_t>(8, 0));
    EXPECT_TRUE(log.Lines().empty());

    Ptr<NoiseTextureController> ownerless = new NoiseTextureController;
    ownerless->Update(0);
    EXPECT_TRUE(ownerless->IsDone());
}

TEST_F(TextureGenerators, AnEmptyImageIsRefusedWithALogLine)
{
    Ptr<FresnelTextureController> fresnel = new FresnelTextureController;
    Ptr<Texture> texture = TextureWith(fresnel.Get(), Image::kA8, 0, 0);
    test::LogCapture log;
    texture->Update(0);
    EXPECT_TRUE(log.ContainsText("Нет изображения для генерации текстуры"));
    EXPECT_TRUE(fresnel->IsDone());
    log.Clear();
    texture->Update(0);
    EXPECT_TRUE(log.Lines().empty());
}

TEST_F(TextureGenerators, InactiveGeneratorsWait)
{
    Ptr<FresnelTextureController> fresnel = new FresnelTextureController;
    fresnel->SetActive(false);
    Ptr<Texture> texture = TextureWith(fresnel.Get(), Image::kA8, 4, 1);
    texture->Update(0);
    EXPECT_FALSE(fresnel->IsDone());
    EXPECT_EQ(Pixels(*texture->GetImage()), std::vector<uint8_t>(4, 0));
}

// Stream forms: the bytes after the controller block, from the defaults, and back.
struct StreamCase {
    const char* type;
    std::vector<uint8_t> fields;  // After the controller block, at the defaults.
    const char* saveMessage;
    const char* loadMessage;
};

std::vector<StreamCase> StreamCases()
{
    std::vector<uint8_t> noise{0};
    for (int i = 0; i < 4; ++i)
        PutFloat(noise, 1.0f);
    std::vector<uint8_t> perlin = noise;
    test::PutInt(perlin, 4);
    test::PutInt(perlin, 16);
    PutFloat(perlin, 0.5f);
    std::vector<uint8_t> normals;
    PutFloat(normals, 5.0f);
    normals.push_back(0);
    std::vector<uint8_t> fresnel;
    PutFloat(fresnel, 1.000293f);
    PutFloat(fresnel, 1.333333f);
    return {
        {"ZEN.NoiseTextureController", noise, "Невозможно сохранить данные генерации. Имя[g] ID[",
         "Невозможно загрузить данные генерации. ID["},
        {"ZEN.PerlinNoiseTextureController", perlin, "Невозможно сохранить данные генерации. Имя[g] ID[",
         "Невозможно загрузить данные генерации. ID["},
        {"ZEN.NormalmapTextureController", normals, "Невозможно сохранить коэффициент бампа. Имя[g] ID[",
         "Невозможно загрузить коэффициент бампа. ID["},
        {"ZEN.FresnelTextureController", fresnel, "Невозможно сохранить коэффициенты френеля. Имя[g] ID[",
         "Невозможно загрузить коэффициент френеля. ID["},
    };
}

TEST_F(TextureGenerators, StreamFormsAfterTheControllerBlock)
{
    for (const StreamCase& c : StreamCases()) {
        test::ExpectStreamForm(c.type, c.fields, true, {1});  // After the active flag.
        // One byte short on the way in or out: the group's own message.
        Ptr<Object> object = test::CreateRegistered(c.type);
        ASSERT_NE(object, nullptr) << c.type;
        object->SetName(String("g"));
        Stream out;
        ASSERT_EQ(object->Save(out), kSuccess);
        ByteStream truncated(std::vector<uint8_t>(out.Data(), out.Data() + out.Position() - 1));
        ShortStream full(out.Position() - 1);
        test::LogCapture log;
        EXPECT_EQ(object->Load(truncated), kFailure);
        EXPECT_EQ(object->Save(full), kFailure);
        EXPECT_TRUE(log.ContainsText(c.loadMessage)) << c.type;
        EXPECT_TRUE(log.ContainsText(c.saveMessage)) << c.type;
    }
}

TEST_F(TextureGenerators, ChangedFieldsComeBack)
{
    Ptr<PerlinNoiseTextureController> perlin = new PerlinNoiseTextureController;
    perlin->SetRegenerate(true);
    perlin->SetColor({0.1f, 0.2f, 0.3f, 0.4f});
    perlin->SetOctaves(6);
    perlin->SetLatticeSize(32);
    perlin->SetPersistence(0.25f);
    Ptr<PerlinNoiseTextureController> back =
        test::LoadedRecord<PerlinNoiseTextureController>(test::SavedRecord(perlin.Get()));
    ASSERT_NE(back, nullptr);
    EXPECT_TRUE(back->Regenerate());
    EXPECT_EQ(back->Color(), (Vector4{0.1f, 0.2f, 0.3f, 0.4f}));
    EXPECT_EQ(back->Octaves(), 6);
    EXPECT_EQ(back->LatticeSize(), 32);
    EXPECT_EQ(back->Persistence(), 0.25f);

    Ptr<NormalmapTextureController> normals = new NormalmapTextureController;
    normals->SetBump(2.5f);
    normals->SetKeepHeight(true);
    Ptr<NormalmapTextureController> back2 =
        test::LoadedRecord<NormalmapTextureController>(test::SavedRecord(normals.Get()));
    ASSERT_NE(back2, nullptr);
    EXPECT_EQ(back2->Bump(), 2.5f);
    EXPECT_TRUE(back2->KeepHeight());
}

}  // namespace
}  // namespace zen
