#pragma once

// Lines the lit effects' programs share, spliced into their texts (see EffectLighting for the
// constants they read). Register use is fixed so the pieces combine: in the vertex programs v0
// is the position and v1 the normal; r0-r1 belong to the position and fog, r2-r11 to lighting.

// Clip position from c0-c3; fog factor 2^(view depth x c9.x) from c4-c7.
#define ZEN_LIT_POSITION_FOG \
    "mul r0, v0.x, c0\n"     \
    "mad r0, v0.y, c1, r0\n" \
    "mad r0, v0.z, c2, r0\n" \
    "mad oPos, v0.w, c3, r0\n" \
    "mul r1, v0.x, c4\n"     \
    "mad r1, v0.y, c5, r1\n" \
    "mad r1, v0.z, c6, r1\n" \
    "mad r1, v0.w, c7, r1\n" \
    "mul r1.x, r1.z, c9.x\n" \
    "exp r1.x, r1.x\n"       \
    "mov oFog, r1.x\n"

// Per-vertex light of the directional light: r2 unit vector to the eye, r3 half vector, r5 the
// lit() result (y diffuse factor, z specular factor); r6 the diffuse colour so far
// (ambient + diffuse, alpha from c8), r11 the specular colour so far.
#define ZEN_LIT_VERTEX_1DL     \
    "add r2, c17, -v0\n"       \
    "dp3 r2.w, r2, r2\n"       \
    "rsq r2.w, r2.w\n"         \
    "mul r2.xyz, r2, r2.w\n"   \
    "add r3.xyz, r2, c16\n"    \
    "dp3 r3.w, r3, r3\n"       \
    "rsq r3.w, r3.w\n"         \
    "mul r3.xyz, r3, r3.w\n"   \
    "dp3 r4.x, v1, c16\n"      \
    "dp3 r4.y, v1, r3\n"       \
    "mov r4.w, c12.x\n"        \
    "lit r5, r4\n"             \
    "mad r6.xyz, r5.y, c8, c10\n" \
    "mov r6.w, c8.w\n"         \
    "mad r11, r5.z, c13, c11\n"

// Adds the point light to r6 and r11 (after ZEN_LIT_VERTEX_1DL): r7 unit vector to the lamp,
// r8.x its attenuation 1 / (a0 + a1 d + a2 d^2), r9 half vector, r10 its lit() result.
#define ZEN_LIT_VERTEX_1PL     \
    "add r7, c18, -v0\n"       \
    "dp3 r7.w, r7, r7\n"       \
    "rsq r8.w, r7.w\n"         \
    "mul r7.xyz, r7, r8.w\n"   \
    "dst r8, r7.wwww, r8.wwww\n" \
    "dp3 r8.x, r8, c19\n"      \
    "rcp r8.x, r8.x\n"         \
    "add r9.xyz, r2, r7\n"     \
    "dp3 r9.w, r9, r9\n"       \
    "rsq r9.w, r9.w\n"         \
    "mul r9.xyz, r9, r9.w\n"   \
    "dp3 r10.x, v1, r7\n"      \
    "dp3 r10.y, v1, r9\n"      \
    "mov r10.w, c12.x\n"       \
    "lit r10, r10\n"           \
    "mul r10.yz, r10, r8.x\n"  \
    "mad r6.xyz, r10.y, c14, r6\n" \
    "mad r11, r10.z, c15, r11\n"

// The per-vertex result to the colour outputs: diffuse (with alpha) and specular.
#define ZEN_LIT_VERTEX_OUT \
    "mov oD0, r6\n"        \
    "mov oD1, r11\n"

// Per-pixel light (ps_2_0): from a unit normal in r1, the vector to the light in r2 (unit) and
// to the eye in r3 (any length), the texture colour in r0: r4 = ambient + diffuse x N.L, times
// the texture, plus the specular term where N.L > 0. c7 must hold (0, 1, 2, -1). Uses r5-r6.
#define ZEN_LIT_PIXEL_1DL        \
    "nrm r5.xyz, r3\n"           \
    "add r5.xyz, r5, r2\n"       \
    "nrm r6.xyz, r5\n"           \
    "dp3_sat r5.x, r1, r2\n"     \
    "dp3_sat r5.y, r1, r6\n"     \
    "pow r5.z, r5.y, c2.x\n"     \
    "cmp r5.z, -r5.x, c7.x, r5.z\n" \
    "mad r4.xyz, r5.x, c0, c1\n" \
    "mul r4.xyz, r4, r0\n"       \
    "mad r4.xyz, r5.z, c3, r4\n" \
    "mul r4.w, r0.w, c0.w\n"

// Adds the point light per pixel (after ZEN_LIT_PIXEL_1DL): r7 holds the vector to the lamp
// (any length), c6 its attenuation. Uses r8-r10.
#define ZEN_LIT_PIXEL_1PL        \
    "dp3 r8.x, r7, r7\n"         \
    "rsq r8.y, r8.x\n"           \
    "mul r7.xyz, r7, r8.y\n"     \
    "rcp r8.y, r8.y\n"           \
    "mov r8.z, r8.x\n"           \
    "mov r8.x, c7.y\n"           \
    "dp3 r8.x, r8, c6\n"         \
    "rcp r8.x, r8.x\n"           \
    "nrm r9.xyz, r3\n"           \
    "add r9.xyz, r9, r7\n"       \
    "nrm r10.xyz, r9\n"          \
    "dp3_sat r9.x, r1, r7\n"     \
    "dp3_sat r9.y, r1, r10\n"    \
    "pow r9.z, r9.y, c2.x\n"     \
    "cmp r9.z, -r9.x, c7.x, r9.z\n" \
    "mul r9.xz, r9, r8.x\n"      \
    "mul r10.xyz, r9.x, c4\n"    \
    "mad r4.xyz, r10, r0, r4\n"  \
    "mad r4.xyz, r9.z, c5, r4\n"

// Binormal B = N x T into r7 (vs_1_1 and vs_2_0), from the normal in v1 and the tangent in the
// register named.
#define ZEN_BINORMAL(tangent)                     \
    "mul r7.xyz, v1.yzxw, " tangent ".zxyw\n"     \
    "mad r7.xyz, -v1.zxyw, " tangent ".yzxw, r7\n"

// The model-space vector in `from` carried into tangent space (T, B = r7, N = v1) and written
// to `to`.
#define ZEN_TO_TANGENT(to, from, tangent)          \
    "dp3 " to ".x, " tangent ", " from "\n"        \
    "dp3 " to ".y, r7, " from "\n"                 \
    "dp3 " to ".z, v1, " from "\n"

// The normal-map texel in r1 unpacked (x 2 - 1) and normalised into r1 (ps_2_0; c7 must hold
// (0, 1, 2, -1)).
#define ZEN_UNPACK_NORMAL         \
    "mad r1.xyz, r1, c7.z, c7.w\n" \
    "nrm r5.xyz, r1\n"            \
    "mov r1.xyz, r5\n"
