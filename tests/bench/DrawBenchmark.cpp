// The CPU cost of drawing a frame of a 1,000-node scene through the recording renderer (journal
// off): culling, technique lookup, pass binding (streams, shaders, constants), the deferred
// queue of the blended fifth of the nodes and its back-to-front flush. After the first frame
// a frame allocates nothing: the benchmark counts the allocations of the measured frames with
// a replaced operator new ("allocations" per frame) and fails when there are any.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <new>

#include "RecordingSession.h"
#include "engine/core/Ptr.h"
#include "engine/render/Renderer.h"
#include "engine/scene/Camera.h"
#include "engine/scene/ColorEffect.h"
#include "engine/scene/SceneNode.h"
#include "modules/recording/RecordingRenderer.h"
#include "support/SceneBuilder.h"

namespace {

uint64_t g_allocations = 0;  // Every operator new of the process (one thread).

}  // namespace

// The C++ library's other forms of new and delete (arrays, nothrow) call these, so replacing
// them counts every allocation. GCC takes the free in a replaced delete for a mismatch.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

void* operator new(std::size_t size)
{
    ++g_allocations;
    if (void* memory = std::malloc(size == 0 ? 1 : size))
        return memory;
    throw std::bad_alloc();
}
void operator delete(void* memory) noexcept
{
    std::free(memory);
}
void operator delete(void* memory, std::size_t) noexcept
{
    std::free(memory);
}

// For the other benchmarks of the program (AllocationCount.h).
uint64_t zen::bench::AllocationCount()
{
    return g_allocations;
}

#pragma GCC diagnostic pop

namespace {

using namespace zen;

// Every leaf of the tree gets its own colour effect; every fifth one is blended.
void Paint(Node& node, uint32_t& index)
{
    if (node.IsDerivedFrom(&SceneNode::TYPE)) {
        auto& group = static_cast<SceneNode&>(node);
        for (uint32_t i = 0; i < group.ChildCount(); ++i)
            if (Node* child = group.GetChild(i))
                Paint(*child, index);
        return;
    }
    Ptr<ColorEffect> effect = new ColorEffect();
    effect->SetColor(Vector4{0.5f, 0.5f, 1.0f, 0.5f});
    (void)effect->SetBlending(index++ % 5 == 0, RenderState::kBlendSourceAlpha, RenderState::kBlendInverseSourceAlpha);
    (void)static_cast<GeometryNode&>(node).SetEffect(effect.Get());
}

void DrawFrame(benchmark::State& state)
{
    const auto count = static_cast<uint32_t>(state.range(0));
    bench::RecordingSession session(state);
    auto* renderer = session.renderer;
    if (!renderer)
        return;
    renderer->SetViewport(0, 0, 1024, 768);
    {
        Ptr<SceneNode> root = test::BuildTree(count, 8, 100.0f);
        uint32_t index = 0;
        Paint(*root, index);
        Ptr<Camera> camera = new Camera();
        camera->LocalTransform().SetTranslation(Vector3{0, 0, -150});
        renderer->SetCamera(camera.Get());
        root->UpdateState(0.0, true);

        auto frame = [&] { session.DrawFrame(*root); };
        frame();  // Techniques are chosen and the queue grows once.
        double draws = 0;
        const double allocations = bench::MeasureFrames(state, *renderer, frame, draws);
        const auto frames = static_cast<double>(state.iterations());
        state.counters["per_node"] = benchmark::Counter(frames * count, benchmark::Counter::kIsRate |
                                                                           benchmark::Counter::kInvert);
        if (allocations > 0)
            state.SkipWithError("a frame allocated memory");
        renderer->SetCamera(nullptr);
    }
}
BENCHMARK(DrawFrame)->Arg(1000)->Unit(benchmark::kMicrosecond);

}  // namespace
