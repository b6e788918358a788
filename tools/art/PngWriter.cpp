#include "tools/art/PngWriter.h"

#include <algorithm>

#include "engine/core/Crc32.h"

namespace zen::art {
namespace {

void PutBigEndian(std::vector<uint8_t>& out, uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<uint8_t>(value >> shift));
}

void PutChunk(std::vector<uint8_t>& out, const char type[4], const std::vector<uint8_t>& data)
{
    PutBigEndian(out, static_cast<uint32_t>(data.size()));
    const size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    PutBigEndian(out, Crc32::Compute(out.data() + start, out.size() - start));
}

// A zlib stream of stored (uncompressed) deflate blocks.
std::vector<uint8_t> StoredZlib(const std::vector<uint8_t>& raw)
{
    std::vector<uint8_t> z = {0x78, 0x01};
    uint32_t a = 1, b = 0;
    for (uint8_t byte : raw) {
        a = (a + byte) % 65521u;
        b = (b + a) % 65521u;
    }
    size_t at = 0;
    do {
        const size_t length = std::min<size_t>(raw.size() - at, 65535);
        const bool last = at + length == raw.size();
        z.push_back(last ? 1 : 0);
        z.push_back(static_cast<uint8_t>(length));
        z.push_back(static_cast<uint8_t>(length >> 8));
        z.push_back(static_cast<uint8_t>(~length));
        z.push_back(static_cast<uint8_t>(~length >> 8));
        z.insert(z.end(), raw.begin() + static_cast<std::ptrdiff_t>(at), raw.begin() + static_cast<std::ptrdiff_t>(at + length));
        at += length;
    } while (at < raw.size());
    PutBigEndian(z, (b << 16) | a);
    return z;
}

}  // namespace

Result PngWriter::Encode(const Image& image, std::vector<uint8_t>& out)
{
    const uint32_t format = image.Format();
    const uint32_t channels = format == Image::kR8G8B8 ? 3 : format == Image::kR8G8B8A8 ? 4 : 0;
    const uint32_t width = image.Width(), height = image.Height();
    if (channels == 0 || width == 0 || height == 0 || !image.Data())
        return kFailure;
    std::vector<uint8_t> header;
    PutBigEndian(header, width);
    PutBigEndian(header, height);
    header.insert(header.end(), {8, static_cast<uint8_t>(channels == 3 ? 2 : 6), 0, 0, 0});
    // Each row: filter type 0, then the pixels; PNG rows run top-down.
    const size_t rowBytes = static_cast<size_t>(width) * channels;
    std::vector<uint8_t> raw;
    raw.reserve((rowBytes + 1) * height);
    for (uint32_t row = 0; row < height; ++row) {
        raw.push_back(0);
        const uint8_t* source = image.Data() + static_cast<size_t>(height - 1 - row) * rowBytes;
        raw.insert(raw.end(), source, source + rowBytes);
    }
    std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    PutChunk(png, "IHDR", header);
    PutChunk(png, "IDAT", StoredZlib(raw));
    PutChunk(png, "IEND", {});
    out = std::move(png);
    return kSuccess;
}

}  // namespace zen::art
