#include "engine/scene/BoundingVolume.h"

#include <new>

#include "engine/scene/SphereBoundingVolume.h"

namespace zen {

ZEN_IMPLEMENT_ABSTRACT_CLASS(BoundingVolume, Object, kStartupCoreClasses)

BoundingVolume* BoundingVolume::CreateOfKind(int32_t kind)
{
    if (kind == kSphere)
        return new (std::nothrow) SphereBoundingVolume();
    return nullptr;
}

}  // namespace zen
