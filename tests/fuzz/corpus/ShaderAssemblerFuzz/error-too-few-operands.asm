ps_2_0
dcl t0
add r0, t0
