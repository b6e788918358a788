// The renderer's per-frame bookkeeping: a frame's blended geometry queued, sorted back to front
// and emptied (the queue keeps its capacity from frame to frame, so after the first frame no
// allocation happens). Per-entry costs are the "per_entry" counter (ns).
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "engine/core/Ptr.h"
#include "engine/render/DeferredQueue.h"
#include "engine/scene/Triangles.h"

namespace {

using namespace zen;

void SetPerEntry(benchmark::State& state, uint32_t entries)
{
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * entries);
    state.counters["per_entry"] = benchmark::Counter(static_cast<double>(state.iterations()) * entries,
                                                     benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// Fill, sort and empty the queue as a frame does; the distances change every frame.
void DeferredQueueFrame(benchmark::State& state)
{
    const auto count = static_cast<uint32_t>(state.range(0));
    std::vector<Ptr<Triangles>> nodes;
    for (uint32_t i = 0; i < count; ++i)
        nodes.emplace_back(new Triangles());
    std::mt19937 random(7);
    std::uniform_real_distribution<float> distance(0.0f, 1.0e6f);
    std::vector<float> distances(count * 16);
    for (float& value : distances)
        value = distance(random);
    DeferredQueue queue;
    uint32_t frame = 0;
    for (auto _ : state) {
        const float* frameDistances = &distances[(frame++ % 16) * count];
        for (uint32_t i = 0; i < count; ++i)
            (void)queue.Add(nodes[i].Get(), frameDistances[i]);
        queue.SortBackToFront();
        benchmark::DoNotOptimize(queue[0].node);
        queue.Clear();
    }
    SetPerEntry(state, count);
}
BENCHMARK(DeferredQueueFrame)->Arg(64)->Arg(1000)->Arg(10000);

}  // namespace
