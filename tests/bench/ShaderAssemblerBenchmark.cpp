// Shader assembly: the time to assemble a typical effect's programs (a vs_1_1 transform with
// fog and a ps.1.1 texture blend, a vs_2_0 lit and skinned program and a ps_2_0 normal-map
// program), as the renderer does once per program text and device.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

#include "engine/render/ShaderAssembler.h"

namespace {

constexpr const char* kVertex11 =
    "vs_1_1\n"
    "dcl_position v0\n"
    "dcl_texcoord0 v1\n"
    "mul r0, v0.x, c0\n"
    "mad r0, v0.y, c1, r0\n"
    "mad r0, v0.z, c2, r0\n"
    "mad oPos, v0.w, c3, r0\n"
    "mul r1, v0.x, c4\n"
    "mad r1, v0.y, c5, r1\n"
    "mad r1, v0.z, c6, r1\n"
    "mad r1, v0.w, c7, r1\n"
    "mul r1.x, r1.z, c9.x\n"
    "exp r1.x, r1.x\n"
    "mov oFog, r1.x\n"
    "mov oD0, c8\n"
    "mov oT0.xy, v1\n";

constexpr const char* kPixel11 =
    "ps.1.1\n"
    "tex t0\n"
    "tex t1\n"
    "mul r0, t0, v0\n"
    "mad_sat r0.rgb, t1_bx2, c0, r0\n"
    "+mov r0.a, t0.a\n";

constexpr const char* kVertex20 =
    "vs_2_0\n"
    "def c95, 3, 1, 0, 0.5\n"
    "dcl_position v0\n"
    "dcl_normal v1\n"
    "dcl_blendindices v2\n"
    "dcl_texcoord0 v3\n"
    "mul r0.x, v2.x, c95.x\n"
    "mova a0.x, r0.x\n"
    "dp4 r1.x, v0, c[a0.x + 20]\n"
    "dp4 r1.y, v0, c[a0.x + 21]\n"
    "dp4 r1.z, v0, c[a0.x + 22]\n"
    "mov r1.w, c95.y\n"
    "m4x4 oPos, r1, c0\n"
    "m3x3 r2.xyz, v1, c[a0.x + 20]\n"
    "nrm r3.xyz, r2\n"
    "dp3 r4.x, r3, -c10\n"
    "max r4.x, r4.x, c95.z\n"
    "mad oD0, r4.x, c11, c12\n"
    "mov oT0.xy, v3\n";

constexpr const char* kPixel20 =
    "ps_2_0\n"
    "dcl_2d s0\n"
    "dcl_2d s1\n"
    "def c1, 1.000000, 0.500000, 0.000000, 0.000000\n"
    "dcl t0.xy\n"
    "dcl t1.xyz\n"
    "texld r0, t0, s0\n"
    "texld r1, t0, s1\n"
    "mad r1.xyz, r1, c1.x, -c1.y\n"
    "nrm r2.xyz, t1\n"
    "dp3_sat r3.x, r1, r2\n"
    "mul r0.xyz, r0, r3.x\n"
    "mov oC0, r0\n";

void ShaderAssemblerEffectPrograms(benchmark::State& state)
{
    const std::string programs[] = {kVertex11, kPixel11, kVertex20, kPixel20};
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
    state.SetItemsProcessed(state.iterations() * 4);
}
BENCHMARK(ShaderAssemblerEffectPrograms);

}  // namespace
