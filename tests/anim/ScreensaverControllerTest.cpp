#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <set>
#include <vector>

#include "anim/AnimTestSupport.h"
#include "engine/anim/NodeAnimationController.h"
#include "engine/anim/ScreensaverController.h"
#include "engine/anim/TargetCameraController.h"
#include "engine/scene/SceneNode.h"
#include "support/RecordingFixture.h"
#include "support/LogCapture.h"
#include "support/RecordBytes.h"

// The director: the random order of shots without recent repeats, the length of a shot from
// its flights, the hand-over of the overshoot, the fade the application draws, and the stream.
namespace zen {
namespace {

using test::Bytes;

class Director : public test::RecordingFixture {
protected:
    // A camera flown by a node animation controller with a track of `period` seconds (none
    // when 0), looking at a target moved by one of `targetPeriod` seconds (no target when 0).
    Ptr<Camera> FlownCamera(double period, double targetPeriod = 0)
    {
        Ptr<Camera> camera(new Camera());
        if (targetPeriod > 0) {
            Ptr<SceneNode> target(new SceneNode());
            Ptr<NodeAnimationController> moving(new NodeAnimationController());
            moving->SetTrackPeriod(targetPeriod);
            EXPECT_EQ(target->SetController(moving.Get()), kSuccess);
            Ptr<TargetCameraController> aim(new TargetCameraController());
            aim->SetTarget(target.Get());
            EXPECT_EQ(camera->SetController(aim.Get()), kSuccess);
            keep.push_back(target.Get());
        }
        if (period > 0) {
            Ptr<NodeAnimationController> flight(new NodeAnimationController());
            flight->SetTrackPeriod(period);
            EXPECT_EQ(camera->SetController(flight.Get()), kSuccess);
        }
        return camera;
    }

    Ptr<ScreensaverController> DirectorOf(uint32_t sets, double duration = 10, double fadeInStart = 0)
    {
        Ptr<ScreensaverController> director(new ScreensaverController());
        for (uint32_t i = 0; i < sets; ++i)
            EXPECT_EQ(director->AddSet(Ptr<Camera>(new Camera()).Get(), fadeInStart, duration), kSuccess);
        return director;
    }

