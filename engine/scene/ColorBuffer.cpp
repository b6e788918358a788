#include "engine/scene/ColorBuffer.h"

namespace zen {

ZEN_IMPLEMENT_CLASS(ColorBuffer, Buffer, kStartupCoreClasses)

}  // namespace zen
