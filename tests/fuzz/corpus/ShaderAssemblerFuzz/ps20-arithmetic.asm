ps_2_0
dcl t0
def c5, -1, 2, 3, 0.125
abs r0, t0
add r1, r0, -c5
mul r2.w, -r1.x, c5
cmp r3, r2, r1, c5
dp2add r4.x, r0, r1, c5.x
exp r5, r0.x
log r5.y, r0.z
frc r6, r0
min r7, r0, r1
max r7.xy, r0, r1
nrm r8, r0
pow r9, r0.x, c5.y
rcp r9.z, r0.w
lrp r10, c5.w, r0, r1
crs r11.xyz, r0, r1
m4x4 r13, r0, c0
m3x3 r13.xyz, r0, c0
texkill t0
texkill r0
mov oC0, r10
mov oDepth, r0.x
