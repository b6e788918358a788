vs_2_0
dcl_position v0
dcl_normal v1
dcl_tangent v2
dcl_texcoord0 v3
dcl_texcoord1 v4
dcl_texcoord2 v5
dcl_blendweight v6
dcl_blendindices v7
max r11, v7, c208.w
min r11, r11, c209
mul r11, r11, c208.y
add r11, r11, c208.x
mova a0.x, r11.x
dp4 r8.x, v0, c[a0.x]
dp4 r8.y, v0, c[a0.x + 1]
dp4 r8.z, v0, c[a0.x + 2]
mul r9.xyz, r8, v6.x
mova a0.x, r11.y
dp4 r8.x, v0, c[a0.x]
dp4 r8.y, v0, c[a0.x + 1]
dp4 r8.z, v0, c[a0.x + 2]
mad r9.xyz, r8, v6.y, r9
mova a0.x, r11.z
dp4 r8.x, v0, c[a0.x]
dp4 r8.y, v0, c[a0.x + 1]
dp4 r8.z, v0, c[a0.x + 2]
mad r9.xyz, r8, v6.z, r9
mova a0.x, r11.w
dp4 r8.x, v0, c[a0.x]
dp4 r8.y, v0, c[a0.x + 1]
dp4 r8.z, v0, c[a0.x + 2]
mad r9.xyz, r8, v6.w, r9
mova a0.x, r11.x
dp3 r8.x, v1, c[a0.x]
dp3 r8.y, v1, c[a0.x + 1]
dp3 r8.z, v1, c[a0.x + 2]
mul r10.xyz, r8, v6.x
mova a0.x, r11.y
dp3 r8.x, v1, c[a0.x]
dp3 r8.y, v1, c[a0.x + 1]
dp3 r8.z, v1, c[a0.x + 2]
mad r10.xyz, r8, v6.y, r10
mova a0.x, r11.z
dp3 r8.x, v1, c[a0.x]
dp3 r8.y, v1, c[a0.x + 1]
dp3 r8.z, v1, c[a0.x + 2]
mad r10.xyz, r8, v6.z, r10
mova a0.x, r11.w
dp3 r8.x, v1, c[a0.x]
dp3 r8.y, v1, c[a0.x + 1]
dp3 r8.z, v1, c[a0.x + 2]
mad r10.xyz, r8, v6.w, r10
mov r9.w, c208.z
nrm r8.xyz, r10
mov r10.xyz, r8
mova a0.x, r11.x
dp3 r8.x, v2, c[a0.x]
dp3 r8.y, v2, c[a0.x + 1]
dp3 r8.z, v2, c[a0.x + 2]
mul r6.xyz, r8, v6.x
mova a0.x, r11.y
dp3 r8.x, v2, c[a0.x]
dp3 r8.y, v2, c[a0.x + 1]
dp3 r8.z, v2, c[a0.x + 2]
mad r6.xyz, r8, v6.y, r6
mova a0.x, r11.z
dp3 r8.x, v2, c[a0.x]
dp3 r8.y, v2, c[a0.x + 1]
dp3 r8.z, v2, c[a0.x + 2]
mad r6.xyz, r8, v6.z, r6
mova a0.x, r11.w
dp3 r8.x, v2, c[a0.x]
dp3 r8.y, v2, c[a0.x + 1]
dp3 r8.z, v2, c[a0.x + 2]
mad r6.xyz, r8, v6.w, r6
nrm r8.xyz, r6
mov r6.xyz, r8
mul r0, r9.x, c0
mad r0, r9.y, c1, r0
mad r0, r9.z, c2, r0
mad oPos, r9.w, c3, r0
mul r1, r9.x, c4
mad r1, r9.y, c5, r1
mad r1, r9.z, c6, r1
mad r1, r9.w, c7, r1
mul r1.x, r1.z, c9.x
exp r1.x, r1.x
mov oFog, r1.x
mov oT0, v3
mov oT1, v4
mov oT4, v5
mul r7.xyz, r10.yzxw, r6.zxyw
mad r7.xyz, -r10.zxyw, r6.yzxw, r7
dp3 oT2.x, r6, c16
dp3 oT2.y, r7, c16
dp3 oT2.z, r10, c16
add r3, c17, -r9
dp3 oT3.x, r6, r3
dp3 oT3.y, r7, r3
dp3 oT3.z, r10, r3
