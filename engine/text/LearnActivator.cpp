#include "engine/text/LearnActivator.h"

#include <cstdlib>

namespace zen {

void LearnActivator::Activate()
{
    time = 0;
    message = messages.empty() ? -1 : static_cast<int32_t>(static_cast<uint32_t>(std::rand()) % messages.size());
}

float LearnActivator::Opacity()
{
    if (message < 0 || time < inTime)
        return -1.0f;
    float t = time - inTime;
    if (t < fadeTime)
        return t / fadeTime;
    t -= fadeTime;
    if (t < showTime)
        return 1.0f;
    t -= showTime;
    if (t < fadeTime)
        return 1.0f - t / fadeTime;
    t -= fadeTime;
    if (t < outTime)
        return -1.0f;
    Activate();
    return -1.0f;
}

}  // namespace zen
