#include "modules/directx9/D3D9TextureUpload.h"

#include <cstring>
#include <type_traits>

#include "engine/core/MessageLog.h"
#include "engine/render/MipFilter.h"
#include "engine/scene/VolumeImage.h"
#include "modules/directx9/D3D9Pixels.h"

namespace zen {
namespace {

// Releases a COM object at the end of a scope unless taken.
template <class T>
class Owned {
public:
    ~Owned()
    {
        if (object)
            object->Release();
    }
    T* Take()
    {
        T* taken = object;
        object = nullptr;
        return taken;
    }
    T* object = nullptr;
};

UINT Levels(int32_t levels)
{
    return levels < 0 ? 1u : static_cast<UINT>(levels);  // 0: the device makes the full chain.
}

// Copies slice `slice` of `image` into a locked level-0 area, rows top-down.
void CopySlice(const Image& image, uint32_t slice, D3DFORMAT format, uint8_t* bits, INT pitch)
{
    const uint32_t width = image.Width(), height = image.Height();
    const uint32_t rowBytes = Image::BytesPerPixel(image.Format()) * width;
    const uint8_t* pixels = image.Data();
    for (uint32_t y = 0; y < height; ++y) {
        uint8_t* target = bits + static_cast<ptrdiff_t>(pitch) * y;
        if (!pixels) {
            std::memset(target, 0, size_t{D3D9Pixels::TextureBytes(format)} * width);
            continue;
        }
        const uint32_t row = height - 1 - y;  // Images are stored bottom-up.
        const uint8_t* source = pixels + (size_t{slice} * height + row) * rowBytes;
        D3D9Pixels::ToDevice(image.Format(), source, width, format, target);
    }
}

bool CheckImage(const Image& image, const String& name)
{
    if (image.Width() == 0 || image.Height() == 0 || Image::BytesPerPixel(image.Format()) == 0) {
        Error("Нет изображения для текстуры [%s].", name.CStr());
        return false;
    }
    return true;
}

void ReportSystemCopy(const String& name)
{
    Error("Невозможно создать системную текстуру для обновления изображения текстуры [%s].", name.CStr());
}

// The filter's view of a texture format: 8-bit BGRA with sRGB colour, or 16-bit RGBA data.
MipFilter::Layout FilterLayout(D3DFORMAT format)
{
    if (format == D3DFMT_A16B16G16R16)
        return MipFilter::Layout{4, 2, 0};
    return MipFilter::Layout{4, 1, 0x7};  // Blue, green, red in linear light; alpha as stored.
}

MipFilter::Level FilterLevel(const D3DLOCKED_RECT& locked, const D3DSURFACE_DESC& description)
{
    return MipFilter::Level{static_cast<uint8_t*>(locked.pBits), description.Width, description.Height, 1,
                            static_cast<size_t>(locked.Pitch), 0};
}

MipFilter::Level FilterLevel(const D3DLOCKED_BOX& locked, const D3DVOLUME_DESC& description)
{
    return MipFilter::Level{static_cast<uint8_t*>(locked.pBits), description.Width, description.Height,
                            description.Depth, static_cast<size_t>(locked.RowPitch),
                            static_cast<size_t>(locked.SlicePitch)};
}

// Level `level` of a 2D texture (face -1) or of cube face `face`, filtered from the level above.
template <class T>
bool FilterSurfaceLevel(T* texture, int face, UINT level, D3DFORMAT format)
{
    D3DSURFACE_DESC above, below;
    D3DLOCKED_RECT source, target;
    HRESULT described, lockedSource, lockedTarget;
    if constexpr (std::is_same_v<T, IDirect3DCubeTexture9>) {
        const auto cubeFace = static_cast<D3DCUBEMAP_FACES>(face);
        described = SUCCEEDED(texture->GetLevelDesc(level - 1, &above)) ? texture->GetLevelDesc(level, &below) : E_FAIL;
        if (FAILED(described))
            return false;
        lockedSource = texture->LockRect(cubeFace, level - 1, &source, nullptr, D3DLOCK_READONLY);
        lockedTarget = SUCCEEDED(lockedSource) ? texture->LockRect(cubeFace, level, &target, nullptr, 0) : E_FAIL;
        const bool filtered = SUCCEEDED(lockedTarget) &&
                              MipFilter::Reduce(FilterLayout(format), FilterLevel(source, above),
                                                FilterLevel(target, below)) == kSuccess;
        if (SUCCEEDED(lockedTarget))
            texture->UnlockRect(cubeFace, level);
        if (SUCCEEDED(lockedSource))
            texture->UnlockRect(cubeFace, level - 1);
        return filtered;
    } else {
        (void)face;
        described = SUCCEEDED(texture->GetLevelDesc(level - 1, &above)) ? texture->GetLevelDesc(level, &below) : E_FAIL;
        if (FAILED(described))
            return false;
        lockedSource = texture->LockRect(level - 1, &source, nullptr, D3DLOCK_READONLY);
        lockedTarget = SUCCEEDED(lockedSource) ? texture->LockRect(level, &target, nullptr, 0) : E_FAIL;
        const bool filtered = SUCCEEDED(lockedTarget) &&
                              MipFilter::Reduce(FilterLayout(format), FilterLevel(source, above),
                                                FilterLevel(target, below)) == kSuccess;
        if (SUCCEEDED(lockedTarget))
            texture->UnlockRect(level);
        if (SUCCEEDED(lockedSource))
            texture->UnlockRect(level - 1);
        return filtered;
    }
}

bool FilterVolumeLevel(IDirect3DVolumeTexture9* texture, UINT level, D3DFORMAT format)
{
    D3DVOLUME_DESC above, below;
    if (FAILED(texture->GetLevelDesc(level - 1, &above)) || FAILED(texture->GetLevelDesc(level, &below)))
        return false;
    D3DLOCKED_BOX source, target;
    const HRESULT lockedSource = texture->LockBox(level - 1, &source, nullptr, D3DLOCK_READONLY);
    const HRESULT lockedTarget = SUCCEEDED(lockedSource) ? texture->LockBox(level, &target, nullptr, 0) : E_FAIL;
    const bool filtered = SUCCEEDED(lockedTarget) && MipFilter::Reduce(FilterLayout(format), FilterLevel(source, above),
                                                                       FilterLevel(target, below)) == kSuccess;
    if (SUCCEEDED(lockedTarget))
        texture->UnlockBox(level);
    if (SUCCEEDED(lockedSource))
        texture->UnlockBox(level - 1);
    return filtered;
}

// Every lower level filtered from the one above it, down the chain.
bool FilterLevels(IDirect3DTexture9* texture, D3DFORMAT format)
{
    for (UINT level = 1; level < texture->GetLevelCount(); ++level)
        if (!FilterSurfaceLevel(texture, -1, level, format))
            return false;
    return true;
}

bool FilterLevels(IDirect3DCubeTexture9* texture, D3DFORMAT format)
{
    for (int face = 0; face < 6; ++face)
        for (UINT level = 1; level < texture->GetLevelCount(); ++level)
            if (!FilterSurfaceLevel(texture, face, level, format))
                return false;
    return true;
}

bool FilterLevels(IDirect3DVolumeTexture9* texture, D3DFORMAT format)
{
    for (UINT level = 1; level < texture->GetLevelCount(); ++level)
        if (!FilterVolumeLevel(texture, level, format))
            return false;
    return true;
}

// Lower levels filtered from level 0, then the whole chain copied to the device's texture.
template <class T>
Result Finish(IDirect3DDevice9* device, T* system, T* target, D3DFORMAT format, const String& name)
{
    if (system->GetLevelCount() > 1 && !FilterLevels(system, format))
        Warning("Невозможно построить мип-уровни текстуры [%s].", name.CStr());
    if (FAILED(device->UpdateTexture(system, target))) {
        Error("Невозможно обновить текстуру [%s].", name.CStr());
        return kFailure;
    }
    return kSuccess;
}

}  // namespace

Result D3D9TextureUpload::Create2D(IDirect3DDevice9* device, const Image& image, int32_t levels, bool wide,
                                   const String& name, IDirect3DTexture9** out)
{
    if (!CheckImage(image, name))
        return kFailure;
    const D3DFORMAT format = D3D9Pixels::TextureFormat(image.Format(), wide);
    Owned<IDirect3DTexture9> system, target;
    if (FAILED(device->CreateTexture(image.Width(), image.Height(), Levels(levels), 0, format, D3DPOOL_SYSTEMMEM,
                                     &system.object, nullptr))) {
        ReportSystemCopy(name);
        return kFailure;
    }
    D3DLOCKED_RECT locked;
    if (FAILED(system.object->LockRect(0, &locked, nullptr, 0))) {
        ReportSystemCopy(name);
        return kFailure;
    }
    CopySlice(image, 0, format, static_cast<uint8_t*>(locked.pBits), locked.Pitch);
    system.object->UnlockRect(0);
    if (FAILED(device->CreateTexture(image.Width(), image.Height(), system.object->GetLevelCount(), 0, format,
                                     D3DPOOL_DEFAULT, &target.object, nullptr))) {
        Error("Невозможно создать текстуру [%s].", name.CStr());
        return kFailure;
    }
    if (Finish(device, system.object, target.object, format, name) != kSuccess)
        return kFailure;
    *out = target.Take();
    return kSuccess;
}

Result D3D9TextureUpload::CreateCube(IDirect3DDevice9* device, const VolumeImage& image, int32_t levels, bool wide,
                                     const String& name, IDirect3DCubeTexture9** out)
{
    if (!CheckImage(image, name))
        return kFailure;
    if (image.Depth() != 6 || image.Width() != image.Height()) {
        Error("Изображение кубической текстуры [%s] должно содержать шесть квадратных граней.", name.CStr());
        return kFailure;
    }
    const D3DFORMAT format = D3D9Pixels::TextureFormat(image.Format(), wide);
    Owned<IDirect3DCubeTexture9> system, target;
    if (FAILED(device->CreateCubeTexture(image.Width(), Levels(levels), 0, format, D3DPOOL_SYSTEMMEM, &system.object,
                                         nullptr))) {
        ReportSystemCopy(name);
        return kFailure;
    }
    for (uint32_t face = 0; face < 6; ++face) {
        D3DLOCKED_RECT locked;
        if (FAILED(system.object->LockRect(static_cast<D3DCUBEMAP_FACES>(face), 0, &locked, nullptr, 0))) {
            ReportSystemCopy(name);
            return kFailure;
        }
        CopySlice(image, face, format, static_cast<uint8_t*>(locked.pBits), locked.Pitch);
        system.object->UnlockRect(static_cast<D3DCUBEMAP_FACES>(face), 0);
    }
    if (FAILED(device->CreateCubeTexture(image.Width(), system.object->GetLevelCount(), 0, format, D3DPOOL_DEFAULT,
                                         &target.object, nullptr))) {
        Error("Невозможно создать текстуру [%s].", name.CStr());
        return kFailure;
    }
    if (Finish(device, system.object, target.object, format, name) != kSuccess)
        return kFailure;
    *out = target.Take();
    return kSuccess;
}

Result D3D9TextureUpload::CreateVolume(IDirect3DDevice9* device, const VolumeImage& image, int32_t levels, bool wide,
                                       const String& name, IDirect3DVolumeTexture9** out)
{
    if (!CheckImage(image, name) || image.Depth() == 0)
        return kFailure;
    const D3DFORMAT format = D3D9Pixels::TextureFormat(image.Format(), wide);
    Owned<IDirect3DVolumeTexture9> system, target;
    if (FAILED(device->CreateVolumeTexture(image.Width(), image.Height(), image.Depth(), Levels(levels), 0, format,
                                           D3DPOOL_SYSTEMMEM, &system.object, nullptr))) {
        ReportSystemCopy(name);
        return kFailure;
    }
    D3DLOCKED_BOX locked;
    if (FAILED(system.object->LockBox(0, &locked, nullptr, 0))) {
        ReportSystemCopy(name);
        return kFailure;
    }
    for (uint32_t slice = 0; slice < image.Depth(); ++slice)
        CopySlice(image, slice, format, static_cast<uint8_t*>(locked.pBits) + static_cast<ptrdiff_t>(locked.SlicePitch) * slice,
                  locked.RowPitch);
    system.object->UnlockBox(0);
    if (FAILED(device->CreateVolumeTexture(image.Width(), image.Height(), image.Depth(), system.object->GetLevelCount(),
                                           0, format, D3DPOOL_DEFAULT, &target.object, nullptr))) {
        Error("Невозможно создать текстуру [%s].", name.CStr());
        return kFailure;
    }
    if (Finish(device, system.object, target.object, format, name) != kSuccess)
        return kFailure;
    *out = target.Take();
    return kSuccess;
}

}  // namespace zen
