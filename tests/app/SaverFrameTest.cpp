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
    }
    void TearDown() override { EXPECT_EQ(zen::ReleaseRenderer(), zen::kSuccess); }

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

TEST_F(SaverFrame, EveryFrameIsClearedAndPresentedUntilAStepFails)
{
    struct Case {
        const char* what;
        int failAt, failUpdateAt, failRenderAt;
        int result, updates, draws, cleared, begun, presented;
        const char* line;
    };
    const Case cases[] = {
        {"all frames drawn", -1, -1, -1, 0, 3, 3, 3, 3, 3, nullptr},
        // After the second frame the renderer has no frame to give.
        {"no frame to begin", 2, -1, -1, 1, 3, 2, 3, 2, 2, "ERROR. Неудачно начало рендеринга."},
        // The failing frame is neither cleared nor begun.
        {"update fails", -1, 2, -1, 1, 2, 1, 1, 1, 1, "ERROR. Неудачно обновление сцены."},
        // The failed frame is not presented.
        {"draw fails", -1, -1, 2, 1, 2, 2, 2, 2, 1, "ERROR. Неудачен рендеринг."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        zen::test::LogCapture log;
        zen::Ptr<FrameSaver> run(new FrameSaver);
        run->frames = c.result == 0 ? 3 : 10;
        run->failAt = c.failAt;
        run->failUpdateAt = c.failUpdateAt;
        run->failRenderAt = c.failRenderAt;
        run->SetRunning();
        renderer->SetFrameResult(zen::kSuccess);
        renderer->ClearJournal();
        EXPECT_EQ(run->RunFrameLoop(), c.result);
        EXPECT_EQ(run->updates, c.updates);
        EXPECT_EQ(run->draws, c.draws);
        // Each frame clears colour and depth to opaque black, depth 1 and stencil 0 first.
        EXPECT_EQ(Count("Clear 3 (0 0 0 1) 1 0"), c.cleared);
        EXPECT_EQ(Count("BeginFrame"), c.begun);
        EXPECT_EQ(Count("EndFrame"), c.presented);
        if (c.line) {
            EXPECT_TRUE(log.Contains(c.line)) << log.Joined();
        }
    }
}

}  // namespace
}  // namespace brightfold
