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

// Every level of a 2D texture, of one cube face or of a volume texture, locked at once for as
// long as the object lives, so that each level is locked and unlocked once: level 0 takes the
// pixels and each lower level is filtered from the one above in place. (Under Wine every lock
// and unlock waits for the device's command thread; locking a level to write it and again to
// read it for the next one cost twice the waits.)
template <class T>
class LockedChain {
public:
    LockedChain(T* texture, int face) : m_texture(texture), m_face(face)
    {
        const UINT count = texture->GetLevelCount();
        for (UINT level = 0; level < count && level < kMaxLevels; ++level) {
            if (!Lock(level))
                return;
            ++m_locked;
        }
    }
    ~LockedChain()
    {
        while (m_locked > 0)
            Unlock(--m_locked);
    }
    LockedChain(const LockedChain&) = delete;
    LockedChain& operator=(const LockedChain&) = delete;

    UINT Locked() const { return m_locked; }  // Levels 0 to Locked() - 1.
    bool Complete() const { return m_locked == m_texture->GetLevelCount(); }
    const MipFilter::Level& Level(UINT level) const { return m_levels[level]; }

    // Every lower level from the one above it, down the chain.
    bool Filter(D3DFORMAT format) const
    {
        for (UINT level = 1; level < m_locked; ++level)
            if (MipFilter::Reduce(FilterLayout(format), m_levels[level - 1], m_levels[level]) != kSuccess)
                return false;
        return true;
    }

private:
    static constexpr UINT kMaxLevels = 16;  // 32768 texels across.

    bool Lock(UINT level)
    {
        if constexpr (std::is_same_v<T, IDirect3DVolumeTexture9>) {
            D3DVOLUME_DESC description;
            D3DLOCKED_BOX locked;
            if (FAILED(m_texture->GetLevelDesc(level, &description)) ||
                FAILED(m_texture->LockBox(level, &locked, nullptr, 0)))
                return false;
            m_levels[level] = MipFilter::Level{static_cast<uint8_t*>(locked.pBits), description.Width,
                                               description.Height, description.Depth,
                                               static_cast<size_t>(locked.RowPitch),
                                               static_cast<size_t>(locked.SlicePitch)};
        } else {
            D3DSURFACE_DESC description;
            D3DLOCKED_RECT locked;
            if (FAILED(m_texture->GetLevelDesc(level, &description)))
                return false;
            HRESULT result;
            if constexpr (std::is_same_v<T, IDirect3DCubeTexture9>)
                result = m_texture->LockRect(static_cast<D3DCUBEMAP_FACES>(m_face), level, &locked, nullptr, 0);
            else
                result = m_texture->LockRect(level, &locked, nullptr, 0);
            if (FAILED(result))
                return false;
            m_levels[level] = MipFilter::Level{static_cast<uint8_t*>(locked.pBits), description.Width,
                                               description.Height, 1, static_cast<size_t>(locked.Pitch), 0};
        }
        return true;
    }
    void Unlock(UINT level)
    {
        if constexpr (std::is_same_v<T, IDirect3DVolumeTexture9>)
            m_texture->UnlockBox(level);
        else if constexpr (std::is_same_v<T, IDirect3DCubeTexture9>)
            m_texture->UnlockRect(static_cast<D3DCUBEMAP_FACES>(m_face), level);
        else
            m_texture->UnlockRect(level);
    }

    T* m_texture;
    int m_face;  // The cube face; unused otherwise.
    UINT m_locked = 0;
    MipFilter::Level m_levels[kMaxLevels] = {};
};

// Fills a system-memory texture's chain (or a cube face's): `fill` writes level 0, the filter
// the rest. False when level 0 cannot be locked; lower levels that cannot be locked or
// filtered only warn (they stay as they are).
template <class T, class Fill>
bool FillChain(T* system, int face, D3DFORMAT format, const String& name, Fill&& fill)
{
    LockedChain<T> chain(system, face);
    if (chain.Locked() == 0)
        return false;
    fill(chain.Level(0));
    if (!chain.Filter(format) || !chain.Complete())
        Warning("Невозможно построить мип-уровни текстуры [%s].", name.CStr());
    return true;
}

// The whole chain copied to the device's texture.
template <class T>
Result Finish(IDirect3DDevice9* device, T* system, T* target, const String& name)
{
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
    if (!FillChain(system.object, -1, format, name, [&](const MipFilter::Level& top) {
            CopySlice(image, 0, format, top.bits, static_cast<INT>(top.rowPitch));
        })) {
        ReportSystemCopy(name);
        return kFailure;
    }
    if (FAILED(device->CreateTexture(image.Width(), image.Height(), system.object->GetLevelCount(), 0, format,
                                     D3DPOOL_DEFAULT, &target.object, nullptr))) {
        Error("Невозможно создать текстуру [%s].", name.CStr());
        return kFailure;
    }
    if (Finish(device, system.object, target.object, name) != kSuccess)
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
        if (!FillChain(system.object, static_cast<int>(face), format, name, [&](const MipFilter::Level& top) {
                CopySlice(image, face, format, top.bits, static_cast<INT>(top.rowPitch));
            })) {
            ReportSystemCopy(name);
            return kFailure;
        }
    }
    if (FAILED(device->CreateCubeTexture(image.Width(), system.object->GetLevelCount(), 0, format, D3DPOOL_DEFAULT,
                                         &target.object, nullptr))) {
        Error("Невозможно создать текстуру [%s].", name.CStr());
        return kFailure;
    }
    if (Finish(device, system.object, target.object, name) != kSuccess)
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
    if (!FillChain(system.object, -1, format, name, [&](const MipFilter::Level& top) {
            for (uint32_t slice = 0; slice < image.Depth(); ++slice)
                CopySlice(image, slice, format, top.bits + static_cast<ptrdiff_t>(top.slicePitch) * slice,
                          static_cast<INT>(top.rowPitch));
        })) {
        ReportSystemCopy(name);
        return kFailure;
    }
    if (FAILED(device->CreateVolumeTexture(image.Width(), image.Height(), image.Depth(), system.object->GetLevelCount(),
                                           0, format, D3DPOOL_DEFAULT, &target.object, nullptr))) {
        Error("Невозможно создать текстуру [%s].", name.CStr());
        return kFailure;
    }
    if (Finish(device, system.object, target.object, name) != kSuccess)
        return kFailure;
    *out = target.Take();
    return kSuccess;
}

}  // namespace zen
