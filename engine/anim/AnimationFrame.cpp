#include "engine/anim/AnimationFrame.h"

#include <cmath>

#include "engine/core/MessageLog.h"
#include "engine/core/Stream.h"

namespace zen {

double AnimationFrame::LocalTime(double position, bool first) const
{
    const double length = end - start;
    if (!(length > 0))
        return 0;
    double u = ((position - start) * scale + offset) / length;
    if (!std::isfinite(u))
        return 0;
    switch (mode) {
    case kClamp:
        if (first)
            return (u < 0 || u >= 1) ? 0 : u;
        return u > 1 ? 1 : (u < 0 ? 0 : u);
    case kRepeat:
        u -= std::floor(u);
        break;
    default: {
        const double whole = std::floor(u);
        u -= whole;
        if (std::fmod(whole, 2.0) != 0)  // Odd passes run backwards (fmod keeps the sign of -1).
            u = 1 - u;
        break;
    }
    }
    return (first && u >= 1) ? 0 : u;
}

Result AnimationFrame::Save(Stream& stream) const
{
    if (stream.WriteObject(animation.Get()) != kSuccess) {
        Error("Невозможно сохранить анимацию фрейма анимации.");
        return kFailure;
    }
    (void)stream.WriteUInt(mode);
    (void)stream.WriteDouble(start);
    (void)stream.WriteDouble(end);
    (void)stream.WriteDouble(scale);
    (void)stream.WriteDouble(offset);
    if (stream.State() != kSuccess) {
        Error("Невозможно сохранить данные стадии блендинга анимации.");
        return kFailure;
    }
    return kSuccess;
}

Result AnimationFrame::Load(Stream& stream)
{
    Ptr<Animation> loaded;
    if (stream.ReadObject(loaded) != kSuccess) {
        Error("Невозможно загрузить анимацию фрейма анимации.");
        return kFailure;
    }
    uint32_t loadedMode = 0;
    double numbers[4] = {};
    Result read = stream.ReadUInt(loadedMode);
    for (double& number : numbers)
        if (read == kSuccess)
            read = stream.ReadDouble(number);
    if (read != kSuccess || stream.State() != kSuccess) {
        Error("Невозможно загрузить данные стадии блендинга анимации.");
        return kFailure;
    }
    for (double number : numbers) {
        if (!std::isfinite(number)) {
            Error("Недопустимое число во фрейме анимации.");
            return kFailure;
        }
    }
    if (numbers[1] < numbers[0]) {
        Error("Конец фрейма анимации раньше начала. Начало[%g] Конец[%g]", numbers[0], numbers[1]);
        return kFailure;
    }
    animation = loaded;
    mode = loadedMode;
    start = numbers[0];
    end = numbers[1];
    scale = numbers[2];
    offset = numbers[3];
    return kSuccess;
}

}  // namespace zen