    std::vector<Ptr<Node>> keep;
};

TEST_F(Director, NeverRepeatsARecentSetAndShowsEverySet)
{
    struct Case {
        uint32_t sets;
        uint32_t history;
        unsigned seed;
    };
    const Case cases[] = {{4, 2, 1}, {5, 2, 7}, {6, 3, 42}, {9, 4, 1234}, {16, 8, 99}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sets);
        std::srand(c.seed);
        Ptr<ScreensaverController> director = DirectorOf(c.sets, 2.0);
        director->Reset();
        ASSERT_EQ(director->HistoryLength(), c.history);
        std::set<uint32_t> shown{director->Current()};
        for (int change = 0; change < 1000; ++change) {
            std::vector<uint32_t> recent;
            for (uint32_t i = 0; i < c.history; ++i)
                recent.push_back(director->HistoryEntry(i));
            ASSERT_EQ(recent.back(), director->Current());
            director->Update(2.0);
            const uint32_t now = director->Current();
            ASSERT_LT(now, c.sets);
            for (uint32_t old : recent)
                ASSERT_NE(now, old) << "change " << change;
            EXPECT_EQ(renderer->GetCamera(), director->CurrentSet()->camera.Get());
            shown.insert(now);
        }
        EXPECT_EQ(shown.size(), c.sets);
    }
}

TEST_F(Director, WithTwoOrThreeSetsTheHistoryIsNotConsulted)
{
    for (uint32_t sets : {2u, 3u}) {
        std::srand(5);
        Ptr<ScreensaverController> director = DirectorOf(sets, 1.0);
        director->Reset();
        EXPECT_EQ(director->HistoryLength(), 1u);
        int repeats = 0;
        std::set<uint32_t> shown;
        for (int change = 0; change < 1000; ++change) {
            const uint32_t before = director->Current();
            director->Update(1.0);
            repeats += director->Current() == before;
            shown.insert(director->Current());
        }
        EXPECT_GT(repeats, 100) << sets;  // About 1000 / sets.
        EXPECT_EQ(shown.size(), sets);
    }
}

TEST_F(Director, ASingleSetPlaysForeverAndCutsInsteadOfFading)
{
    Ptr<Camera> only = FlownCamera(8);
    Ptr<ScreensaverController> director(new ScreensaverController());
    ASSERT_EQ(director->AddSet(only.Get(), 2.0, 99), kSuccess);
    director->Reset();
    EXPECT_EQ(director->CurrentSet()->duration, 8.0);  // From the flight.
    struct Step {
        double elapsed;
        double time;
        double opacity;
    };
    const Step steps[] = {{0.5, 0.5, 1.5}, {1.5, 2.0, 0.0}, {5.0, 7.0, 0.0}, {1.5, 0.5, 1.5}};
    for (const Step& step : steps) {
        director->Update(step.elapsed);
        EXPECT_EQ(director->Current(), 0u);
        EXPECT_NEAR(director->TimeInSet(), step.time, 1e-12);
        EXPECT_NEAR(director->FadeOpacity(), step.opacity, 1e-12);
    }
    EXPECT_EQ(renderer->GetCamera(), only.Get());
}

TEST_F(Director, FadesOutOverTheLastSecondAndInAfterFadeInStart)
{
    std::srand(3);
    Ptr<ScreensaverController> director = DirectorOf(4, 10.0, 2.0);
    director->Reset();
    struct Step {
        double at;
        double opacity;
    };
    // Black (above 1) until 2 s, clear from 3 s, darkening from 9 s.
    const Step steps[] = {{0.0, 3.0}, {1.0, 2.0}, {2.0, 1.0}, {2.5, 0.5}, {3.0, 0.0},
                          {6.0, 0.0}, {9.0, 0.0}, {9.25, 0.25}, {9.75, 0.75}};
    double at = 0;
    for (const Step& step : steps) {
        director->Update(step.at - at);
        at = step.at;
        EXPECT_NEAR(director->FadeOpacity(), step.opacity, 1e-12) << step.at;
    }
}

TEST_F(Director, AShotLastsOnePassOfItsShorterFlight)
{
    struct Case {
        const char* what;
        double flight, targetFlight, stored, duration;
    };
    const Case cases[] = {
        {"camera 20 s, target 15 s", 20, 15, 7, 15},
        {"camera 15 s, target 20 s", 15, 20, 7, 15},
        {"camera 20 s only", 20, 0, 7, 20},
        {"neither", 0, 0, 7, 7},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Ptr<Camera> camera = FlownCamera(c.flight, c.targetFlight);
        Ptr<ScreensaverController> director(new ScreensaverController());
        ASSERT_EQ(director->AddSet(camera.Get(), 0, c.stored), kSuccess);
        const ScreensaverController::Set* set = director->GetSet(0);
        EXPECT_EQ(set->cameraAnimation != nullptr, c.flight > 0);
        EXPECT_EQ(set->targetAnimation != nullptr, c.targetFlight > 0);
        director->Reset();
        EXPECT_EQ(director->CurrentSet()->duration, c.duration);
    }
}

TEST_F(Director, TheNextShotStartsWithTheOvershoot)
{
    // 9.8 s into a 10 s shot a frame of 0.5 s arrives: the next shot starts 0.3 s in, its
    // flights stand 0.2 s before their start, and their own advance by the same 0.5 s brings
    // them to 0.3 s.
    Ptr<Camera> camera = FlownCamera(10, 40);
    Ptr<ScreensaverController> director(new ScreensaverController());
    ASSERT_EQ(director->AddSet(camera.Get(), 0, 0), kSuccess);
    director->Reset();
    AnimationController* flight = director->CurrentSet()->cameraAnimation.Get();
    AnimationController* targetFlight = director->CurrentSet()->targetAnimation.Get();
    director->Update(9.8);
    flight->Update(9.8);
    targetFlight->Update(9.8);
    EXPECT_NEAR(flight->TrackPosition(), 0.98, 1e-12);

    director->Update(0.5);
    EXPECT_NEAR(director->TimeInSet(), 0.3, 1e-12);
    EXPECT_NEAR(flight->TrackPosition(), -0.2 / 10, 1e-12);
    EXPECT_NEAR(targetFlight->TrackPosition(), -0.2 / 40, 1e-12);
    flight->Update(0.5);
    targetFlight->Update(0.5);
    EXPECT_NEAR(flight->TrackPosition(), 0.3 / 10, 1e-12);
    EXPECT_NEAR(targetFlight->TrackPosition(), 0.3 / 40, 1e-12);
}

TEST_F(Director, WithoutSetsNothingHappensAndInactiveItWaits)
{
    Ptr<Camera> before(new Camera());
    renderer->SetCamera(before.Get());
    Ptr<ScreensaverController> empty(new ScreensaverController());
    empty->Reset();
    empty->Update(100);
    EXPECT_EQ(empty->Current(), ScreensaverController::kNone);
    EXPECT_EQ(empty->FadeOpacity(), 0.0);
    EXPECT_EQ(renderer->GetCamera(), before.Get());

    Ptr<ScreensaverController> paused = DirectorOf(4);
    paused->Reset();
    const uint32_t current = paused->Current();
    paused->SetActive(false);
    paused->Update(100);
    EXPECT_EQ(paused->Current(), current);
    EXPECT_EQ(paused->TimeInSet(), 0.0);
}

TEST_F(Director, StreamsTheSetsAndChoosesTheFirstOnLoad)
{
    Ptr<Camera> flown = FlownCamera(12);
    flown->SetName(String("flown"));
    Ptr<ScreensaverController> director(new ScreensaverController());
    director->SetName(String("director"));
    ASSERT_EQ(director->AddSet(flown.Get(), 1.5, 7), kSuccess);
    ASSERT_EQ(director->AddSet(nullptr, 0.25, 3), kSuccess);

    Stream out;
    ASSERT_EQ(director->Save(out), kSuccess);
    const Bytes flownRecord = test::SavedRecord(flown.Get());
    Bytes expected;
    test::PutControllerBlock(expected, "director");
    test::PutInt(expected, 2);
    expected.insert(expected.end(), flownRecord.begin(), flownRecord.end());
    test::PutDouble(expected, 1.5);
    test::PutDouble(expected, 7);
    test::PutInt(expected, Stream::kNullID);
    test::PutDouble(expected, 0.25);
    test::PutDouble(expected, 3);
    EXPECT_EQ(Bytes(out.Data(), out.Data() + out.Position()), expected);

    renderer->SetCamera(nullptr);
    std::srand(11);
    Ptr<ScreensaverController> back = test::LoadedRecord<ScreensaverController>(test::SavedRecord(director.Get()));
    ASSERT_TRUE(back);
    ASSERT_EQ(back->SetCount(), 2u);
    ASSERT_LT(back->Current(), 2u);
    EXPECT_EQ(renderer->GetCamera(), back->CurrentSet()->camera.Get());
    EXPECT_EQ(back->GetSet(0)->camera->Name(), "flown");
    EXPECT_TRUE(back->GetSet(0)->cameraAnimation);  // Derived again from the loaded camera.
    EXPECT_EQ(back->GetSet(1)->fadeInStart, 0.25);
    EXPECT_EQ(back->GetSet(1)->duration, 3.0);
}

TEST_F(Director, RefusesSetsWithNumbersThatAreNotFinite)
{
    auto record = [](double fadeInStart, double duration, uint32_t count) {
        Bytes bytes;
        test::PutInt(bytes, 5);
        test::PutString(bytes, "ZEN.ScreensaverController");
        test::PutControllerBlock(bytes, "d");
        test::PutInt(bytes, count);
        test::PutInt(bytes, Stream::kNullID);
        test::PutDouble(bytes, fadeInStart);
        test::PutDouble(bytes, duration);
        return bytes;
    };
    struct Case {
        Bytes bytes;
        const char* line;
    };
    const Case cases[] = {
        {record(0, std::nan(""), 1), "Невозможно загрузить данные сета контроллера скринсейвера."},
        {record(std::numeric_limits<double>::infinity(), 1, 1), "Невозможно загрузить данные сета контроллера скринсейвера."},
        {record(0, 1, 5000), "Невозможно загрузить количество сетов. ID["},
        {record(0, std::nan(""), 1), "Невозможно загрузить сет. Имя[d]"},
    };
    for (const Case& c : cases) {
        test::LogCapture log;
        EXPECT_FALSE(test::LoadedRecord<ScreensaverController>(c.bytes));
        EXPECT_TRUE(log.ContainsText(c.line)) << log.Joined();
    }
    EXPECT_EQ(DirectorOf(0)->AddSet(nullptr, 0, std::nan("")), kInvalidArgument);
}

}  // namespace
}  // namespace zen
