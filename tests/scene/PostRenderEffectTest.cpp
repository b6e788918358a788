#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "engine/core/Stream.h"
#include "engine/render/ShaderAssembler.h"
#include "engine/scene/ScreenBlur.h"
#include "engine/scene/Bloom5PostRenderEffect.h"
#include "engine/scene/ColorEffect.h"
#include "engine/scene/CustomGlowPostRenderEffect.h"
#include "engine/scene/DOFPostRenderEffect.h"
#include "engine/scene/RipplePostRenderEffect.h"
#include "engine/scene/SepiaFilmPostRenderEffect.h"
#include "engine/scene/SepiaPostRenderEffect.h"
#include "support/AttachedQuad.h"
#include "support/RecordingFixture.h"
#include "support/LogCapture.h"
#include "support/RecordBytes.h"
#include "support/StreamForm.h"

// Post-render effects through the recording renderer: the children drawn once into the screen
// texture, the texture drawn back over the screen, the letterbox band, the intermediate
// targets, the fallbacks, and the stream forms.
namespace zen {
namespace {

using test::PutFloat;

class PostRender : public test::RecordingFixture {
protected:
    void SetUp() override
    {
        RecordingFixture::SetUp();
        UseDeviceAndScene();
        test::AttachQuad(*root, "Child", Vector3{0, 0, 5}, new ColorEffect());
    }
};

TEST_F(PostRender, ChildrenGoIntoTheScreenTextureOnceAndComeBackAsOneQuad)
{
    Ptr<SepiaPostRenderEffect> sepia = new SepiaPostRenderEffect();
    ASSERT_EQ(root->AddEffect(sepia.Get()), kSuccess);
    DrawFrame();
    Texture* screen = sepia->ScreenTexture();
    ASSERT_NE(screen, nullptr);
    EXPECT_EQ(screen->Name(), "Screen Texture");
    EXPECT_EQ(screen->GetImage()->Name(), "Screen Image");
    EXPECT_EQ(screen->GetImage()->Format(), Image::kR8G8B8A8);
    EXPECT_EQ(screen->GetImage()->Width(), 800u);
    EXPECT_EQ(screen->GetImage()->Height(), 600u);
    const std::string tag = renderer->Tag(screen);
    const std::vector<std::string> expected = {"BeginRenderTarget " + tag, "Clear 3 (0 0 0 1) 1 0",
                                               "DrawCurrentGeometry [Child] 2", "EndRenderTarget",
                                               "SetTexture 0 " + tag, "DrawNonIndexed 2"};
    EXPECT_EQ(Lines({"BeginRenderTarget", "Clear", "DrawCurrentGeometry", "EndRenderTarget", "SetTexture 0",
                     "DrawNonIndexed"}),
              expected);
    EXPECT_EQ(renderer->VertexConstant(0), (Vector4{1, 1, 1, 1}));  // The amount.
    EXPECT_FLOAT_EQ(renderer->VertexConstant(1).x, 0.5f / 800);     // Half a texel.
    EXPECT_FLOAT_EQ(renderer->VertexConstant(1).y, 0.5f / 600);

    // Same viewport: the same texture; a new size: a new one of that size.
    DrawFrame();
    EXPECT_EQ(sepia->ScreenTexture(), screen);
    renderer->SetViewport(0, 0, 320, 200);
    DrawFrame();
    ASSERT_NE(sepia->ScreenTexture(), nullptr);
    EXPECT_EQ(sepia->ScreenTexture()->GetImage()->Width(), 320u);
    EXPECT_EQ(sepia->ScreenTexture()->GetImage()->Height(), 200u);
}

TEST_F(PostRender, TheLetterboxDrawsIntoTheMiddleThreeQuartersAndRestoresTheViewport)
{
    Ptr<SepiaPostRenderEffect> sepia = new SepiaPostRenderEffect();
    sepia->SetFilmFlag(true);
    ASSERT_EQ(root->AddEffect(sepia.Get()), kSuccess);
    bool letterboxSeen = false;
    float aspectSeen = 0;
    // A child that looks at the renderer while it is being drawn into the screen texture.
    struct Probe : Node {
        bool* seen;
        float* aspect;
        Camera* camera;
        void DrawIfVisible(Renderer* r) override { Draw(r); }
        void Draw(Renderer* r) override
        {
            *seen = r->Letterbox();
            *aspect = camera->Aspect();
        }
    };
    Ptr<Probe> probe = new Probe();
    probe->seen = &letterboxSeen;
    probe->aspect = &aspectSeen;
    probe->camera = camera.Get();
    ASSERT_EQ(root->AttachChild(probe.Get()), kSuccess);
    DrawFrame();
    EXPECT_EQ(Lines({"SetViewport"}), (std::vector<std::string>{"SetViewport 0 75 800 450", "SetViewport 0 0 800 600"}));
    EXPECT_TRUE(letterboxSeen);
    EXPECT_FLOAT_EQ(aspectSeen, 800.0f / 450.0f);
    EXPECT_FALSE(renderer->Letterbox());
    EXPECT_EQ(sepia->ScreenTexture()->GetImage()->Height(), 450u);
    EXPECT_FLOAT_EQ(camera->Aspect(), 800.0f / 600.0f);
}

TEST_F(PostRender, WithoutTheShaderVersionsOrRenderTargetsTheChildrenAreDrawnPlainly)
{
    struct Case {
        const char* what;
        uint32_t version;
        bool refuseTargets;
        uint32_t viewportWidth;
    };
    const Case cases[] = {{"no shaders", 0, false, 800}, {"refused targets", 20, true, 800},
                          {"empty viewport", 20, false, 0}};
    for (const Case& c : cases) {
        UseShaderVersion(c.version);
        renderer->RefuseRenderTargets(c.refuseTargets);
        renderer->SetViewport(0, 0, static_cast<float>(c.viewportWidth), 600);
        Ptr<SceneNode> node = new SceneNode();
        test::AttachQuad(*node, "Plain", Vector3{0, 0, 5}, new ColorEffect());
        Ptr<Bloom5PostRenderEffect> bloom = new Bloom5PostRenderEffect();
        ASSERT_EQ(node->AddEffect(bloom.Get()), kSuccess);
        root = node;
        test::LogCapture log;
        DrawFrame();
        EXPECT_EQ(Lines({"DrawCurrentGeometry"}), std::vector<std::string>{"DrawCurrentGeometry [Plain] 2"}) << c.what;
        EXPECT_TRUE(Lines({"DrawNonIndexed"}).empty()) << c.what;
        if (c.viewportWidth == 0) {
            EXPECT_TRUE(log.ContainsText("Неверный размер текстуры [Screen Texture]: 0x600")) << log.Joined();
        }
    }
    renderer->RefuseRenderTargets(false);
}

TEST_F(PostRender, BloomShrinksBlursAndAddsTheBrightParts)
{
    Ptr<Bloom5PostRenderEffect> bloom = new Bloom5PostRenderEffect();
    Bloom5PostRenderEffect::Parameters p;
    p.downsample = 8;
    p.threshold = 0.5f;
    p.bloomIntensity = 2.0f;
    p.tint = Vector4{1, 0.5f, 0.25f, 1};
    bloom->SetParameters(p);
    ASSERT_EQ(root->AddEffect(bloom.Get()), kSuccess);
    DrawFrame();
    Array<Object*> textures;
    bloom->CollectByType(&Texture::TYPE, textures);
    const std::vector<std::string> targets = Lines({"BeginRenderTarget"});
    // Screen, downsample, then three blur rounds between the two small targets.
    ASSERT_EQ(targets.size(), 5u);
    EXPECT_EQ(targets[2], targets[4]);
    EXPECT_NE(targets[1], targets[2]);
    EXPECT_EQ(targets[1], targets[3]);
    EXPECT_EQ(Lines({"DrawNonIndexed"}).size(), 5u);
    // The composite adds the blurred image times tint and intensity.
    EXPECT_EQ(renderer->PixelConstant(1), (Vector4{2, 1, 0.5f, 2}));
    EXPECT_EQ(renderer->PixelConstant(0), (Vector4{1, 1, 1, 1}));
}

// The shrink-and-blur programs, which no catalogue of effect passes reaches, assemble and keep
// within shader model 2's budget (a device refuses a longer program, even where Wine would
// take it): 32 texture reads and 64 other instructions in a pixel program, 256 in a vertex one.
TEST(PostRenderPrograms, ShrinkAndBlurProgramsAssembleWithinTheirBudget)
{
    const struct {
        const char* name;
        const char* text;
        int textureReads;  // Counted by hand.
    } programs[] = {{"bloom taps", Bloom5PostRenderEffect::kTapVertexProgram, 0},
                    {"bloom bright pass", Bloom5PostRenderEffect::kBrightPixelProgram, 16},
                    {"bloom composite", Bloom5PostRenderEffect::kCompositePixelProgram, 2},
                    {"blur", ScreenBlur::kBlurVertexProgram, 0},
                    {"blur pixels", ScreenBlur::kBlurPixelProgram, 5},
                    {"copy", ScreenBlur::kCopyVertexProgram, 0}};
    for (const auto& program : programs) {
        std::vector<uint32_t> tokens;
        std::string message;
        EXPECT_EQ(ShaderAssembler::Assemble(program.text, tokens, message), kSuccess) << program.name << ": " << message;
        const std::string text = program.text;
        const bool pixel = text.rfind("ps_", 0) == 0;
        int reads = 0, others = 0;
        for (size_t at = text.find('\n'); at != std::string::npos && at + 1 < text.size(); at = text.find('\n', at + 1)) {
            const std::string line = text.substr(at + 1, text.find('\n', at + 1) - at - 1);
            if (line.rfind("def", 0) == 0 || line.rfind("dcl", 0) == 0)
                continue;
            (line.rfind("texld", 0) == 0 ? reads : others) += 1;
        }
        EXPECT_EQ(reads, program.textureReads) << program.name;
        EXPECT_LE(others, pixel ? 64 : 256) << program.name;
        EXPECT_LE(reads, 32) << program.name;
    }
}

TEST_F(PostRender, GlowDrawsOnlyItsNodesIntoTheGlowTexture)
{
    Ptr<CustomGlowPostRenderEffect> glow = new CustomGlowPostRenderEffect();
    Ptr<Triangles> lamp = test::AttachQuad(*root, "Lamp", Vector3{1, 0, 6}, new ColorEffect(), 0.5f);
    ASSERT_EQ(glow->GlowNodes().Add(lamp.Get()), kSuccess);
    glow->SetDivisor(2);
    ASSERT_EQ(root->AddEffect(glow.Get()), kSuccess);
    DrawFrame();
    ASSERT_NE(glow->GlowTexture(), nullptr);
    EXPECT_EQ(glow->GlowTexture()->Name(), "Screen Glow Texture");
    const std::string glowTag = renderer->Tag(glow->GlowTexture());
    const std::vector<std::string> lines = Lines({"BeginRenderTarget", "DrawCurrentGeometry"});
    // Picture: both quads; glow texture: the lamp alone.
    ASSERT_GE(lines.size(), 6u);
    EXPECT_EQ(lines[1], "DrawCurrentGeometry [Child] 2");
    EXPECT_EQ(lines[2], "DrawCurrentGeometry [Lamp] 2");
    EXPECT_EQ(lines[3], "BeginRenderTarget " + glowTag);
    EXPECT_EQ(lines[4], "DrawCurrentGeometry [Lamp] 2");
    EXPECT_EQ(renderer->PixelConstant(1).x, 1.5f);
}

TEST_F(PostRender, RippleScrollsItsNormalMapWithTime)
{
    Ptr<RipplePostRenderEffect> ripple = new RipplePostRenderEffect();
    Ptr<Texture> normals = new Texture(String("n"), new Image(String("ni"), Image::kR8G8B8, 4, 4));
    ripple->SetNormalMap(normals.Get());
    RipplePostRenderEffect::Parameters p;
    p.scroll = Vector2{0.25f, -0.125f};
    p.speed = 2.0f;
    p.strength = 0.03f;
    ripple->SetParameters(p);
    ASSERT_EQ(root->AddEffect(ripple.Get()), kSuccess);
    DrawFrame(1.0);  // Two seconds of scroll at speed 2.
    EXPECT_FLOAT_EQ(ripple->Time(), 2.0f);
    EXPECT_FLOAT_EQ(renderer->VertexConstant(3).x, 0.5f);
    EXPECT_FLOAT_EQ(renderer->VertexConstant(3).y, -0.25f);
    EXPECT_FLOAT_EQ(renderer->PixelConstant(0).x, 0.03f);
    EXPECT_EQ(Lines({"SetTexture 1"}), std::vector<std::string>{"SetTexture 1 " + renderer->Tag(normals.Get())});
}

TEST_F(PostRender, DepthOfFieldDrawsTheOpaqueChildrenAgainIntoTheDepthTexture)
{
    Ptr<DOFPostRenderEffect> dof = new DOFPostRenderEffect();
    DOFPostRenderEffect::Parameters p;
    p.focalDistance = 5;
    p.focalRange = 1;
    p.falloff = 4;
    p.maxBlur = 0.75f;
    dof->SetParameters(p);
    Ptr<ColorEffect> blended = new ColorEffect();
    ASSERT_EQ(blended->SetBlending(true, RenderState::kBlendSourceAlpha, RenderState::kBlendInverseSourceAlpha), kSuccess);
    test::AttachQuad(*root, "Glass", Vector3{0, 0, 4}, blended.Get(), 0.5f);
    ASSERT_EQ(root->AddEffect(dof.Get()), kSuccess);
    DrawFrame();
    ASSERT_NE(dof->DepthTexture(), nullptr);
    EXPECT_EQ(dof->DepthTexture()->Name(), "Screen Depth Texture");
    EXPECT_EQ(dof->DepthTexture()->GetImage()->Name(), "Screen Depth Image");
    EXPECT_EQ(dof->DepthTexture()->GetImage()->Width(), 800u);
    ASSERT_NE(dof->BlurredTexture(), nullptr);
    EXPECT_EQ(dof->BlurredTexture()->GetImage()->Width(), 200u);
    const std::string depthTag = renderer->Tag(dof->DepthTexture());
    const std::vector<std::string> lines =
        Lines({"BeginRenderTarget", "EndRenderTarget", "Clear", "DrawCurrentGeometry"});
    // The picture holds both quads; the depth target only the opaque one, and the override
    // pass is gone afterwards.
    const std::vector<std::string> expected = {
        lines[0], "Clear 3 (0 0 0 1) 1 0", "DrawCurrentGeometry [Child] 2", "DrawCurrentGeometry [Glass] 2",
        "EndRenderTarget", "BeginRenderTarget " + depthTag, "Clear 3 (1 0 0 1) 1 0",
        "DrawCurrentGeometry [Child] 2", "EndRenderTarget"};
    ASSERT_GE(lines.size(), expected.size());
    EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + expected.size()), expected);
    EXPECT_EQ(renderer->OverridePass(), nullptr);
    // Composite: far / falloff, focus / falloff, range / falloff, most blur; the depth at stage 2.
    const float far = camera->Far();
    EXPECT_EQ(renderer->PixelConstant(0), (Vector4{far / 4, 1.25f, 0.25f, 0.75f}));
    EXPECT_EQ(Lines({"SetTexture 2"}).back(), "SetTexture 2 " + depthTag);
    EXPECT_EQ(Lines({"DrawNonIndexed"}).size(), 5u);  // Downsample, three blurs, composite.
}

