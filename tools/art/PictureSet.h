#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/core/Result.h"

namespace zen::art {

// The pictures the saver carries in its archive of pictures (resource 134): the loading screen
// with its four corner ornaments, the fifteen clock and counter glyphs, and the three dialog
// bitmaps. Each is drawn by its recipe and encoded with the engine's own codec for its
// extension: JPEG (JPGImageCodec) for the background, 32-bit TGA with alpha (TGAImageCodec) for
// what is drawn over the scene, 24-bit BMP (BMPImageCodec) for the dialogs. The output depends
// on nothing but this code: the same bytes on every run.
class PictureSet {
public:
    struct Picture {
        std::string name;            // File name inside the archive, e.g. "digit_7.tga".
        std::vector<uint8_t> bytes;  // The encoded file.
    };

    // Every picture's name, in the order they are packed.
    static std::vector<std::string> Names();
    // Expected pixel size of a picture; false for a name not in the set.
    static bool Size(std::string_view name, int& width, int& height);

    // Draws and encodes one picture: kSuccess; kInvalidArgument for a name not in the set;
    // kFailure when its codec refuses it (logged).
    [[nodiscard]] static Result Make(std::string_view name, std::vector<uint8_t>& bytes);
    // All of them, in Names() order.
    [[nodiscard]] static Result MakeAll(std::vector<Picture>& pictures);
    // The pictures as a RAR 2.0 archive, each entry compressed when that makes it smaller and
    // stored otherwise, with the writer's fixed file time. kFailure when it cannot be written.
    [[nodiscard]] static Result Pack(const std::vector<Picture>& pictures, std::vector<uint8_t>& archive);
};

}  // namespace zen::art
