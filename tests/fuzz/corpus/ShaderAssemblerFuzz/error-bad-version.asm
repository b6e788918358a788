vs_4_0
mov oPos, v0
