ps_2_0
dcl_2d s0
dcl_cube s1
dcl_volume s2
def c1, 1.000000, 0.500000, 0.000000, 0.000000
dcl t0.xyz
dcl t1.xy
dcl t2
dcl v0
dcl v1.rgb
texld r3, t0, s2
mov r1.w, r3
texld r3, t1, s0
texldp r4, t2, s1
texldb r5, t2, s0
add r0.x, r1.w, -r3.w
mul r1.x, r0, c0
dp3 r0.x, r1, r1
rsq r0.x, r0.x
mul r0.xyz, r0.x, r1
mad_sat r1.xyz, r0, c1.y, c1.y
mad_pp r2, r4, v0, v1
mov oC0, r1
