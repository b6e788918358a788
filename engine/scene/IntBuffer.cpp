#include "engine/scene/IntBuffer.h"

namespace zen {

ZEN_IMPLEMENT_CLASS(IntBuffer, Buffer, kStartupCoreClasses)

}  // namespace zen
