#pragma once
#include "engine/scene/Image.h"
#include "engine/scene/ImageTexture.h"

namespace zen {

// A flat texture ("ZEN.Texture") over one image, which it holds counted. Controllers that write
// into the image's pixels call SetDirty() so the renderer uploads them again; replacing the
// image with SetImage also drops the device copy, since its size or format may differ.
class Texture : public ImageTexture<Image> {
    ZEN_DECLARE_CLASS

public:
    Texture() = default;
    Texture(const String& name, Image* image);  // Takes a reference on `image` (may be null).

    Image* GetImage() const { return HeldImage(); }
    // Swaps the image (null allowed), sets mip levels to 0 (a full chain) and drops the device
    // copy so that the next use rebuilds it from the new image.
    void SetImage(Image* image) { ReplaceImage(image); }
};

}  // namespace zen
