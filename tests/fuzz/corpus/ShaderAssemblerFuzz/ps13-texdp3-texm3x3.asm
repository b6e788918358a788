ps_1_3
tex t0
texdp3 t1, t0
texm3x3pad t2, t0
texm3x3pad t3, t0
cmp r0, t1, t0, v0
