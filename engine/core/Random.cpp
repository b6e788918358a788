#include "engine/core/Random.h"

namespace zen {

uint32_t Random::s_state = 1;

void Random::Seed(uint32_t seed)
{
    s_state = seed;
}

int32_t Random::Next()
{
    s_state = s_state * 214013u + 2531011u;
    return static_cast<int32_t>((s_state >> 16) & 0x7FFFu);
}

float Random::Unit()
{
    return static_cast<float>(Next()) / static_cast<float>(kMax);
}

float Random::Spread(float base, float range)
{
    return base + Unit() * 2.0f * range - range;
}

uint32_t Random::State()
{
    return s_state;
}

void Random::SetState(uint32_t state)
{
    s_state = state;
}

}  // namespace zen
