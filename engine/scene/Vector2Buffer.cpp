#include "engine/scene/Vector2Buffer.h"

namespace zen {

ZEN_IMPLEMENT_CLASS(Vector2Buffer, Buffer, kStartupCoreClasses)

}  // namespace zen
