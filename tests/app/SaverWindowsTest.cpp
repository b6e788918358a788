#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/InputManager.h"
#include "app/Saver.h"
#include "engine/sound/SoundManager.h"
#include "modules/recording/RecordingRenderer.h"
#include "platform/Platform.h"
#include "platform/PosixTestHooks.h"
#include "support/LogCapture.h"
#include "support/RecordingRendererScope.h"
#include "support/SaverEnvironment.h"
#include "support/ScriptedSaver.h"
#include "support/StoredArchive.h"

namespace brightfold {
namespace {

using zen::DisplayMode;
using zen::RecordingRenderer;

// The saver's windows with the recording renderer standing in for Direct3D and the recording
// window layer for the system's windows; the two archives the engine start attaches are small
// real RAR 2.0 archives.
class SaverWindows : public test::SaverEnvironment {
protected:
    void SetUp() override
    {
        SaverEnvironment::SetUp();
        platform::posix::SetMediaResource(134, zen::test::StoredArchive({{"Pictures\\readme.txt", "ok"}}));
        platform::posix::SetMediaResource(227, zen::test::StoredArchive({{"Scenes\\readme.txt", "ok"}}));
        m_cursor = platform::posix::CursorShowCount();
    }
    void TearDown() override
    {
        platform::posix::RemoveMediaResource(134);
        platform::posix::RemoveMediaResource(227);
        SaverEnvironment::TearDown();
    }

    int CursorSteps() const { return platform::posix::CursorShowCount() - m_cursor; }

