#pragma once
#include "engine/core/Ptr.h"
#include "engine/scene/BaseTexture.h"
#include "engine/scene/Image.h"

namespace zen {

// A flat texture ("ZEN.Texture") over one image, which it holds counted. Controllers that write
// into the image's pixels call SetDirty() so the renderer uploads them again; replacing the
// image with SetImage also drops the device copy, since its size or format may differ.
class Texture : public BaseTexture {
    ZEN_DECLARE_CLASS

public:
    Texture() = default;
    Texture(const String& name, Image* image);  // Takes a reference on `image` (may be null).

    Image* GetImage() const { return m_image.Get(); }
    // Swaps the image (null allowed), sets mip levels to 0 (a full chain) and drops the device
    // copy so that the next use rebuilds it from the new image.
    void SetImage(Image* image);

    // The texture itself, its controllers, then its image.
    Object* FindByName(const String& name) override;
    void CollectByType(const Rtti* type, Array<Object*>& out) override;

    // Base fields, then the image (an object link).
    Result Save(Stream& stream) override;
    Result Load(Stream& stream) override;

private:
    Ptr<Image> m_image;
};

}  // namespace zen
