#include "modules/codecs/BMPImageCodec.h"

#include <algorithm>
#include <memory>
#include <new>
#include <utility>

#include "engine/core/MessageLog.h"
#include "engine/modules/StaticModuleRegistration.h"
#include "engine/scene/Image.h"
#include "engine/vfs/File.h"
#include "modules/codecs/ByteReader.h"
#include "modules/codecs/ImageFileData.h"

namespace zen {

ZEN_REGISTER_CODEC_MODULE(kStartupModuleBmp, "BMPImageCodec", &CreateCodecObject<BMPImageCodec>);

namespace {

constexpr uint16_t kSignature = 0x4D42;  // "BM"
constexpr uint32_t kFileHeaderSize = 14;
constexpr uint32_t kInfoHeaderSize = 40;
constexpr uint32_t kPixelsPerMetre = 3780;  // 96 dots per inch.
constexpr uint32_t kGreyTableSize = 256 * 4;

uint64_t PaddedRow(uint64_t rowBytes)
{
    return (rowBytes + 3) & ~uint64_t{3};
}

void PutWord(std::vector<uint8_t>& out, uint16_t value)
{
    out.push_back(static_cast<uint8_t>(value));
    out.push_back(static_cast<uint8_t>(value >> 8));
}

void PutUInt(std::vector<uint8_t>& out, uint32_t value)
{
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<uint8_t>(value >> shift));
}

}  // namespace

BMPImageCodec::BMPImageCodec() : ImageCodec(String("BMPImageCodec"))
{
    for (const char* extension : {"BMP", "bmp", "Bmp"})
        (void)AddExtension(String(extension));
}

Result BMPImageCodec::Decode(File* file, Image* image)
{
    return ImageFileData::DecodeFile(file, image, &DecodeBytes);
}

Result BMPImageCodec::DecodeBytes(const uint8_t* bytes, uint32_t size, const String& path, Image* image)
{
    if (!image)
        return kInvalidArgument;
    ByteReader reader(bytes, size);
    // File header.
    const uint16_t signature = reader.ReadWord();
    reader.Skip(8);  // File size and two reserved words: nothing depends on them.
    const uint32_t pixelOffset = reader.ReadUInt();
    // Information header; its later versions only add fields after these.
    const uint32_t headerSize = reader.ReadUInt();
    const int32_t width = reader.ReadInt();
    const int32_t storedHeight = reader.ReadInt();
    reader.Skip(2);  // Planes.
    const uint16_t bitCount = reader.ReadWord();
    const uint32_t compression = reader.ReadUInt();
    reader.Skip(20);  // Image size, resolutions, colours used and important: not needed.
    if (reader.Failed()) {
        Error("Неполный заголовок изображения BMP в файле [%s].", path.CStr());
        return kFailure;
    }
    if (signature != kSignature) {
        Error("Файл [%s] не является изображением BMP.", path.CStr());
        return kFailure;
    }
    if (headerSize < kInfoHeaderSize) {
        Error("Неподдерживаемый размер заголовка BMP [%u] в файле [%s].", headerSize, path.CStr());
        return kFailure;
    }
    if (bitCount != 8 && bitCount != 24) {
        Error("Неподдерживаемая глубина цвета BMP [%u] в файле [%s].", bitCount, path.CStr());
        return kFailure;
    }
    if (compression != 0) {
        Error("Неподдерживаемое сжатие BMP [%u] в файле [%s].", compression, path.CStr());
        return kFailure;
    }
    // A negative height marks rows stored top-down.
    const bool topDown = storedHeight < 0;
    const int64_t height = topDown ? -int64_t{storedHeight} : int64_t{storedHeight};
    const uint32_t format = bitCount == 24 ? Image::kR8G8B8 : Image::kA8;
    uint32_t dataSize = 0;
    if (width <= 0 || height <= 0 || height > Image::kMaxDimension ||
        !Image::ComputeDataSize(format, static_cast<uint32_t>(width), static_cast<uint32_t>(height), 1, dataSize)) {
        Error("Недопустимые размеры изображения [%d x %lld] в файле [%s].", width, static_cast<long long>(height),
              path.CStr());
        return kFailure;
    }
    if (pixelOffset < uint64_t{kFileHeaderSize} + headerSize || pixelOffset > size) {
        Error("Неверное смещение данных BMP [%u] в файле [%s].", pixelOffset, path.CStr());
        return kFailure;
    }

    // Every row is padded to a multiple of 4 bytes; the last row's padding may be missing.
    const uint32_t bytesPerPixel = bitCount / 8;
    const uint64_t rowBytes = uint64_t{bytesPerPixel} * static_cast<uint32_t>(width);
    const uint64_t stride = PaddedRow(rowBytes);
    const uint64_t rows = static_cast<uint64_t>(height);
    reader.Seek(pixelOffset);
    if (reader.Remaining() < stride * (rows - 1) + rowBytes) {
        Error("Недостаточно данных изображения в файле [%s].", path.CStr());
        return kFailure;
    }
    std::unique_ptr<uint8_t[]> pixels(new (std::nothrow) uint8_t[dataSize]);
    if (!pixels) {
        Error("Недостаточно памяти для декодирования изображения [%s].", path.CStr());
        return kFailure;
    }
    for (uint64_t row = 0; row < rows; ++row) {
        const uint8_t* source = bytes + pixelOffset + row * stride;
        uint8_t* target = pixels.get() + (topDown ? rows - 1 - row : row) * rowBytes;
        if (bytesPerPixel == 1) {
            std::copy(source, source + rowBytes, target);
            continue;
        }
        for (uint64_t x = 0; x < rowBytes; x += 3) {  // B, G, R -> R, G, B.
            target[x] = source[x + 2];
            target[x + 1] = source[x + 1];
            target[x + 2] = source[x];
        }
    }
    return image->SetPixels(format, static_cast<uint32_t>(width), static_cast<uint32_t>(height), std::move(pixels));
}

