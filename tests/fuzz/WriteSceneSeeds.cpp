// Writes the seed inputs of the object-graph fuzz targets from the sample scenes the unit tests
// build: for each, a scene file for STRSceneCodecFuzz (version header and one object record) and
// the bare record for ReadObjectFuzz. Run by `scripts/fuzz.sh --write-scene-seeds`:
//     WriteSceneSeeds CORPUS_ROOT     (tests/fuzz/corpus)
#include <cstdio>
#include <fstream>
#include <initializer_list>
#include <string>
#include <vector>

#include "engine/core/Engine.h"
#include "engine/core/Ptr.h"
#include "engine/core/Stream.h"
#include "support/SceneBuilder.h"

namespace {

using namespace zen;

// The scene file's bytes: the engine version, then the object record.
bool SaveScene(Object* root, std::vector<uint8_t>& bytes)
{
    Stream stream;
    stream.WriteInt(static_cast<int32_t>(kEngineVersionMajor));
    stream.WriteInt(static_cast<int32_t>(kEngineVersionMinor));
    stream.WriteInt(static_cast<int32_t>(kEngineVersionRelease));
    if (stream.WriteObject(root) != kSuccess || stream.Position() <= 12)
        return false;
    bytes.assign(stream.Data(), stream.Data() + stream.Position());
    return true;
}

bool WriteFile(const std::string& path, const uint8_t* data, size_t size)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    return static_cast<bool>(out);
}

int WriteSeeds(const std::string& corpus)
{
    test::SampleScene scene = test::BuildSampleScene();
    Ptr<Triangles> quad = test::MakeQuad("Quad", 1);
    Ptr<SceneNode> tree = test::BuildTree(20, 4, 10);
    std::vector<uint8_t> sample;
    if (!SaveScene(scene.root.Get(), sample))
        return 1;
    // The other seeds stand alone: a node saved with a parent would carry its whole ancestry.
    std::vector<Ptr<Node>> held;  // Detaching drops the slots' references.
    for (Node* node : std::initializer_list<Node*>{scene.camera, scene.eye, scene.sun, scene.grid, scene.path}) {
        held.emplace_back(node);
        if (scene.root->DetachChild(node) != kSuccess)
            return 1;
    }
    held.emplace_back(scene.sparks);
    if (scene.group->DetachChild(scene.sparks) != kSuccess)
        return 1;
    const struct {
        const char* name;
        Object* root;
    } seeds[] = {{"sample-scene", scene.root.Get()}, {"quad", quad.Get()}, {"tree", tree.Get()},
                 {"camera", scene.camera}, {"light", scene.sun}, {"fp-camera", scene.eye},
                 {"points", scene.sparks}, {"lines", scene.grid}, {"strip-lines", scene.path},
                 {"buffer", scene.quad->Vertices()}, {"sphere", scene.quad->LocalBound()}};
    for (const auto& seed : seeds) {
        std::vector<uint8_t> file;
        if (seed.root == scene.root.Get())
            file = sample;
        else if (!SaveScene(seed.root, file))
            return 1;
        const std::string scenePath = corpus + "/STRSceneCodecFuzz/scene-" + seed.name + ".STR";
        const std::string recordPath = corpus + "/ReadObjectFuzz/scene-" + seed.name + ".bin";
        if (!WriteFile(scenePath, file.data(), file.size()) ||
            !WriteFile(recordPath, file.data() + 12, file.size() - 12)) {
            std::fprintf(stderr, "WriteSceneSeeds: cannot write %s\n", scenePath.c_str());
            return 1;
        }
        std::printf("%s (%zu bytes)\n", scenePath.c_str(), file.size());
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: WriteSceneSeeds CORPUS_ROOT\n");
        return 2;
    }
    if (EngineInitialize() != kSuccess) {
        std::fprintf(stderr, "WriteSceneSeeds: the engine did not start\n");
        return 1;
    }
    const int result = WriteSeeds(argv[1]);
    (void)EngineShutdown();
    return result;
}
