vs_1_1
dcl_position v0
mvo oPos, v0
