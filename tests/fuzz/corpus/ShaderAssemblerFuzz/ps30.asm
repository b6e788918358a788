ps_3_0
dcl_texcoord0 v0
dcl_2d s0
texld r0, v0, s0
mov r1, r0_abs
mov oC0, r1
