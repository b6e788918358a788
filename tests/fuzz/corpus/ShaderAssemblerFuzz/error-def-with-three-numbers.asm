ps_2_0
def c0, 1, 2, 3
