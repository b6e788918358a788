#include "modules/directx9/D3D9Renderer.h"

#include "engine/core/MessageLog.h"
#include "engine/scene/Image.h"
#include "modules/directx9/D3D9Pixels.h"

namespace zen {

// --- Reading the frame ------------------------------------------------------------------------

Result D3D9Renderer::ReadFrame(Image* image)
{
    if (!image)
        return kInvalidArgument;
    if (!m_device)
        return kFailure;
    IDirect3DSurface9* target = nullptr;
    if (FAILED(m_device->GetRenderTarget(0, &target))) {
        Error("Невозможно прочитать кадр: нет поверхности рендеринга.");
        return kFailure;
    }
    D3DSURFACE_DESC description;
    target->GetDesc(&description);
    IDirect3DSurface9* source = target;
    IDirect3DSurface9* resolved = nullptr;
    IDirect3DSurface9* copy = nullptr;
    Result result = kFailure;
    // A multisampled picture is resolved into a plain surface first.
    if (description.MultiSampleType != D3DMULTISAMPLE_NONE) {
        if (SUCCEEDED(m_device->CreateRenderTarget(description.Width, description.Height, description.Format,
                                                   D3DMULTISAMPLE_NONE, 0, FALSE, &resolved, nullptr)) &&
            SUCCEEDED(m_device->StretchRect(target, nullptr, resolved, nullptr, D3DTEXF_NONE)))
            source = resolved;
    }
    if (!D3D9Pixels::CanRead(description.Format)) {
        Error("Невозможно прочитать кадр: неизвестный формат поверхности %u.", static_cast<unsigned>(description.Format));
    } else if (SUCCEEDED(m_device->CreateOffscreenPlainSurface(description.Width, description.Height,
                                                               description.Format, D3DPOOL_SYSTEMMEM, &copy,
                                                               nullptr)) &&
               SUCCEEDED(m_device->GetRenderTargetData(source, copy))) {
        D3DLOCKED_RECT locked;
        if (SUCCEEDED(copy->LockRect(&locked, nullptr, D3DLOCK_READONLY))) {
            if (image->Allocate(Image::kR8G8B8, description.Width, description.Height) == kSuccess) {
                // Surfaces are top-down, images bottom-up.
                for (UINT y = 0; y < description.Height; ++y)
                    D3D9Pixels::ToRgb(description.Format,
                                      static_cast<const uint8_t*>(locked.pBits) + static_cast<ptrdiff_t>(locked.Pitch) * y,
                                      description.Width,
                                      image->Data() + size_t{description.Height - 1 - y} * description.Width * 3);
                result = kSuccess;
            }
            copy->UnlockRect();
        }
    }
    if (result != kSuccess)
        Error("Невозможно прочитать кадр.");
    if (copy)
        copy->Release();
    if (resolved)
        resolved->Release();
    target->Release();
    return result;
}

}  // namespace zen
