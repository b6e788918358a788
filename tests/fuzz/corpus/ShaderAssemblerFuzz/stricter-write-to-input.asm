vs_1_1
dcl_position v0
mov v0, c0
