#include "engine/scene/FloatBuffer.h"

namespace zen {

ZEN_IMPLEMENT_CLASS(FloatBuffer, Buffer, kStartupCoreClasses)

}  // namespace zen
