#include "engine/anim/RenderScreenspaceReflectTextureController.h"

namespace zen {

ZEN_IMPLEMENT_CLASS(RenderScreenspaceReflectTextureController, PostUpdateController, kStartupOtherClasses)

Matrix4 RenderScreenspaceReflectTextureController::SpaceChange(float height) const
{
    (void)height;
    return Matrix4::FromRows({1, 0, 0, 0}, {0, -1, 0, 0}, {0, 0, 1, 0}, {0, 2 * height, 0, 1});
}

}  // namespace zen
