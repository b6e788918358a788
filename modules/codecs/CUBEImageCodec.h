#pragma once
#include <cstdint>
#include <vector>

#include "engine/modules/ImageCodec.h"

namespace zen {

// Cube maps ("CUBE"): six TGA pictures one after another, one per face, all of the same size
// and pixel depth. They decode into a VolumeImage of depth 6, face i in slice i, each face as
// TGAImageCodec decodes it; the encoder writes the six slices of such an image as uncompressed
// TGA pictures. Module and codec name "CUBEImageCodec"; extensions "CUBE", "cube", "Cube".
class CUBEImageCodec : public ImageCodec {
public:
    static constexpr uint32_t kFaceCount = 6;

    CUBEImageCodec();

    // kSuccess with the volume image replaced; kInvalidArgument for null arguments; kFailure
    // (logged, image unchanged) when `image` is not a VolumeImage or the file cannot be read.
    Result Decode(File* file, Image* image) override;
    // kSuccess; kInvalidArgument for null arguments; kFailure (logged, file untouched) unless
    // `image` is a VolumeImage of depth 6 with pixels of format R8G8B8 or R8G8B8A8.
    Result Encode(File* file, Image* image) override;

    // The work of Decode and Encode on memory; `path` only names the file in messages.
    static Result DecodeBytes(const uint8_t* bytes, uint32_t size, const String& path, Image* image);
    static Result EncodeBytes(const Image* image, std::vector<uint8_t>& out);
};

}  // namespace zen
