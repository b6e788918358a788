#include "zen/SceneClock.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "engine/render/Renderer.h"
#include "engine/scene/Node.h"

namespace zen::tool {

bool ParseSeconds(const char* text, double& out)
{
    if (!text || !*text || std::strlen(text) > 20 || std::strspn(text, "0123456789.") != std::strlen(text))
        return false;
    char* end = nullptr;
    const double value = std::strtod(text, &end);
    if (!end || *end != '\0' || !std::isfinite(value) || value < 0 || value > kMaxSceneSeconds)
        return false;
    out = value;
    return true;
}

void FixRandomSeed() { std::srand(1); }

void AdvanceScene(Node& root, Renderer* renderer, double seconds, double frame)
{
    if (!(seconds > 0))
        return;
    if (!(frame > 0) || seconds / frame > kMaxAdvanceFrames)
        frame = seconds / kMaxAdvanceFrames;
    double done = 0;
    while (done < seconds) {
        const double step = std::fmin(frame, seconds - done);
        root.UpdateState(step, true);
        if (renderer) {
            (void)renderer->StartFrame();
            renderer->FinishFrame();
        }
        done += step;
    }
}

}  // namespace zen::tool
