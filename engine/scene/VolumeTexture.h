#pragma once
#include "engine/core/Ptr.h"
#include "engine/scene/BaseTexture.h"
#include "engine/scene/VolumeImage.h"

namespace zen {

// A three-dimensional texture ("ZEN.VolumeTexture") over a volume image, held counted; noise
// generators write its slices.
// Code that writes into the pixels takes the image with GetImage(true), which marks the
// texture dirty so the renderer uploads it again.
class VolumeTexture : public BaseTexture {
    ZEN_DECLARE_CLASS

public:
    VolumeTexture() = default;
    VolumeTexture(const String& name, VolumeImage* image);  // Takes a reference on `image` (may be null).

    // The image; with `markDirty` the texture is marked for upload.
    virtual VolumeImage* GetImage(bool markDirty);
    // Swaps the image (null allowed), sets mip levels to 0 and drops the device copy.
    virtual void SetImage(VolumeImage* image);

    // The texture itself, its controllers, then its image.
    Object* FindByName(const String& name) override;
    void CollectByType(const Rtti* type, Array<Object*>& out) override;

    // Base fields, then the image (an object link).
    Result Save(Stream& stream) override;
    Result Load(Stream& stream) override;

private:
    Ptr<VolumeImage> m_image;
};

}  // namespace zen
