#include "engine/anim/TextureKeyframe.h"

#include "engine/core/MessageLog.h"
#include "engine/core/Stream.h"

namespace zen {

Object* TextureKeyframe::FindByName(const String& name)
{
    return texture ? texture->FindByName(name) : nullptr;
}

void TextureKeyframe::CollectByType(const Rtti* type, Array<Object*>& out)
{
    if (texture)
        texture->CollectByType(type, out);
}

Result TextureKeyframe::SaveFields(Stream& stream)
{
    const Result written = stream.WriteObject(texture.Get());
    if (written != kSuccess)
        Error("Невозможно сохранить текстуру кифрейма.");
    return written;
}

Result TextureKeyframe::LoadFields(Stream& stream)
{
    Ptr<Texture> loaded;
    const Result read = stream.ReadObject(loaded);
    if (read != kSuccess) {
        Error("Невозможно загрузить текстуру кифрейма.");
        return read;
    }
    texture = loaded;
    return kSuccess;
}

}  // namespace zen
