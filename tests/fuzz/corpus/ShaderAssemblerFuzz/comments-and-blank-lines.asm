// a leading comment
vs_1_1 ; the version

/* a block
   comment */ dcl_position v0
mov oPos, v0 // trailing
