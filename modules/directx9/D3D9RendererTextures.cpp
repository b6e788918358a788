#include "modules/directx9/D3D9Renderer.h"

#include "engine/scene/CubeTexture.h"
#include "engine/scene/Image.h"
#include "engine/scene/Texture.h"
#include "engine/scene/VolumeTexture.h"
#include "modules/directx9/D3D9TextureUpload.h"

namespace zen {

// --- Textures ---------------------------------------------------------------------------------

IDirect3DBaseTexture9* D3D9Renderer::PrepareTexture(BaseTexture* texture)
{
    DeviceObject* record = Lookup(texture);
    if (record && !texture->IsDirty() &&
        (record->kind == DeviceObject::kTexture || record->kind == DeviceObject::kRenderTarget))
        return static_cast<IDirect3DBaseTexture9*>(record->object);
    Drop(texture);
    const String& name = texture->Name();
    IDirect3DBaseTexture9* created = nullptr;
    Result made = kFailure;
    if (texture->IsDerivedFrom(&Texture::TYPE)) {
        if (Image* image = static_cast<Texture*>(texture)->GetImage()) {
            IDirect3DTexture9* flat = nullptr;
            made = D3D9TextureUpload::Create2D(m_device, *image, texture->MipLevels(), m_wideTextures, name, &flat);
            created = flat;
        }
    } else if (texture->IsDerivedFrom(&CubeTexture::TYPE)) {
        if (VolumeImage* image = static_cast<CubeTexture*>(texture)->GetImage(false)) {
            IDirect3DCubeTexture9* cube = nullptr;
            made = D3D9TextureUpload::CreateCube(m_device, *image, texture->MipLevels(), m_wideTextures, name, &cube);
            created = cube;
        }
    } else if (texture->IsDerivedFrom(&VolumeTexture::TYPE)) {
        if (VolumeImage* image = static_cast<VolumeTexture*>(texture)->GetImage(false)) {
            IDirect3DVolumeTexture9* volume = nullptr;
            made = D3D9TextureUpload::CreateVolume(m_device, *image, texture->MipLevels(), m_wideTextures, name,
                                                   &volume);
            created = volume;
        }
    }
    // A texture without an image, or one that cannot be made, stays dirty and unbound; it is
    // tried again on its next use.
    if (made != kSuccess || !created)
        return nullptr;
    if (!Adopt(texture, DeviceObject::kTexture, created, true))
        return nullptr;
    texture->SetDirty(false);
    return created;
}

void D3D9Renderer::SetTexture(uint32_t stage, BaseTexture* texture)
{
    if (!m_device || stage >= kTextureStages)
        return;
    IDirect3DBaseTexture9* bound = texture ? PrepareTexture(texture) : nullptr;
    m_device->SetTexture(stage, bound);
    m_bindings.BindTexture(stage, bound != nullptr);
}

}  // namespace zen
