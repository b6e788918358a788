#pragma once

// Lines the water programs share (ps_2_0), spliced into their texts. The water is flat and
// level in its model space, so the normal map's tangent frame is fixed: u along +x, v along +z,
// the map's z up (+y); no tangents are needed. Constants the pieces read: c7 (0, 1, 2, -1),
// c9 (distortion, Fresnel R0, 1 - R0, clarity), c10 (0.5, -0.5, 0, 0).

// The summed or single normal-map texel(s) in r1 (already x 2 - 1) carried into model space
// and normalised into r4 (uses r8).
#define ZEN_WATER_NORMAL_TO_MODEL \
    "mov r4.x, r1.x\n"            \
    "mov r4.y, r1.z\n"            \
    "mov r4.z, r1.y\n"            \
    "nrm r8.xyz, r4\n"            \
    "mov r4.xyz, r8\n"

// Fresnel reflectance (Schlick) into r5.w from the unit normal r4 and the unit vector to the
// eye r3: R0 + (1 - R0) (1 - N.V)^5; r5.x keeps N.V (clamped to 0-1).
#define ZEN_WATER_FRESNEL      \
    "dp3_sat r5.x, r4, r3\n"   \
    "add r5.y, c7.y, -r5.x\n"  \
    "mul r5.z, r5.y, r5.y\n"   \
    "mul r5.z, r5.z, r5.z\n"   \
    "mul r5.z, r5.z, r5.y\n"   \
    "mad r5.w, r5.z, c9.z, c9.y\n"

// The screen position of the pixel (the clip position in t2, divided here) as texture
// coordinates of a picture drawn from the same camera, into r6.xy; the normal's tilt (its model
// x and z) in r8.xy, for shifting the lookups by the distortion.
#define ZEN_WATER_SCREEN     \
    "rcp r6.w, t2.w\n"       \
    "mul r6.xy, t2, r6.w\n"  \
    "mad r6.xy, r6, c10, c10.x\n" \
    "mov r8.x, r4.x\n"       \
    "mov r8.y, r4.z\n"

// vs_1_1: the clip position (r0 from ZEN_LIT_POSITION_FOG) completed into r2 and divided per
// vertex into screen texture coordinates in r3.xy; c21 must hold (1, 0, 0.5, -0.5). Exact for
// the vertices, and close between them on a surface tessellated finely against its depth.
#define ZEN_WATER_SCREEN_VERTEX \
    "mad r2, v0.w, c3, r0\n"    \
    "rcp r3.w, r2.w\n"          \
    "mul r3.xy, r2, r3.w\n"     \
    "mad r3.xy, r3, c21.zwzw, c21.zzzz\n"

// vs_1_1: Fresnel per vertex into oD0.w from the cosine in r5.x (clamped here); c20 holds
// (R0, 1 - R0), c21 (1, 0, ...). Uses r5.
#define ZEN_WATER_FRESNEL_VERTEX \
    "max r5.x, r5.x, c21.y\n"    \
    "min r5.x, r5.x, c21.x\n"    \
    "add r5.y, c21.x, -r5.x\n"   \
    "mul r5.z, r5.y, r5.y\n"     \
    "mul r5.z, r5.z, r5.z\n"     \
    "mul r5.z, r5.z, r5.y\n"     \
    "mad oD0.w, r5.z, c20.y, c20.x\n"
