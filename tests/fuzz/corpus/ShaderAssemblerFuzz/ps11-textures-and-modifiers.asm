ps_1_1
def c0, 1.0, 0.5, 0.25, 0
tex t0
tex t1
texcoord t2
tex t3
mul r0, t0, v0
mad_x2 r1, t1_bx2, v1_bias, -r0
add_sat r0.rgb, r0, r1
+mul r0.a, t0.a, c0.b
mul_x4 r1.rgb, 1-r0, t2
mul_d2 r1.a, -t3_bx2.b, c0
sub_x2 r0, r0, -r1_bias
lrp r0, c0.a, r0, r1
cnd r0, r0.a, r1, v0
dp3_sat r1, t0_bx2, v0_bx2
mad_d4 r0.rgb, r1, r1.b, -r1_bx2
+mov r0.a, c0.r
mul_sat r0, r0_x2, v0
dp4 r1, r0, c0
nop
