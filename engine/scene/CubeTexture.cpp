#include "engine/scene/CubeTexture.h"

namespace zen {

ZEN_IMPLEMENT_CLASS(CubeTexture, BaseTexture, kStartupOtherClasses)

CubeTexture::CubeTexture(const String& name, VolumeImage* image) : ImageTexture(image)
{
    SetName(name);
}

VolumeImage* CubeTexture::GetImage(bool markDirty)
{
    if (markDirty)
        SetDirty();
    return HeldImage();
}

void CubeTexture::SetImage(VolumeImage* image)
{
    ReplaceImage(image);
}

}  // namespace zen
