#include "engine/scene/StripLines.h"

namespace zen {

ZEN_IMPLEMENT_CLASS(StripLines, GeometryNode, kStartupCoreClasses)

}  // namespace zen
