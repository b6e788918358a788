#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "engine/core/Result.h"
#include "engine/scene/Image.h"

namespace zen::scene {

// The files of the saver's media archive (resource 227, attached as "Media.rar2"): the scene
// file Main.STR, every picture it names, encoded by the engine's own codecs for their
// extensions, and its sounds (tools/sound, Ogg Vorbis). Making them needs a started engine with the STR, TGA and JPG codecs loaded. The
// bytes depend on nothing but this code: the same on every run.
class MediaSet {
public:
    struct File {
        std::string name;
        std::vector<uint8_t> bytes;
    };

    // The scene first, then the pictures in the order the scene met them, the text files the
    // scene reads (messages and font), then the sounds.
    [[nodiscard]] static Result MakeAll(std::vector<File>& files);
    // A picture encoded by the engine's codec for its file name's extension (.tga, .jpg, .bmp).
    [[nodiscard]] static Result EncodePicture(const Image& image, std::vector<uint8_t>& bytes);
    // The files as a RAR 2.0 archive (each entry compressed where that makes it smaller).
    [[nodiscard]] static Result Pack(const std::vector<File>& files, std::vector<uint8_t>& archive);
};

}  // namespace zen::scene
