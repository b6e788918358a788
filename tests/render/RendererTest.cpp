#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "engine/anim/PostUpdateController.h"
#include "engine/render/DeferredQueue.h"
#include "engine/render/Renderer.h"
#include "engine/scene/Camera.h"
#include "engine/scene/Light.h"
#include "engine/scene/Triangles.h"
#include "modules/recording/RecordingRenderer.h"
#include "support/LogCapture.h"
#include "support/RecordingFixture.h"
#include "support/RecordingRendererScope.h"

namespace zen {
namespace {

// Distinct stand-in addresses for queue entries; the queue never looks inside a node.
GeometryNode* Node(int i)
{
    static char nodes[16];
    return reinterpret_cast<GeometryNode*>(&nodes[i]);
}

TEST(DeferredQueue, SortsLargestDistanceFirst)
{
    DeferredQueue queue;
    const float distances[] = {4.0f, 100.0f, 0.25f, 9.0f, 100.5f, 0.0f};
    for (int i = 0; i < 6; ++i)
        ASSERT_EQ(queue.Add(Node(i), distances[i]), kSuccess);
    queue.SortBackToFront();
    ASSERT_EQ(queue.Count(), 6u);
    const int expected[] = {4, 1, 3, 0, 2, 5};
    for (uint32_t i = 0; i < 6; ++i)
        EXPECT_EQ(queue[i].node, Node(expected[i])) << i;
    queue.Clear();
    EXPECT_EQ(queue.Count(), 0u);
}

TEST(DeferredQueue, NanDistancesDoNotBreakTheSort)
{
    // NaN keys violate the ordering std::sort needs; enough of them can send it past the end.
    DeferredQueue queue;
    const float nan = std::numeric_limits<float>::quiet_NaN();
    for (int i = 0; i < 200; ++i)
        ASSERT_EQ(queue.Add(Node(i % 16), (i % 3 == 0) ? nan : static_cast<float>(i)), kSuccess);
    queue.SortBackToFront();
    ASSERT_EQ(queue.Count(), 200u);
    for (uint32_t i = 1; i < queue.Count(); ++i) {
        ASSERT_FALSE(std::isnan(queue[i].squaredDistance));
        EXPECT_GE(queue[i - 1].squaredDistance, queue[i].squaredDistance) << i;
    }
    EXPECT_EQ(queue[199].squaredDistance, 0.0f);  // NaN entries count as nearest.
}

TEST(DisplayMode, ModesAreOrderedFullScreenFirstThenBySizeThenDeepestDepthBuffer)
{
    // Shuffled on purpose; the expected order is the one below.
    const DisplayMode windowed{640, 480, 32, 0, 24, 8, 0, false};
    const DisplayMode small16{640, 480, 16, 0, 16, 0, 0, true};
    const DisplayMode small32{640, 480, 32, 0, 24, 8, 0, true};
    const DisplayMode small32Shallow{640, 480, 32, 0, 16, 0, 0, true};
    const DisplayMode small32NoStencil{640, 480, 32, 0, 24, 0, 0, true};
    const DisplayMode small32Alpha{640, 480, 32, 8, 24, 8, 0, true};
    const DisplayMode small32Samples{640, 480, 32, 0, 24, 8, 4, true};
    const DisplayMode tall{640, 600, 16, 0, 16, 0, 0, true};
    const DisplayMode wide{800, 480, 16, 0, 16, 0, 0, true};
    std::vector<DisplayMode> modes = {wide,         windowed, small32Samples, small32Shallow, tall,
                                      small32Alpha, small16,  small32NoStencil, small32};
    std::sort(modes.begin(), modes.end(), DisplayMode::Precedes);
    const std::vector<DisplayMode> expected = {small16,      small32,        small32Samples, small32Alpha, small32NoStencil,
                                               small32Shallow, tall,         wide,           windowed};
    EXPECT_EQ(modes, expected);
    for (const DisplayMode& mode : expected)
        EXPECT_FALSE(DisplayMode::Precedes(mode, mode));
}

// The shared recording fixture with windows from a recording window layer.
class RendererBase : public test::RecordingFixture {
protected:
    // The renderer released and loaded again with the set-up `change` leaves for it.
    void Reload(const std::function<void(RecordingRenderer::Setup&)>& change)
    {
        ASSERT_EQ(ReleaseRenderer(), kSuccess);
        change(RecordingRenderer::NextSetup());
        ASSERT_EQ(LoadRenderer(String("Recording")), kSuccess);
        renderer = RecordingRenderer::Latest();
    }

