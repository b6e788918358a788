#pragma once
#include <cstdint>

#include "engine/anim/Animation.h"
#include "engine/core/Ptr.h"

namespace zen {

class Stream;

// A clip on an animation controller's track ("фрейм анимации"): it plays `animation` while the
// track position lies in [start, end], `scale` cycles of it over that span shifted by `offset`
// cycles, clamped, repeated or bounced at the ends by `mode`.
// Stream form: animation link, mode (uint32), start, end, scale, offset (float64 each).
struct AnimationFrame {
    enum Mode : uint32_t { kClamp = 0, kRepeat = 1, kPingPong = 2 };  // Any other value bounces too.

    Ptr<Animation> animation;
    double start = 0;
    double end = 0;
    uint32_t mode = kRepeat;
    double scale = 1.0;
    double offset = 0;

    bool Covers(double position) const { return start <= position && position <= end; }
    // The animation's local time 0..1 at track `position`. `first` says the frame is the
    // earlier of the two under the position (stage 0): its clamp folds times outside [0, 1)
    // to 0 where the second frame's clamps them to the nearer end. A frame of no length
    // gives 0.
    double LocalTime(double position, bool first) const;

    // Load refuses numbers that are not finite and an end before the start.
    [[nodiscard]] Result Save(Stream& stream) const;
    [[nodiscard]] Result Load(Stream& stream);
};

}  // namespace zen