TEST(DepthOfField, BlurGrowsOutsideTheFocalRangeOverTheFalloff)
{
    test::EngineScope engine;
    struct Case {
        float focus, range, falloff, most, depth, blur;
    };
    const float nan = std::nanf("");
    const Case cases[] = {
        {10, 2, 4, 1, 10, 0},       {10, 2, 4, 1, 12, 0},      {10, 2, 4, 1, 13, 0.25f},
        {10, 2, 4, 1, 7, 0.25f},    {10, 2, 4, 1, 16, 1},      {10, 2, 4, 1, 100, 1},
        {10, 2, 4, 0.5f, 14, 0.25f}, {10, 2, 4, 3, 100, 1},    // Most blur clamped to 1.
        {10, -1, 4, 1, 13, 0.25f},  // A negative range counts as the default 2.
        {10, 2, 0, 1, 12.01f, 1},   // No falloff: a hard step.
        {nan, 2, 10, 1, 17, 0.5f},  {10, 2, nan, 1, 17, 0.5f}, // Not a number: the defaults.
    };
    for (const Case& c : cases) {
        Ptr<DOFPostRenderEffect> dof = new DOFPostRenderEffect();
        dof->SetParameters({c.focus, c.range, 1.0f, c.falloff, c.most});
        EXPECT_NEAR(dof->BlurAt(c.depth), c.blur, 1e-5f)
            << c.focus << " " << c.range << " " << c.falloff << " " << c.most << " at " << c.depth;
        // The composite's constants give the same blur from depth / far.
        float k[4];
        dof->CompositeConstants(100.0f, k);
        const float fromShader = std::clamp(std::fabs(c.depth / 100.0f * k[0] - k[1]) - k[2], 0.0f, 1.0f) * k[3];
        EXPECT_NEAR(fromShader, c.blur, 1e-4f) << c.depth;
    }
}

