#pragma once
#include <cstdint>

#include "engine/anim/AnimationController.h"
#include "engine/anim/Controller.h"
#include "engine/core/Array.h"
#include "engine/core/Link.h"
#include "engine/scene/Camera.h"

namespace zen {

// The director of the show ("ZEN.ScreensaverController"): a list of camera shots (sets), one
// played at a time. A set's camera becomes the renderer's camera; when its time is up the next
// set is drawn at random, never one of the most recent ones (the last n / 2 choices of n sets;
// with fewer than four sets any set may follow any). A set flown by an animation controller
// lasts one pass of that controller's track (of the shorter track when its camera's target
// moves too). The application reads the set state each frame for its fades (FadeOpacity).
// Stream form after the controller block: set count (uint32), each set: camera link,
// fadeInStart, duration (float64). What is playing is not saved.
class ScreensaverController : public Controller {
    ZEN_DECLARE_CLASS

public:
    static constexpr uint32_t kNone = 0xFFFFFFFFu;

    // Links, not references: the cameras and their controllers belong to the scene that
    // carries the director, and a camera freed while the director lives makes its set draw
    // nothing instead of reaching a freed camera.
    struct Set {
        Link<Camera> camera;
        Link<AnimationController> cameraAnimation;  // Derived from the camera's controllers.
        Link<AnimationController> targetAnimation;  // Derived from its target's controllers.
        double fadeInStart = 0;                    // Seconds into the set.
        double duration = 1.0;                     // Seconds; replaced when the set starts.
    };

    ScreensaverController() = default;

    // Controller. Update advances the time in the set and, once the set's duration has passed,
    // moves on to the next set with the overshoot. Reset starts a fresh set at once.
    void Update(double elapsed) override;
    void Reset() override;

    // Sets. AddSet derives the set's animations from its camera (as loading does) and appends;
    // kInvalidArgument for a fadeInStart or duration that is not finite.
    Result AddSet(Camera* camera, double fadeInStart, double duration);
    uint32_t SetCount() const { return m_sets.Count(); }
    const Set* GetSet(uint32_t index) const { return index < m_sets.Count() ? &m_sets[index] : nullptr; }

    // Picks the next set at random, avoiding the recent ones, restarts its animations, takes
    // its duration from them and makes its camera the renderer's. Nothing without sets.
    void ChooseNextSet();

    // State the application reads
    uint32_t Current() const { return m_current; }  // kNone before the first choice.
    const Set* CurrentSet() const { return GetSet(m_current); }
    double TimeInSet() const { return m_timeInSet; }
    // The opacity of the black overlay for the current set (0 clear, 1 and above black): up
    // from 0 to 1 over the last second of the set, above 1 before fadeInStart and down to 0
    // over the second after it. With a single set the fades take no time (black until
    // fadeInStart, then clear); 0 with no set.
    double FadeOpacity() const;
    // The recent choices, oldest first (the first choice fills them at random).
    uint32_t HistoryLength() const { return m_historyLength; }
    uint32_t HistoryEntry(uint32_t index) const { return index < m_history.Count() ? m_history[index] : kNone; }

    Result Save(Stream& stream) override;
    Result Load(Stream& stream) override;

private:
    // The animation controller flying `camera` and the one moving its target, each the last
    // match among the controllers visited newest first.
    static void DeriveAnimations(Set& set);
    // A pseudo-random index below `count` from the process-wide generator.
    static uint32_t RandomBelow(uint32_t count);

    Array<Set> m_sets;
    uint32_t m_current = kNone;
    double m_timeInSet = 0;          // Seconds.
    Array<uint32_t> m_history;       // Recent choices, oldest first.
    uint32_t m_historyLength = kNone;  // kNone: not sized yet.
};

}  // namespace zen
