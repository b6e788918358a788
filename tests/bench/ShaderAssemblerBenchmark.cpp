// Shader assembly: the time to assemble every program the effect catalogue carries (vs_1_1,
// ps.1.1, vs_2_0 and ps_2_0 texts alike), as the renderer does once per program text and device
// on its first frames.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "engine/core/Engine.h"
#include "engine/render/ShaderAssembler.h"
#include "engine/scene/ShaderCatalog.h"

namespace {

void ShaderAssemblerEffectPrograms(benchmark::State& state)
{
    std::vector<std::string> programs;
    if (zen::EngineInitialize() == zen::kSuccess) {
        zen::Array<zen::ShaderCatalog::Program> catalogue(64, 64);
        if (zen::ShaderCatalog::Collect(catalogue) == zen::kSuccess)
            for (uint32_t i = 0; i < catalogue.Count(); ++i)
                programs.emplace_back(catalogue[i].source.CStr(), catalogue[i].source.Length());
    }
    (void)zen::EngineShutdown();
    if (programs.empty()) {
        state.SkipWithError("the effect catalogue's programs could not be collected");
        return;
    }
    std::vector<uint32_t> tokens;
    std::string message;
    size_t bytes = 0;
    for (auto _ : state) {
        for (const std::string& program : programs) {
            if (zen::ShaderAssembler::Assemble(program, tokens, message) != zen::kSuccess) {
                state.SkipWithError(message.c_str());
                return;
            }
            benchmark::DoNotOptimize(tokens.data());
            bytes += program.size();
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(bytes));
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(programs.size()));
    state.counters["programs"] = static_cast<double>(programs.size());
}
BENCHMARK(ShaderAssemblerEffectPrograms);

}  // namespace
