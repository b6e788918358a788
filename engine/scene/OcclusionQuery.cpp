#include "engine/scene/OcclusionQuery.h"

namespace zen {

ZEN_IMPLEMENT_CLASS(OcclusionQuery, Object, kStartupSceneClasses)

OcclusionQuery::~OcclusionQuery()
{
    if (Renderer* renderer = BoundRenderer())
        renderer->ReleaseQuery(this);
}

}  // namespace zen
