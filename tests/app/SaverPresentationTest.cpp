#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "app/SceneSaver.h"
#include "engine/anim/ScreensaverController.h"
#include "engine/core/Matrix4.h"
#include "engine/render/Renderer.h"
#include "engine/scene/Camera.h"
#include "engine/scene/SceneNode.h"
#include "engine/scene/SceneNodeEffect.h"
#include "engine/scene/ShadowmapEffect.h"
#include "engine/scene/Texture.h"
#include "modules/recording/RecordingRenderer.h"
#include "platform/PosixTestHooks.h"
#include "support/LogCapture.h"
#include "support/RecordingRendererScope.h"
#include "support/SaverEnvironment.h"
#include "support/StoredArchive.h"
#include "tests/codecs/ImageTestSupport.h"

// The loading screen, the clock and frame-rate overlays and the shot fades: texts and fades
// from hand-computed values, and where each picture lands on the screen read back from the
// transforms the recording renderer received.
namespace brightfold {
namespace {

using zen::RecordingRenderer;

// --- Clock text and fades --------------------------------------------------------------------

TEST(SaverClock, TextFollowsTheHourStyle)
{
    struct Case {
        int hour, minute, second;
        bool hour24;
        const char* text;
    };
    const Case cases[] = {
        {21, 5, 7, true, "21:05:07"},      {21, 5, 7, false, "9:05:07 pm "},  {0, 30, 0, false, "0:30:00 am "},
        {12, 0, 0, false, "12:00:00 pm "}, {11, 59, 59, false, "11:59:59 am "}, {13, 1, 2, false, "1:01:02 pm "},
        {0, 0, 0, true, "0:00:00"},        {23, 59, 59, true, "23:59:59"},     {9, 10, 5, true, "9:10:05"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Saver::ClockText(c.hour, c.minute, c.second, c.hour24), c.text)
            << c.hour << ":" << c.minute << ":" << c.second << (c.hour24 ? " 24h" : " 12h");
}

TEST(SaverClock, TwentyFourHourClockEndsAtTheRightEdge)
{
    // 8 cells of 0.04: the last glyph of "21:05:07" ends at 0.99.
    EXPECT_NEAR(Saver::ClockLeft(8, true) + 8 * 0.04f, 0.99f, 1e-6f);
}

TEST(SceneSaverFade, ShotEndsFadeToBlack)
{
    struct Case {
        float fade, fadeInStart, duration, time, alpha;
    };
    const Case cases[] = {
        {1, 0, 10, 0.0f, 1.0f},    // Start of the shot: black.
        {1, 0, 10, 0.25f, 0.75f},  // Fading in.
        {1, 0, 10, 1.0f, 0.0f},
        {1, 0, 10, 5.0f, 0.0f},    // Middle: clear.
        {1, 0, 10, 9.5f, 0.5f},    // Fading out during the last second.
        {1, 0, 10, 10.0f, 1.0f},
        {1, 2, 10, 2.5f, 0.5f},    // Fade-in starts at the shot's fadeInStart...
        {1, 2, 10, 1.0f, 1.0f},    // ...and before it the screen stays black, not beyond.
        {1, 0, 1.5f, 0.2f, 0.8f},  // A short shot: the start rule while the end is far...
        {1, 0, 1.5f, 0.6f, 0.1f},  // ...the end rule as soon as it applies.
        {0, 0, 10, 0.0f, 0.0f},    // A director with one shot never fades.
        {0, 2, 10, 1.0f, 0.0f},
        {0, 0, 10, 10.0f, 0.0f},
        {1, 0, 10, 12.0f, 1.0f},   // Past the end (a late frame): black, not beyond.
    };
    for (const Case& c : cases)
        EXPECT_NEAR(SceneSaver::ShotFadeAlpha(c.fade, c.fadeInStart, c.duration, c.time), c.alpha, 1e-6f)
            << "fade " << c.fade << " start " << c.fadeInStart << " duration " << c.duration << " t " << c.time;
}

class OtherSceneEffect : public zen::SceneNodeEffect {
public:
    zen::Result CreatePasses(uint32_t, zen::Technique&) override { return zen::kSuccess; }
};

TEST(SceneSaverData, ShadowMapEffectsLeaveEveryNodeTheOthersStay)
{
    zen::Ptr<zen::SceneNode> root(new zen::SceneNode);
    zen::Ptr<zen::SceneNode> child(new zen::SceneNode);
    ASSERT_EQ(root->AttachChild(child.Get()), zen::kSuccess);
    zen::Ptr<zen::ShadowmapEffect> shadowA(new zen::ShadowmapEffect), shadowB(new zen::ShadowmapEffect);
    zen::Ptr<OtherSceneEffect> other(new OtherSceneEffect);
    ASSERT_EQ(root->AddEffect(shadowA.Get()), zen::kSuccess);
    ASSERT_EQ(root->AddEffect(other.Get()), zen::kSuccess);
    ASSERT_EQ(child->AddEffect(shadowB.Get()), zen::kSuccess);

    EXPECT_EQ(SceneSaver::RemoveSceneEffects(root.Get(), "ZEN.ShadowmapEffect"), 2u);
    ASSERT_EQ(root->EffectCount(), 1u);
    EXPECT_EQ(root->GetEffect(0), other.Get());
    EXPECT_EQ(child->EffectCount(), 0u);
    EXPECT_EQ(SceneSaver::RemoveSceneEffects(root.Get(), "ZEN.ShadowmapEffect"), 0u);
    EXPECT_EQ(SceneSaver::RemoveSceneEffects(nullptr, "ZEN.ShadowmapEffect"), 0u);
}

// --- Pictures on the screen -------------------------------------------------------------------

// An uncompressed 32-bit TGA (type 2, bottom-up) of one colour.
std::string Tga(uint16_t width, uint16_t height)
{
    std::vector<uint8_t> pixels;
    for (uint32_t i = 0; i < uint32_t{width} * height; ++i)
        pixels.insert(pixels.end(), {0xFF, 0xFF, 0xFF, 0xC8});
    const std::vector<uint8_t> bytes = zen::test::Tga(2, width, height, 32, 8, pixels);
    return std::string(bytes.begin(), bytes.end());
}

// One draw of the overlay quad: the texture's journal tag and the pixel rectangle it covers
// (x to the right, y upwards from the bottom of a 1024 x 768 screen).
struct QuadDraw {
    std::string texture;
    float left, bottom, right, top;
};

zen::Matrix4 ParseMatrix(const std::string& text)
{
    zen::Matrix4 m;
    float v[16] = {};
    const int read = std::sscanf(text.c_str(), "[ %f %f %f %f | %f %f %f %f | %f %f %f %f | %f %f %f %f ]", &v[0],
                                 &v[1], &v[2], &v[3], &v[4], &v[5], &v[6], &v[7], &v[8], &v[9], &v[10], &v[11], &v[12],
                                 &v[13], &v[14], &v[15]);
    EXPECT_EQ(read, 16) << text;
    for (int i = 0; i < 16; ++i)
        m.m[i / 4][i % 4] = v[i];
    return m;
}

// Replays the journal's fixed-function transforms and reports where each quad draw landed.
std::vector<QuadDraw> QuadDraws(const std::vector<std::string>& journal, float width, float height)
{
    std::vector<QuadDraw> draws;
    zen::Matrix4 world, view, projection;
    std::string texture = "null";
    for (const std::string& line : journal) {
        if (line.rfind("SetWorld ", 0) == 0)
            world = ParseMatrix(line.substr(9));
        else if (line.rfind("SetView ", 0) == 0)
            view = ParseMatrix(line.substr(8));
        else if (line.rfind("SetProjection ", 0) == 0)
            projection = ParseMatrix(line.substr(14));
        else if (line.rfind("SetTexture 0 ", 0) == 0)
            texture = line.substr(13);
        else if (line.rfind("DrawCurrentGeometry [Overlay]", 0) == 0) {
            const zen::Matrix4 all = world * view * projection;
            const zen::Vector3 a = all.TransformPoint(zen::Vector3{0, 0, 0});
            const zen::Vector3 b = all.TransformPoint(zen::Vector3{1, 1, 0});
            draws.push_back({texture, (a.x + 1) / 2 * width, (a.y + 1) / 2 * height, (b.x + 1) / 2 * width,
                             (b.y + 1) / 2 * height});
        }
    }
    return draws;
}

// The full-screen saver on the recording renderer (fixed-function effects, so transforms
// reach the journal as matrices), with a picture archive of corner and glyph pictures.
class SaverPresentation : public test::SaverEnvironment {
protected:
    class Probe : public SceneSaver {
    public:
        using Saver::DrawGlyphText;
        using Saver::DrawOverlays;
        using Saver::UseOverlayCamera;
        using SceneSaver::AdoptScene;
        using SceneSaver::Director;
        using SceneSaver::DrawFade;
        using SceneSaver::FadeAlpha;
        int CreateData() override { return 0; }  // No scene: only the presentation.
        zen::Texture* Glyph(int index) const { return m_glyphTextures[index].Get(); }
        zen::Texture* Loader(int index) const { return m_loaderTextures[index].Get(); }
        void SetShowFps(bool on) { Settings().Current().showFps = on; }
        void SetShowTime(bool on) { Settings().Current().showTime = on; }
    };

    void SetUp() override
    {
        SaverEnvironment::SetUp();
        auto& setup = RecordingRenderer::NextSetup();
        setup.capabilities.vertexShaderVersion = 0;
        setup.capabilities.pixelShaderVersion = 0;
        std::vector<zen::test::StoredEntry> pictures = {{"4loader_ld.tga", Tga(256, 64)},
                                                        {"4loader_rd.tga", Tga(128, 32)},
                                                        {"4loader_lu.tga", Tga(64, 128)},
                                                        {"4loader_ru.tga", Tga(32, 16)}};
        for (const char* glyph : {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "ddot", "a", "p", "m"})
            pictures.push_back({std::string("digit_") + glyph + ".tga", Tga(8, 8)});
        platform::posix::SetMediaResource(134, zen::test::StoredArchive(pictures));
        platform::posix::SetMediaResource(227, zen::test::StoredArchive({{"readme.txt", "ok"}}));
        SetCommandLine("/s");
    }
    void TearDown() override
    {
        if (saver) {
            EXPECT_EQ(saver->DestroySaver(), 0);
        }
        saver = nullptr;
        platform::posix::RemoveMediaResource(134);
        platform::posix::RemoveMediaResource(227);
        SaverEnvironment::TearDown();
    }

    // The saver made, and a frame of its renderer begun with an empty journal.
    void StartFrame()
    {
        ASSERT_EQ(saver->CreateSaver(), 0);
        renderer = RecordingRenderer::Latest();
        ASSERT_EQ(renderer->StartFrame(), zen::kSuccess);
        renderer->ClearJournal();
    }
    // Where the journal's overlay quads landed on the 1024 x 768 screen.
    std::vector<QuadDraw> Draws() const { return QuadDraws(renderer->Journal(), 1024, 768); }

    zen::test::RecordingRendererScope scope;
    zen::Ptr<Probe> saver{new Probe};
    RecordingRenderer* renderer = nullptr;
};

void ExpectCovers(const QuadDraw& draw, float left, float bottom, float right, float top, float tolerance, int index)
{
    EXPECT_NEAR(draw.left, left, tolerance) << index;
    EXPECT_NEAR(draw.bottom, bottom, tolerance) << index;
    EXPECT_NEAR(draw.right, right, tolerance) << index;
    EXPECT_NEAR(draw.top, top, tolerance) << index;
}

TEST_F(SaverPresentation, LoadingScreenCornersSitFlushAtTheirOwnPixelSize)
{
    zen::test::LogCapture log;
    ASSERT_EQ(saver->CreateSaver(), 0) << log.Joined();
    renderer = RecordingRenderer::Latest();
    const std::vector<QuadDraw> draws = Draws();
    // No background in the archive (logged, not fatal); the four corners in the order ld, rd,
    // lu, ru, each exactly its picture's size in pixels.
    EXPECT_TRUE(log.Contains("WARNING. Изображение [loader.jpg] не найдено.")) << log.Joined();
    ASSERT_EQ(draws.size(), 4u);
    const QuadDraw expected[] = {
        {"", 0, 0, 256, 64}, {"", 896, 0, 1024, 32}, {"", 0, 640, 64, 768}, {"", 992, 752, 1024, 768}};
    for (int i = 0; i < 4; ++i)
        ExpectCovers(draws[i], expected[i].left, expected[i].bottom, expected[i].right, expected[i].top, 1e-3f, i);
    // The frame was presented, then the loader pictures were let go.
    const auto& journal = renderer->Journal();
    EXPECT_EQ(journal.back(), "EndFrame");
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(saver->Loader(i), nullptr) << i;
    EXPECT_EQ(renderer->GetCamera(), nullptr);
}

TEST_F(SaverPresentation, GlyphTextAdvancesCellsAndHalfCellsForSpaces)
{
    ASSERT_NO_FATAL_FAILURE(StartFrame());
    saver->SetShowFps(false);
    saver->SetShowTime(false);
    // Overlays off: nothing is drawn and the scene's camera comes back.
    saver->DrawOverlays();
    EXPECT_TRUE(Draws().empty());

    renderer->ClearJournal();
    saver->UseOverlayCamera();
    EXPECT_EQ(saver->DrawGlyphText("10 2:pm", 0.25f, 0.5f, 0.0625f, 0.125f), 0);
    const std::vector<QuadDraw> draws = Draws();
    ASSERT_EQ(draws.size(), 6u);
    const int glyphs[] = {1, 0, 2, 14, 11, 12};
    // Cells of 64 x 96 pixels from (256, 384); the space advances half a cell.
    const float lefts[] = {256, 320, 416, 480, 544, 608};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(draws[i].texture, renderer->Tag(saver->Glyph(glyphs[i]))) << i;
        ExpectCovers(draws[i], lefts[i], 384, lefts[i] + 64, 480, 1e-3f, i);
    }
}

TEST_F(SaverPresentation, FrameCounterShowsZeroTopLeftDuringTheFirstSecond)
{
    ASSERT_NO_FATAL_FAILURE(StartFrame());
    saver->SetShowFps(true);
    saver->SetShowTime(false);
    zen::Ptr<zen::Camera> scene(new zen::Camera);
    renderer->SetCamera(scene.Get());
    saver->DrawOverlays();
    EXPECT_EQ(renderer->GetCamera(), scene.Get());  // The scene's camera comes back.
    const std::vector<QuadDraw> draws = Draws();
    ASSERT_EQ(draws.size(), 1u);
    EXPECT_EQ(draws[0].texture, renderer->Tag(saver->Glyph(0)));
    ExpectCovers(draws[0], 0.01f * 1024, 0.915f * 768, 0.05f * 1024, 0.99f * 768, 1e-2f, 0);
}

TEST_F(SaverPresentation, ClockHasOneCellPerCharacterBottomRight)
{
    ASSERT_NO_FATAL_FAILURE(StartFrame());
    saver->SetShowFps(false);
    saver->SetShowTime(true);
    saver->DrawOverlays();
    // The shipped settings use the 12-hour style: "h:mm:ss am " has 11 or 12 characters, of
    // which the two spaces are not drawn.
    const std::vector<QuadDraw> draws = Draws();
    ASSERT_TRUE(draws.size() == 9u || draws.size() == 10u) << draws.size();
    for (size_t i = 0; i < draws.size(); ++i)
        EXPECT_NEAR(draws[i].bottom, 0.01f * 768, 1e-2);
    // The 'm' is the last drawn glyph; the space after it is one half cell before the edge.
    EXPECT_EQ(draws.back().texture, renderer->Tag(saver->Glyph(12)));
    const float chars = static_cast<float>(draws.size() + 2);
    EXPECT_NEAR(draws.front().left, (1.01f - chars * 0.04f + 0.02f) * 1024, 1e-2);
}

TEST_F(SaverPresentation, FadeDarkensTheWholeScreenAndPutsTheSpriteEffectBack)
{
    ASSERT_NO_FATAL_FAILURE(StartFrame());
    saver->DrawFade(0.0f);
    EXPECT_TRUE(Draws().empty());
    saver->DrawFade(0.5f);
    const std::vector<QuadDraw> draws = Draws();
    ASSERT_EQ(draws.size(), 1u);
    ExpectCovers(draws[0], 0, 0, 1024, 768, 1e-3f, 0);
    // Glyphs draw textured again afterwards.
    renderer->ClearJournal();
    saver->UseOverlayCamera();
    EXPECT_EQ(saver->DrawGlyphText("2", 0, 0, 0.1f, 0.1f), 0);
    const std::vector<QuadDraw> glyph = Draws();
    ASSERT_EQ(glyph.size(), 1u);
    EXPECT_EQ(glyph[0].texture, renderer->Tag(saver->Glyph(2)));
}

TEST_F(SaverPresentation, DirectorShotsFadeTheSceneAndASingleShotNever)
{
    ASSERT_EQ(saver->CreateSaver(), 0);
    renderer = RecordingRenderer::Latest();
    zen::Ptr<zen::SceneNode> root(new zen::SceneNode);
    zen::Ptr<zen::Camera> near(new zen::Camera), far(new zen::Camera);
    ASSERT_EQ(root->AttachChild(near.Get()), zen::kSuccess);
    ASSERT_EQ(root->AttachChild(far.Get()), zen::kSuccess);
    zen::Ptr<zen::ScreensaverController> director(new zen::ScreensaverController);
    ASSERT_EQ(director->AddSet(near.Get(), 2.0, 10.0), zen::kSuccess);
    ASSERT_EQ(director->AddSet(far.Get(), 2.0, 10.0), zen::kSuccess);
    ASSERT_EQ(root->SetController(director.Get()), zen::kSuccess);

    saver->AdoptScene(root.Get());
    ASSERT_EQ(saver->Director(), director.Get());
    EXPECT_EQ(saver->FadeAlpha(), 0.0f);  // No shot chosen yet.
    director->ChooseNextSet();
    const auto* set = director->CurrentSet();
    ASSERT_NE(set, nullptr);
    // Before the shot's fadeInStart the screen is black; the scene's frame then draws the
    // fade quad over everything.
    EXPECT_EQ(saver->FadeAlpha(), 1.0f);
    ASSERT_EQ(renderer->StartFrame(), zen::kSuccess);
    renderer->ClearJournal();
    EXPECT_EQ(saver->Render(), 0);
    EXPECT_EQ(Draws().size(), 1u);
    // Half a second after fadeInStart: half faded in.
    director->Update(set->fadeInStart + 0.5);
    ASSERT_EQ(director->CurrentSet(), set);
    EXPECT_NEAR(saver->FadeAlpha(), 0.5f, 1e-4f);

    // A director with one shot never darkens the screen.
    zen::Ptr<zen::SceneNode> single(new zen::SceneNode);
    zen::Ptr<zen::ScreensaverController> one(new zen::ScreensaverController);
    ASSERT_EQ(one->AddSet(near.Get(), 2.0, 10.0), zen::kSuccess);
    ASSERT_EQ(single->SetController(one.Get()), zen::kSuccess);
    saver->AdoptScene(single.Get());
    one->ChooseNextSet();
    EXPECT_EQ(saver->FadeAlpha(), 0.0f);
    renderer->ClearJournal();
    EXPECT_EQ(saver->Render(), 0);
    EXPECT_TRUE(Draws().empty());
    saver->AdoptScene(nullptr);
}

TEST_F(SaverPresentation, ShadowMapEffectsGoOnlyWhenTheDeviceHasNoShadowMaps)
{
    ASSERT_EQ(saver->CreateSaver(), 0);
    renderer = RecordingRenderer::Latest();
    for (const bool hardware : {false, true}) {
        zen::RendererCapabilities caps = renderer->GetCapabilities();
        caps.hardwareShadowMaps = hardware;
        renderer->SetDeviceCapabilities(caps);
        zen::Ptr<zen::SceneNode> root(new zen::SceneNode), below(new zen::SceneNode);
        ASSERT_EQ(root->AttachChild(below.Get()), zen::kSuccess);
        zen::Ptr<zen::ShadowmapEffect> shadow(new zen::ShadowmapEffect);
        ASSERT_EQ(below->AddEffect(shadow.Get()), zen::kSuccess);
        saver->AdoptScene(root.Get());
        EXPECT_EQ(below->EffectCount(), hardware ? 1u : 0u) << hardware;
        EXPECT_EQ(shadow->Owner(), hardware ? below.Get() : nullptr) << hardware;
    }
    saver->AdoptScene(nullptr);
}

}  // namespace
}  // namespace brightfold
