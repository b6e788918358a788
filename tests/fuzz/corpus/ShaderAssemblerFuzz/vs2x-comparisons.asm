vs_2_x
dcl_position v0
defi i0, 4, 0, 1, 0
mov r0, v0
rep i0
add r0, r0, c2
break_gt r0.x, c3.x
break_ne r0.y, c3.y
endrep
if_lt r0.x, c4.x
mov r0, c1
endif
if_ge r0.z, c4.w
break
endif
mov oPos, r0
