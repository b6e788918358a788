ps_1_4
texcrd r0.rgb, t0
texdepth r5
mov r0, r0
