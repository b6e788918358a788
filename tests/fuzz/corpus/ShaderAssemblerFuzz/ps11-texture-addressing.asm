ps.1.1
tex t0
texbem t1, t0
texbeml t2, t0
texkill t3
mul r0, t1, t2
