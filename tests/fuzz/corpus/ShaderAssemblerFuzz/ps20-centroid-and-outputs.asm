ps_2_0
dcl_centroid t0
dcl_2d s0
texld_pp r0, t0, s0
mov_sat_pp oC0, r0
mov oC1, r0.wzyx
