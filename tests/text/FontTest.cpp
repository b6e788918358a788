#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/core/Stream.h"
#include "engine/core/Vector2.h"
#include "engine/core/Vector3.h"
#include "engine/render/Renderer.h"
#include "engine/scene/Camera.h"
#include "engine/scene/Image.h"
#include "engine/scene/TextureEffect.h"
#include "engine/scene/Texture.h"
#include "engine/scene/Triangles.h"
#include "engine/scene/Vector2Buffer.h"
#include "engine/scene/Vector3Buffer.h"
#include "engine/text/FontManager.h"
#include "engine/text/FontMetrics.h"
#include "engine/text/TextureFont.h"
#include "engine/text/TextureFont2.h"
#include "engine/vfs/Directory.h"
#include "engine/vfs/FileManager.h"
#include "engine/vfs/MemoryFile.h"
#include "modules/recording/RecordingRenderer.h"
#include "support/LogCapture.h"
#include "support/MemoryFiles.h"
#include "support/RecordBytes.h"
#include "support/RecordingFixture.h"
#include "support/RecordingRendererScope.h"

// Texture fonts: glyph tables read from parameter files (hand-computed texture rectangles and
// advances), quads built for strings, and the fonts' stream records.
namespace zen {
namespace {

// A parameter file for a 256 x 256 texture: ascent 24, descent 6, height 32, xOffset 1,
// yOffset 2; 'A' (65) is 10 wide at (20, 40) with 1 before and 2 after it; 'B' is 8 wide.
const char kParameters[] =
    "ascent = 24\n"
    "descent = 6\n"
    "height = 32\n"
    "xOffset = 1\n"
    "yOffset = 2\n"
    "numChars = 2\n"
    "char = 65; A = 1; B = 10; C = 2; x = 20; y = 40;\n"
    "char = 66; A = 0; B = 8; C = 0; x = 40; y = 40;\n";

FontMetrics Parsed(const std::string& text, uint32_t width = 256, uint32_t height = 256)
{
    FontMetrics metrics;
    (void)metrics.Parse(text.data(), static_cast<uint32_t>(text.size()), width, height);
    return metrics;
}

TEST(FontMetrics, GlyphRectanglesAndAdvancesInTextureUnits)
{
    const FontMetrics f = Parsed(kParameters);
    const float p = 1.0f / 256;
    EXPECT_FLOAT_EQ(f.lineHeight, 32 * p);
    EXPECT_FLOAT_EQ(f.xOffset, 1 * p);
    EXPECT_FLOAT_EQ(f.baseShift, (32 - 2 - 24) * p);
    EXPECT_FLOAT_EQ(f.ascent, 24 * p);
    EXPECT_FLOAT_EQ(f.descent, 6 * p);
    ASSERT_TRUE(f.present['A']);
    // Cell width (10 + 2 x 1) / 256; u from 20/256 to 32/256; v from (4 - 32 + 40 + 6) / 256 =
    // 18/256 to (40 + 4 + 6) / 256 = 50/256.
    const float expected[][2] = {
        {f.metrics['A'][FontMetrics::kPreSpace], 1 * p},  {f.metrics['A'][FontMetrics::kGlyphWidth], 10 * p},
        {f.metrics['A'][FontMetrics::kPostSpace], 2 * p}, {f.metrics['A'][FontMetrics::kCellWidth], 12 * p},
        {f.texRect['A'][FontMetrics::kULeft], 20 * p},    {f.texRect['A'][FontMetrics::kURight], 32 * p},
        {f.texRect['A'][FontMetrics::kVTop], 18 * p},     {f.texRect['A'][FontMetrics::kVBottom], 50 * p},
    };
    for (const auto& pair : expected)
        EXPECT_FLOAT_EQ(pair[0], pair[1]);
    // Widths on screen with scaleX 0.04 and spacing 0.01.
    EXPECT_FLOAT_EQ(f.CharWidth('A', 0.04f, 0.01f), 10 * p * 0.04f + 2 * p + 0.01f);
    EXPECT_FLOAT_EQ(f.CharWidth(' ', 0.04f, 0.01f), 32 * p * 0.25f * 0.04f + 0.01f);
    EXPECT_FLOAT_EQ(f.CharWidth('C', 0.04f, 0.01f), 0.0f);
}

TEST(FontMetrics, DamagedFilesGiveWhatTheirLinesSay)
{
    struct Case {
        const char* name;
        std::string text;
        uint32_t taken;
        bool hasA;
        float lineHeightPixels;
    };
    const std::string header = "ascent = 24\ndescent = 6\nheight = 32\nxOffset = 1\nyOffset = 2\n";
    const Case cases[] = {
        {"no characters", header + "numChars = 0\nchar = 65; A = 1; B = 10; C = 2; x = 20; y = 40;\n", 0, false, 32},
        {"cut in the header", "ascent = 24\ndesc", 0, false, 0},
        {"empty", "", 0, false, 0},
        {"more announced than given", header + "numChars = 1000000000\nchar = 65; A = 1;\n", 1, true, 32},
        {"codes outside a byte", header + "numChars = 3\nchar = 300;\nchar = -1;\nchar = 65;\n", 1, true, 32},
        {"no code", header + "numChars = 1\nA = 1; B = 2;\n", 0, false, 32},
        {"unknown header words", "colour = 5\nsize = 7\nheight = 16\n", 0, false, 16},
        {"no line ends", header + "numChars = 1\nchar = 65; A = 1; B = 10; C = 2; x = 20; y = 40;", 1, true, 32},
        {"huge numbers", header + "numChars = 1\nchar = 65; A = 2147483647; B = 2147483647; C = -2147483647;", 1, true,
         32},
    };
    for (const Case& c : cases) {
        FontMetrics f;
        EXPECT_EQ(f.Parse(c.text.data(), static_cast<uint32_t>(c.text.size()), 256, 256), c.taken) << c.name;
        EXPECT_EQ(f.present['A'], c.hasA) << c.name;
        EXPECT_FLOAT_EQ(f.lineHeight, c.lineHeightPixels / 256) << c.name;
        EXPECT_TRUE(f.present[' ']) << c.name;  // The space is always there.
    }
    // A zero-sized texture gives no tables at all.
    FontMetrics none;
    EXPECT_EQ(none.Parse(kParameters, sizeof kParameters - 1, 0, 256), 0u);
    EXPECT_FALSE(none.present[' ']);
}

// Fonts against the engine with a recording renderer; the parameter file lies at the root of
// the file tree.
class Fonts : public test::RecordingFixture {
protected:
    void SetUp() override
    {
        RecordingFixture::SetUp();
        // Files are found in the folders attached to the root, as archives are.
        Directory* folder = new Directory(String("Fonts"));
        ASSERT_EQ(FileManager::Root()->AttachDirectory(folder), kSuccess);
        test::AddMemoryFile(folder, "font.txt", kParameters);
    }

