// The saver's start on the processor, stage by stage, over the shipped media archive: attaching
// it (unpacking every file into memory), loading Main.STR through the scene codec (which decodes
// every picture it names) with the recording renderer, the first frame, and the work the
// Direct3D 9 renderer adds on the device's first frames: the mip chain of every picture (our
// filter, as the texture upload runs it; the shader programs' assembly is measured by
// ShaderAssemblerEffectPrograms). The archive is read from $ZEN_MEDIA_ARCHIVE when that names one (the Windows build's
// content/Media.rar2), otherwise made once by the content tools (tens of seconds). The goal for
// the whole start is a second under Wine.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "engine/core/Array.h"
#include "engine/core/Engine.h"
#include "engine/modules/CodecManager.h"
#include "engine/modules/FileCodec.h"
#include "engine/modules/ModuleManager.h"
#include "engine/modules/SceneLoader.h"
#include "engine/render/MipFilter.h"
#include "engine/render/Renderer.h"
#include "engine/scene/Image.h"
#include "engine/scene/Node.h"
#include "engine/vfs/Directory.h"
#include "engine/vfs/FileManager.h"
#include "engine/vfs/MemoryFile.h"
#include "modules/recording/RecordingRenderer.h"
#include "tools/scene/MediaSet.h"

namespace {

using namespace zen;

constexpr const char* kCodecs[] = {"RAR2FileCodec", "STRSceneCodec", "TGAImageCodec", "JPGImageCodec",
                                   "BMPImageCodec", "CUBEImageCodec"};

// The engine with the recording renderer and the saver's codecs, started once for every stage.
bool StartEngine()
{
    static const bool started = [] {
        if (EngineInitialize() != kSuccess || LoadRenderer(String("Recording")) != kSuccess)
            return false;
        for (const char* name : kCodecs) {
            Codec* codec = nullptr;
            if (ModuleManager::LoadModule(String(name)) != kSuccess ||
                CodecManager::LoadCodec(String(name), &codec) != kSuccess)
                return false;
        }
        RecordingRenderer::Latest()->SetJournaling(false);
        RecordingRenderer::Latest()->SetViewport(0, 0, 1024, 768);
        return true;
    }();
    return started;
}

const std::vector<uint8_t>& MediaArchive()
{
    static const std::vector<uint8_t> bytes = [] {
        std::vector<uint8_t> out;
        if (const char* path = std::getenv("ZEN_MEDIA_ARCHIVE"); path && *path) {
            std::ifstream in(path, std::ios::binary);
            out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
            return out;
        }
        std::vector<scene::MediaSet::File> files;
        if (scene::MediaSet::MakeAll(files) != kSuccess || scene::MediaSet::Pack(files, out) != kSuccess)
            out.clear();
        return out;
    }();
    return bytes;
}

// The archive attached to the file tree as the saver attaches it (once for every stage).
bool AttachMedia()
{
    static const bool attached = [] {
        const std::vector<uint8_t>& bytes = MediaArchive();
        auto* file = new MemoryFile(String("Media.rar2"));
        return !bytes.empty() && file->CopyData(bytes.data(), static_cast<uint32_t>(bytes.size())) == kSuccess &&
               FileManager::AttachArchive(file, String()) == kSuccess;
    }();
    return attached;
}

Ptr<Object> LoadMainScene()
{
    Object* root = nullptr;
    File* file = FileManager::FindFile(String("Main.STR"));
    if (!file || LoadScene(file, &root) != kSuccess)
        return Ptr<Object>();
    return Ptr<Object>(root);
}

bool Ready(benchmark::State& state, bool attach)
{
    if (!StartEngine()) {
        state.SkipWithError("the engine, the recording renderer or a codec did not start");
        return false;
    }
    if (MediaArchive().empty()) {
        state.SkipWithError("no media archive: $ZEN_MEDIA_ARCHIVE unreadable or the content tools failed");
        return false;
    }
    if (attach && !AttachMedia()) {
        state.SkipWithError("the media archive could not be attached");
        return false;
    }
    return true;
}

void StartupAttachMedia(benchmark::State& state)
{
    if (!Ready(state, false))
        return;
    const std::vector<uint8_t>& bytes = MediaArchive();
    MemoryFile file{String("Media.rar2")};
    (void)file.CopyData(bytes.data(), static_cast<uint32_t>(bytes.size()));
    FileCodec* codec = nullptr;
    for (auto _ : state) {
        if (!codec && !(codec = static_cast<FileCodec*>(CodecManager::FindCodecForFile(&file, Codec::kFileCodec)))) {
            state.SkipWithError("no archive codec");
            return;
        }
        Directory* directory = nullptr;
        if (codec->Load(&file, &directory, String()) != kSuccess) {
            state.SkipWithError("the archive did not unpack");
            return;
        }
        delete directory;
    }
    state.counters["archive_bytes"] = static_cast<double>(bytes.size());
}
BENCHMARK(StartupAttachMedia)->Unit(benchmark::kMillisecond);

// Main.STR read and every picture it names decoded, then the first update and draw.
void StartupLoadScene(benchmark::State& state)
{
    if (!Ready(state, true))
        return;
    Renderer* renderer = Renderer::Current();
    for (auto _ : state) {
        Ptr<Object> root = LoadMainScene();
        if (!root || !root->IsDerivedFrom(&Node::TYPE)) {
            state.SkipWithError("Main.STR did not load");
            return;
        }
        auto* node = static_cast<Node*>(root.Get());
        node->UpdateState(1.0 / 60.0, true);
        (void)renderer->StartFrame();
        node->DrawIfVisible(renderer);
        renderer->FinishFrame();
        renderer->SetCamera(nullptr);
    }
}
BENCHMARK(StartupLoadScene)->Unit(benchmark::kMillisecond);

// Every picture of the scene down its whole mip chain as 8-bit BGRA with sRGB colour, the layout
// the texture upload filters.
void StartupMipChains(benchmark::State& state)
{
    if (!Ready(state, true))
        return;
    Ptr<Object> root = LoadMainScene();
    Array<Object*> images;
    if (root)
        root->CollectByType(&Image::TYPE, images);
    std::vector<std::vector<uint8_t>> tops;
    std::vector<uint32_t> widths, heights;
    std::vector<const Image*> seen;  // A picture shared by several textures is uploaded once.
    for (uint32_t i = 0; i < images.Count(); ++i) {
        const auto* image = static_cast<const Image*>(images[i]);
        if (std::find(seen.begin(), seen.end(), image) != seen.end())
            continue;
        seen.push_back(image);
        if (image->Depth() != 1 || !image->Data() || image->Width() == 0 || image->Height() == 0)
            continue;
        tops.emplace_back(size_t{4} * image->Width() * image->Height(), uint8_t{0});
        const uint32_t pixel = Image::BytesPerPixel(image->Format());
        for (size_t p = 0; p < size_t{image->Width()} * image->Height(); ++p)
            for (uint32_t c = 0; c < 4 && c < pixel; ++c)
                tops.back()[4 * p + c] = image->Data()[pixel * p + c];
        widths.push_back(image->Width());
        heights.push_back(image->Height());
    }
    if (tops.empty()) {
        state.SkipWithError("the scene holds no pictures");
        return;
    }
    std::vector<uint8_t> below(tops.front().size());
    int64_t texels = 0;
    for (auto _ : state) {
        for (size_t t = 0; t < tops.size(); ++t) {
            std::vector<uint8_t> above = tops[t];
            uint32_t w = widths[t], h = heights[t];
            while (w > 1 || h > 1) {
                const uint32_t nw = w > 1 ? w / 2 : 1, nh = h > 1 ? h / 2 : 1;
                below.resize(size_t{4} * nw * nh);
                const MipFilter::Level source{above.data(), w, h, 1, size_t{4} * w, 0};
                const MipFilter::Level target{below.data(), nw, nh, 1, size_t{4} * nw, 0};
                if (MipFilter::Reduce(MipFilter::Layout{4, 1, 0x7}, source, target) != kSuccess) {
                    state.SkipWithError("the filter refused a level");
                    return;
                }
                texels += int64_t{nw} * nh;
                above.swap(below);
                w = nw;
                h = nh;
            }
        }
    }
    state.counters["pictures"] = static_cast<double>(tops.size());
    state.SetItemsProcessed(texels);
}
BENCHMARK(StartupMipChains)->Unit(benchmark::kMillisecond);

}  // namespace
