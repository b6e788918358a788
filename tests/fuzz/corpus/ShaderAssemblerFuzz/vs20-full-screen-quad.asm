vs_2_0
def c3, 1, 0, 0, 0
def c2, 0, 1, 0.5, 0
dcl_position v0
	mov oPos.xy, v0.xyyy
	mov oPos.zw, c2.yyxy
	add r0.x, c2.y, v0.x
	add r0.y, c2.y, -v0.y
	mul r0.zw, c2.z, r0.xxxy
	mov oT0.xy, r0.zwww
	mov oT0.z, c0.x
	mov r0.xy, c3
	mad oT1.xy, r0.xy, c1.xy, r0.zw
	mov oT1.z, c0.x
	mad oT2.xy, r0.yx, c1.xy, r0.zw
	mov oT2.z, c0.x
