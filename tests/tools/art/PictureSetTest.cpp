#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <string>
#include <vector>

#include "engine/core/Ptr.h"
#include "engine/scene/Image.h"
#include "engine/vfs/File.h"
#include "engine/vfs/FileManager.h"
#include "modules/codecs/Rar2Archive.h"
#include "modules/codecs/Rar2Format.h"
#include "platform/PosixTestHooks.h"
#include "support/LoadedCodec.h"
#include "tests/codecs/ImageTestSupport.h"
#include "tools/art/ClockGlyphs.h"
#include "tools/art/PictureSet.h"

// The pictures of the archive of resource 134 as the saver finds them: every name it loads is
// there, decodes through the engine's codecs to the expected size and format, and the glyphs and
// ornaments have the transparency the overlays rely on.
namespace zen::art {
namespace {

constexpr int kPictureResource = 134;

const std::vector<std::string> kExpectedNames = {
    "loader.jpg",     "4loader_ld.tga",  "4loader_rd.tga", "4loader_lu.tga", "4loader_ru.tga", "digit_0.tga",
    "digit_1.tga",    "digit_2.tga",     "digit_3.tga",    "digit_4.tga",    "digit_5.tga",    "digit_6.tga",
    "digit_7.tga",    "digit_8.tga",     "digit_9.tga",    "digit_a.tga",    "digit_p.tga",    "digit_m.tga",
    "digit_dot.tga",  "digit_ddot.tga",  "settings.bmp",   "preview.bmp",    "logo.bmp",
};

// Drawn once for the whole suite: the set takes seconds to draw.
const std::vector<PictureSet::Picture>& Pictures()
{
    static const std::vector<PictureSet::Picture> pictures = [] {
        std::vector<PictureSet::Picture> made;
        EXPECT_EQ(PictureSet::MakeAll(made), kSuccess);
        return made;
    }();
    return pictures;
}

const std::vector<uint8_t>& Archive()
{
    static const std::vector<uint8_t> archive = [] {
        std::vector<uint8_t> packed;
        EXPECT_EQ(PictureSet::Pack(Pictures(), packed), kSuccess);
        return packed;
    }();
    return archive;
}

// A decoded picture: straight RGBA, rows top-down (as seen on screen).
struct Pixels {
    int width = 0;
    int height = 0;
    uint32_t format = 0;
    std::vector<uint8_t> rgba;
    const uint8_t* At(int x, int y) const { return &rgba[(static_cast<size_t>(y) * width + x) * 4]; }
};

// The saver's way in: the archive attached as the resource, each picture found by name in the
// file tree and decoded by the codec its extension picks.
class PictureArchive : public ::testing::Test {
protected:
    static void SetUpTestSuite() { (void)Archive(); }

    PictureArchive()
    {
        (void)test::LoadedCodec("RAR2FileCodec");
        platform::posix::SetMediaResource(kPictureResource, Archive());
        EXPECT_EQ(FileManager::AttachResource(kPictureResource, String("CustomData.rar2"), String()), kSuccess);
    }
    ~PictureArchive() override { platform::posix::RemoveMediaResource(kPictureResource); }

    bool Decode(const std::string& name, Pixels& out)
    {
        File* file = FileManager::FindFile(String(name));
        if (!file)
            return false;
        Ptr<Image> image = new Image(file, String());
        if (!image->Data())
            return false;
        out.width = static_cast<int>(image->Width());
        out.height = static_cast<int>(image->Height());
        out.format = image->Format();
        const uint32_t bytes = Image::BytesPerPixel(image->Format());
        const std::vector<uint8_t> rows = test::FlippedRows(*image);
        out.rgba.assign(rows.size() / bytes * 4, 255);
        for (size_t i = 0; i < rows.size() / bytes; ++i)
            for (uint32_t c = 0; c < bytes && c < 4; ++c)
                out.rgba[i * 4 + c] = rows[i * bytes + c];
        return true;
    }

