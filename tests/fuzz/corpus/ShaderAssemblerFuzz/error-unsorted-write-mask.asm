vs_1_1
dcl_position v0
mov oPos.yx, v0
