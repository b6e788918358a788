#include "engine/anim/RenderTextureController.h"

#include <new>

#include "engine/core/MessageLog.h"
#include "engine/core/Ptr.h"
#include "engine/render/Renderer.h"
#include "engine/scene/Texture.h"

namespace zen {

bool RenderTextureController::HasShaderModel2(const Renderer& renderer)
{
    const RendererCapabilities& caps = renderer.GetCapabilities();
    auto model2 = [](uint32_t version) { return version >= 20 && version < 40; };
    return caps.valid && model2(caps.vertexShaderVersion) && model2(caps.pixelShaderVersion);
}

Texture* RenderTextureController::OwnerTexture() const
{
    if (!m_owner || !m_owner->IsDerivedFrom(&Texture::TYPE))
        return nullptr;
    return static_cast<Texture*>(m_owner);
}

bool RenderTextureController::EnsureColorTarget(Texture& texture) const
{
    Image* image = texture.GetImage();
    if (!image || image->Width() == 0 || image->Height() == 0) {
        Error("Нет изображения для текстуры [%s].", texture.Name().CStr());
        return false;
    }
    if (image->Format() == Image::kR8G8B8A8)
        return true;
    Ptr<Image> target = new (std::nothrow) Image(image->Name(), Image::kR8G8B8A8, image->Width(), image->Height());
    if (!target || target->Width() != image->Width()) {
        Error("Недостаточно памяти для текстуры [%s].", texture.Name().CStr());
        return false;
    }
    texture.SetImage(target.Get());
    return true;
}

}  // namespace zen