    std::string Journal() const
    {
        std::string all;
        for (const std::string& line : renderer->Journal())
            all += line + "\n";
        return all;
    }

    test::RecordingRendererScope scope;
};

class Recorder : public PostUpdateController {
public:
    Recorder(const char* name, std::string* journal) : m_journal(journal) { SetName(String(name)); }
    void PostUpdate() override
    {
        *m_journal += Name().Std() + " ";
        if (chain)
            chain->Update(0.0);
        if (victim)
            *victim = nullptr;
    }
    Recorder* chain = nullptr;  // Registered from within PostUpdate.
    Ptr<Recorder>* victim = nullptr;  // Released from within PostUpdate.

private:
    std::string* m_journal;
};

TEST_F(RendererBase, PostUpdatesRunOnceEachInRegistrationOrderThenTheListEmpties)
{
    std::string journal;
    Ptr<Recorder> a(new Recorder("a", &journal)), b(new Recorder("b", &journal)), c(new Recorder("c", &journal));
    c->SetActive(false);
    b->Update(0.016);
    a->Update(0.016);
    b->Update(0.016);  // Attached to two objects: updated twice, runs once.
    c->Update(0.016);  // Inactive: never registered.
    EXPECT_EQ(renderer->PostUpdateCount(), 2u);
    EXPECT_EQ(renderer->StartFrame(), kSuccess);
    EXPECT_EQ(journal, "b a ");
    EXPECT_EQ(renderer->PostUpdateCount(), 0u);

    journal.clear();
    EXPECT_EQ(renderer->StartFrame(), kSuccess);
    EXPECT_EQ(journal, "");

    EXPECT_EQ(renderer->RegisterPostUpdate(nullptr), kInvalidArgument);
}

TEST_F(RendererBase, PostUpdatesRunAfterBeginFrameEvenWhenTheFrameIsSkipped)
{
    std::string journal;
    Ptr<Recorder> a(new Recorder("a", &journal)), b(new Recorder("b", &journal));
    a->chain = b.Get();  // a registers b while the list runs: b runs in the same frame.
    Reload([](RecordingRenderer::Setup& setup) { setup.skippedFrames = 1; });
    a->Update(0.0);
    EXPECT_EQ(renderer->StartFrame(), kFailure);
    EXPECT_EQ(journal, "a b ");
    EXPECT_EQ(Journal(), "BeginFrame skipped\n");
    EXPECT_EQ(renderer->StartFrame(), kSuccess);
    EXPECT_EQ(journal, "a b ");
}

TEST_F(RendererBase, APostUpdateControllerThatGoesBeforeTheFrameIsNotCalled)
{
    // The update registered them; then b's node went (the last reference with it) before the
    // frame began. The frame must not reach the freed controller.
    std::string journal;
    Ptr<Recorder> a(new Recorder("a", &journal)), b(new Recorder("b", &journal)), c(new Recorder("c", &journal));
    a->Update(0.0);
    b->Update(0.0);
    c->Update(0.0);
    b = nullptr;
    EXPECT_EQ(renderer->PostUpdateCount(), 2u);
    EXPECT_EQ(renderer->StartFrame(), kSuccess);
    EXPECT_EQ(journal, "a c ");

    // While the list runs: a controller that drops one already called, and one still waiting.
    journal.clear();
    Ptr<Recorder> d(new Recorder("d", &journal)), e(new Recorder("e", &journal));
    for (Recorder* controller : {a.Get(), c.Get(), d.Get(), e.Get()})
        controller->Update(0.0);
    c->victim = &a;  // Called before c: the cursor steps back with the list.
    d->victim = &e;  // Not called yet: skipped.
    EXPECT_EQ(renderer->StartFrame(), kSuccess);
    EXPECT_EQ(journal, "a c d ");
    EXPECT_EQ(renderer->PostUpdateCount(), 0u);
}

// Blended geometry that notes when the flush draws it.
class QueuedMesh : public Triangles {
public:
    QueuedMesh(const char* name, std::string* journal) : m_journal(journal) { SetName(String(name)); }
    void DrawDeferred(Renderer* renderer) override
    {
        *m_journal += Name().Std() + (renderer == Renderer::Current() ? " " : "? ");
        renderer->DrawGeometry(this);
    }

private:
    std::string* m_journal;
};

TEST_F(RendererBase, FinishFrameDrawsTheDeferredQueueBackToFrontThenEndsTheFrame)
{
    std::string order;
    Ptr<QueuedMesh> near(new QueuedMesh("near", &order)), far(new QueuedMesh("far", &order)),
        middle(new QueuedMesh("middle", &order));
    EXPECT_EQ(renderer->AddDeferred(near.Get(), 1.0f), kSuccess);
    EXPECT_EQ(renderer->AddDeferred(far.Get(), 400.0f), kSuccess);
    EXPECT_EQ(renderer->AddDeferred(middle.Get(), 25.0f), kSuccess);
    EXPECT_EQ(renderer->AddDeferred(nullptr, 1.0f), kInvalidArgument);
    EXPECT_EQ(renderer->Deferred().Count(), 3u);
    renderer->SetCurrentGeometry(near.Get());
    EXPECT_EQ(near->References(), 2);
    renderer->FinishFrame();
    EXPECT_EQ(order, "far middle near ");
    EXPECT_EQ(renderer->Deferred().Count(), 0u);
    EXPECT_EQ(renderer->CurrentGeometry(), nullptr);
    EXPECT_EQ(near->References(), 1);
    EXPECT_EQ(Journal(), "DrawGeometry #1\nDrawGeometry #2\nDrawGeometry #3\nEndFrame\n");

    // The next frame starts with an empty queue.
    order.clear();
    renderer->FinishFrame();
    EXPECT_EQ(order, "");
}

TEST_F(RendererBase, StartFrameMakesADefaultCameraAndActivatesEveryPlane)
{
    EXPECT_EQ(renderer->GetCamera(), nullptr);
    EXPECT_EQ(renderer->StartFrame(), kSuccess);
    Camera* made = renderer->GetCamera();
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->Name(), String());
    EXPECT_EQ(made->ActivePlanes(), Camera::kAllPlanes);

