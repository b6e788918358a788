#include "engine/anim/ClockHourController.h"

#include <cmath>
#include <ctime>
#include <numbers>

#include "engine/scene/Node.h"

namespace zen {

ZEN_IMPLEMENT_CLASS(ClockHourController, Controller, kStartupOtherClasses)

double ClockHourController::HourAngle(int hour, int minute)
{
    const int h = hour >= 13 ? hour - 12 : hour;
    return (12.0 - (h + minute / 60.0)) * 2.0 * std::numbers::pi / 12.0;
}

void ClockHourController::TurnAboutX(Object* owner, double angle)
{
    if (!owner || !owner->IsDerivedFrom(&Node::TYPE))
        return;
    Transform& local = static_cast<Node*>(owner)->LocalTransform();
    local.rotation = {static_cast<float>(std::sin(angle / 2)), 0, 0, static_cast<float>(std::cos(angle / 2))};
    local.isIdentity = false;
    local.noRotation = false;
}

void ClockHourController::Update(double)
{
    if (!m_active || !m_owner || !m_owner->IsDerivedFrom(&Node::TYPE))
        return;
    const std::time_t now = std::time(nullptr);
    const std::tm* local = std::localtime(&now);
    if (!local)
        return;
    TurnAboutX(m_owner, HourAngle(local->tm_hour, local->tm_min));
}

}  // namespace zen
