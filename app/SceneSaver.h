#pragma once
#include "app/Saver.h"
#include "engine/core/Object.h"
#include "engine/core/Ptr.h"

namespace brightfold {

// The program's saver: it loads the scene "Main.STR" from the media archive, tunes its sounds
// to the settings, updates and draws it each frame and fades between the director's shots.
class SceneSaver : public Saver {
public:
    SceneSaver();
    ~SceneSaver() override;

    int Update(double seconds) override;
    int Render() override;
    int CreateOverlay() override;
    int DestroyOverlay() override;
    int CreateData() override;
    int DestroyData() override;

    zen::Object* Scene() const { return m_scene.Get(); }

private:
    zen::Ptr<zen::Object> m_scene;  // Root of the loaded scene; null until CreateData.
};

}  // namespace brightfold
