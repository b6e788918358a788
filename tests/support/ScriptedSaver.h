#pragma once
#include <set>
#include <string>

#include "app/Saver.h"

namespace brightfold::test {

// A saver whose virtual steps record their calls in a journal and fail on request, so tests can
// walk the lifecycle and see each step's order and failure message.
class ScriptedSaver : public Saver {
public:
    std::string journal;          // "Name " per call, in order.
    std::set<std::string> fail;   // Hooks that return 1.
    std::string throwIn;          // A hook that throws instead (a fault escaping the lifecycle).

    void SetRunning() { m_running = true; }

    int OnInput(const InputEvent&) override { return Hook("OnInput"); }
    int OnDefaultsApplied() override { return Hook("OnDefaultsApplied"); }
    int OnSettingsLogged() override { return Hook("OnSettingsLogged"); }
    int ParseExtraSetting(const zen::String& key, const zen::String&) override
    {
        return key == "FailHere" ? 1 : Hook(nullptr);
    }
    int ReadExtraSettings(platform::SettingsKey) override { return Hook("ReadExtraSettings"); }
    int WriteExtraSettings(platform::SettingsKey) override { return Hook("WriteExtraSettings"); }
    int OnEngineStarted() override { return Hook("OnEngineStarted"); }
    int OnEngineStopping() override { return Hook("OnEngineStopping"); }
    int Update(double) override { return Hook("Update"); }
    int Render() override { return Hook("Render"); }
    int CreateOverlay() override { return Hook("CreateOverlay"); }
    int DestroyOverlay() override { return Hook("DestroyOverlay"); }
    int CreateData() override { return Hook("CreateData"); }
    int DestroyData() override { return Hook("DestroyData"); }
    int CacheData() override { return Hook("CacheData"); }

private:
    int Hook(const char* name)
    {
        if (!name)
            return 0;
        journal += name;
        journal += ' ';
        if (throwIn == name)
            throw 42;
        return fail.count(name) ? 1 : 0;
    }
};

}  // namespace brightfold::test
