vs_1_1
mov oPos, q0
