vs_1_1
dcl_position v0
mul r0, v0.x, c0
mad r0, v0.y, c1, r0
mad r0, v0.z, c2, r0
mad oPos, v0.w, c3, r0
mul r1.x, r1.z, c9.x
exp r1.x, r1.x
mov oFog, r1.x
mov oD0, c8
