#include "engine/scene/ImageTexture.h"

#include "engine/core/MessageLog.h"
#include "engine/core/Stream.h"
#include "engine/core/ReferenceVisitor.h"

namespace zen {

template <class ImageType>
void ImageTexture<ImageType>::ReplaceImage(ImageType* image)
{
    m_image = image;
    SetMipLevels(0);
    ReleaseDeviceCopy();
}

template <class ImageType>
Object* ImageTexture<ImageType>::FindByName(const String& name)
{
    if (Object* found = BaseTexture::FindByName(name))
        return found;
    return m_image ? m_image->FindByName(name) : nullptr;
}

template <class ImageType>
void ImageTexture<ImageType>::VisitReferences(ReferenceVisitor& visitor)
{
    BaseTexture::VisitReferences(visitor);
    visitor(m_image);
}

template <class ImageType>
void ImageTexture<ImageType>::CollectByType(const Rtti* type, Array<Object*>& out)
{
    BaseTexture::CollectByType(type, out);
    if (m_image)
        m_image->CollectByType(type, out);
}

template <class ImageType>
Result ImageTexture<ImageType>::Save(Stream& stream)
{
    if (BaseTexture::Save(stream) != kSuccess)
        return ParentSaveFailed();
    if (stream.WriteObject(m_image.Get()) != kSuccess) {
        Error("Невозможно сохранить изображение текстуры. Имя[%s] ID[%d]", Name().CStr(), ID());
        return kFailure;
    }
    return kSuccess;
}

template <class ImageType>
Result ImageTexture<ImageType>::Load(Stream& stream)
{
    if (BaseTexture::Load(stream) != kSuccess)
        return ParentLoadFailed();
    Ptr<ImageType> image;
    if (stream.ReadObject(image) != kSuccess) {
        Error("Невозможно загрузить изображение текстуры. ID[%d] Имя[%s]", ID(), Name().CStr());
        return kFailure;
    }
    m_image = image;
    SetDirty();
    Info("Текстура [%s] загружена.", Name().CStr());
    return kSuccess;
}

template class ImageTexture<Image>;
template class ImageTexture<VolumeImage>;

}  // namespace zen
