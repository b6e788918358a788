#include "tests/codecs/ImageTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "engine/modules/CodecManager.h"
#include "engine/modules/ImageCodec.h"
#include "engine/vfs/File.h"
#include "engine/vfs/MemoryFile.h"
#include "support/LoadedCodec.h"
#include "support/LogCapture.h"
#include "support/ToolRun.h"

namespace zen::test {

bool Magick::Run(const std::string& arguments, std::vector<uint8_t>* output)
{
    const ToolRun run = RunCommand("convert " + arguments + (output ? "" : " >/dev/null") + " 2>/dev/null");
    if (output)
        output->assign(run.output.begin(), run.output.end());
    return run.exitCode == 0;
}

std::vector<uint8_t> Magick::Pixels(const std::string& path, const std::string& map)
{
    std::vector<uint8_t> pixels;
    // -auto-orient applies a TGA's stored origin, so every picture comes out top row first.
    EXPECT_TRUE(Run("'" + path + "' -auto-orient -depth 8 " + map + ":-", &pixels)) << path;
    return pixels;
}

bool Magick::Make(const std::vector<uint8_t>& pixels, const std::string& map, uint32_t width, uint32_t height,
                  const std::string& options, const std::string& out)
{
    const size_t colon = out.find(':');
    const std::string file = colon == std::string::npos ? out : out.substr(colon + 1);
    const std::string raw = file + ".raw";
    WriteFileBytes(raw, pixels);
    const bool made = Run("-size " + std::to_string(width) + "x" + std::to_string(height) + " -depth 8 " + map + ":'" +
                          raw + "' " + options + " '" + out + "'");
    std::remove(raw.c_str());
    return made;
}

std::vector<uint8_t> Pattern(size_t count, uint32_t seed)
{
    std::vector<uint8_t> bytes(count);
    uint32_t state = seed * 2654435761u + 12345u;
    for (uint8_t& byte : bytes) {
        state = state * 1664525u + 1013904223u;
        byte = static_cast<uint8_t>(state >> 24);
    }
    return bytes;
}

std::vector<uint8_t> Tga(uint8_t type, uint16_t width, uint16_t height, uint8_t depth, uint8_t descriptor,
                         const std::vector<uint8_t>& body, const std::vector<uint8_t>& id)
{
    std::vector<uint8_t> bytes = {static_cast<uint8_t>(id.size()), 0, type, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                  static_cast<uint8_t>(width), static_cast<uint8_t>(width >> 8),
                                  static_cast<uint8_t>(height), static_cast<uint8_t>(height >> 8), depth,
                                  descriptor};
    bytes.insert(bytes.end(), id.begin(), id.end());
    bytes.insert(bytes.end(), body.begin(), body.end());
    return bytes;
}

std::vector<uint8_t> ReadFileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::vector<uint8_t> PixelsOf(const Image& image)
{
    return image.Data() ? std::vector<uint8_t>(image.Data(), image.Data() + image.GetDataSize())
                        : std::vector<uint8_t>();
}

Ptr<Image> ImageOf(const char* name, uint32_t format, uint32_t width, uint32_t height,
                   const std::vector<uint8_t>& pixels)
{
    Ptr<Image> image = new Image(String(name), format, width, height);
    std::memcpy(image->Data(), pixels.data(), std::min<size_t>(pixels.size(), image->GetDataSize()));
    return image;
}

std::vector<uint8_t> FlippedRows(const Image& image)
{
    std::vector<uint8_t> out;
    if (!image.Data())
        return out;
    const size_t row = size_t{Image::BytesPerPixel(image.Format())} * image.Width();
    const size_t rows = image.Height();
    out.reserve(row * rows * image.Depth());
    for (size_t slice = 0; slice < image.Depth(); ++slice) {
        const uint8_t* base = image.Data() + slice * rows * row;
        for (size_t y = rows; y-- > 0;)
            out.insert(out.end(), base + y * row, base + (y + 1) * row);
    }
    return out;
}

ImageCodecScope::ImageCodecScope()
{
    for (const char* name : {"BMPImageCodec", "JPGImageCodec", "TGAImageCodec", "CUBEImageCodec"})
        (void)LoadedCodec(name);
}

Result DecodeBytes(const std::vector<uint8_t>& bytes, const std::string& name, Image* image)
{
    MemoryFile file{String(name)};
    EXPECT_EQ(file.CopyData(bytes.data(), static_cast<uint32_t>(bytes.size())), kSuccess);
    return image->LoadFromFile(&file);
}

Result DecodeFile(const std::string& path, Image* image)
{
    File file{String(path)};
    return image->LoadFromFile(&file);
}

void ExpectRefused(const std::vector<uint8_t>& bytes, const std::string& name, const std::string& line,
                   const std::string& what)
{
    Ptr<Image> image = new Image();
    LogCapture log;
    EXPECT_EQ(DecodeBytes(bytes, name, image.Get()), kFailure) << what;
    EXPECT_TRUE(log.Contains(line)) << what << "\n" << log.Joined();
    EXPECT_EQ(image->Data(), nullptr) << what;
}

Result EncodeFile(const char* codec, Image* image, const std::string& path)
{
    auto* found = static_cast<ImageCodec*>(CodecManager::FindCodec(String(codec)));
    EXPECT_NE(found, nullptr) << codec;
    File file{String(path)};
    return found ? found->Encode(&file, image) : kFailure;
}

void ExpectEncodeRefused(const char* codec, Image* image, const std::string& path, const std::string& fragment)
{
    LogCapture log;
    EXPECT_EQ(EncodeFile(codec, image, path), kFailure) << fragment;
    EXPECT_TRUE(log.ContainsText(fragment)) << log.Joined();
    EXPECT_TRUE(ReadFileBytes(path).empty()) << "nothing may be written on failure: " << fragment;
}

}  // namespace zen::test
