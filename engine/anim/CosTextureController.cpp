#include "engine/anim/CosTextureController.h"

#include <cmath>
#include <numbers>

#include "engine/anim/SinTextureController.h"

namespace zen {

ZEN_IMPLEMENT_CLASS(CosTextureController, Controller, kStartupOtherClasses)

uint8_t CosTextureController::CosineByte(uint32_t x, uint32_t width, float)
{
    const double value = 255.0 * (std::cos(2.0 * std::numbers::pi * x / width) + 1.0) / 2.0;
    if (!(value > 0))
        return 0;
    return value >= 255.0 ? 255 : static_cast<uint8_t>(value);
}

void CosTextureController::Update(double)
{
    if (!m_active || m_done)
        return;
    SinTextureController::FillColumns(m_owner, &CosineByte, 1.0f);
    m_done = true;
}

}  // namespace zen
