#include "engine/anim/RenderScreenspaceRefractTextureController.h"

namespace zen {

ZEN_IMPLEMENT_CLASS(RenderScreenspaceRefractTextureController, PostUpdateController, kStartupOtherClasses)

Matrix4 RenderScreenspaceRefractTextureController::SpaceChange(float height) const
{
    (void)height;
    return Matrix4::FromRows({1, 0, 0, 0}, {0, 0.7518797f, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1});
}

}  // namespace zen
