#include "engine/scene/Lines.h"

namespace zen {

ZEN_IMPLEMENT_CLASS(Lines, GeometryNode, kStartupCoreClasses)

}  // namespace zen
