ps_1_1
texld r0, t0, s0
