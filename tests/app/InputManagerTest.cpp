#include <gtest/gtest.h>

#include <string>

#include "app/InputManager.h"
#include "support/EngineScope.h"
#include "support/LogCapture.h"

namespace brightfold {
namespace {

class Recorder : public InputHandler {
public:
    Recorder(const char* name, std::string* journal) : InputHandler(zen::String(name)), m_journal(journal) {}
    int HandleInput(const InputEvent& event) override
    {
        *m_journal += Name().Std() + std::to_string(event.code) + " ";
        if (echo && event.code == 1)
            InputManager::PostEvent({InputEvent::kKeyboard, InputEvent::kPressed, 9, 0});
        return 0;
    }
    bool echo = false;

private:
    std::string* m_journal;
};

TEST(InputManager, LaterHandlersSeeEventsFirstAndTheQueueIsReused)
{
    zen::test::EngineScope engine;
    std::string journal;
    zen::Ptr<Recorder> a(new Recorder("a", &journal)), b(new Recorder("b", &journal));
    ASSERT_EQ(InputManager::RegisterHandler(a.Get()), zen::kSuccess);
    ASSERT_EQ(InputManager::RegisterHandler(b.Get()), zen::kSuccess);
    {
        zen::test::LogCapture log;
        EXPECT_EQ(InputManager::RegisterHandler(a.Get()), zen::kSuccess);
        EXPECT_TRUE(log.Contains("WARNING. Обработчик ввода [a] уже зарегестрирован."));
        EXPECT_EQ(InputManager::RegisterHandler(nullptr), zen::kInvalidArgument);
    }
    EXPECT_EQ(InputManager::HandlerCount(), 2u);

    InputManager::PostEvent({InputEvent::kKeyboard, InputEvent::kPressed, 1, 0});
    InputManager::PostEvent({InputEvent::kKeyboard, InputEvent::kReleased, 2, 0});
    ASSERT_EQ(InputManager::ProcessInput(), zen::kSuccess);
    EXPECT_EQ(journal, "b1 b2 a1 a2 ");
    EXPECT_EQ(InputManager::PendingCount(), 0u);

    // An event posted while handlers run joins the same pass for the current and later handlers.
    journal.clear();
    b->echo = true;
    InputManager::PostEvent({InputEvent::kKeyboard, InputEvent::kPressed, 1, 0});
    ASSERT_EQ(InputManager::ProcessInput(), zen::kSuccess);
    EXPECT_EQ(journal, "b1 b9 a1 a9 ");
}

TEST(InputManager, SlotsAreReusedTheQueueGrowsAndEventsOutsideTheEngineAreDropped)
{
    std::string journal;
    zen::Ptr<Recorder> a(new Recorder("a", &journal));
    InputManager::PostEvent({InputEvent::kKeyboard, InputEvent::kPressed, 1, 0});  // No engine: nowhere to go.
    EXPECT_EQ(InputManager::PendingCount(), 0u);

    zen::test::EngineScope engine;
    ASSERT_EQ(InputManager::RegisterHandler(a.Get()), zen::kSuccess);
    ASSERT_EQ(InputManager::RegisterHandler(a.Get()), zen::kSuccess);  // Twice: still once per event.
    for (uint32_t code : {1u, 2u, 3u})
        InputManager::PostEvent({InputEvent::kKeyboard, InputEvent::kPressed, code, 0});
    ASSERT_EQ(InputManager::ProcessInput(), zen::kSuccess);
    EXPECT_EQ(journal, "a1 a2 a3 ");
    // The next frame's single event overwrites slot 0; the stale slots 1 and 2 are not replayed.
    journal.clear();
    InputManager::PostEvent({InputEvent::kMouse, InputEvent::kPressed, 7, 0});
    EXPECT_EQ(InputManager::PendingCount(), 1u);
    ASSERT_EQ(InputManager::ProcessInput(), zen::kSuccess);
    EXPECT_EQ(journal, "a7 ");
    // A frame without input hands nothing out.
    journal.clear();
    ASSERT_EQ(InputManager::ProcessInput(), zen::kSuccess);
    EXPECT_EQ(journal, "");
    // A burst past the first 128 slots loses nothing.
    for (uint32_t i = 0; i < 300; ++i)
        InputManager::PostEvent({InputEvent::kMouse, InputEvent::kMoved, 3, i});
    EXPECT_EQ(InputManager::PendingCount(), 300u);
    ASSERT_EQ(InputManager::ProcessInput(), zen::kSuccess);
    EXPECT_EQ(journal.size(), 300u * 3);  // "a3 " per event
}

TEST(InputManager, StopReleasesHandlers)
{
    std::string journal;
    zen::Ptr<Recorder> a(new Recorder("a", &journal));
    {
        zen::test::EngineScope engine;
        ASSERT_EQ(InputManager::RegisterHandler(a.Get()), zen::kSuccess);
        EXPECT_EQ(a->References(), 2);
    }
    EXPECT_EQ(a->References(), 1);
    EXPECT_EQ(InputManager::HandlerCount(), 0u);
}

}  // namespace
}  // namespace brightfold
