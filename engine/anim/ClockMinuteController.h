#pragma once
#include "engine/anim/Controller.h"

namespace zen {

// Turns a clock's minute hand ("ZEN.ClockMinuteController"; owner a ZEN.Node) as the hour
// controller turns the hour hand. No fields of its own.
class ClockMinuteController : public Controller {
    ZEN_DECLARE_CLASS

public:
    ClockMinuteController() = default;

    void Update(double elapsed) override;

    // (60 - minute - second / 60) * 2 pi / 60 radians: 2 pi on the hour, pi at half past.
    static double MinuteAngle(int minute, int second);
};

}  // namespace zen
