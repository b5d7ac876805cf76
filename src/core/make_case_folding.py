#!/usr/bin/env python3
# Writes the runs of case_folding.cpp from the Unicode data of Python's unicodedata:
# the simple folded form of a character is its full folded form when that is one
# character, else its lower-case form when that is one character.
def simple_fold(c):
    ch = chr(c)
    f = ch.casefold()
    if len(f) == 1: return ord(f)
    l = ch.lower()
    if len(l) == 1: return ord(l)
    return c
pairs = []
for c in range(0x110000):
    if 0xD800 <= c <= 0xDFFF: continue
    f = simple_fold(c)
    if f != c: pairs.append((c, f - c))
# runs: same delta, constant stride (1 or 2)
runs = []
i = 0
while i < len(pairs):
    c, d = pairs[i]
    j = i + 1
    stride = None
    while j < len(pairs):
        nc, nd = pairs[j]
        s = nc - pairs[j-1][0]
        if nd != d or s not in (1, 2): break
        if stride is None: stride = s
        elif s != stride: break
        j += 1
    runs.append((c, pairs[j-1][0], stride or 1, d))
    i = j
for r in runs:
    print("    {0x%04X, 0x%04X, %d, %d}," % r)
