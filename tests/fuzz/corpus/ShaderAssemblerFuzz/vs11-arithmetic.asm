vs_1_1
dcl_position v0
def c10, 1, -0.5, 0.25, 25.0
add r0, v0, c10
sub r1.xy, r0.zwzw, -c1
mad r2.xz, r1.yyyy, c2.wzyx, r0
dp3 r3.x, r0, r1
dp4 r3.y, r0, r2
rcp r3.z, r3.x
rsq r3.w, r3.y
min r4, r0, r1
max r4.w, r0, r1
slt r5, r0, c0
sge r5.yzw, r0, c0.xxzz
expp r6, r0.x
logp r6.z, r0.w
log r7, r0.y
lit r8, r0
dst r9, r0, r1
frc r10.xy, r0
m4x4 oPos, v0, c0
m4x3 r11.xyz, v0, c4
m3x4 r11, v0, c4
m3x3 r11.xyz, v0, c4
m3x2 r11.xy, v0, c4
mov oD1.xyz, r11
mov oT0.xy, r1.zw
mov oT1, r1.rgba
nop
