#include "engine/scene/Texture.h"

#include "engine/core/MessageLog.h"
#include "engine/core/Stream.h"

namespace zen {

ZEN_IMPLEMENT_CLASS(Texture, BaseTexture, kStartupOtherClasses)

Texture::Texture(const String& name, Image* image) : m_image(image)
{
    SetName(name);
}

void Texture::SetImage(Image* image)
{
    m_image = image;
    SetMipLevels(0);
    ReleaseDeviceCopy();
}

Object* Texture::FindByName(const String& name)
{
    if (Object* found = BaseTexture::FindByName(name))
        return found;
    return m_image ? m_image->FindByName(name) : nullptr;
}

void Texture::CollectByType(const Rtti* type, Array<Object*>& out)
{
    BaseTexture::CollectByType(type, out);
    if (m_image)
        m_image->CollectByType(type, out);
}

Result Texture::Save(Stream& stream)
{
    if (BaseTexture::Save(stream) != kSuccess) {
        Error("Невозможно сохранить родительские данные. Имя[%s] ID[%d]", Name().CStr(), ID());
        return kFailure;
    }
    if (stream.WriteObject(m_image.Get()) != kSuccess) {
        Error("Невозможно сохранить изображение текстуры. Имя[%s] ID[%d]", Name().CStr(), ID());
        return kFailure;
    }
    return kSuccess;
}

Result Texture::Load(Stream& stream)
{
    if (BaseTexture::Load(stream) != kSuccess) {
        Error("Невозможно загрузить родительские данные. ID[%d]", ID());
        return kFailure;
    }
    Ptr<Image> image;
    if (stream.ReadObject(image) != kSuccess) {
        Error("Невозможно загрузить изображение текстуры. ID[%d] Имя[%s]", ID(), Name().CStr());
        return kFailure;
    }
    m_image = image;
    SetDirty();
    Info("Текстура [%s] загружена.", Name().CStr());
    return kSuccess;
}

}  // namespace zen
