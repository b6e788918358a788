#pragma once
#include "engine/core/Ptr.h"
#include "engine/scene/BaseTexture.h"
#include "engine/scene/Image.h"
#include "engine/scene/VolumeImage.h"

namespace zen {

// The image slot of the concrete textures: Texture over an Image, CubeTexture and
// VolumeTexture over a VolumeImage. It holds the image counted, swaps it (dropping the device
// copy, whose size or format may differ), lets searches reach it, and streams it as an object
// link after the BaseTexture fields. It has no run-time type of its own: each subclass names
// BaseTexture as its base class record and keeps its own operations on the image.
template <class ImageType>
class ImageTexture : public BaseTexture {
public:
    // The texture itself, its controllers, then its image.
    Object* FindByName(const String& name) override;
    void CollectByType(const Rtti* type, Array<Object*>& out) override;
    void VisitReferences(ReferenceVisitor& visitor) override;  // The image.

    // Base fields, then the image (an object link; a load of another type fails). A loaded
    // texture is marked dirty and logs "Текстура [%s] загружена.".
    Result Save(Stream& stream) override;
    Result Load(Stream& stream) override;

protected:
    ImageTexture() = default;
    explicit ImageTexture(ImageType* image) : m_image(image) {}  // Takes a reference on `image` (may be null).

    ImageType* HeldImage() const { return m_image.Get(); }
    // Swaps the image (null allowed), sets mip levels to 0 (a full chain) and drops the device
    // copy so that the next use rebuilds it from the new image.
    void ReplaceImage(ImageType* image);

private:
    Ptr<ImageType> m_image;
};

extern template class ImageTexture<Image>;
extern template class ImageTexture<VolumeImage>;

}  // namespace zen
