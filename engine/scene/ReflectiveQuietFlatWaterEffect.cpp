#include "engine/scene/ReflectiveQuietFlatWaterEffect.h"

namespace zen {

ZEN_IMPLEMENT_CLASS(ReflectiveQuietFlatWaterEffect, NormalmapTextureEffect, kStartupSceneClasses)

}  // namespace zen
