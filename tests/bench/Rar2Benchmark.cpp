// RAR 2.0 archive codec: unpacking throughput per mode (LZ, audio, store), packing throughput,
// and the time to attach a 2 MB archive of 50 files through the codec as the program does.
#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <vector>

#include "TestPaths.h"
#include "engine/core/Engine.h"
#include "engine/modules/CodecManager.h"
#include "engine/modules/FileCodec.h"
#include "engine/modules/ModuleManager.h"
#include "engine/vfs/Directory.h"
#include "engine/vfs/MemoryFile.h"
#include "modules/codecs/Rar2Archive.h"
#include "modules/codecs/Rar2Extractor.h"
#include "modules/codecs/Rar2Packer.h"
#include "modules/codecs/Rar2Unpacker.h"
#include "modules/codecs/Rar2Writer.h"
#include "tests/codecs/ImageTestSupport.h"

namespace {

using namespace zen;

// Scene-like content: words and numbers with repeats near and far, some binary stretches.
std::vector<uint8_t> SceneLike(uint32_t size, uint32_t seed)
{
    static const char* const kWords[] = {"Node ", "Camera ", "Light ", "0.000000 ", "1.000000 ", "Mesh_",
                                         "Texture ", "\r\n", "{ ", "} ", "Bone", "Key "};
    std::mt19937 random(seed);
    std::vector<uint8_t> out;
    out.reserve(size);
    while (out.size() < size) {
        if (random() % 16 == 0) {
            for (int i = 0; i < 40 && out.size() < size; ++i)
                out.push_back(static_cast<uint8_t>(random()));
            continue;
        }
        const char* word = kWords[random() % (sizeof(kWords) / sizeof(kWords[0]))];
        for (const char* c = word; *c && out.size() < size; ++c)
            out.push_back(static_cast<uint8_t>(*c));
        if (random() % 3 == 0) {
            const std::string number = std::to_string(random() % 1000);
            for (char c : number)
                if (out.size() < size)
                    out.push_back(static_cast<uint8_t>(c));
        }
    }
    return out;
}

// Unpacks entry `index` of a sample archive again and again with one unpacker (Rar2Unpack/<mode>).
void Rar2Unpack(benchmark::State& state, const char* sample, uint32_t index)
{
    const std::vector<uint8_t> bytes = test::ReadFileBytes(std::string(ZEN_TESTDATA_DIR) + "/rar2/" + sample);
    Rar2Archive archive;
    if (archive.Open(bytes.data(), static_cast<uint32_t>(bytes.size())) != kSuccess || index >= archive.EntryCount()) {
        state.SkipWithError("sample archive missing");
        return;
    }
    const Rar2Entry& entry = archive.Entry(index);
    Rar2Extractor extractor;
    std::vector<uint8_t> out;
    for (auto _ : state) {
        if (extractor.ExtractEntry(archive, entry, "", out) != Rar2EntryStatus::kExtracted) {
            state.SkipWithError("entry did not extract");
            return;
        }
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * entry.unpackedSize);
}

BENCHMARK_CAPTURE(Rar2Unpack, Lz, "junrar_BoatModernEnglish_regular_unpack20.rar", 0);
BENCHMARK_CAPTURE(Rar2Unpack, Audio, "junrar_BoatModernEnglish_audio_unpack20.rar", 0);
// 44 KB stored, with its CRC check.
BENCHMARK_CAPTURE(Rar2Unpack, Store, "sharpcompress_Rar.none_store_dirs.rar", 0);

// A large LZ stream written by our packer: 8 MB of scene-like text, window wrapping many times.
void BM_Rar2UnpackLzLarge(benchmark::State& state)
{
    const std::vector<uint8_t> data = SceneLike(8u << 20, 7);
    Rar2Packer packer;
    std::vector<uint8_t> packed;
    if (packer.Pack(data.data(), static_cast<uint32_t>(data.size()), packed) != kSuccess) {
        state.SkipWithError("packing failed");
        return;
    }
    Rar2Unpacker unpacker;
    std::vector<uint8_t> out;
    for (auto _ : state) {
        if (unpacker.Unpack(packed.data(), static_cast<uint32_t>(packed.size()), static_cast<uint32_t>(data.size()),
                            false, out) != kSuccess) {
            state.SkipWithError("unpacking failed");
            return;
        }
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * data.size());
    state.counters["ratio"] = static_cast<double>(packed.size()) / data.size();
}
BENCHMARK(BM_Rar2UnpackLzLarge)->Unit(benchmark::kMillisecond);

void BM_Rar2Pack(benchmark::State& state)
{
    const std::vector<uint8_t> data = SceneLike(2u << 20, 8);
    Rar2Packer packer;
    std::vector<uint8_t> packed;
    for (auto _ : state) {
        if (packer.Pack(data.data(), static_cast<uint32_t>(data.size()), packed) != kSuccess) {
            state.SkipWithError("packing failed");
            return;
        }
        benchmark::DoNotOptimize(packed.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * data.size());
    state.counters["ratio"] = static_cast<double>(packed.size()) / data.size();
}
BENCHMARK(BM_Rar2Pack)->Unit(benchmark::kMillisecond);

// The engine with the archive codec, started once for the attach benchmarks.
FileCodec* ArchiveCodec()
{
    static FileCodec* codec = [] {
        Codec* created = nullptr;
        const String name("RAR2FileCodec");
        if (EngineInitialize() != kSuccess || ModuleManager::LoadModule(name) != kSuccess ||
            CodecManager::LoadCodec(name, &created) != kSuccess)
            return static_cast<FileCodec*>(nullptr);
        return static_cast<FileCodec*>(created);
    }();
    return codec;
}

// An archive of `files` files totalling about 2 MB (some in subdirectories), LZ compressed.
std::vector<uint8_t> TwoMegabyteArchive(uint32_t files)
{
    Rar2Writer writer;
    const uint32_t each = (2u << 20) / files;
    for (uint32_t i = 0; i < files; ++i) {
        const std::vector<uint8_t> data = SceneLike(each, 100 + i);
        const std::string name = (i % 3 == 0 ? "Textures\\" : i % 3 == 1 ? "Sounds\\" : "") + std::string("file") +
                                 std::to_string(i) + ".bin";
        (void)writer.AddFile(name, data.data(), static_cast<uint32_t>(data.size()));
    }
    std::vector<uint8_t> bytes;
    (void)writer.Write(bytes);
    return bytes;
}

void BM_Rar2AttachArchive(benchmark::State& state)
{
    FileCodec* codec = ArchiveCodec();
    if (!codec) {
        state.SkipWithError("engine did not start");
        return;
    }
    const std::vector<uint8_t> bytes = TwoMegabyteArchive(static_cast<uint32_t>(state.range(0)));
    MemoryFile file{String("Media.rar2")};
    (void)file.CopyData(bytes.data(), static_cast<uint32_t>(bytes.size()));
    for (auto _ : state) {
        Directory* directory = nullptr;
        if (codec->Load(&file, &directory, String()) != kSuccess) {
            state.SkipWithError("attach failed");
            return;
        }
        delete directory;
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * (2u << 20));
    state.counters["archive_bytes"] = static_cast<double>(bytes.size());
}
// 50 files is the reference case; 10 and 200 show the cost does not grow with the file count.
BENCHMARK(BM_Rar2AttachArchive)->Arg(10)->Arg(50)->Arg(200)->Unit(benchmark::kMillisecond);

// A small stream unpacked by a new unpacker each time, as archive after archive (or fuzz input
// after fuzz input) is: the 1 MiB window must not cost a fresh allocation and clear every time.
void BM_Rar2UnpackSmallStreamFreshUnpacker(benchmark::State& state)
{
    std::vector<uint8_t> text;
    for (int i = 0; text.size() < 2000; ++i)
        for (const char c : "the keeper trims the wick " + std::to_string(i % 37) + "\n")
            text.push_back(static_cast<uint8_t>(c));
    std::vector<uint8_t> packed;
    if (zen::Rar2Packer().Pack(text.data(), static_cast<uint32_t>(text.size()), packed) != zen::kSuccess) {
        state.SkipWithError("packing failed");
        return;
    }
    std::vector<uint8_t> out;
    for (auto _ : state) {
        zen::Rar2Unpacker unpacker;
        if (unpacker.Unpack(packed.data(), static_cast<uint32_t>(packed.size()), static_cast<uint32_t>(text.size()),
                            false, out) != zen::kSuccess) {
            state.SkipWithError("unpacking failed");
            return;
        }
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_Rar2UnpackSmallStreamFreshUnpacker);

}  // namespace

