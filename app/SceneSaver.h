#pragma once
#include "app/Saver.h"
#include "engine/core/Object.h"
#include "engine/core/Ptr.h"

namespace zen {
class ColorEffect;
class Node;
class ScreensaverController;
}

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
    // The dialog procedure's result for messages the dialog itself does not end: true for the
    // initialisation (the system sets the focus), false otherwise. The picture is the dialog's.
    int DrawSettingsPicture(void* dialog, uint32_t message, uintptr_t wparam, intptr_t lparam) override;
    // Without music in the defaults, the volume label and trackbar are not shown at all.
    int AdjustDialog() override;

    zen::Object* Scene() const { return m_scene.Get(); }

    // The black fade over a shot: 1 at the shot's ends, falling to 0 within `fadeSeconds` (one
    // second; 0 when the director holds a single shot, which never fades). `fadeInStart` and
    // `duration` are the shot's, `timeInShot` the time since the shot began (seconds). The end
    // of the shot wins where both ends are near.
    static float ShotFadeAlpha(float fadeSeconds, float fadeInStart, float duration, float timeInShot);

    // Takes every scene-node effect whose type is `typeName` or derives from it off the scene
    // node that carries it; the number removed. CreateData drops the shadow-map effects this
    // way when the device cannot sample depth.
    static uint32_t RemoveSceneEffects(zen::Object* root, const char* typeName);

protected:
    // Takes `root` as the scene: drops the shadow-map effects when the device cannot sample
    // depth and finds the director (the first screensaver controller in it).
    void AdoptScene(zen::Object* root);
    // The user's sound settings applied to the scene: without sound effects every sound node but
    // the one named "Music" is silenced and stopped (the alternating ones too); without music
    // that node is silenced but goes on.
    void TuneSounds(bool music, bool sfx);
    zen::ScreensaverController* Director() const { return m_director; }

    // The fade of the current shot (ShotFadeAlpha with the director's times); 0 without one.
    float FadeAlpha() const;
    // Darkens the whole screen by `alpha` (0 draws nothing) through the overlay camera.
    void DrawFade(float alpha);

private:
    zen::Ptr<zen::Object> m_scene;            // Root of the loaded scene; null until CreateData.
    zen::Ptr<zen::ColorEffect> m_fadeEffect;  // Blended black over the screen.
    zen::ScreensaverController* m_director = nullptr;  // Not owned: the scene holds it.
};

}  // namespace brightfold
