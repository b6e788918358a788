#pragma once

// Lines of the skinning vertex programs (vs_2_0), spliced into the skinned variants of the lit
// effects' programs. The palette and its information registers are SkinPalette's: c208 =
// (first palette register, 3, 1, 0), c209 the largest bone index; bone i's matrix columns
// 0-2 from the first register + 3i. The bind-pose position is v0, the normal v1.

// r11 = the palette register of each of the four bones: the indices in `indices` clamped to
// the bones, times 3, plus the first register.
#define ZEN_SKIN_REGISTERS(indices)      \
    "max r11, " indices ", c208.w\n"     \
    "min r11, r11, c209\n"               \
    "mul r11, r11, c208.y\n"             \
    "add r11, r11, c208.x\n"

// The whole blend: r9 the world position (w 1), r10 the world normal (unit). Weights are used
// as they are, the first one always. Uses r8 and r11.
#define ZEN_SKIN(weights, indices)              \
    ZEN_SKIN_REGISTERS(indices)                 \
    ZEN_SKIN_BLEND(weights, "v0", "dp4", "r9")  \
    ZEN_SKIN_BLEND(weights, "v1", "dp3", "r10") \
    "mov r9.w, c208.z\n"                        \
    "nrm r8.xyz, r10\n"                         \
    "mov r10.xyz, r8\n"

// `input` through the four bones (`dp` dp4 for a position, dp3 for a direction), weighted,
// into `out`.xyz. Uses r8.
#define ZEN_SKIN_BLEND(weights, input, dp, out)  \
    ZEN_SKIN_TERM(weights, input, dp, "x", "mul " out ".xyz, r8, " weights ".x\n") \
    ZEN_SKIN_TERM(weights, input, dp, "y", "mad " out ".xyz, r8, " weights ".y, " out "\n") \
    ZEN_SKIN_TERM(weights, input, dp, "z", "mad " out ".xyz, r8, " weights ".z, " out "\n") \
    ZEN_SKIN_TERM(weights, input, dp, "w", "mad " out ".xyz, r8, " weights ".w, " out "\n")

#define ZEN_SKIN_TERM(weights, input, dp, k, accumulate) \
    "mova a0.x, r11." k "\n"                             \
    dp " r8.x, " input ", c[a0.x]\n"                     \
    dp " r8.y, " input ", c[a0.x + 1]\n"                 \
    dp " r8.z, " input ", c[a0.x + 2]\n"                 \
    accumulate

// The tangent in `tangent` turned by the bones into r6 (unit; after ZEN_SKIN). Uses r8.
#define ZEN_SKIN_TANGENT(weights, tangent)          \
    ZEN_SKIN_BLEND(weights, tangent, "dp3", "r6")   \
    "nrm r8.xyz, r6\n"                              \
    "mov r6.xyz, r8\n"

// Clip position from c0-c3 and the fog factor 2^(view depth x c9.x) from c4-c7, for the world
// position in r9 (c0-c7 hold view x projection and view on skinned draws).
#define ZEN_SKIN_POSITION_FOG    \
    "mul r0, r9.x, c0\n"         \
    "mad r0, r9.y, c1, r0\n"     \
    "mad r0, r9.z, c2, r0\n"     \
    "mad oPos, r9.w, c3, r0\n"   \
    "mul r1, r9.x, c4\n"         \
    "mad r1, r9.y, c5, r1\n"     \
    "mad r1, r9.z, c6, r1\n"     \
    "mad r1, r9.w, c7, r1\n"     \
    "mul r1.x, r1.z, c9.x\n"     \
    "exp r1.x, r1.x\n"           \
    "mov oFog, r1.x\n"
