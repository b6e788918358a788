#pragma once
#include <cstdint>
#include <vector>

#include "engine/modules/ImageCodec.h"

namespace zen {

// Windows bitmaps ("BMP"): uncompressed 24-bit pictures decode to R8G8B8 and 8-bit ones to A8
// (the palette index is taken as the grey value; the colour table is not applied). Rows stay
// bottom-up as the file stores them; a top-down file (negative height) is turned over. 32-bit,
// 16-bit, 1- and 4-bit and compressed bitmaps are refused. The encoder writes 8 bits per byte of
// pixel: R8G8B8 images as 24-bit bitmaps, R8G8B8A8 ones as 32-bit bitmaps (B, G, R, A; other
// programs read them, this decoder does not), and A8 images as 8-bit bitmaps with a grey colour
// table, which every reader shows as the grey picture it holds. A16B16G16R16 has no bitmap form.
// Module and codec name "BMPImageCodec"; extensions "BMP", "bmp", "Bmp".
class BMPImageCodec : public ImageCodec {
public:
    BMPImageCodec();

    // kSuccess with the image's dimensions, format and pixels replaced; kInvalidArgument for
    // null arguments; kFailure (logged, image unchanged) for a file it cannot read.
    Result Decode(File* file, Image* image) override;
    // kSuccess; kInvalidArgument for null arguments; kFailure (logged, file untouched) for an
    // image without pixels, a volume, an A16B16G16R16 image, or when the file cannot be written.
    Result Encode(File* file, Image* image) override;

    // The work of Decode and Encode on memory (the benchmarks and tests use them directly).
    // `path` only names the file in messages.
    static Result DecodeBytes(const uint8_t* bytes, uint32_t size, const String& path, Image* image);
    static Result EncodeBytes(const Image* image, std::vector<uint8_t>& out);
};

}  // namespace zen
