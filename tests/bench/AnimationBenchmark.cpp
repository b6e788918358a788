// The per-frame cost of animation: a scene of 1,000 nodes, each flown by a node animation
// controller with two overlapping clips (both stages blend while the track is in the overlap,
// one plays alone elsewhere), updated as the
// saver updates its scene. "per_controller" is the update's time per controller (ns), and
// "allocs_per_frame" counts the heap allocations of a frame once the first frame has sized
// the stages (the target is none).
#include <benchmark/benchmark.h>

#include <cmath>

#include "engine/anim/NodeAnimation.h"
#include "engine/anim/NodeAnimationController.h"
#include "engine/anim/NodeKeyframe.h"
#include "engine/scene/SceneNode.h"
#include "AllocationCount.h"

// The replacements below pair malloc with free throughout; GCC cannot see that once it inlines
// them into this file's own new and delete expressions.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

namespace {

using namespace zen;

// A path of `keys` keys round a circle of radius `radius`, turning as it goes.
Ptr<NodeAnimation> CirclePath(float radius, uint32_t keys, float phase)
{
    Ptr<NodeAnimation> animation(new NodeAnimation());
    for (uint32_t i = 0; i < keys; ++i) {
        auto* key = static_cast<NodeKeyframe*>(animation->NewKeyframe());
        key->time = static_cast<double>(i) / keys;
        const float angle = phase + 6.2831853f * static_cast<float>(i) / keys;
        key->translation = {radius * std::cos(angle), 0.1f * i, radius * std::sin(angle)};
        key->rotation = {0, std::sin(angle / 2), 0, std::cos(angle / 2)};
        key->scale = {1, 1 + 0.01f * i, 1};
        (void)animation->AppendKeyframe(key);
    }
    return animation;
}

void AnimatedSceneUpdate(benchmark::State& state)
{
    const uint32_t count = static_cast<uint32_t>(state.range(0));
    Ptr<SceneNode> root(new SceneNode());
    for (uint32_t i = 0; i < count; ++i) {
        Ptr<SceneNode> node(new SceneNode());
        Ptr<NodeAnimationController> controller(new NodeAnimationController());
        // Two clips that overlap over [0.4, 0.6]: there both stages blend with the cross-fade's
        // weights, elsewhere one plays alone. Each controller has its own animations and period.
        Ptr<NodeAnimation> walk = CirclePath(10.0f + i % 7, 8, 0.01f * i);
        Ptr<NodeAnimation> run = CirclePath(20.0f + i % 5, 12, -0.02f * i);
        AnimationFrame first;
        first.animation = walk.Get();
        first.start = 0;
        first.end = 0.6;
        AnimationFrame second;
        second.animation = run.Get();
        second.start = 0.4;
        second.end = 1;
        second.mode = AnimationFrame::kPingPong;
        second.scale = 2;
        (void)controller->AddFrame(first);
        (void)controller->AddFrame(second);
        controller->SetTrackPeriod(3.0 + 0.001 * i);
        (void)node->SetController(controller.Get());
        (void)root->AttachChild(node.Get());
    }
    const double frame = 1.0 / 60.0;
    root->UpdateState(frame, true);  // The first frame sizes the stages.
    const uint64_t before = bench::AllocationCount();
    for (auto _ : state)
        root->UpdateState(frame, true);
    const double frames = static_cast<double>(state.iterations());
    state.counters["allocs_per_frame"] = static_cast<double>(bench::AllocationCount() - before) / frames;
    state.counters["per_controller"] = benchmark::Counter(frames * count, benchmark::Counter::kIsRate |
                                                                              benchmark::Counter::kInvert);
    state.counters["controllers"] = count;
}
BENCHMARK(AnimatedSceneUpdate)->Arg(1000)->Unit(benchmark::kMicrosecond);

}  // namespace
