#include "engine/anim/ColorKeyframe.h"

#include "engine/core/Stream.h"

namespace zen {

Result ColorKeyframe::SaveFields(Stream& stream) { return stream.WriteVector4(color); }

Result ColorKeyframe::LoadFields(Stream& stream) { return stream.ReadVector4(color); }

}  // namespace zen
