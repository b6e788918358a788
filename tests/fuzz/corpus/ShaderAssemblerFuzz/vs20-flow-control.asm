vs_2_0
dcl_position v0
defi i0, 4, 0, 1, 0
defb b0, true
mov r0, c0
rep i0
add r0, r0, c1
endrep
loop aL, i0
add r0, r0, c[aL + 2]
endloop
if b0
mul r0, r0, c2
else
mul r0, r0, c3
endif
call l0
callnz l1, b0
mov oPos, r0
ret
label l0
mov r1, c5
ret
label l1
ret
