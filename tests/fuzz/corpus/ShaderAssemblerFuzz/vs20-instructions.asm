vs_2_0
dcl_position v0
dcl_texcoord0 v1
dcl_texcoord3 v2
defi i0, 3, 0, 1, 0
defb b0, true
defb b1, false
def c20, 0.5, -1.25, 3, 4
mova a0.x, v1.x
mova a0.xy, v1
mov r0, c[a0.x + 20]
mov r1, c[a0.y + 2]
add r1, r1, c[a0.w]
abs r2, -r1
nrm r3, r2
pow r4.x, r3.x, c20.y
crs r5.xyz, r3, r4
sincos r6.xy, r0.x, c0, c1
sgn r7, r0, r1, r2
lrp r8, c20.x, r0, r1
mov oPos, v0
mov oD0, r8
mov oT0, v1
mov oT1.xy, v2
mov oFog, r0.x
mov oPts, r0.y
