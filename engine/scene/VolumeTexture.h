#pragma once
#include "engine/scene/ImageTexture.h"
#include "engine/scene/VolumeImage.h"

namespace zen {

// A three-dimensional texture ("ZEN.VolumeTexture") over a volume image, held counted; noise
// generators write its slices.
// Code that writes into the pixels takes the image with GetImage(true), which marks the
// texture dirty so the renderer uploads it again.
class VolumeTexture : public ImageTexture<VolumeImage> {
    ZEN_DECLARE_CLASS

public:
    VolumeTexture() = default;
    VolumeTexture(const String& name, VolumeImage* image);  // Takes a reference on `image` (may be null).

    // The image; with `markDirty` the texture is marked for upload.
    virtual VolumeImage* GetImage(bool markDirty);
    // Swaps the image (null allowed), sets mip levels to 0 and drops the device copy.
    virtual void SetImage(VolumeImage* image);
};

}  // namespace zen
