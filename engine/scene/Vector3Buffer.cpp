#include "engine/scene/Vector3Buffer.h"

namespace zen {

ZEN_IMPLEMENT_CLASS(Vector3Buffer, Buffer, kStartupCoreClasses)

}  // namespace zen
