#include "engine/scene/Points.h"

namespace zen {

ZEN_IMPLEMENT_CLASS(Points, GeometryNode, kStartupCoreClasses)

}  // namespace zen
