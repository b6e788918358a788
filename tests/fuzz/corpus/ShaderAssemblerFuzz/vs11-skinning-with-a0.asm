vs_1_1
dcl_position v0
dcl_blendindices v1
dcl_normal v2
mov a0.x, v1.x
dp4 r0.x, v0, c[a0.x + 10]
dp4 r0.y, v0, c[a0.x + 11]
dp4 r0.z, v0, c[12 + a0.x]
mov r0.w, c[a0.x]
mov r1, c4[a0.x]
m4x4 oPos, r0, c0
mov oD0, r1
