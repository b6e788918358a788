#pragma once
#include "engine/scene/ImageTexture.h"
#include "engine/scene/VolumeImage.h"

namespace zen {

// A cube map ("ZEN.CubeTexture"): a volume image of six slices, one per face (in the order of
// the CUBE file), held counted. Environment maps are drawn into it face by face.
// Code that writes into the pixels takes the image with GetImage(true), which marks the
// texture dirty so the renderer uploads it again.
class CubeTexture : public ImageTexture<VolumeImage> {
    ZEN_DECLARE_CLASS

public:
    CubeTexture() = default;
    CubeTexture(const String& name, VolumeImage* image);  // Takes a reference on `image` (may be null).

    // The image; with `markDirty` the texture is marked for upload.
    virtual VolumeImage* GetImage(bool markDirty);
    // Swaps the image (null allowed), sets mip levels to 0 and drops the device copy.
    virtual void SetImage(VolumeImage* image);
};

}  // namespace zen
