#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "engine/core/Stream.h"
#include "engine/render/Renderer.h"
#include "engine/scene/Camera.h"
#include "engine/scene/Image.h"
#include "engine/text/LearnActivator.h"
#include "engine/text/LearnSystem.h"
#include "engine/text/TagParser.h"
#include "engine/vfs/Directory.h"
#include "engine/vfs/FileManager.h"
#include "engine/vfs/MemoryFile.h"
#include "modules/recording/RecordingRenderer.h"
#include "support/EngineScope.h"
#include "support/LoadedCodec.h"
#include "support/LogCapture.h"
#include "support/MemoryFiles.h"
#include "support/RecordBytes.h"
#include "support/RecordingRendererScope.h"

// On-screen messages: the tag language, the fade timeline, the camera rule and a whole
// configuration loaded, laid out and drawn.
namespace zen {
namespace {

TagElement Parsed(const std::string& text, int expected = 0)
{
    TagElement root;
    EXPECT_EQ(TagParser::Parse(text.data(), static_cast<uint32_t>(text.size()), &root), expected) << text;
    return root;
}

TEST(TagParser, TreesFromTheTagLanguage)
{
    TagElement a = Parsed("<a><b>x</b></a>");
    EXPECT_EQ(a.name, "a");
    EXPECT_FALSE(a.leaf);
    ASSERT_EQ(a.children.size(), 1u);
    EXPECT_EQ(a.children[0].name, "b");
    EXPECT_EQ(a.children[0].value, "x");

    // Text around elements is dropped; values keep their spaces; same-name nesting is matched.
    a = Parsed("head <a> junk <b> v 1 </b> mid <c></c> <b>2</b> tail </a> trailing");
    ASSERT_EQ(a.children.size(), 3u);
    EXPECT_EQ(a.children[0].value, " v 1 ");
    EXPECT_EQ(a.children[1].value, "");
    EXPECT_EQ(a.ChildValue("b"), " v 1 ");
    EXPECT_EQ(a.ChildValue("missing"), "");
    a = Parsed("<a><a>1</a><a>2</a></a>");
    ASSERT_EQ(a.children.size(), 2u);
    EXPECT_EQ(a.children[1].value, "2");
    // Content whose first "<" starts "<!" is a value.
    a = Parsed("<a><!-- <b>x</b> --></a>");
    EXPECT_TRUE(a.leaf);
    EXPECT_EQ(a.value, "<!-- <b>x</b> -->");
    // No element at all: an empty tree.
    EXPECT_EQ(Parsed("just text").name, "");
    EXPECT_EQ(Parsed("").name, "");
}

TEST(TagParser, MalformedTreesAndMissingArguments)
{
    const char* malformed[] = {"<a>x", "<a", "<a><b>x</a>", "<a><b>x</b>", "<a>x</b>", "<a><b</a>", "<>x"};
    for (const char* text : malformed)
        Parsed(text, 1);
    std::string deep;
    for (uint32_t i = 0; i <= TagParser::kMaxDepth; ++i)
        deep += "<d" + std::to_string(i) + ">";
    deep += "x";
    for (uint32_t i = TagParser::kMaxDepth + 1; i-- > 0;)
        deep += "</d" + std::to_string(i) + ">";
    Parsed(deep, 1);
    TagElement root;
    root.name = "kept";
    EXPECT_EQ(TagParser::Parse(nullptr, 0, &root), 3);
    EXPECT_EQ(TagParser::Parse("<a>x</a>", 8, nullptr), 3);
    EXPECT_EQ(TagParser::Parse("<a>x", 4, &root), 1);
    EXPECT_EQ(root.name, "kept");  // Written only on success.
}

TEST(LearnActivator, FadeInShowFadeOutPauseThenPickAgain)
{
    LearnActivator a;
    a.messages = {7, 8, 9};
    a.inTime = 1;
    a.fadeTime = 0.5f;
    a.showTime = 3;
    a.outTime = 2;
    std::srand(5);
    a.Activate();
    ASSERT_GE(a.message, 0);
    struct Case {
        float time, opacity;
    };
    const Case cases[] = {{0.0f, -1}, {0.99f, -1}, {1.0f, 0},    {1.25f, 0.5f}, {1.5f, 1},
                          {4.49f, 1}, {4.5f, 1},   {4.75f, 0.5f}, {5.0f, -1},    {6.99f, -1}};
    for (const Case& c : cases) {
        a.time = c.time;
        EXPECT_NEAR(a.Opacity(), c.opacity, 1e-5f) << c.time;
        EXPECT_FLOAT_EQ(a.time, c.time) << "no new pick yet";
    }
    // At 7 s the pause is over: a new pick, time restarts, nothing drawn this time.
    a.time = 7.0f;
    EXPECT_EQ(a.Opacity(), -1.0f);
    EXPECT_EQ(a.time, 0.0f);
    EXPECT_GE(a.message, 0);
    EXPECT_LT(a.message, 3);

    LearnActivator silent;
    silent.Activate();
    EXPECT_EQ(silent.message, -1);
    silent.time = 100;
    EXPECT_EQ(silent.Opacity(), -1.0f);
}

// A font parameter file for a 64 x 64 glyph texture: every glyph 'a'-'z' 4 pixels wide with 1
// after it, line height 16.
std::string Parameters()
{
    std::string text = "ascent = 12\ndescent = 4\nheight = 16\nxOffset = 0\nyOffset = 0\nnumChars = 26\n";
    for (int c = 'a'; c <= 'z'; ++c)
        text += "char = " + std::to_string(c) + "; A = 0; B = 4; C = 1; x = 0; y = 0;\n";
    return text;
}

// A square BMP (24 bits, bottom-up, rows a multiple of 4 bytes for these sizes), for the
// textures of the configuration.
std::string Bitmap(uint32_t side)
{
    const uint32_t pixels = side * side * 3, size = 54 + pixels;
    auto le = [](uint32_t v) { return std::string{char(v & 0xFF), char(v >> 8 & 0xFF), char(v >> 16 & 0xFF), char(v >> 24)}; };
    std::string bmp = "BM" + le(size) + le(0) + le(54) + le(40) + le(side) + le(side) + std::string("\x01\x00\x18\x00", 4) +
                      le(0) + le(pixels) + le(0) + le(0) + le(0) + le(0);
    bmp.append(pixels, '\x7f');
    return bmp;
}

const char kConfig[] =
    "<LS>\n"
    " <Textures>\n"
    "  <Texture><Name>Glyphs</Name><File>glyphs.bmp</File></Texture>\n"
    "  <Texture><File>panel.bmp</File><Name>Panel</Name></Texture>\n"
    " </Textures>\n"
    " <Fonts><Font><Name>Plain</Name><Texture>Glyphs</Texture><ParamsFile>plain.txt</ParamsFile></Font>\n"
    "        <Font><Name>Lost</Name><Texture>Nowhere</Texture></Font></Fonts>\n"
    " <Styles>\n"
    "  <Style><Name>Body</Name><Font>Plain</Font><Size>1.0, 0.5</Size><Color>1, 0.5, 0.25, 1</Color></Style>\n"
    "  <Style><Name>Ghost</Name><Font>Missing</Font><Size>x</Size></Style>\n"
    " </Styles>\n"
    " <Messages>\n"
    "  <Message><Name>Hello</Name><Position>0.1, 0.2</Position><Size>0.5, 0.4</Size><Back>Panel</Back>\n"
    "   <BackColor>0, 0, 0, 0.5</BackColor><Borders>0.01, 0.02, 0.03, 0.04</Borders>\n"
    "   <Value>{Body}ab cd\nefg</Value></Message>\n"
    "  <Message><Name>Wrapped</Name><Size>0.2, 0.5</Size><Value>{Body}aaaaaa bbbbbb cc</Value></Message>\n"
    "  <Message><Name>Plain</Name><Value>no style</Value></Message>\n"
    "  <Message><Name>Odd</Name><Back>None</Back><Value>{Unknown}x</Value></Message>\n"
    " </Messages>\n"
    " <Activators>\n"
    "  <Activator><Camera>Cliff</Camera><Messages><M>Hello</M><M>Nobody</M></Messages>\n"
    "   <InTime>1</InTime><FadeTime>0.5</FadeTime><ShowTime>3</ShowTime><OutTime>2</OutTime></Activator>\n"
    "  <Activator><Camera>Empty</Camera><Messages></Messages></Activator>\n"
    " </Activators>\n"
    "</LS>\n";

class LearnSystems : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(test::LoadedCodec("BMPImageCodec"), nullptr);
        Directory* folder = new Directory(String("Learn"));
        ASSERT_EQ(FileManager::Root()->AttachDirectory(folder), kSuccess);
        test::AddMemoryFile(folder, "plain.txt", Parameters());
        test::AddMemoryFile(folder, "glyphs.bmp", Bitmap(64));
        test::AddMemoryFile(folder, "panel.bmp", Bitmap(4));
        test::AddMemoryFile(folder, "learn.xml", kConfig);
        test::AddMemoryFile(folder, "wrong.xml", "<LearnSystem><Textures></Textures></LearnSystem>");
        test::AddMemoryFile(folder, "cut.xml", std::string(kConfig, 200));
    }

