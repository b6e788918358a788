vs_1_1
dcl_position v0
dcl_color v1
mov r0, v1
mov oD0, r0.zyxw
mov oT0, -r0
mov r1, -c[a0.x + 4]
