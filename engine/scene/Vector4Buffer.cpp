#include "engine/scene/Vector4Buffer.h"

namespace zen {

ZEN_IMPLEMENT_CLASS(Vector4Buffer, Buffer, kStartupCoreClasses)

}  // namespace zen