    test::RecordingRendererScope scope;
    test::EngineScope engine;
};

TEST_F(LearnSystems, ConfigurationLoadsEveryItemAndReportsWhatDoesNotResolve)
{
    test::LogCapture log;
    Ptr<LearnSystem> learn(new LearnSystem);
    learn->SetName(String("Tips"));
    learn->SetConfigFile(String("learn.xml"));
    EXPECT_EQ(learn->TextureCount(), 2u);
    EXPECT_EQ(learn->FontCount(), 2u);
    ASSERT_EQ(learn->Styles().size(), 2u);
    EXPECT_FLOAT_EQ(learn->Styles()[0].size[1], 0.5f);
    EXPECT_FLOAT_EQ(learn->Styles()[0].colour.z, 0.25f);
    EXPECT_EQ(learn->Styles()[1].font.Get(), nullptr);
    EXPECT_FLOAT_EQ(learn->Styles()[1].size[0], 0.0f);  // "x" does not parse.
    ASSERT_EQ(learn->Messages().size(), 4u);
    ASSERT_EQ(learn->Activators().size(), 2u);
    EXPECT_EQ(learn->Activators()[0].messages, (std::vector<uint32_t>{0}));
    EXPECT_FLOAT_EQ(learn->Activators()[0].showTime, 3.0f);
    const int id = learn->ID();
    EXPECT_EQ(log.MissingInOrder({"INFO. Загрузка обучающей системы. Имя[Tips] ID[" + std::to_string(id) + "]",
                                  "INFO. \tЗагрузка текстур.",
                                  "INFO. \t\tТекстура [1]", "INFO. \t\t\tФайл [panel.bmp]",
                                  "WARNING. \t\t\tТекстура не найдена [Nowhere]", "WARNING. \t\t\tШрифт не найден [Missing]",
                                  "INFO. \t\t\tРазмер [x]", "WARNING. \t\t\tТекстура заднего фона не найдена [None]",
                                  "INFO. \t\t\tСообщение [Hello]", "INFO. \t\t\tПоказ [3] сек",
                                  "INFO. \tПостроение сообщений.", "ERROR. \t\tСообщение [Plain] не имеет шрифта",
                                  "ERROR. \t\tОшибка в обозначении шрифта сообщения [Odd]",
                                  "INFO. \tПостроение сообщений завершено.",
                                  "INFO. Загрузка обучающей системы закончена. Имя[Tips] ID[" + std::to_string(id) + "]"}),
              "");
    EXPECT_FALSE(log.ContainsText("Сообщение [Nobody]"));
}

