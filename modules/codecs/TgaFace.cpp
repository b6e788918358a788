#include "modules/codecs/TgaFace.h"

#include <algorithm>
#include <cstring>

#include "engine/core/MessageLog.h"
#include "engine/scene/Image.h"
#include "modules/codecs/ByteReader.h"

namespace zen {

namespace {

constexpr uint8_t kTrueColor = 2;
constexpr uint8_t kTrueColorRunLength = 10;
constexpr uint8_t kDescriptorRightToLeft = 0x10;
constexpr uint8_t kDescriptorTopDown = 0x20;
constexpr uint32_t kMaxRunPixels = 128;

void Fail(const char* message, const String& path)
{
    Error(message, path.CStr());
}

// Turns pixels from the file's order (B, G, R(, A), rows from the stored corner) into the
// image's (R, G, B(, A), rows bottom-up, left to right).
void Reorient(const TgaFace::Header& header, uint8_t* pixels)
{
    const uint32_t bytesPerPixel = header.bytesPerPixel;
    const size_t rowBytes = size_t{header.width} * bytesPerPixel;
    for (size_t at = 0; at < header.dataSize; at += bytesPerPixel)
        std::swap(pixels[at], pixels[at + 2]);
    if (header.topDown) {
        for (uint32_t low = 0, high = header.height - 1; low < high; ++low, --high)
            std::swap_ranges(pixels + low * rowBytes, pixels + (low + 1) * rowBytes, pixels + high * rowBytes);
    }
    if (header.rightToLeft) {
        for (uint32_t row = 0; row < header.height; ++row) {
            uint8_t* line = pixels + row * rowBytes;
            for (uint32_t left = 0, right = header.width - 1; left < right; ++left, --right)
                std::swap_ranges(line + left * bytesPerPixel, line + (left + 1) * bytesPerPixel,
                                 line + right * bytesPerPixel);
        }
    }
}

}  // namespace

Result TgaFace::ReadHeader(ByteReader& reader, const String& path, Header& header)
{
    const uint8_t idLength = reader.ReadByte();
    const uint8_t colorMapType = reader.ReadByte();
    const uint8_t imageType = reader.ReadByte();
    reader.Skip(2);  // First colour map entry.
    const uint16_t colorMapLength = reader.ReadWord();
    const uint8_t colorMapEntryBits = reader.ReadByte();
    reader.Skip(4);  // Screen origin.
    const uint16_t width = reader.ReadWord();
    const uint16_t height = reader.ReadWord();
    const uint8_t pixelDepth = reader.ReadByte();
    const uint8_t descriptor = reader.ReadByte();
    if (reader.Failed()) {
        Fail("Неполный заголовок изображения TGA в файле [%s].", path);
        return kFailure;
    }
    if (imageType != kTrueColor && imageType != kTrueColorRunLength) {
        Error("Неподдерживаемый тип изображения TGA [%u] в файле [%s].", imageType, path.CStr());
        return kFailure;
    }
    if (pixelDepth != 24 && pixelDepth != 32) {
        Error("Неподдерживаемая глубина цвета TGA [%u] в файле [%s].", pixelDepth, path.CStr());
        return kFailure;
    }
    if (colorMapType > 1) {
        Error("Неподдерживаемый тип палитры TGA [%u] в файле [%s].", colorMapType, path.CStr());
        return kFailure;
    }
    Header parsed;
    parsed.width = width;
    parsed.height = height;
    parsed.format = pixelDepth == 24 ? Image::kR8G8B8 : Image::kR8G8B8A8;
    parsed.bytesPerPixel = pixelDepth / 8;
    parsed.runLength = imageType == kTrueColorRunLength;
    parsed.topDown = (descriptor & kDescriptorTopDown) != 0;
    parsed.rightToLeft = (descriptor & kDescriptorRightToLeft) != 0;
    if (width == 0 || height == 0 || !Image::ComputeDataSize(parsed.format, width, height, 1, parsed.dataSize)) {
        Error("Недопустимые размеры изображения [%u x %u] в файле [%s].", width, height, path.CStr());
        return kFailure;
    }
    // The ID field, then a colour map that a true-colour picture may carry and does not use.
    reader.Skip(idLength);
    if (colorMapType == 1)
        reader.Skip(uint64_t{colorMapLength} * ((colorMapEntryBits + 7u) / 8u));
    // The smallest encoding of the pixels: all of them, or one full run per 128 pixels.
    const uint64_t pixelCount = uint64_t{width} * height;
    const uint64_t smallest = parsed.runLength
                                  ? (pixelCount + kMaxRunPixels - 1) / kMaxRunPixels * (1 + parsed.bytesPerPixel)
                                  : parsed.dataSize;
    if (reader.Failed() || reader.Remaining() < smallest) {
        Fail("Недостаточно данных изображения в файле [%s].", path);
        return kFailure;
    }
    header = parsed;
    return kSuccess;
}

Result TgaFace::ReadPixels(ByteReader& reader, const Header& header, const String& path, uint8_t* out)
{
    const uint32_t bytesPerPixel = header.bytesPerPixel;
    if (!header.runLength) {
        reader.ReadBytes(out, header.dataSize);
    } else {
        // Packets may cross rows but never the end of the picture.
        uint64_t filled = 0;
        while (filled < header.dataSize && !reader.Failed()) {
            const uint8_t packet = reader.ReadByte();
            const uint64_t bytes = uint64_t{(packet & 0x7Fu) + 1u} * bytesPerPixel;
            if (reader.Failed())
                break;
            if (bytes > header.dataSize - filled) {
                Fail("Пакет RLE выходит за пределы изображения в файле [%s].", path);
                return kFailure;
            }
            if (packet & 0x80) {
                const uint8_t* pixel = reader.Take(bytesPerPixel);
                if (!pixel)
                    break;
                for (uint64_t at = 0; at < bytes; at += bytesPerPixel)
                    std::memcpy(out + filled + at, pixel, bytesPerPixel);
            } else {
                const uint8_t* pixels = reader.Take(bytes);
                if (!pixels)
                    break;
                std::memcpy(out + filled, pixels, bytes);
            }
            filled += bytes;
        }
    }
    if (reader.Failed()) {
        Fail("Недостаточно данных изображения в файле [%s].", path);
        return kFailure;
    }
    Reorient(header, out);
    return kSuccess;
}

void TgaFace::Write(const uint8_t* pixels, uint32_t format, uint32_t width, uint32_t height,
                    std::vector<uint8_t>& out)
{
    const uint32_t bytesPerPixel = format == Image::kR8G8B8A8 ? 4 : 3;
    const uint8_t header[kHeaderSize] = {
        0,  // No ID field.
        0,  // No colour map.
        kTrueColor,
        0, 0, 0, 0, 0,  // Colour map fields (none).
        0, 0, 0, 0,     // Screen origin.
        static_cast<uint8_t>(width), static_cast<uint8_t>(width >> 8),
        static_cast<uint8_t>(height), static_cast<uint8_t>(height >> 8),
        static_cast<uint8_t>(8 * bytesPerPixel),
        static_cast<uint8_t>(bytesPerPixel == 4 ? 8 : 0),  // Alpha bits; bottom-left origin.
    };
    out.insert(out.end(), header, header + kHeaderSize);
    const size_t dataSize = size_t{width} * height * bytesPerPixel;
    const size_t start = out.size();
    out.resize(start + dataSize);
    uint8_t* target = out.data() + start;
    for (size_t at = 0; at < dataSize; at += bytesPerPixel) {
        target[at] = pixels[at + 2];
        target[at + 1] = pixels[at + 1];
        target[at + 2] = pixels[at];
        if (bytesPerPixel == 4)
            target[at + 3] = pixels[at + 3];
    }
}

}  // namespace zen
