#pragma once
#include <cstdint>
#include <vector>

#include "engine/modules/ImageCodec.h"

namespace zen {

// Truevision TGA pictures ("TGA"): true-colour, raw or run-length encoded, 24 bits per pixel
// decode to R8G8B8 and 32 bits to R8G8B8A8, rows bottom-up whichever corner the file starts in
// (see TgaFace). The encoder writes uncompressed pictures of those two formats. Module and codec
// name "TGAImageCodec"; extensions "TGA", "tga", "Tga".
class TGAImageCodec : public ImageCodec {
public:
    TGAImageCodec();

    // kSuccess with the image replaced; kInvalidArgument for null arguments; kFailure (logged,
    // image unchanged) for a file it cannot read.
    Result Decode(File* file, Image* image) override;
    // kSuccess; kInvalidArgument for null arguments; kFailure (logged, file untouched) for an
    // image without pixels, a volume, or a format other than R8G8B8 and R8G8B8A8.
    Result Encode(File* file, Image* image) override;

    // The work of Decode and Encode on memory; `path` only names the file in messages.
    static Result DecodeBytes(const uint8_t* bytes, uint32_t size, const String& path, Image* image);
    static Result EncodeBytes(const Image* image, std::vector<uint8_t>& out);
};

}  // namespace zen
