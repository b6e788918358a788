#include "engine/anim/BoolKeyframe.h"

#include "engine/core/Stream.h"

namespace zen {

Result BoolKeyframe::SaveFields(Stream& stream) { return stream.WriteBool(value); }

Result BoolKeyframe::LoadFields(Stream& stream) { return stream.ReadBool(value); }

}  // namespace zen
