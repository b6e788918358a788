#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "engine/core/Ptr.h"
#include "engine/core/Result.h"
#include "engine/scene/Image.h"
#include "support/EngineScope.h"
#include "support/TempFolder.h"

namespace zen::test {

// Pictures for the image codec tests: ImageMagick (`convert`) makes them at test time and
// decodes them too, so each codec is checked against another program's reading of the same file.
// Tests ask for it first with ZEN_REQUIRE_TOOL("convert", ...) (support/RequiredTool.h).
class Magick {
public:
    // Runs `convert <arguments>`; false when it fails. Its standard output goes to `output`.
    static bool Run(const std::string& arguments, std::vector<uint8_t>* output = nullptr);
    // The picture as ImageMagick shows it: rows top-down, 8 bits per channel, in the channel
    // layout `map` ("rgb", "rgba" or "gray").
    static std::vector<uint8_t> Pixels(const std::string& path, const std::string& map);
    // Writes `pixels` (rows top-down, layout `map`) to a raw file next to `out` and has
    // ImageMagick turn it into `out` with `options` (e.g. "-compress RLE"); `out` may carry a
    // format prefix such as "BMP3:". False when convert fails.
    static bool Make(const std::vector<uint8_t>& pixels, const std::string& map, uint32_t width, uint32_t height,
                     const std::string& options, const std::string& out);
};

// `count` bytes of a fixed pseudo-random pattern; different seeds give different patterns.
std::vector<uint8_t> Pattern(size_t count, uint32_t seed);

// A TGA file written by hand: the 18-byte header of a picture of `type` (2 raw, 10 run-length)
// whose colour map fields are zero, the image ID `id`, then `body`.
std::vector<uint8_t> Tga(uint8_t type, uint16_t width, uint16_t height, uint8_t depth, uint8_t descriptor,
                         const std::vector<uint8_t>& body, const std::vector<uint8_t>& id = {});

std::vector<uint8_t> ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes);

// An image's pixels as stored (empty without data), and with the rows of each slice in the
// other order (bottom-up <-> top-down).
std::vector<uint8_t> PixelsOf(const Image& image);
std::vector<uint8_t> FlippedRows(const Image& image);
// A new image called `name` holding `pixels` (as many as fit; the rest stay zero).
Ptr<Image> ImageOf(const char* name, uint32_t format, uint32_t width, uint32_t height,
                   const std::vector<uint8_t>& pixels);

// The engine with the four image codecs loaded, for a test's length.
class ImageCodecScope {
public:
    ImageCodecScope();
    EngineScope engine;
};

// Decodes `bytes` through the file path the engine uses (a memory file called `name`, whose
// extension picks the codec): the result of Image::LoadFromFile.
Result DecodeBytes(const std::vector<uint8_t>& bytes, const std::string& name, Image* image);
// As above from a disk file.
Result DecodeFile(const std::string& path, Image* image);
// Decoding `bytes` as `name` fails, logs `line` and leaves a new image without data; `what`
// names the case in a failure.
void ExpectRefused(const std::vector<uint8_t>& bytes, const std::string& name, const std::string& line,
                   const std::string& what = {});
// Writes `image` to the disk file `path` through the loaded codec called `codec`.
Result EncodeFile(const char* codec, Image* image, const std::string& path);
// The codec refuses to write `image` to `path`, logs `fragment` and leaves no bytes there.
void ExpectEncodeRefused(const char* codec, Image* image, const std::string& path, const std::string& fragment);

}  // namespace zen::test
