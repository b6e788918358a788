ps.1.1
mov r0, v0
