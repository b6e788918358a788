#include "engine/scene/VolumeImage.h"

#include <new>
#include <utility>

#include "engine/core/MessageLog.h"

namespace zen {

ZEN_IMPLEMENT_CLASS(VolumeImage, Image, kStartupSceneClasses)

VolumeImage::VolumeImage() = default;

VolumeImage::VolumeImage(const String& name, uint32_t format, uint32_t width, uint32_t height, uint32_t depth)
{
    SetName(name);
    const Result result = Allocate(format, width, height, depth);
    if (result == kOutOfMemory)
        Error("Недостаточно памяти для создания изображения. ID[%d] Имя[%s]", ID(), Name().CStr());
    else if (result != kSuccess)
        Error("Недопустимые размеры изображения [%u x %u x %u], формат [%u]. ID[%d] Имя[%s]", width, height, depth,
              format, ID(), Name().CStr());
}

VolumeImage::VolumeImage(File* file, const String& name)
{
    SetName(name);
    InitializeFromFile(file);
}

uint32_t VolumeImage::GetSliceSize() const
{
    return BytesPerPixel(Format()) * Width() * Height();
}

uint8_t* VolumeImage::Slice(uint32_t index)
{
    if (!Data() || index >= m_depth)
        return nullptr;
    return Data() + static_cast<size_t>(GetSliceSize()) * index;
}

Result VolumeImage::SetPixels(uint32_t format, uint32_t width, uint32_t height, uint32_t depth,
                              std::unique_ptr<uint8_t[]> pixels)
{
    return Replace(format, width, height, depth, std::move(pixels));
}

Result VolumeImage::Allocate(uint32_t format, uint32_t width, uint32_t height, uint32_t depth)
{
    uint32_t size = 0;
    if (!ComputeDataSize(format, width, height, depth, size))
        return kInvalidArgument;
    std::unique_ptr<uint8_t[]> pixels;
    if (size != 0) {
        pixels.reset(new (std::nothrow) uint8_t[size]());
        if (!pixels)
            return kOutOfMemory;
    }
    return Replace(format, width, height, depth, std::move(pixels));
}

}  // namespace zen