Result BMPImageCodec::Encode(File* file, Image* image)
{
    return ImageFileData::EncodeFile(file, image, &EncodeBytes);
}

Result BMPImageCodec::EncodeBytes(const Image* image, std::vector<uint8_t>& out)
{
    if (!image)
        return kInvalidArgument;
    const uint32_t format = image->Format();
    if ((format != Image::kR8G8B8 && format != Image::kR8G8B8A8 && format != Image::kA8) || image->Depth() != 1) {
        Error("Неподдерживаемый формат изображения [%u] для кодека [%s]. Имя[%s] ID[%d]", format, "BMPImageCodec",
              image->Name().CStr(), image->ID());
        return kFailure;
    }
    if (!image->Data() || image->Width() == 0 || image->Height() == 0) {
        Error("Изображение не содержит данных. Имя[%s] ID[%d]", image->Name().CStr(), image->ID());
        return kFailure;
    }
    const uint32_t bytesPerPixel = Image::BytesPerPixel(format);
    const uint64_t rowBytes = uint64_t{bytesPerPixel} * image->Width();
    const uint64_t stride = PaddedRow(rowBytes);
    const uint64_t pixelBytes = stride * image->Height();  // Within the image limits: fits 32 bits.
    const uint32_t tableBytes = format == Image::kA8 ? kGreyTableSize : 0;
    const uint32_t pixelOffset = kFileHeaderSize + kInfoHeaderSize + tableBytes;

    std::vector<uint8_t> bytes;
    try {
        bytes.reserve(pixelOffset + pixelBytes);
    } catch (const std::bad_alloc&) {
        Error("Недостаточно памяти для кодирования изображения. Имя[%s] ID[%d]", image->Name().CStr(), image->ID());
        return kOutOfMemory;
    }
    PutWord(bytes, kSignature);
    PutUInt(bytes, static_cast<uint32_t>(pixelOffset + pixelBytes));
    PutUInt(bytes, 0);  // Two reserved words.
    PutUInt(bytes, pixelOffset);
    PutUInt(bytes, kInfoHeaderSize);
    PutUInt(bytes, image->Width());
    PutUInt(bytes, image->Height());  // Positive: rows bottom-up, as the image holds them.
    PutWord(bytes, 1);                // Planes.
    PutWord(bytes, static_cast<uint16_t>(8 * bytesPerPixel));
    PutUInt(bytes, 0);  // No compression.
    PutUInt(bytes, static_cast<uint32_t>(pixelBytes));
    PutUInt(bytes, kPixelsPerMetre);
    PutUInt(bytes, kPixelsPerMetre);
    PutUInt(bytes, tableBytes / 4);  // Colours used.
    PutUInt(bytes, 0);               // Colours important: all.
    for (uint32_t grey = 0; grey < tableBytes / 4; ++grey) {
        const uint8_t value = static_cast<uint8_t>(grey);
        bytes.insert(bytes.end(), {value, value, value, 0});
    }
    const uint8_t* pixels = image->Data();
    for (uint32_t row = 0; row < image->Height(); ++row) {
        const uint8_t* source = pixels + row * rowBytes;
        if (bytesPerPixel == 1) {
            bytes.insert(bytes.end(), source, source + rowBytes);
        } else if (bytesPerPixel == 3) {
            for (uint64_t x = 0; x < rowBytes; x += 3)
                bytes.insert(bytes.end(), {source[x + 2], source[x + 1], source[x]});
        } else {  // B, G, R, A.
            for (uint64_t x = 0; x < rowBytes; x += 4)
                bytes.insert(bytes.end(), {source[x + 2], source[x + 1], source[x], source[x + 3]});
        }
        bytes.resize(bytes.size() + (stride - rowBytes), 0);
    }
    out = std::move(bytes);
    return kSuccess;
}

}  // namespace zen
