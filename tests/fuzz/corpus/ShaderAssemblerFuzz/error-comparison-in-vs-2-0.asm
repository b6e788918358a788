vs_2_0
mov r0, c0
if_gt r0.x, c4.x
mov r0, c1
endif
mov oPos, r0
