vs_1_1
dcl_position0 v0
dcl_normal v1
dcl_color v2
dcl_color1 v3
dcl_texcoord v4
dcl_texcoord1 v5.xy
dcl_texcoord7 v6
dcl_tangent v7
dcl_binormal v8
dcl_blendweight v9
dcl_blendindices v10
dcl_psize v11
dcl_fog v12
dcl_depth v13
dcl_positiont v14
mov oPos, v0
mov oPts, v11.x
mov oT7, v6
