#include "modules/directx9/D3D9Renderer.h"

#include "engine/core/MessageLog.h"
#include "engine/scene/CubeTexture.h"
#include "engine/scene/Image.h"
#include "engine/scene/Texture.h"

namespace zen {

// --- Render targets ---------------------------------------------------------------------------

D3D9Renderer::DeviceObject* D3D9Renderer::PrepareRenderTarget(BaseTexture* texture, bool cube)
{
    DeviceObject* record = Lookup(texture);
    if (record && record->kind == DeviceObject::kRenderTarget)
        return record;
    const Image* image = cube ? static_cast<const Image*>(static_cast<CubeTexture*>(texture)->GetImage(false))
                              : static_cast<Texture*>(texture)->GetImage();
    if (!image || image->Width() == 0 || image->Height() == 0 || (cube && image->Width() != image->Height())) {
        Error("Нет изображения для текстуры [%s].", texture->Name().CStr());
        return nullptr;
    }
    const uint32_t format = image->Format() < D3D9Capabilities::kImageFormatCount ? image->Format() : 0;
    const bool autogen = texture->MipLevels() != 1 && (cube ? m_capabilities.cubeRenderTargetAutogen[format]
                                                            : m_capabilities.renderTargetAutogen[format]);
    const DWORD usage = D3DUSAGE_RENDERTARGET | (autogen ? D3DUSAGE_AUTOGENMIPMAP : 0);
    const D3DFORMAT deviceFormat = D3D9Capabilities::RenderTargetFormat(format);
    IUnknown* made = nullptr;
    HRESULT created;
    if (cube) {
        IDirect3DCubeTexture9* target = nullptr;
        created = m_device->CreateCubeTexture(image->Width(), autogen ? 0 : 1, usage, deviceFormat, D3DPOOL_DEFAULT,
                                              &target, nullptr);
        made = target;
    } else {
        IDirect3DTexture9* target = nullptr;
        created = m_device->CreateTexture(image->Width(), image->Height(), autogen ? 0 : 1, usage, deviceFormat,
                                          D3DPOOL_DEFAULT, &target, nullptr);
        made = target;
    }
    IDirect3DSurface9* depth = nullptr;
    if (SUCCEEDED(created))
        created = m_device->CreateDepthStencilSurface(image->Width(), image->Height(),
                                                      m_presentation.AutoDepthStencilFormat, D3DMULTISAMPLE_NONE, 0,
                                                      TRUE, &depth, nullptr);
    if (FAILED(created)) {
        if (made)
            made->Release();
        Error("Невозможно создать текстуру для рендеринга [%s].", texture->Name().CStr());
        return nullptr;
    }
    record = Adopt(texture, DeviceObject::kRenderTarget, made, true);
    if (!record) {
        depth->Release();
        return nullptr;
    }
    record->depth = depth;
    texture->SetDirty(false);
    return record;
}

void D3D9Renderer::BeginTarget(IDirect3DSurface9* surface, DeviceObject* target, uint32_t width, uint32_t height)
{
    if (FAILED(m_device->GetRenderTarget(0, &m_savedColor)))
        m_savedColor = nullptr;
    if (FAILED(m_device->GetDepthStencilSurface(&m_savedDepth)))
        m_savedDepth = nullptr;
    m_savedViewport = m_viewport;
    m_device->SetRenderTarget(0, surface);
    m_device->SetDepthStencilSurface(target->depth);
    m_inTarget = true;
    SetViewport(0, 0, static_cast<float>(width), static_cast<float>(height));
}

void D3D9Renderer::BeginRenderTarget(Texture* texture)
{
    if (!m_device || !texture)
        return;
    if (m_inTarget)
        EndRenderTarget();
    DeviceObject* target = PrepareRenderTarget(texture, false);
    if (!target)
        return;
    IDirect3DSurface9* surface = nullptr;
    if (FAILED(static_cast<IDirect3DTexture9*>(target->object)->GetSurfaceLevel(0, &surface)))
        return;
    D3DSURFACE_DESC description;
    surface->GetDesc(&description);
    BeginTarget(surface, target, description.Width, description.Height);
    surface->Release();
}

void D3D9Renderer::BeginRenderTarget(CubeTexture* texture, uint32_t face)
{
    if (!m_device || !texture || face >= 6)
        return;
    if (m_inTarget)
        EndRenderTarget();
    DeviceObject* target = PrepareRenderTarget(texture, true);
    if (!target)
        return;
    IDirect3DSurface9* surface = nullptr;
    if (FAILED(static_cast<IDirect3DCubeTexture9*>(target->object)
                   ->GetCubeMapSurface(static_cast<D3DCUBEMAP_FACES>(face), 0, &surface)))
        return;
    D3DSURFACE_DESC description;
    surface->GetDesc(&description);
    BeginTarget(surface, target, description.Width, description.Height);
    surface->Release();
}

void D3D9Renderer::EndRenderTarget()
{
    if (!m_inTarget)
        return;
    m_inTarget = false;
    if (m_device) {
        m_device->SetRenderTarget(0, m_savedColor);
        m_device->SetDepthStencilSurface(m_savedDepth);
    }
    if (m_savedColor)
        m_savedColor->Release();
    if (m_savedDepth)
        m_savedDepth->Release();
    m_savedColor = m_savedDepth = nullptr;
    const D3DVIEWPORT9 saved = m_savedViewport;
    SetViewport(static_cast<float>(saved.X), static_cast<float>(saved.Y), static_cast<float>(saved.Width),
                static_cast<float>(saved.Height));
}

}  // namespace zen
