#include "engine/scene/CompositeTexture.h"

#include <cstring>

#include "engine/core/MessageLog.h"

namespace zen {

ZEN_IMPLEMENT_CLASS(CompositeTexture, VolumeTexture, kStartupOtherClasses)

namespace {

// Nearest-neighbour copy of `source` (same format) into a slice of width × height pixels.
void ScaleInto(const Image& source, uint32_t width, uint32_t height, uint8_t* slice)
{
    const uint32_t bytesPerPixel = Image::BytesPerPixel(source.Format());
    const uint32_t sourceWidth = source.Width();
    const uint32_t sourceHeight = source.Height();
    for (uint32_t y = 0; y < height; ++y) {
        const uint64_t sourceY = uint64_t{y} * sourceHeight / height;
        const uint8_t* sourceRow = source.Data() + sourceY * sourceWidth * bytesPerPixel;
        uint8_t* row = slice + uint64_t{y} * width * bytesPerPixel;
        if (sourceWidth == width) {
            std::memcpy(row, sourceRow, size_t{width} * bytesPerPixel);
            continue;
        }
        for (uint32_t x = 0; x < width; ++x) {
            const uint64_t sourceX = uint64_t{x} * sourceWidth / width;
            std::memcpy(row + size_t{x} * bytesPerPixel, sourceRow + sourceX * bytesPerPixel, bytesPerPixel);
        }
    }
}

}  // namespace

CompositeTexture::CompositeTexture(const String& name, VolumeImage* image) : VolumeTexture(name, image) {}

Result CompositeTexture::AddSourceImage(Image* image)
{
    if (!image)
        return kInvalidArgument;
    const Result result = m_sources.Append(Ptr<Image>(image));
    if (result == kSuccess)
        m_composed = false;
    return result == kSuccess ? kSuccess : kOutOfMemory;
}

Image* CompositeTexture::GetSourceImage(uint32_t index) const
{
    return index < m_sources.Count() ? m_sources[index].Get() : nullptr;
}

void CompositeTexture::RemoveSourceImages()
{
    m_sources.Clear();
    m_composed = false;
}

VolumeImage* CompositeTexture::GetImage(bool markDirty)
{
    if (markDirty) {
        m_composed = false;
        return VolumeTexture::GetImage(true);
    }
    if (!m_composed)
        Compose();
    return VolumeTexture::GetImage(false);
}

void CompositeTexture::SetImage(VolumeImage* image)
{
    m_composed = false;
    VolumeTexture::SetImage(image);
}

void CompositeTexture::Compose()
{
    VolumeImage* volume = VolumeTexture::GetImage(false);
    if (!volume)
        return;
    const uint32_t format = volume->Format();
    const uint32_t width = volume->Width();
    const uint32_t height = volume->Height();
    const Result allocated = volume->Allocate(format, width, height, m_sources.Count());
    if (allocated == kOutOfMemory) {
        Error("Недостаточно памяти для создания изображения. ID[%d] Имя[%s]", volume->ID(), volume->Name().CStr());
        return;
    }
    if (allocated != kSuccess) {  // More slices than any image may hold.
        Error("Недопустимые размеры изображения [%u x %u x %u], формат [%u]. ID[%d] Имя[%s]", width, height,
              m_sources.Count(), format, volume->ID(), volume->Name().CStr());
        return;
    }
    for (uint32_t index = 0; index < m_sources.Count(); ++index) {
        const Image* source = m_sources[index].Get();
        uint8_t* slice = volume->Slice(index);
        if (!slice)
            continue;  // An empty volume (width or height 0) has nothing to fill.
        if (source->Format() != format || !source->Data() || source->Width() == 0 || source->Height() == 0) {
            Warning("Исходное изображение [%s] не подходит для слоя [%u] текстуры. Имя[%s] ID[%d]",
                    source->Name().CStr(), index, Name().CStr(), ID());
            continue;  // The slice stays zeroed.
        }
        ScaleInto(*source, width, height, slice);
    }
    m_composed = true;
    SetDirty();
}

Object* CompositeTexture::FindByName(const String& name)
{
    if (Object* found = VolumeTexture::FindByName(name))
        return found;
    for (const Ptr<Image>& source : m_sources)
        if (Object* found = source->FindByName(name))
            return found;
    return nullptr;
}

void CompositeTexture::CollectByType(const Rtti* type, Array<Object*>& out)
{
    VolumeTexture::CollectByType(type, out);
    for (const Ptr<Image>& source : m_sources)
        source->CollectByType(type, out);
}

}  // namespace zen
