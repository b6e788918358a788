#include "engine/scene/ReflectiveRefractiveQuietFlatWaterEffect.h"

namespace zen {

ZEN_IMPLEMENT_CLASS(ReflectiveRefractiveQuietFlatWaterEffect, NormalmapTextureEffect, kStartupSceneClasses)

}  // namespace zen