    // A font named `name` over a 256 x 256 glyph texture, reading the parameter file `file`.
    static Ptr<TextureFont2> MakeFont(const char* name = "Serif", const char* file = "font.txt")
    {
        Ptr<TextureFont2> font(new TextureFont2);
        font->SetName(String(name));
        Ptr<Image> image(new Image(String("glyphs"), Image::kR8G8B8A8, 256, 256));
        font->SetTexture(Ptr<Texture>(new Texture(String("glyphs"), image.Get())).Get());
        font->SetParameterFile(String(file));
        return font;
    }

    test::RecordingRendererScope scope;
};

TEST_F(Fonts, QuadsFollowThePenAndSkipCharactersWithoutGlyphs)
{
    Ptr<TextureFont2> font = MakeFont();
    font->SetScale(0.5f, 0.25f);
    font->SetSpacing(0.01f);
    ASSERT_TRUE(font->Metrics().present['A']);
    // "A?B": '?' has no glyph and neither draws nor advances.
    EXPECT_EQ(font->DrawString(0.1f, 0.2f, 0.0f, "A?B"), 2u);
    const Vector3* v = font->GetMesh().Mesh()->Vertices()->Data();
    const Vector2* t = static_cast<const Vector2Buffer*>(font->GetMesh().Mesh()->TexCoords(0))->Data();
    const float p = 1.0f / 256;
    const float bottom = 0.2f - 6 * p * 0.25f, top = bottom + 32 * p * 0.25f;
    const float leftA = 0.1f - 1 * p * 0.5f + 1 * p;
    EXPECT_FLOAT_EQ(v[0].x, leftA);
    EXPECT_FLOAT_EQ(v[1].x, leftA + 12 * p * 0.5f);
    EXPECT_FLOAT_EQ(v[0].y, bottom);
    EXPECT_FLOAT_EQ(v[2].y, top);
    EXPECT_FLOAT_EQ(t[0].x, 20 * p);
    EXPECT_FLOAT_EQ(t[0].y, 50 * p);
    EXPECT_FLOAT_EQ(t[2].x, 32 * p);
    EXPECT_FLOAT_EQ(t[2].y, 18 * p);
    // B's pen: after A's glyph width x scaleX + postSpace + spacing.
    const float penB = 0.1f + 10 * p * 0.5f + 2 * p + 0.01f;
    EXPECT_FLOAT_EQ(v[4].x, penB - 1 * p * 0.5f + 0);
    // A shorter string collapses the slot the longer one used.
    EXPECT_EQ(font->DrawString(0.1f, 0.2f, 0.0f, "B"), 1u);
    for (int i = 4; i < 8; ++i)
        EXPECT_EQ(v[i].x, 0.0f) << i;
}

TEST_F(Fonts, SpacesAdvanceAQuarterLineAndTheLengthStopsAtMaxChars)
{
    Ptr<TextureFont2> font = MakeFont();
    font->SetMaxChars(3);
    EXPECT_EQ(font->MaxChars(), 3u);
    EXPECT_EQ(font->DrawString(0, 0, 0, "AAAAAA"), 3u);
    EXPECT_EQ(font->DrawString(0, 0, 0, "  A"), 1u);
    const Vector3* v = font->GetMesh().Mesh()->Vertices()->Data();
    const float p = 1.0f / 256;
    EXPECT_FLOAT_EQ(v[0].x, 2 * (32 * p * 0.25f * 0.04f) - 1 * p * 0.04f + 1 * p);
    // Absurd sizes are refused instead of wrapping the buffer sizes.
    test::LogCapture log;
    font->SetMaxChars(0x40000001u);
    EXPECT_EQ(font->MaxChars(), 0u);
    EXPECT_TRUE(log.ContainsText("Недостаточно памяти для создания геометрии TextureFont. Имя[Serif]"));
    EXPECT_EQ(font->DrawString(0, 0, 0, "A"), 0u);
}

TEST_F(Fonts, MissingParameterFileWarnsAndLeavesNoGlyphs)
{
    test::LogCapture log;
    Ptr<TextureFont2> font = MakeFont("Lost", "nowhere.txt");
    EXPECT_TRUE(log.Contains(
        "WARNING. Создание шрифта [Lost] неудачно: не загружен файл параметров [nowhere.txt]."))
        << log.Joined();
    EXPECT_EQ(font->DrawString(0, 0, 0, "AB"), 0u);
}

TEST_F(Fonts, DrawingUsesTheScreenCameraAndPutsTheSceneCameraBack)
{
    ASSERT_EQ(renderer->Open(0, String("Text"), nullptr, 0, 0, 640, 480), kSuccess);
    Ptr<Camera> scene(new Camera);
    renderer->SetCamera(scene.Get());
    ASSERT_EQ(renderer->StartFrame(), kSuccess);
    Ptr<TextureFont2> font = MakeFont();
    renderer->ClearJournal();
    font->DrawText(0.5f, 0.5f, 0.0f, "%c%d", 'A', 7);  // '7' has no glyph.
    int draws = 0;
    for (const std::string& line : renderer->Journal())
        draws += line.rfind("DrawCurrentGeometry [", 0) == 0;
    EXPECT_EQ(draws, 1) << ::testing::PrintToString(renderer->Journal());
    EXPECT_EQ(renderer->GetCamera(), scene.Get());
    EXPECT_EQ(font->GetMesh().Effect()->GetTexture(), font->GetTexture());
}

TEST_F(Fonts, GridFontGivesEveryByteItsCell)
{
    Ptr<TextureFont> font(new TextureFont);
    font->SetScale(0.1f, 0.2f);
    EXPECT_EQ(font->DrawString(0.0f, 1.0f, 0.5f, "A b"), 3u);
    const Vector3* v = font->GetMesh().Mesh()->Vertices()->Data();
    const Vector2* t = static_cast<const Vector2Buffer*>(font->GetMesh().Mesh()->TexCoords(0))->Data();
    // 'A' = 65: column 1, row 4; the space is a cell too, so 'b' starts at 0.2.
    EXPECT_FLOAT_EQ(t[0].x, 1.0f / 16);
    EXPECT_FLOAT_EQ(t[0].y, 5.0f / 16);
    EXPECT_FLOAT_EQ(t[2].x, 2.0f / 16);
    EXPECT_FLOAT_EQ(t[2].y, 4.0f / 16);
    EXPECT_FLOAT_EQ(v[0].y, 0.8f);
    EXPECT_FLOAT_EQ(v[2].y, 1.0f);
    EXPECT_FLOAT_EQ(v[8].x, 0.2f);
    EXPECT_FLOAT_EQ(v[8].z, 0.5f);
    // 'b' = 98: column 2, row 6.
    EXPECT_FLOAT_EQ(t[8].x, 2.0f / 16);
    EXPECT_FLOAT_EQ(t[8].y, 7.0f / 16);
}

TEST_F(Fonts, StreamRecordRoundTripsAndRereadsTheParameterFile)
{
    Ptr<TextureFont2> font = MakeFont();
    font->SetMaxChars(40);
    font->SetScale(0.07f, 0.05f);
    font->SetSpacing(0.003f);
    font->SetColour(Vector4{0.25f, 0.5f, 0.75f, 1.0f});
    const test::Bytes bytes = test::SavedRecord(font.Get());
    Ptr<TextureFont2> loaded = test::LoadedRecord<TextureFont2>(bytes);
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(loaded->MaxChars(), 40u);
    EXPECT_EQ(loaded->GetMesh().Slots(), 40u);
    EXPECT_FLOAT_EQ(loaded->ScaleX(), 0.07f);
    EXPECT_FLOAT_EQ(loaded->ScaleY(), 0.05f);
    EXPECT_FLOAT_EQ(loaded->Spacing(), 0.003f);
    EXPECT_FLOAT_EQ(loaded->GetMesh().Effect()->Color().y, 0.5f);
    EXPECT_EQ(loaded->ParameterFile(), String("font.txt"));
    ASSERT_NE(loaded->GetTexture(), nullptr);
    EXPECT_TRUE(loaded->Metrics().present['B']);
    EXPECT_FLOAT_EQ(loaded->CharWidth('A'), font->CharWidth('A'));

    // Cut anywhere inside the font's own fields, the record fails with the font's message.
    for (size_t cut = bytes.size() - 8; cut < bytes.size(); ++cut) {
        test::LogCapture log;
        Result read = kSuccess;
        EXPECT_EQ(test::LoadedRecord<Object>(test::Bytes(bytes.begin(), bytes.begin() + static_cast<long>(cut)), &read),
                  nullptr);
        EXPECT_NE(read, kSuccess) << cut;
        EXPECT_TRUE(log.ContainsText("Невозможно загрузить файл настроек шрифта.")) << cut << log.Joined();
    }
}

TEST_F(Fonts, ManagerHoldsFontsByNameUntilTheEngineStops)
{
    Ptr<TextureFont2> font(new TextureFont2);
    EXPECT_EQ(FontManager::Register(String("Serif"), font.Get()), kSuccess);
    EXPECT_EQ(FontManager::Register(String("Serif"), font.Get()), kFailure);
    EXPECT_EQ(FontManager::Register(String("None"), nullptr), kInvalidArgument);
    EXPECT_EQ(FontManager::Find(String("Serif")), font.Get());
    EXPECT_EQ(FontManager::Find(String("serif")), nullptr);
    EXPECT_EQ(font->References(), 2u);
}

}  // namespace
}  // namespace zen
