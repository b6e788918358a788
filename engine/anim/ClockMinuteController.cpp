#include "engine/anim/ClockMinuteController.h"

#include <ctime>
#include <numbers>

#include "engine/anim/ClockHourController.h"
#include "engine/scene/Node.h"

namespace zen {

ZEN_IMPLEMENT_CLASS(ClockMinuteController, Controller, kStartupOtherClasses)

double ClockMinuteController::MinuteAngle(int minute, int second)
{
    return (60.0 - minute - second / 60.0) * 2.0 * std::numbers::pi / 60.0;
}

void ClockMinuteController::Update(double)
{
    if (!m_active || !m_owner || !m_owner->IsDerivedFrom(&Node::TYPE))
        return;
    const std::time_t now = std::time(nullptr);
    const std::tm* local = std::localtime(&now);
    if (!local)
        return;
    ClockHourController::TurnAboutX(m_owner, MinuteAngle(local->tm_min, local->tm_sec));
}

}  // namespace zen
