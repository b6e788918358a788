vs_3_0
dcl_position v0
dcl_texcoord0 v1
mov r0, v0
sincos r1.xy, r0.x
mov r2, c[a0.x + 1]
