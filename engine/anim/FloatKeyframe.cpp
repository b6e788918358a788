#include "engine/anim/FloatKeyframe.h"

#include "engine/core/Stream.h"

namespace zen {

Result FloatKeyframe::SaveFields(Stream& stream) { return stream.WriteFloat(value); }

Result FloatKeyframe::LoadFields(Stream& stream) { return stream.ReadFloat(value); }

}  // namespace zen