    test::ImageCodecScope codecs;  // The engine with the image codecs.
};

TEST_F(PictureArchive, HoldsEveryPictureTheSaverLoads)
{
    EXPECT_EQ(PictureSet::Names(), kExpectedNames);
    for (const std::string& name : kExpectedNames)
        EXPECT_NE(FileManager::FindFile(String(name)), nullptr) << name;
    for (const ClockGlyphs::Glyph& glyph : ClockGlyphs::Glyphs())
        EXPECT_NE(std::find(kExpectedNames.begin(), kExpectedNames.end(), glyph.file), kExpectedNames.end());
}

TEST_F(PictureArchive, EveryPictureDecodesWithItsSizeAndFormat)
{
    for (const std::string& name : kExpectedNames) {
        Pixels pixels;
        ASSERT_TRUE(Decode(name, pixels)) << name;
        int width = 0;
        int height = 0;
        ASSERT_TRUE(PictureSet::Size(name, width, height)) << name;
        EXPECT_EQ(pixels.width, width) << name;
        EXPECT_EQ(pixels.height, height) << name;
        const bool tga = name.ends_with(".tga");
        EXPECT_EQ(pixels.format, static_cast<uint32_t>(tga ? Image::kR8G8B8A8 : Image::kR8G8B8)) << name;
    }
    int width = 0;
    int height = 0;
    EXPECT_TRUE(PictureSet::Size("loader.jpg", width, height));
    EXPECT_EQ(width * 3, height * 4);  // A 4:3 picture stretched over the screen.
    EXPECT_FALSE(PictureSet::Size("loader.png", width, height));
}

TEST_F(PictureArchive, ArchiveCompressesWhatShrinksAndRoundTripsEveryByte)
{
    Rar2Archive archive;
    ASSERT_EQ(archive.Open(Archive().data(), static_cast<uint32_t>(Archive().size())), kSuccess);
    ASSERT_EQ(archive.EntryCount(), kExpectedNames.size());
    for (uint32_t i = 0; i < archive.EntryCount(); ++i) {
        const Rar2Entry& entry = archive.Entry(i);
        EXPECT_EQ(entry.name, kExpectedNames[i]);
        EXPECT_FALSE(entry.IsDirectory());
        if (entry.name.ends_with(".tga") || entry.name.ends_with(".bmp")) {
            EXPECT_NE(entry.method, rar2::kMethodStore) << entry.name;  // Flat areas pack well.
        }
        File* file = FileManager::FindFile(String(entry.name));
        ASSERT_NE(file, nullptr);
        ASSERT_EQ(file->Open(File::kRead), kSuccess);
        std::vector<uint8_t> bytes(file->GetSize());
        if (!bytes.empty()) {
            EXPECT_EQ(file->Read(bytes.data(), static_cast<uint32_t>(bytes.size())), kSuccess);
        }
        (void)file->Close();
        EXPECT_EQ(bytes, Pictures()[i].bytes) << entry.name;
    }
    EXPECT_LT(Archive().size(), 400u * 1024u);
}

TEST_F(PictureArchive, GlyphsAreWhiteWithADarkRimOnClearBorders)
{
    for (const ClockGlyphs::Glyph& glyph : ClockGlyphs::Glyphs()) {
        Pixels p;
        ASSERT_TRUE(Decode(glyph.file, p)) << glyph.file;
        int white = 0;
        int dark = 0;
        double inkX = 0;
        double ink = 0;
        for (int y = 0; y < p.height; ++y)
            for (int x = 0; x < p.width; ++x) {
                const uint8_t* q = p.At(x, y);
                if (x == 0 || y == 0 || x == p.width - 1 || y == p.height - 1) {
                    EXPECT_EQ(q[3], 0) << glyph.file << " border " << x << "," << y;
                }
                if (q[3] == 255 && q[0] > 215 && q[1] > 215 && q[2] > 215)
                    ++white;
                if (q[3] > 150 && q[0] + q[1] + q[2] < 90)
                    ++dark;
                inkX += static_cast<double>(q[3]) * x;
                ink += q[3];
            }
        EXPECT_GT(white, 4) << glyph.file;
        EXPECT_GT(dark, 4) << glyph.file;
        // Centred across the cell (the shadow leans a little to the right).
        EXPECT_NEAR(inkX / ink, (p.width - 1) * 0.5, p.width * 0.08) << glyph.file;
    }
}

TEST_F(PictureArchive, DigitsShareABaselineAndHeight)
{
    int top = -1;
    int bottom = -1;
    for (char c = '0'; c <= '9'; ++c) {
        Pixels p;
        ASSERT_TRUE(Decode(std::string("digit_") + c + ".tga", p));
        // Rows holding white ink.
        int first = -1;
        int last = -1;
        for (int y = 0; y < p.height; ++y)
            for (int x = 0; x < p.width; ++x)
                if (p.At(x, y)[3] > 200 && p.At(x, y)[0] > 200) {
                    first = first < 0 ? y : first;
                    last = y;
                }
        if (top < 0) {
            top = first;
            bottom = last;
        }
        EXPECT_NEAR(first, top, 1) << c;
        EXPECT_NEAR(last, bottom, 1) << c;
    }
}

TEST_F(PictureArchive, CornerOrnamentsFadeOutTowardsTheScreen)
{
    // Which edges of each picture lie inside the screen: there it must be transparent.
    struct Corner {
        const char* name;
        bool right;
        bool bottom;
    };
    for (const Corner& corner : {Corner{"4loader_lu.tga", false, false}, Corner{"4loader_ru.tga", true, false},
                                 Corner{"4loader_ld.tga", false, true}, Corner{"4loader_rd.tga", true, true}}) {
        Pixels p;
        ASSERT_TRUE(Decode(corner.name, p)) << corner.name;
        const int innerX = corner.right ? 0 : p.width - 1;
        const int innerY = corner.bottom ? 0 : p.height - 1;
        for (int y = 0; y < p.height; ++y)
            EXPECT_LE(p.At(innerX, y)[3], 8) << corner.name << " row " << y;
        for (int x = 0; x < p.width; ++x)
            EXPECT_LE(p.At(x, innerY)[3], 8) << corner.name << " column " << x;
        // Something solid is drawn, and the corner itself is shaded.
        int solid = 0;
        for (const uint8_t a : p.rgba)
            solid += a == 255 ? 1 : 0;
        EXPECT_GT(solid, 50) << corner.name;
        EXPECT_GT(p.At(corner.right ? p.width - 2 : 1, corner.bottom ? p.height - 2 : 1)[3], 60) << corner.name;
    }
}

TEST_F(PictureArchive, TheLoadingScreenIsANightSceneWithALitLamp)
{
    Pixels p;
    ASSERT_TRUE(Decode("loader.jpg", p));
    double sum = 0;
    int bright = 0;
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x) {
            const uint8_t* q = p.At(x, y);
            const double luma = 0.3 * q[0] + 0.59 * q[1] + 0.11 * q[2];
            sum += luma;
            bright += luma > 230 ? 1 : 0;
        }
    const double mean = sum / (p.width * p.height);
    EXPECT_GT(mean, 12);  // Dark, but not black.
    EXPECT_LT(mean, 70);
    EXPECT_GT(bright, 200);  // The lamp, the moon, the lettering.
    // The top of the sky is darker than the sea's horizon glow is bright.
    EXPECT_LT(p.At(512, 2)[2], 90);
}

TEST(PictureSet, DrawsTheSameBytesEveryTime)
{
    for (const char* name : {"4loader_ru.tga", "digit_8.tga", "digit_ddot.tga", "logo.bmp", "preview.bmp"}) {
        std::vector<uint8_t> again;
        ASSERT_EQ(PictureSet::Make(name, again), kSuccess) << name;
        const auto found = std::find_if(Pictures().begin(), Pictures().end(),
                                        [&](const PictureSet::Picture& p) { return p.name == name; });
        ASSERT_NE(found, Pictures().end());
        EXPECT_EQ(again, found->bytes) << name;
    }
    std::vector<uint8_t> packed;
    ASSERT_EQ(PictureSet::Pack(Pictures(), packed), kSuccess);
    EXPECT_EQ(packed, Archive());
}

TEST(PictureSet, RefusesNamesOutsideTheSet)
{
    std::vector<uint8_t> bytes = {1, 2, 3};
    EXPECT_EQ(PictureSet::Make("digit_x.tga", bytes), kInvalidArgument);
    EXPECT_EQ(bytes, (std::vector<uint8_t>{1, 2, 3}));  // Untouched.
    EXPECT_EQ(PictureSet::Make("", bytes), kInvalidArgument);
}

}  // namespace
}  // namespace zen::art
