ps_2_x
dcl t0
dcl_2d s0
texld r0, t0, s0
dsx r1, r0
dsy r2, r0
mov oC0, r0
