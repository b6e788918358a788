ps_2_0
def c7, 0, 1, 2, -1
dcl t0.xy
dcl t1.xy
dcl t2.xyz
dcl t3.xyz
dcl t4.xyz
dcl_2d s0
dcl_2d s1
texld r0, t0, s0
texld r8, t1, s1
nrm r1.xyz, t2
mov r2.xyz, t3
mov r3.xyz, t4
nrm r5.xyz, r3
add r5.xyz, r5, r2
nrm r6.xyz, r5
dp3_sat r5.x, r1, r2
dp3_sat r5.y, r1, r6
pow r5.z, r5.y, c2.x
cmp r5.z, -r5.x, c7.x, r5.z
mad r4.xyz, r5.x, c0, c1
mul r4.xyz, r4, r0
mad r4.xyz, r5.z, c3, r4
mul r4.w, r0.w, c0.w
mul r9.xyz, r5.z, c3
add r8.x, r8.x, c7.w
mad r4.xyz, r9, r8.x, r4
mov oC0, r4
