ps_1_1
tex t0
texreg2ar t1, t0
texreg2gb t2, t0
add r0, t1, t2
