#include "engine/anim/Keyframe.h"

#include "engine/core/MessageLog.h"
#include "engine/core/Stream.h"

namespace zen {

Keyframe::~Keyframe() = default;

Result Keyframe::Save(Stream& stream)
{
    if (stream.WriteDouble(time) != kSuccess) {
        Error("Невозможно сохранить родительские данные кифрейма.");
        return kFailure;
    }
    const Result fields = SaveFields(stream);
    if (fields != kSuccess || stream.State() != kSuccess) {
        Error("Невозможно сохранить данные кифрейма.");
        return kFailure;
    }
    return kSuccess;
}

Result Keyframe::Load(Stream& stream)
{
    if (stream.ReadDouble(time) != kSuccess) {
        Error("Невозможно загрузить родительские данные кифрейма.");
        return kFailure;
    }
    const Result fields = LoadFields(stream);
    if (fields != kSuccess || stream.State() != kSuccess) {
        Error("Невозможно загрузить данные кифрейма.");
        return kFailure;
    }
    return kSuccess;
}

Object* Keyframe::FindByName(const String&) { return nullptr; }

void Keyframe::CollectByType(const Rtti*, Array<Object*>&) {}

Result Keyframe::SaveFields(Stream&) { return kSuccess; }

Result Keyframe::LoadFields(Stream&) { return kSuccess; }

}  // namespace zen
