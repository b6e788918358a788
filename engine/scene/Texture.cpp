#include "engine/scene/Texture.h"

namespace zen {

ZEN_IMPLEMENT_CLASS(Texture, BaseTexture, kStartupOtherClasses)

Texture::Texture(const String& name, Image* image) : ImageTexture(image)
{
    SetName(name);
}

}  // namespace zen