TEST_F(LearnSystems, TextIsLaidOutInsideTheBordersAndWrapsBetweenWords)
{
    Ptr<LearnSystem> learn(new LearnSystem);
    learn->SetConfigFile(String("learn.xml"));
    ASSERT_EQ(learn->Messages().size(), 4u);
    // Glyphs 4/64 wide plus 1/64 after, at scale 1; the space is a quarter of 16/64. Line
    // height 16/64 at scale 0.5 = 0.125; the first line's tops touch the top border:
    // baseline = 0.2 + 0.4 - 0.02 - (16 - (16 - 0 - 12)) / 64 x 0.5.
    const auto& hello = learn->Messages()[0].Runs();
    ASSERT_EQ(hello.size(), 2u);
    EXPECT_EQ(hello[0].text, "ab cd");
    EXPECT_EQ(hello[1].text, "efg");
    EXPECT_FLOAT_EQ(hello[0].x, 0.11f);
    const float firstBaseline = 0.6f - 0.02f - 12.0f / 64 * 0.5f;
    EXPECT_NEAR(hello[0].y, firstBaseline, 1e-6f);
    EXPECT_NEAR(hello[1].y, firstBaseline - 0.125f, 1e-6f);
    // Each word of six glyphs is 6 x 4/64 + 6/64 = 0.46875 wide, far more than the 0.2 panel,
    // so every word gets a line of its own, even though it does not fit.
    const auto& wrapped = learn->Messages()[1].Runs();
    ASSERT_EQ(wrapped.size(), 3u);
    EXPECT_EQ(wrapped[0].text, "aaaaaa ");
    EXPECT_EQ(wrapped[1].text, "bbbbbb ");
    EXPECT_EQ(wrapped[2].text, "cc");
    EXPECT_FLOAT_EQ(wrapped[2].x, 0.0f);
    EXPECT_TRUE(learn->Messages()[2].Runs().empty());
}

