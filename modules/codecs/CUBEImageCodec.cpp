#include "modules/codecs/CUBEImageCodec.h"

#include <memory>
#include <new>
#include <utility>

#include "engine/core/MessageLog.h"
#include "engine/modules/StaticModuleRegistration.h"
#include "engine/scene/VolumeImage.h"
#include "modules/codecs/ByteReader.h"
#include "modules/codecs/ImageFileData.h"
#include "modules/codecs/TgaFace.h"

namespace zen {

ZEN_REGISTER_CODEC_MODULE(kStartupModuleCube, "CUBEImageCodec", &CreateCodecObject<CUBEImageCodec>);

CUBEImageCodec::CUBEImageCodec() : ImageCodec(String("CUBEImageCodec"))
{
    for (const char* extension : {"CUBE", "cube", "Cube"})
        (void)AddExtension(String(extension));
}

Result CUBEImageCodec::Decode(File* file, Image* image)
{
    return ImageFileData::DecodeFile(file, image, &DecodeBytes);
}

Result CUBEImageCodec::DecodeBytes(const uint8_t* bytes, uint32_t size, const String& path, Image* image)
{
    if (!image)
        return kInvalidArgument;
    if (!image->IsDerivedFrom(&VolumeImage::TYPE)) {
        Error("Кубическая карта [%s] загружается только в объёмное изображение. ID[%d] Имя[%s]", path.CStr(),
              image->ID(), image->Name().CStr());
        return kFailure;
    }
    ByteReader reader(bytes, size);
    TgaFace::Header first;
    if (TgaFace::ReadHeader(reader, path, first) != kSuccess)
        return kFailure;
    // Face 0's header was checked against the bytes it needs; the other five faces are checked
    // the same way before each one is read, so the volume is at most six times what one face
    // in the file can describe.
    uint32_t volumeSize = 0;
    if (!Image::ComputeDataSize(first.format, first.width, first.height, kFaceCount, volumeSize)) {
        Error("Недопустимые размеры изображения [%u x %u x %u] в файле [%s].", first.width, first.height, kFaceCount,
              path.CStr());
        return kFailure;
    }
    std::unique_ptr<uint8_t[]> pixels(new (std::nothrow) uint8_t[volumeSize]);
    if (!pixels) {
        Error("Недостаточно памяти для декодирования изображения [%s].", path.CStr());
        return kFailure;
    }
    for (uint32_t face = 0; face < kFaceCount; ++face) {
        TgaFace::Header header = first;
        if (face > 0) {
            if (TgaFace::ReadHeader(reader, path, header) != kSuccess)
                return kFailure;
            if (header.width != first.width || header.height != first.height || header.format != first.format) {
                Error("Грань [%u] кубической карты [%s] отличается размером или глубиной цвета от первой.", face,
                      path.CStr());
                return kFailure;
            }
        }
        if (TgaFace::ReadPixels(reader, header, path, pixels.get() + size_t{first.dataSize} * face) != kSuccess)
            return kFailure;
    }
    return static_cast<VolumeImage*>(image)->SetPixels(first.format, first.width, first.height, kFaceCount,
                                                       std::move(pixels));
}

Result CUBEImageCodec::Encode(File* file, Image* image)
{
    return ImageFileData::EncodeFile(file, image, &EncodeBytes);
}

Result CUBEImageCodec::EncodeBytes(const Image* image, std::vector<uint8_t>& out)
{
    if (!image)
        return kInvalidArgument;
    const uint32_t format = image->Format();
    if (!image->IsDerivedFrom(&VolumeImage::TYPE) || image->Depth() != kFaceCount ||
        (format != Image::kR8G8B8 && format != Image::kR8G8B8A8)) {
        Error("Кубическая карта записывается только из объёмного изображения глубины 6 формата 0 или 1. Имя[%s] "
              "ID[%d]",
              image->Name().CStr(), image->ID());
        return kFailure;
    }
    if (!image->Data() || image->Width() == 0 || image->Height() == 0) {
        Error("Изображение не содержит данных. Имя[%s] ID[%d]", image->Name().CStr(), image->ID());
        return kFailure;
    }
    const size_t faceSize = size_t{Image::BytesPerPixel(format)} * image->Width() * image->Height();
    std::vector<uint8_t> bytes;
    try {
        bytes.reserve((TgaFace::kHeaderSize + faceSize) * kFaceCount);
        for (uint32_t face = 0; face < kFaceCount; ++face)
            TgaFace::Write(image->Data() + faceSize * face, format, image->Width(), image->Height(), bytes);
    } catch (const std::bad_alloc&) {
        Error("Недостаточно памяти для кодирования изображения. Имя[%s] ID[%d]", image->Name().CStr(), image->ID());
        return kOutOfMemory;
    }
    out = std::move(bytes);
    return kSuccess;
}

}  // namespace zen
