#include "engine/scene/VolumeTexture.h"

namespace zen {

ZEN_IMPLEMENT_CLASS(VolumeTexture, BaseTexture, kStartupOtherClasses)

VolumeTexture::VolumeTexture(const String& name, VolumeImage* image) : ImageTexture(image)
{
    SetName(name);
}

VolumeImage* VolumeTexture::GetImage(bool markDirty)
{
    if (markDirty)
        SetDirty();
    return HeldImage();
}

void VolumeTexture::SetImage(VolumeImage* image)
{
    ReplaceImage(image);
}

}  // namespace zen