// Stream forms: the bytes after the Object fields (name, no controllers).
TEST_F(PostRender, StreamFormsOfEveryMember)
{
    struct Case {
        const char* type;
        std::vector<uint8_t> fields;
    };
    std::vector<uint8_t> sepia = {0};
    PutFloat(sepia, 1.0f);
    std::vector<uint8_t> film = sepia;
    test::PutInt(film, 0xFFFFFFFFu);
    test::PutInt(film, 0xFFFFFFFFu);
    std::vector<uint8_t> bloom = {0};
    for (float v : {0.6f, 2.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 4.0f})
        PutFloat(bloom, v);
    std::vector<uint8_t> dof = {0};
    for (float v : {10.0f, 2.0f, 1.5f, 10.0f, 1.0f})
        PutFloat(dof, v);
    std::vector<uint8_t> ripple = {0};
    test::PutInt(ripple, 0xFFFFFFFFu);
    for (float v : {0.05f, 0.03f, 0.02f, 4.0f, 1.0f})
        PutFloat(ripple, v);
    std::vector<uint8_t> glow = {0};
    PutFloat(glow, 1.5f);
    PutFloat(glow, 1.0f);
    test::PutInt(glow, 4);
    test::PutInt(glow, 0);
    const Case cases[] = {{"ZEN.SepiaPostRenderEffect", sepia},
                          {"ZEN.SepiaFilmPostRenderEffect", film},
                          {"ZEN.Bloom5PostRenderEffect", bloom},
                          {"ZEN.DOFPostRenderEffect", dof},
                          {"ZEN.RipplePostRenderEffect", ripple},
                          {"ZEN.CustomGlowPostRenderEffect", glow}};
    for (const Case& c : cases)
        test::ExpectStreamForm(c.type, c.fields);
}

TEST_F(PostRender, FilmTexturesAndGlowNodesComeBack)
{
    Ptr<SepiaFilmPostRenderEffect> film = new SepiaFilmPostRenderEffect();
    film->SetAmount(0.5f);
    film->SetFilmFlag(true);
    film->SetLinesTexture(new Texture(String("Lines"), new Image(String("li"), Image::kA8, 4, 4)));
    film->SetGrainTexture(new Texture(String("Grain"), new Image(String("gi"), Image::kA8, 4, 4)));
    Ptr<SepiaFilmPostRenderEffect> back = test::LoadedRecord<SepiaFilmPostRenderEffect>(test::SavedRecord(film.Get()));
    ASSERT_NE(back, nullptr);
    EXPECT_TRUE(back->FilmFlag());
    EXPECT_EQ(back->Amount(), 0.5f);
    ASSERT_NE(back->LinesTexture(), nullptr);
    EXPECT_EQ(back->LinesTexture()->Name(), "Lines");
    ASSERT_NE(back->GrainTexture(), nullptr);
    EXPECT_EQ(back->FindByName(String("gi")), back->GrainTexture()->GetImage());
}

}  // namespace
}  // namespace zen
