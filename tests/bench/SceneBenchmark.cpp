// The scene graph's per-frame passes and mesh preparation: update (controllers, transforms
// down, bounds up) and culled drawing of a 10,000-leaf tree, and normal and tangent generation
// on a mesh of 100,000 triangles. Per-node costs are reported as the "per_node" counter (ns).
#include <benchmark/benchmark.h>

#include "RecordingSession.h"
#include "engine/render/Renderer.h"
#include "engine/scene/SphereBoundingVolume.h"
#include "support/SceneBuilder.h"

namespace {

using namespace zen;

uint32_t CountNodes(Node* node)
{
    uint32_t count = 1;
    if (node->IsDerivedFrom(&SceneNode::TYPE)) {
        auto* scene = static_cast<SceneNode*>(node);
        for (uint32_t i = 0; i < scene->ChildCount(); ++i)
            if (Node* child = scene->GetChild(i))
                count += CountNodes(child);
    }
    return count;
}

void SetPerNode(benchmark::State& state, uint32_t nodes)
{
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * nodes);
    state.counters["per_node"] = benchmark::Counter(static_cast<double>(state.iterations()) * nodes,
                                                    benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["nodes"] = nodes;
}

void SceneUpdate(benchmark::State& state)
{
    Ptr<SceneNode> root = test::BuildTree(static_cast<uint32_t>(state.range(0)), 8, 1000);
    const uint32_t nodes = CountNodes(root.Get());
    // Every node moves a little each frame, so no transform is the identity shortcut.
    root->LocalTransform().SetRotation({0, 0.0998f, 0, 0.995f});
    for (auto _ : state)
        root->UpdateState(0.016, true);
    SetPerNode(state, nodes);
}
BENCHMARK(SceneUpdate)->Arg(10000)->Unit(benchmark::kMicrosecond);

// Culling through the renderer's camera (the recording renderer: no device, and geometry
// without an effect draws nothing, so this is the traversal and the plane tests alone). The
// camera stands in the middle of the tree looking along +z: about a quarter of the leaves are
// inside the view volume.
void SceneCull(benchmark::State& state)
{
    bench::RecordingSession session(state);
    Renderer* renderer = session.renderer;
    if (renderer) {
        renderer->SetViewport(0, 0, 1024, 768);
        Ptr<SceneNode> root = test::BuildTree(static_cast<uint32_t>(state.range(0)), 8, 1000);
        const uint32_t nodes = CountNodes(root.Get());
        Ptr<Camera> camera = new Camera();
        camera->SetFrustum(1.5f, 1, 2000);
        camera->UpdateState(0, true);
        renderer->SetCamera(camera.Get());
        root->UpdateState(0, true);
        for (auto _ : state) {
            camera->ResetActivePlanes();
            root->DrawIfVisible(renderer);
        }
        SetPerNode(state, nodes);
        renderer->SetCamera(nullptr);
    }
}
BENCHMARK(SceneCull)->Arg(10000)->Unit(benchmark::kMicrosecond);

// 250 x 200 cells, two triangles each: 100,000 triangles over 50,451 vertices.
Ptr<Triangles> BigMesh()
{
    return test::MakeGrid("Mesh", 250, 200);
}

void GenerateNormals(benchmark::State& state)
{
    Ptr<Triangles> mesh = BigMesh();
    for (auto _ : state)
        mesh->GenerateNormals();
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * 100000);
}
BENCHMARK(GenerateNormals)->Unit(benchmark::kMillisecond);

void GenerateTangents(benchmark::State& state)
{
    Ptr<Triangles> mesh = BigMesh();
    for (auto _ : state)
        mesh->GenerateTangents(0);
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * 100000);
}
BENCHMARK(GenerateTangents)->Unit(benchmark::kMillisecond);

void ComputeBoundFromVertices(benchmark::State& state)
{
    Ptr<Triangles> mesh = BigMesh();
    SphereBoundingVolume sphere;
    for (auto _ : state)
        benchmark::DoNotOptimize(sphere.ComputeFromVertices(mesh->Vertices()));
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * mesh->Vertices()->GetCount());
}
BENCHMARK(ComputeBoundFromVertices)->Unit(benchmark::kMicrosecond);

}  // namespace