    zen::test::RecordingRendererScope scope;  // Outlives every saver of a test.

private:
    int m_cursor = 0;
};

TEST_F(SaverWindows, RunOpensTheDesktopModeFullScreenAndHidesTheCursor)
{
    SetCommandLine("/s");
    zen::test::LogCapture log;
    zen::Ptr<test::ScriptedSaver> saver(new test::ScriptedSaver);
    // The archives hold no pictures: the loading screen is an empty black frame, and every
    // missing picture says so without stopping the saver.
    EXPECT_EQ(saver->CreateSaver(), 0);
    RecordingRenderer* renderer = RecordingRenderer::Latest();
    ASSERT_NE(renderer, nullptr);
    EXPECT_EQ(scope.windows.Journal(), std::vector<std::string>{"CreateSystemWindow [Lighthouse 3D Screensaver] parent "
                                                                "none fullscreen 32 bits at 0 0 size 1024 768"});
    // Mode 1 is the desktop's; the shipped Gamma 0 gives the neutral ramp.
    EXPECT_EQ(renderer->Journal(), (std::vector<std::string>{"CreateDevice 1 640 480", "SetGammaRamp 0 32896 65535",
                                                             "Clear 3 (0 0 0 1) 1 0", "BeginFrame", "EndFrame"}));
    EXPECT_EQ(CursorSteps(), -1);
    EXPECT_EQ(log.MissingInOrder({"INFO. Скринсейвер инициализирован.", "INFO. Окна скринсейвера созданы.",
                                  "WARNING. Изображение [loader.jpg] не найдено.", "INFO. LoadingTexture Loaded",
                                  "WARNING. Изображение [digit_ddot.tga] не найдено."}), "");

    // Stopping the engine releases the renderer, which closes its window.
    EXPECT_EQ(saver->DestroySaver(), 0);
    EXPECT_EQ(RecordingRenderer::Latest(), nullptr);
    EXPECT_EQ(scope.windows.OpenWindowCount(), 0u);
    EXPECT_EQ(scope.windows.Journal().back(), "DestroySystemWindow");
    EXPECT_EQ(CursorSteps(), -1);  // The process entry shows it again at the very end.
}

TEST_F(SaverWindows, WantedModesMustBeFullScreenAndAtLeast640By480)
{
    auto& setup = RecordingRenderer::NextSetup();
    setup.modes = {
        DisplayMode{320, 240, 32, 0, 24, 8, 0, true},   // 0: too small
        DisplayMode{640, 480, 16, 0, 16, 0, 0, true},   // 1
        DisplayMode{800, 600, 32, 0, 24, 8, 0, false},  // 2: windowed
        DisplayMode{800, 600, 32, 0, 24, 8, 0, true},   // 3
        DisplayMode{800, 600, 32, 8, 16, 0, 0, true},   // 4: same size and depth, later
        DisplayMode{1024, 768, 32, 0, 24, 8, 0, true},  // 5: desktop
    };
    setup.desktopMode = 5;
    zen::Renderer* made = nullptr;
    ASSERT_EQ(RecordingRenderer::Create(&made), zen::kSuccess);
    zen::Ptr<zen::Renderer> renderer(made);

    UserSettings wanted;
    wanted.useDesktopSettings = false;
    auto choose = [&](int32_t width, int32_t height, int32_t bits) {
        wanted.width = width;
        wanted.height = height;
        wanted.colorDepth = bits;
        return Saver::ChooseDisplayMode(*renderer, wanted);
    };
    EXPECT_EQ(choose(800, 600, 32), 3);
    EXPECT_EQ(choose(640, 480, 16), 1);
    EXPECT_EQ(choose(640, 480, 32), 5);   // Not offered: the desktop mode.
    EXPECT_EQ(choose(320, 240, 32), 5);   // Offered, but too small.
    EXPECT_EQ(choose(1280, 1024, 32), 5);
    EXPECT_EQ(choose(-800, 600, 32), 5);
    wanted.useDesktopSettings = true;
    EXPECT_EQ(choose(800, 600, 32), 5);
}

TEST_F(SaverWindows, NoUsableModeOrNoWindowEndsCreation)
{
    SetCommandLine("/t");
    RecordingRenderer::NextSetup().desktopMode = -1;
    {
        zen::test::LogCapture log;
        zen::Ptr<test::ScriptedSaver> saver(new test::ScriptedSaver);
        EXPECT_EQ(saver->CreateSaver(), 1);
        EXPECT_TRUE(log.Contains("ERROR. Невозможно найти подходящий видео режим.")) << log.Joined();
        EXPECT_TRUE(log.Contains("ERROR. Невозможно создать окна скринсейвера."));
        EXPECT_TRUE(scope.windows.Journal().empty());
        EXPECT_EQ(saver->DestroySaver(), 0);
    }
    RecordingRenderer::ResetNextSetup();
    scope.windows.failCreation = true;
    {
        zen::test::LogCapture log;
        zen::Ptr<test::ScriptedSaver> saver(new test::ScriptedSaver);
        EXPECT_EQ(saver->CreateSaver(), 1);
        EXPECT_EQ(log.MissingInOrder({"ERROR. Невозможно создать окно [Lighthouse 3D Screensaver].",
                                      "ERROR. Создание окна неудачно.", "ERROR. Невозможно создать окно выбранного режима.",
                                      "ERROR. Невозможно создать окна скринсейвера."}),
                  "");
        EXPECT_EQ(CursorSteps(), 0);
        EXPECT_EQ(saver->DestroySaver(), 0);
    }
}

TEST_F(SaverWindows, PreviewNeedsItsParentWindow)
{
    SetCommandLine("/p");
    {
        zen::test::LogCapture log;
        zen::Ptr<test::ScriptedSaver> saver(new test::ScriptedSaver);
        EXPECT_EQ(saver->CreateSaver(), 1);
        EXPECT_TRUE(log.Contains("ERROR. Невозможно создать окна скринсейвера.")) << log.Joined();
        EXPECT_EQ(saver->DestroySaver(), 0);
    }
    SetCommandLine("/p 1234");
    zen::Ptr<test::ScriptedSaver> saver(new test::ScriptedSaver);
    EXPECT_EQ(saver->CreateSaver(), 0);
    EXPECT_EQ(platform::posix::PreviewWindowClass(), "Lighthouse 3D Screensaver");
    EXPECT_TRUE(scope.windows.Journal().empty());  // The renderer opens no window for a preview.
    const int before = CursorSteps();
    EXPECT_EQ(saver->DestroySaver(), 0);
    EXPECT_EQ(platform::posix::PreviewWindowClass(), "");
    EXPECT_EQ(CursorSteps(), before + 1);
}

TEST_F(SaverWindows, WithoutAnAppNameTheBuiltInNamesAreUsed)
{
    const std::string texts = "Mes_Button_OK = OK\r\n";
    platform::posix::SetMediaResource(229, std::vector<uint8_t>(texts.begin(), texts.end()));
    SetCommandLine("/p:77");
    {
        zen::Ptr<test::ScriptedSaver> saver(new test::ScriptedSaver);
        EXPECT_EQ(saver->CreateSaver(), 0);
        EXPECT_EQ(platform::posix::PreviewWindowClass(), "BRIGHTFOLD 3D SCREENSAVER APPLICATION");
        EXPECT_EQ(saver->DestroySaver(), 0);
    }
    SetCommandLine("/s");
    zen::Ptr<test::ScriptedSaver> saver(new test::ScriptedSaver);
    EXPECT_EQ(saver->CreateSaver(), 0);
    EXPECT_EQ(scope.windows.Journal().front().rfind("CreateSystemWindow [3D SCREENSAVER] ", 0), 0u);
    EXPECT_EQ(saver->DestroySaver(), 0);
}

// What stands between `prefix` and `suffix` in the lines of `log` that have both, in order.
std::vector<std::string> Between(const zen::test::LogCapture& log, const std::string& prefix, const std::string& suffix)
{
    std::vector<std::string> found;
    for (const std::string& line : log.Lines())
        if (line.size() >= prefix.size() + suffix.size() && line.rfind(prefix, 0) == 0 &&
            line.compare(line.size() - suffix.size(), suffix.size(), suffix) == 0)
            found.push_back(line.substr(prefix.size(), line.size() - prefix.size() - suffix.size()));
    return found;
}

TEST_F(SaverWindows, EngineStartLoadsTheCodecsAndArchivesOfEachMode)
{
    const std::vector<std::string> dialogCodecs = {"BMPImageCodec", "JPGImageCodec", "RAR2FileCodec"};
    const std::vector<std::string> sceneCodecs = {"BMPImageCodec",  "JPGImageCodec", "TGAImageCodec",
                                                  "CUBEImageCodec", "STRSceneCodec", "RAR2FileCodec"};
    struct Case {
        const char* switches;
        const std::vector<std::string>* codecs;
        std::vector<std::string> archives;
        uint32_t handlers;
    };
    const Case cases[] = {
        {"/c", &dialogCodecs, {"CustomData.rar2"}, 0},
        {"/p 5", &dialogCodecs, {"CustomData.rar2"}, 0},
        {"/s", &sceneCodecs, {"CustomData.rar2", "Media.rar2"}, 1},
        {"/t", &sceneCodecs, {"CustomData.rar2", "Media.rar2"}, 1},
    };
    for (const Case& c : cases) {
        SetCommandLine(c.switches);
        zen::test::LogCapture log;
        zen::Ptr<test::ScriptedSaver> saver(new test::ScriptedSaver);
        (void)saver->CreateSaver();  // Run and Test stop later, at the visuals.
        EXPECT_TRUE(log.Contains("INFO. Скринсейвер инициализирован.")) << c.switches << "\n" << log.Joined();
        EXPECT_EQ(Between(log, "INFO. Загружается кодек [", "]."), *c.codecs) << c.switches;
        // Attached at the root, in this order.
        EXPECT_EQ(Between(log, "INFO. Директория [", "] добавлена к директории []."), c.archives) << c.switches;
        EXPECT_EQ(InputManager::HandlerCount(), c.handlers) << c.switches;
        if (c.switches == std::string("/c")) {  // The dialog needs the engine but no window.
            EXPECT_NE(RecordingRenderer::Latest(), nullptr);
            EXPECT_TRUE(scope.windows.Journal().empty());
            EXPECT_EQ(saver->RunSaver(), 1);
            EXPECT_TRUE(log.Contains("INFO. Запущен режим конфигурирования."));
        }
        EXPECT_EQ(saver->DestroySaver(), 0);
        EXPECT_EQ(RecordingRenderer::Latest(), nullptr);
    }
}

TEST_F(SaverWindows, EngineStartFailuresEndCreationWithTheirLines)
{
    struct Case {
        const char* switches;
        int missingResource;
        const char* line;
    };
    const Case cases[] = {
        {"/c", 134, "ERROR. Невозможно подсоединить директорию CustomData."},
        {"/s", 134, "ERROR. Невозможно подсоединить директорию CustomData."},
        {"/s", 227, "ERROR. Невозможно подсоединить директорию Media."},
    };
    for (const Case& c : cases) {
        SetUp();
        platform::posix::RemoveMediaResource(c.missingResource);
        SetCommandLine(c.switches);
        zen::test::LogCapture log;
        zen::Ptr<test::ScriptedSaver> saver(new test::ScriptedSaver);
        EXPECT_EQ(saver->CreateSaver(), 1);
        const int failed = log.IndexOf(c.line);
        ASSERT_GE(failed, 0) << c.line << "\n" << log.Joined();
        EXPECT_EQ(log.IndexOf("ERROR. Невозможно инициализировать скринсейвер.", failed), failed + 1);
        EXPECT_EQ(saver->journal.find("OnEngineStarted"), std::string::npos);
        EXPECT_EQ(InputManager::HandlerCount(), 0u);
        EXPECT_EQ(saver->DestroySaver(), 0);
        EXPECT_EQ(RecordingRenderer::Latest(), nullptr);
    }
}

TEST_F(SaverWindows, RunStartsTheSoundDeviceWithItsWindowAndSetsTheVolume)
{
    using GetConfig = uint32_t (*)(uint32_t);
    const struct {
        uint32_t music, sfx, volume, expected;
    } cases[] = {
        {1, 1, 80, 80}, {0, 1, 60, 60}, {1, 0, 60, 60}, {0, 0, 60, 0}, {1, 1, 150, 100}, {1, 1, 0xFFFFFFFFu, 100},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "Music " << c.music << " SFX " << c.sfx << " Volume " << c.volume);
        SetCommandLine("/s");
        auto& values = platform::posix::SettingsStore()[test::ShippedRegistryPath()];
        values["Music"] = c.music;
        values["SFX"] = c.sfx;
        values["Volume"] = c.volume;
        zen::test::LogCapture log;
        zen::Ptr<test::ScriptedSaver> saver(new test::ScriptedSaver);
        EXPECT_EQ(saver->CreateSaver(), 0);
        auto getConfig = reinterpret_cast<GetConfig>(
            platform::FindLibrarySymbol(zen::SoundManager::LibraryHandle(), "BASS_GetConfig"));
        ASSERT_NE(getConfig, nullptr);
        EXPECT_EQ(getConfig(5), c.expected);
        // The engine's start opened the device; the saver's window start is refused as a repeat
        // and said once.
        const int opened = log.IndexOf("INFO. Звук инициализирован. Устройство [1] [Recording]");
        const int refused = log.IndexOf("ERROR. Невозможно инициализировать звук. Причина [5]. Устройство [Recording]");
        const int windows = log.IndexOf("INFO. Окна скринсейвера созданы.");
        EXPECT_GE(opened, 0) << log.Joined();
        EXPECT_GT(refused, opened);
        EXPECT_GT(windows, refused);
        EXPECT_EQ(saver->DestroySaver(), 0);
        EXPECT_FALSE(zen::SoundManager::IsLoaded());
    }
}

}  // namespace
}  // namespace brightfold
