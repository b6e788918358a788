#pragma once
#include <cstdint>
#include <vector>

#include "engine/core/Result.h"
#include "engine/scene/Image.h"

namespace zen::art {

// Writes pictures as PNG files for people to look at (contact sheets, previews): 8-bit RGB or
// RGBA, rows top-down as PNG wants them, the pixel data in uncompressed deflate blocks. Any PNG
// reader takes them; the saver never reads one.
class PngWriter {
public:
    // Image::kR8G8B8 or Image::kR8G8B8A8 (engine rows bottom-up): kSuccess, or kFailure for
    // another format or an empty image.
    [[nodiscard]] static Result Encode(const Image& image, std::vector<uint8_t>& out);
};

}  // namespace zen::art
