ps_1_4
def c0, 1, 0.5, 0, 1
texld r0, t0
texcrd r1.xyz, t1
texld r2, r1
phase
texld r3, r0
mul r0, r0, r3
bem r4.xy, r0, r1
add r0, r0, v0