TEST_F(LearnSystems, BadConfigurationsLeaveTheNodeSilent)
{
    struct Case {
        const char* file;
        int code;
        const char* line;
    };
    const Case cases[] = {
        {"wrong.xml", 1, "WARNING. Неверный файл конфигурации. Имя[Tips] ID[%d]"},
        {"cut.xml", 1, "WARNING. Невозможно загрузить конфигурацию [1]. Имя[Tips] ID[%d]"},
        {"none.xml", 3, "WARNING. Невозможно загрузить конфигурацию [3]. Имя[Tips] ID[%d]"},
    };
    for (const Case& c : cases) {
        test::LogCapture log;
        Ptr<LearnSystem> learn(new LearnSystem);
        learn->SetName(String("Tips"));
        learn->SetConfigFile(String(c.file));
        EXPECT_EQ(learn->LoadConfiguration(), c.code) << c.file;
        char line[200];
        std::snprintf(line, sizeof line, c.line, learn->ID());
        EXPECT_TRUE(log.Contains(line)) << c.file << "\n" << log.Joined();
        EXPECT_TRUE(learn->Messages().empty());
        EXPECT_TRUE(learn->Activators().empty());
    }
}

TEST_F(LearnSystems, CameraSwitchesPickMessagesAndDrawThemWithTheirFade)
{
    ASSERT_EQ(LoadRenderer(String("DirectX9")), kSuccess);
    RecordingRenderer* renderer = RecordingRenderer::Latest();
    ASSERT_EQ(renderer->Open(1, String("Learn"), nullptr, 0, 0, 640, 480), kSuccess);
    Ptr<LearnSystem> learn(new LearnSystem);
    learn->SetConfigFile(String("learn.xml"));
    Ptr<Camera> cliff(new Camera), other(new Camera);
    cliff->SetName(String("Cliff"));
    other->SetName(String("Sea"));

    auto frame = [&](double seconds) {
        learn->UpdateState(seconds, true);
        renderer->ClearJournal();
        learn->DrawIfVisible(renderer);
        int draws = 0;
        for (const std::string& line : renderer->Journal())
            draws += line.rfind("DrawCurrentGeometry", 0) == 0;
        return draws;
    };
    renderer->SetCamera(other.Get());
    EXPECT_EQ(frame(0.1), 0);
    EXPECT_EQ(learn->CurrentActivator(), -1);
    renderer->SetCamera(cliff.Get());
    EXPECT_EQ(frame(0.1), 0);  // Switch: the activator starts at time 0.
    EXPECT_EQ(learn->CurrentActivator(), 0);
    EXPECT_EQ(learn->Activators()[0].message, 0);  // Its one message.
    EXPECT_EQ(frame(0.9), 0);                       // 0.9 s: still waiting.
    // 1.2 s: fading in; the panel and the two lines of text (one draw per line).
    EXPECT_EQ(frame(0.3), 3);
    EXPECT_NEAR(learn->Activators()[0].time, 1.2f, 1e-5f);
    EXPECT_EQ(frame(3.5), 3);  // 4.7 s: fading out.
    EXPECT_EQ(frame(0.4), 0);  // 5.1 s: the pause.
    EXPECT_EQ(frame(1.95), 0); // 7.05 s: a new pick, time starts over.
    EXPECT_FLOAT_EQ(learn->Activators()[0].time, 0.0f);
    // Back to another camera and to this one: the activator starts over.
    renderer->SetCamera(other.Get());
    frame(0.1);
    EXPECT_EQ(learn->CurrentActivator(), -1);
    renderer->SetCamera(cliff.Get());
    frame(0.1);
    EXPECT_FLOAT_EQ(learn->Activators()[0].time, 0.0f);
    EXPECT_EQ(renderer->GetCamera(), cliff.Get());
    // A camera whose activator has no messages shows nothing.
    Ptr<Camera> empty(new Camera);
    empty->SetName(String("Empty"));
    renderer->SetCamera(empty.Get());
    frame(0.1);
    EXPECT_EQ(learn->CurrentActivator(), 1);
    EXPECT_EQ(frame(10.0), 0);
}

TEST_F(LearnSystems, StreamRecordCarriesTheFileNameAndReloadsIt)
{
    Ptr<LearnSystem> learn(new LearnSystem);
    learn->SetConfigFile(String("learn.xml"));
    const test::Bytes bytes = test::SavedRecord(learn.Get());
    Ptr<LearnSystem> loaded = test::LoadedRecord<LearnSystem>(bytes);
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(loaded->ConfigFile(), String("learn.xml"));
    EXPECT_EQ(loaded->Messages().size(), 4u);
    // The name is the record's last field: cut short, the record fails with its message.
    test::LogCapture log;
    EXPECT_EQ(test::LoadedRecord<Object>(test::Bytes(bytes.begin(), bytes.end() - 3)), nullptr);
    EXPECT_TRUE(log.ContainsText("Невозможно загрузить файл конфигурации обучающей системы.")) << log.Joined();
}

}  // namespace
}  // namespace zen
