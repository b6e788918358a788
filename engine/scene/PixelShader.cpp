#include "engine/scene/PixelShader.h"

namespace zen {

ZEN_IMPLEMENT_CLASS(PixelShader, Shader, kStartupSceneClasses)

}  // namespace zen
