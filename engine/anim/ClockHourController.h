#pragma once
#include "engine/anim/Controller.h"

namespace zen {

// Turns a clock's hour hand ("ZEN.ClockHourController"; owner a ZEN.Node): each update sets
// the node's local rotation about the x axis from the local wall-clock time. No fields of its
// own.
class ClockHourController : public Controller {
    ZEN_DECLARE_CLASS

public:
    ClockHourController() = default;

    void Update(double elapsed) override;

    // The hand's angle in radians at `hour` (0-23) and `minute`: a full turn back from 12 on a
    // twelve-hour dial, (12 - (h + minute / 60)) * 2 pi / 12 with h = hour - 12 from 13 on, so
    // 00:00 gives 2 pi and 12:00 gives 0.
    static double HourAngle(int hour, int minute);
    // Sets `node`'s local rotation to `angle` about (1, 0, 0) and clears both flags.
    static void TurnAboutX(Object* owner, double angle);
};

}  // namespace zen