    // A camera of the scene: setting it resets its mask; each frame brings it up to date.
    Ptr<Camera> camera(new Camera());
    camera->LocalTransform().translation = Vector3{0, 0, -10};
    camera->LocalTransform().isIdentity = false;
    camera->SetActivePlanes(0x05);
    renderer->SetCamera(camera.Get());
    EXPECT_EQ(camera->ActivePlanes(), Camera::kAllPlanes);
    EXPECT_EQ(camera->References(), 2);
    camera->SetActivePlanes(0);
    EXPECT_EQ(renderer->StartFrame(), kSuccess);
    EXPECT_EQ(camera->ActivePlanes(), Camera::kAllPlanes);
    EXPECT_EQ(camera->Position(), (Vector3{0, 0, -10}));
    EXPECT_FLOAT_EQ(camera->View().m[3][2], 10.0f);  // -forward . position

    // Closing the window drops the camera.
    ASSERT_EQ(renderer->Open(0, String("Saver"), nullptr, 0, 0, 640, 480), kSuccess);
    EXPECT_EQ(renderer->Close(), kSuccess);
    EXPECT_EQ(renderer->GetCamera(), nullptr);
    EXPECT_EQ(camera->References(), 1);
}

TEST_F(RendererBase, StateStackCallsTheBackEndAfterEachPushAndPop)
{
    Ptr<Light> firstLight(new Light(Light::kPoint)), secondLight(new Light(Light::kSpot));
    Light* first = firstLight.Get();
    Light* second = secondLight.Get();
    EXPECT_EQ(renderer->PushLightState(first), kSuccess);
    EXPECT_EQ(renderer->PushLightState(second), kSuccess);
    EXPECT_EQ(renderer->StateDepth(), 2u);
    EXPECT_EQ(renderer->StateEntry(0), first);
    EXPECT_EQ(renderer->StateEntry(1), second);
    EXPECT_EQ(renderer->StateEntry(2), nullptr);
    {
        test::LogCapture log;
        EXPECT_EQ(renderer->PushLightState(nullptr), kInvalidArgument);
        EXPECT_TRUE(log.Contains("WARNING. Указатель на источник света равен 0."));
    }
    while (renderer->PopStateEntry()) {
    }
    EXPECT_FALSE(renderer->PopStateEntry());
    EXPECT_EQ(Journal(), "PushLight #1 depth 1\nPushLight #2 depth 2\nPopState depth 1\nPopState depth 0\n");
}

TEST_F(RendererBase, OpenMakesTheWindowForTheModeThenTheDevice)
{
    // Mode 1 is full screen 1024x768x32: the window takes the mode's size at the display's
    // origin, the device is told the given size (which a full-screen device does not use).
    ASSERT_EQ(renderer->Open(1, String("Saver"), nullptr, 30, 40, 640, 480), kSuccess);
    EXPECT_NE(renderer->Window(), nullptr);
    EXPECT_TRUE(renderer->HasDevice());
    EXPECT_EQ(scope.windows.Journal(),
              std::vector<std::string>{"CreateSystemWindow [Saver] parent none fullscreen 32 bits at 0 0 size 1024 768"});
    EXPECT_EQ(Journal(), "CreateDevice 1 640 480\n");
    EXPECT_EQ(renderer->GetViewportWidth(), 1024u);

    // Opening again closes the first window (device released, window destroyed) first.
    renderer->ClearJournal();
    scope.windows.ClearJournal();
    ASSERT_EQ(renderer->Open(0, String("Again"), nullptr, 0, 0, 640, 480), kSuccess);
    EXPECT_EQ(Journal(), "ReleaseDevice\nCreateDevice 0 640 480\n");
    EXPECT_EQ(scope.windows.Journal().front(), "DestroySystemWindow");
    EXPECT_EQ(scope.windows.OpenWindowCount(), 1u);

    EXPECT_EQ(renderer->Close(), kSuccess);
    EXPECT_EQ(renderer->Window(), nullptr);
    EXPECT_FALSE(renderer->HasDevice());
    EXPECT_EQ(scope.windows.OpenWindowCount(), 0u);
    EXPECT_EQ(renderer->Close(), kInvalidArgument);  // No window open any more.
}

TEST_F(RendererBase, WindowedModesUseTheGivenSizeAndPosition)
{
    Reload([](RecordingRenderer::Setup& setup) {
        setup.modes = {DisplayMode{1024, 768, 32, 0, 24, 8, 0, false}};
        setup.desktopMode = -1;
    });
    ASSERT_EQ(renderer->Open(0, String("W"), nullptr, 10, 20, 640, 480), kSuccess);
    EXPECT_EQ(scope.windows.Journal().back(), "CreateSystemWindow [W] parent none windowed 32 bits at 10 20 size 640 480");
    EXPECT_EQ(renderer->GetViewportWidth(), 640u);
    EXPECT_EQ(renderer->DesktopModeIndex(), -1);
}

TEST_F(RendererBase, OpenFailuresAreReported)
{
    test::LogCapture log;
    EXPECT_EQ(renderer->Open(2, String("Saver"), nullptr, 0, 0, 640, 480), kInvalidArgument);
    EXPECT_TRUE(scope.windows.Journal().empty());

    scope.windows.failCreation = true;
    EXPECT_EQ(renderer->Open(0, String("Saver"), nullptr, 0, 0, 640, 480), kFailure);
    EXPECT_TRUE(log.Contains("ERROR. Создание окна неудачно."));
    EXPECT_EQ(renderer->Window(), nullptr);
    EXPECT_EQ(Journal(), "");  // No device without a window.

    // Without any window layer the renderer cannot open a window at all.
    WindowLayer* previous = WindowLayer::Install(nullptr);
    log.Clear();
    EXPECT_EQ(renderer->Open(0, String("Saver"), nullptr, 0, 0, 640, 480), kFailure);
    EXPECT_EQ(log.Lines(), (std::vector<std::string>{"ERROR. Оконный слой не установлен.", "ERROR. Создание окна неудачно."}));
    WindowLayer::Install(previous);
}

TEST_F(RendererBase, AFailedDeviceLeavesTheWindowForClose)
{
    Reload([](RecordingRenderer::Setup& setup) { setup.createDeviceResult = kFailure; });
    EXPECT_EQ(renderer->Open(0, String("Saver"), nullptr, 0, 0, 640, 480), kFailure);
    EXPECT_NE(renderer->Window(), nullptr);
    EXPECT_EQ(scope.windows.OpenWindowCount(), 1u);
    // Releasing the renderer closes what is still open.
    Reload([](RecordingRenderer::Setup&) {});
    EXPECT_EQ(scope.windows.OpenWindowCount(), 0u);
}

TEST_F(RendererBase, AWindowThatCannotBeDestroyedFailsClose)
{
    ASSERT_EQ(renderer->Open(0, String("Saver"), nullptr, 0, 0, 640, 480), kSuccess);
    void* window = renderer->Window();
    ASSERT_EQ(scope.windows.DestroySystemWindow(window), kSuccess);  // Gone behind the renderer's back.
    test::LogCapture log;
    EXPECT_EQ(renderer->Close(), kFailure);
    EXPECT_EQ(log.Lines(), (std::vector<std::string>{"ERROR. Невозможно удалить системное окно.",
                                                     "ERROR. Закрытие окна неудачно."}));
    EXPECT_EQ(renderer->Window(), nullptr);
    EXPECT_FALSE(renderer->HasDevice());
}

TEST(RendererGamma, NeutralRampIsTheIdentityAndOffsetsBendIt)
{
    uint16_t ramp[768];
    Renderer::BuildGammaRamp(0, ramp);
    for (uint32_t i = 0; i < 256; ++i) {
        ASSERT_EQ(ramp[i], i * 257) << i;
        ASSERT_EQ(ramp[256 + i], ramp[i]);
        ASSERT_EQ(ramp[512 + i], ramp[i]);
    }
    uint16_t bright[768], dark[768], darkest[768], clamped[768];
    Renderer::BuildGammaRamp(100, bright);
    Renderer::BuildGammaRamp(-50, dark);
    Renderer::BuildGammaRamp(-100, darkest);
    Renderer::BuildGammaRamp(-100000, clamped);
    EXPECT_GT(bright[64], ramp[64]);
    EXPECT_LT(dark[64], ramp[64]);
    for (const uint16_t* curve : {bright, dark, darkest}) {
        EXPECT_EQ(curve[0], 0);
        EXPECT_EQ(curve[255], 65535);
        for (uint32_t i = 1; i < 256; ++i)
            ASSERT_GE(curve[i], curve[i - 1]) << i;
    }
    EXPECT_EQ(std::vector<uint16_t>(darkest, darkest + 768), std::vector<uint16_t>(clamped, clamped + 768));
}

TEST_F(RendererBase, SetGammaHandsTheRampToTheBackEnd)
{
    renderer->SetGamma(0);
    EXPECT_EQ(Journal(), "SetGammaRamp 0 32896 65535\n");
}

}  // namespace
}  // namespace zen
