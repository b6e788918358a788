#include <gtest/gtest.h>

#include <string>

#include "app/Saver.h"
#include "engine/render/Renderer.h"
#include "modules/recording/RecordingRenderer.h"
#include "support/EngineScope.h"
#include "support/LogCapture.h"
#include "support/RecordingRendererScope.h"
#include "support/ScriptedSaver.h"

// The saver's frame loop against the recording renderer: frames the device skips (lost) are
// not drawn and the loop goes on; a frame that cannot begin at all ends the run.
namespace brightfold {
namespace {

using zen::RecordingRenderer;

// Counts its updates and draws, and stops after `frames` draws (or has the renderer fail
// from draw `failAt` on).
class FrameSaver : public test::ScriptedSaver {
public:
    using Saver::RunFrameLoop;

    int Update(double) override
    {
        ++updates;
        return updates == failUpdateAt ? 1 : 0;
    }
    int Render() override
    {
        ++draws;
        if (draws == failRenderAt)
            return 1;
        if (draws == failAt)
            RecordingRenderer::Latest()->SetFrameResult(zen::kInvalidArgument);
        if (draws >= frames)
            Stop();
        return 0;
    }

    int updates = 0;
    int draws = 0;
    int frames = 3;
    int failAt = -1;
    int failUpdateAt = -1;  // This update reports a failure.
    int failRenderAt = -1;  // This draw reports a failure.
};

class SaverFrame : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(zen::LoadRenderer(zen::String("Recording")), zen::kSuccess);
        renderer = RecordingRenderer::Latest();
        ASSERT_EQ(renderer->Open(0, zen::String("Frames"), nullptr, 0, 0, 640, 480), zen::kSuccess);
        saver->SetRunning();
    }
    void TearDown() override
    {
        saver = nullptr;
        EXPECT_EQ(zen::ReleaseRenderer(), zen::kSuccess);
    }

    int Count(const std::string& line) const
    {
        int count = 0;
        for (const std::string& entry : renderer->Journal())
            count += entry == line;
        return count;
    }

    zen::test::RecordingRendererScope scope;
    zen::test::EngineScope engine;
    RecordingRenderer* renderer = nullptr;
    zen::Ptr<FrameSaver> saver{new FrameSaver};
};

TEST_F(SaverFrame, SkippedFramesAreNotDrawnAndTheRunGoesOn)
{
    // The device is lost for the first two frames: each update decides how the next frame
    // begins.
    zen::test::LogCapture log;
    int skipped = 2;
    struct Skipper : FrameSaver {
        int* left = nullptr;
        int Update(double seconds) override
        {
            RecordingRenderer::Latest()->SetFrameResult(*left > 0 ? zen::kFailure : zen::kSuccess);
            if (*left > 0)
                --*left;
            return FrameSaver::Update(seconds);
        }
    };
    zen::Ptr<Skipper> skipping(new Skipper);
    skipping->left = &skipped;
    skipping->SetRunning();
    renderer->ClearJournal();
    EXPECT_EQ(skipping->RunFrameLoop(), 0);
    EXPECT_EQ(skipping->updates, 5);  // The scene moves on while nothing is drawn.
    EXPECT_EQ(skipping->draws, 3);
    EXPECT_EQ(Count("BeginFrame failed 1"), 2);
    EXPECT_EQ(Count("BeginFrame"), 3);
    EXPECT_EQ(Count("EndFrame"), 3);  // Only drawn frames are finished and presented.
    EXPECT_FALSE(log.ContainsText("Неудачно начало рендеринга."));
}

TEST_F(SaverFrame, AFrameThatCannotBeginEndsTheRun)
{
    zen::test::LogCapture log;
    saver->frames = 10;
    saver->failAt = 2;  // After the second frame the renderer has no frame to give.
    EXPECT_EQ(saver->RunFrameLoop(), 1);
    EXPECT_EQ(saver->draws, 2);
    EXPECT_EQ(saver->updates, 3);
    EXPECT_TRUE(log.Contains("ERROR. Неудачно начало рендеринга."));
}

TEST_F(SaverFrame, AllFramesDrawnWhenTheDeviceStaysUsable)
{
    renderer->ClearJournal();
    EXPECT_EQ(saver->RunFrameLoop(), 0);
    EXPECT_EQ(saver->draws, 3);
    EXPECT_EQ(saver->updates, 3);
    // Each frame clears colour and depth to opaque black, depth 1 and stencil 0 first.
    EXPECT_EQ(Count("Clear 3 (0 0 0 1) 1 0"), 3);
    EXPECT_EQ(Count("BeginFrame"), 3);
    EXPECT_EQ(Count("EndFrame"), 3);
}

TEST_F(SaverFrame, AFailingUpdateOrDrawEndsTheRunInThatFrame)
{
    {
        zen::test::LogCapture log;
        saver->frames = 10;
        saver->failUpdateAt = 2;
        renderer->ClearJournal();
        EXPECT_EQ(saver->RunFrameLoop(), 1);
        EXPECT_TRUE(log.Contains("ERROR. Неудачно обновление сцены.")) << log.Joined();
        EXPECT_EQ(saver->draws, 1);  // The failing frame is neither cleared nor begun.
        EXPECT_EQ(Count("BeginFrame"), 1);
        EXPECT_EQ(Count("EndFrame"), 1);
    }
    zen::test::LogCapture log;
    zen::Ptr<FrameSaver> drawing(new FrameSaver);
    drawing->frames = 10;
    drawing->failRenderAt = 2;
    drawing->SetRunning();
    renderer->ClearJournal();
    EXPECT_EQ(drawing->RunFrameLoop(), 1);
    EXPECT_TRUE(log.Contains("ERROR. Неудачен рендеринг.")) << log.Joined();
    EXPECT_EQ(drawing->updates, 2);
    EXPECT_EQ(Count("BeginFrame"), 2);
    EXPECT_EQ(Count("EndFrame"), 1);  // The failed frame is not presented.
}

}  // namespace
}  // namespace brightfold
