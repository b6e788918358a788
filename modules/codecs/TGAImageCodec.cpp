#include "modules/codecs/TGAImageCodec.h"

#include <memory>
#include <new>
#include <utility>

#include "engine/core/MessageLog.h"
#include "engine/modules/StaticModuleRegistration.h"
#include "engine/scene/Image.h"
#include "modules/codecs/ByteReader.h"
#include "modules/codecs/ImageFileData.h"
#include "modules/codecs/TgaFace.h"

namespace zen {

ZEN_REGISTER_CODEC_MODULE(kStartupModuleTga, "TGAImageCodec", &CreateCodecObject<TGAImageCodec>);

TGAImageCodec::TGAImageCodec() : ImageCodec(String("TGAImageCodec"))
{
    for (const char* extension : {"TGA", "tga", "Tga"})
        (void)AddExtension(String(extension));
}

Result TGAImageCodec::Decode(File* file, Image* image)
{
    return ImageFileData::DecodeFile(file, image, &DecodeBytes);
}

Result TGAImageCodec::DecodeBytes(const uint8_t* bytes, uint32_t size, const String& path, Image* image)
{
    if (!image)
        return kInvalidArgument;
    ByteReader reader(bytes, size);
    TgaFace::Header header;
    if (TgaFace::ReadHeader(reader, path, header) != kSuccess)
        return kFailure;
    std::unique_ptr<uint8_t[]> pixels(new (std::nothrow) uint8_t[header.dataSize]);
    if (!pixels) {
        Error("Недостаточно памяти для декодирования изображения [%s].", path.CStr());
        return kFailure;
    }
    if (TgaFace::ReadPixels(reader, header, path, pixels.get()) != kSuccess)
        return kFailure;
    return image->SetPixels(header.format, header.width, header.height, std::move(pixels));
}

Result TGAImageCodec::Encode(File* file, Image* image)
{
    return ImageFileData::EncodeFile(file, image, &EncodeBytes);
}

Result TGAImageCodec::EncodeBytes(const Image* image, std::vector<uint8_t>& out)
{
    if (!image)
        return kInvalidArgument;
    const uint32_t format = image->Format();
    if ((format != Image::kR8G8B8 && format != Image::kR8G8B8A8) || image->Depth() != 1) {
        Error("Неподдерживаемый формат изображения [%u] для кодека [%s]. Имя[%s] ID[%d]", format, "TGAImageCodec",
              image->Name().CStr(), image->ID());
        return kFailure;
    }
    if (!image->Data() || image->Width() == 0 || image->Height() == 0) {
        Error("Изображение не содержит данных. Имя[%s] ID[%d]", image->Name().CStr(), image->ID());
        return kFailure;
    }
    std::vector<uint8_t> bytes;
    try {
        bytes.reserve(TgaFace::kHeaderSize + size_t{image->GetDataSize()});
        TgaFace::Write(image->Data(), format, image->Width(), image->Height(), bytes);
    } catch (const std::bad_alloc&) {
        Error("Недостаточно памяти для кодирования изображения. Имя[%s] ID[%d]", image->Name().CStr(), image->ID());
        return kOutOfMemory;
    }
    out = std::move(bytes);
    return kSuccess;
}

}  // namespace zen
