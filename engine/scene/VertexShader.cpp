#include "engine/scene/VertexShader.h"

namespace zen {

ZEN_IMPLEMENT_CLASS(VertexShader, Shader, kStartupSceneClasses)

}  // namespace zen
