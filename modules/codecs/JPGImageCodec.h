#pragma once
#include <cstdint>
#include <vector>

#include "engine/modules/ImageCodec.h"

namespace zen {

// JPEG pictures through the IJG library (libjpeg 6b interface). Decoding reads the file's bytes
// in place: three-component pictures decode to R8G8B8, grey ones to A8, rows turned bottom-up;
// four-component (CMYK) pictures are refused. Library errors are caught (never the library's
// default exit): the library's message is logged as a warning "<code> <text>" and the decode
// fails. A file that ends early fails too instead of decoding to filler. Encoding writes
// baseline JPEG at quality 50 with the library's defaults, grey for A8 and RGB for R8G8B8 and
// R8G8B8A8 (alpha dropped), built in memory so any number of encodes can run side by side.
// Module and codec name "JPGImageCodec"; extensions "JPG", "jpg", "Jpg", "JPEG", "jpeg", "Jpeg".
class JPGImageCodec : public ImageCodec {
public:
    static constexpr int kQuality = 50;
    // Progressive files with more scans than this are refused: each scan is a pass over the
    // whole picture, so a small file could otherwise keep the decoder busy for minutes.
    static constexpr int kMaxScans = 500;

    JPGImageCodec();

    // kSuccess with the image replaced; kInvalidArgument for null arguments; kFailure (logged,
    // image unchanged) for a file it cannot read.
    Result Decode(File* file, Image* image) override;
    // kSuccess; kInvalidArgument for null arguments; kFailure (logged, file untouched) for an
    // image without pixels, a volume, or an A16B16G16R16 image.
    Result Encode(File* file, Image* image) override;

    // The work of Decode and Encode on memory; `path` only names the file in messages.
    static Result DecodeBytes(const uint8_t* bytes, uint32_t size, const String& path, Image* image);
    static Result EncodeBytes(const Image* image, std::vector<uint8_t>& out);
};

}  // namespace zen
