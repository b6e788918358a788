#pragma once
#include <cstdint>
#include <vector>

#include "engine/core/Result.h"
#include "engine/core/String.h"

namespace zen {

class ByteReader;

// One Truevision TGA picture inside a file: the 18-byte header, the ID field, an optional colour
// map (skipped) and the pixels. TGAImageCodec reads and writes one per file, CUBEImageCodec six in
// a row. Readable are true-colour pictures (image type 2) and their run-length form (type 10) of
// 24 or 32 bits per pixel; they decode to R8G8B8 or R8G8B8A8 with rows bottom-up, whatever corner
// the file starts in. Every failure is logged with the file's path and returns kFailure.
class TgaFace {
public:
    static constexpr uint32_t kHeaderSize = 18;

    // What ReadHeader learns: enough to size the pixels before any are read.
    struct Header {
        uint32_t width = 0;
        uint32_t height = 0;
        uint32_t format = 0;          // Image::kR8G8B8 or Image::kR8G8B8A8.
        uint32_t bytesPerPixel = 0;   // 3 or 4.
        uint32_t dataSize = 0;        // Decoded pixel bytes; within the image limits.
        bool runLength = false;       // Image type 10.
        bool topDown = false;         // Descriptor bit 5: the first stored row is the top one.
        bool rightToLeft = false;     // Descriptor bit 4: each row is stored from the right.
    };

    // Reads and checks the header at the reader's position and moves past the ID field and the
    // colour map to the first pixel byte. Also checks that the rest of the file can hold the
    // pixels (for run-length data: at the densest packing), so callers may allocate afterwards.
    static Result ReadHeader(ByteReader& reader, const String& path, Header& header);
    // Decodes the pixels that follow into `out` (header.dataSize bytes), leaving the reader after
    // the last pixel byte. On failure `out` holds partial data the caller must discard.
    static Result ReadPixels(ByteReader& reader, const Header& header, const String& path, uint8_t* out);

    // Appends an uncompressed picture (type 2, bottom-left origin) of `pixels` in format
    // R8G8B8 (24 bits) or R8G8B8A8 (32 bits with 8 alpha bits), rows bottom-up.
    static void Write(const uint8_t* pixels, uint32_t format, uint32_t width, uint32_t height,
                      std::vector<uint8_t>& out);
};

}  // namespace zen
