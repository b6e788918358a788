ps.1.1
tex t0
tex t1
texcoord t2
dp3_sat r1, t1_bx2, v0_bx2
mad r1, r1, c0, c1
add r1.rgb, r1, v1
mul r0, t0, r1
add r0.rgb, r0, t2
