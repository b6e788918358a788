#pragma once
#include "engine/modules/Codec.h"

namespace zen {

class Image;

// A codec for a picture format (BMP, JPEG, TGA, CUBE): Decode reads a file into an image
// object, Encode writes one. Both return the engine's result codes and write the image only on
// success.
class ImageCodec : public Codec {
public:
    uint32_t GetType() const override { return kImageCodec; }

    virtual Result Decode(File* file, Image* image) = 0;
    virtual Result Encode(File* file, Image* image) = 0;

protected:
    explicit ImageCodec(const String& name) : Codec(name) {}
};

}  // namespace zen
