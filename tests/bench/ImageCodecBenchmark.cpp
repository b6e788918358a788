// Image codecs: decoding throughput of a 1024 × 1024 texture, in megabytes of decoded pixels per
// second (the bytes_per_second column), for JPEG (baseline at the codec's quality) and TGA (raw
// and run-length), plus the JPEG encoder; and a whole load through the file
// path the program takes (memory file, codec lookup, decode).
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "engine/core/Engine.h"
#include "engine/core/Ptr.h"
#include "engine/modules/CodecManager.h"
#include "engine/modules/ModuleManager.h"
#include "engine/scene/Image.h"
#include "engine/vfs/MemoryFile.h"
#include "modules/codecs/JPGImageCodec.h"
#include "modules/codecs/TGAImageCodec.h"

namespace {

using namespace zen;

constexpr uint32_t kSide = 1024;

// A texture-like picture: smooth gradients with fine noise and flat patches, so JPEG has detail
// to code and run-length coding finds runs but not everywhere.
Ptr<Image> MakeTexture(uint32_t format)
{
    Ptr<Image> image = new Image(String("bench"), format, kSide, kSide);
    const uint32_t channels = Image::BytesPerPixel(format);
    uint32_t noise = 12345;
    uint8_t* out = image->Data();
    for (uint32_t y = 0; y < kSide; ++y) {
        for (uint32_t x = 0; x < kSide; ++x) {
            noise = noise * 1664525u + 1013904223u;
            const bool flat = ((x / 64) + (y / 64)) % 3 == 0;
            for (uint32_t c = 0; c < channels; ++c)
                *out++ = flat ? static_cast<uint8_t>(40 * c + 30)
                              : static_cast<uint8_t>((x * (c + 1) + y * (3 - c)) / 8 + (noise >> 26));
        }
    }
    return image;
}

// Run-length TGA bytes of `image` (32 bits): runs of equal pixels, literal packets otherwise.
std::vector<uint8_t> RunLengthTga(const Image& image)
{
    std::vector<uint8_t> bytes = {0, 0, 10, 0, 0, 0, 0, 0, 0, 0, 0, 0, static_cast<uint8_t>(kSide),
                                  static_cast<uint8_t>(kSide >> 8), static_cast<uint8_t>(kSide),
                                  static_cast<uint8_t>(kSide >> 8), 32, 8};
    const uint8_t* pixels = image.Data();
    const size_t count = size_t{kSide} * kSide;
    auto same = [&](size_t a, size_t b) { return std::memcmp(pixels + 4 * a, pixels + 4 * b, 4) == 0; };
    for (size_t at = 0; at < count;) {
        size_t run = 1;
        while (at + run < count && run < 128 && same(at, at + run))
            ++run;
        if (run > 1) {
            bytes.push_back(static_cast<uint8_t>(0x80 | (run - 1)));
            bytes.insert(bytes.end(), {pixels[4 * at + 2], pixels[4 * at + 1], pixels[4 * at], pixels[4 * at + 3]});
            at += run;
            continue;
        }
        size_t literal = 1;
        while (at + literal < count && literal < 128 && !(at + literal + 1 < count && same(at + literal, at + literal + 1)))
            ++literal;
        bytes.push_back(static_cast<uint8_t>(literal - 1));
        for (size_t i = at; i < at + literal; ++i)
            bytes.insert(bytes.end(), {pixels[4 * i + 2], pixels[4 * i + 1], pixels[4 * i], pixels[4 * i + 3]});
        at += literal;
    }
    return bytes;
}

using DecodeFunction = Result (*)(const uint8_t*, uint32_t, const String&, Image*);
using EncodeFunction = Result (*)(const Image*, std::vector<uint8_t>&);

void RunDecode(benchmark::State& state, DecodeFunction decode, const std::vector<uint8_t>& bytes)
{
    Ptr<Image> image = new Image();
    for (auto _ : state) {
        if (decode(bytes.data(), static_cast<uint32_t>(bytes.size()), String("bench"), image.Get()) != kSuccess) {
            state.SkipWithError("decode failed");
            break;
        }
        benchmark::DoNotOptimize(image->Data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * image->GetDataSize());
    state.counters["file_bytes"] = static_cast<double>(bytes.size());
}

// A texture of `format` encoded by the codec, then decoded again and again.
void Decode(benchmark::State& state, EncodeFunction encode, DecodeFunction decode, uint32_t format)
{
    std::vector<uint8_t> bytes;
    (void)encode(MakeTexture(format).Get(), bytes);
    RunDecode(state, decode, bytes);
}
BENCHMARK_CAPTURE(Decode, JpegBaseline, &JPGImageCodec::EncodeBytes, &JPGImageCodec::DecodeBytes, Image::kR8G8B8)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Decode, TgaRaw, &TGAImageCodec::EncodeBytes, &TGAImageCodec::DecodeBytes, Image::kR8G8B8A8)
    ->Unit(benchmark::kMillisecond);

void JpegEncode(benchmark::State& state)
{
    Ptr<Image> image = MakeTexture(Image::kR8G8B8);
    std::vector<uint8_t> bytes;
    for (auto _ : state) {
        if (JPGImageCodec::EncodeBytes(image.Get(), bytes) != kSuccess) {
            state.SkipWithError("encode failed");
            break;
        }
        benchmark::DoNotOptimize(bytes.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * image->GetDataSize());
}
BENCHMARK(JpegEncode)->Unit(benchmark::kMillisecond);

void TgaDecodeRunLength(benchmark::State& state)
{
    RunDecode(state, &TGAImageCodec::DecodeBytes, RunLengthTga(*MakeTexture(Image::kR8G8B8A8)));
}
BENCHMARK(TgaDecodeRunLength)->Unit(benchmark::kMillisecond);

// The program's path: a memory file from an archive, the codec found by extension, the file
// opened (its bytes copied into the stream buffer) and decoded.
void TgaLoadFromMemoryFile(benchmark::State& state)
{
    if (EngineInitialize() != kSuccess || ModuleManager::LoadModule(String("TGAImageCodec")) != kSuccess ||
        CodecManager::LoadCodec(String("TGAImageCodec")) != kSuccess) {
        state.SkipWithError("engine did not start");
        return;
    }
    {
        std::vector<uint8_t> bytes;
        (void)TGAImageCodec::EncodeBytes(MakeTexture(Image::kR8G8B8A8).Get(), bytes);
        MemoryFile file{String("bench.tga")};
        (void)file.CopyData(bytes.data(), static_cast<uint32_t>(bytes.size()));
        Ptr<Image> image = new Image();
        for (auto _ : state) {
            if (image->LoadFromFile(&file) != kSuccess) {
                state.SkipWithError("load failed");
                break;
            }
            benchmark::DoNotOptimize(image->Data());
        }
        state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * image->GetDataSize());
    }
    (void)EngineShutdown();
}
BENCHMARK(TgaLoadFromMemoryFile)->Unit(benchmark::kMillisecond);

}  // namespace
