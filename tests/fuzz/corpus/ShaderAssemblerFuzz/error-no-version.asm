mov oPos, v0
