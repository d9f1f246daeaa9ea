#!/usr/bin/env python3
"""Draws the program's two 16-colour icons (a page with a sound wave on it) and prints
them as the C++ pixel strings of src/ui/resources/icons.cpp. Palette digits: 0 black,
4 navy, 7 silver, 8 gray, c blue, f white, '.' clear."""
import math


def draw(size):
    g = [['.'] * size for _ in range(size)]
    left, right = size * 5 // 32, size - size * 5 // 32 - 1
    top, bottom = size // 32, size - 1 - size // 32
    fold = max(3, size // 5)
    for y in range(top, bottom + 1):
        for x in range(left, right + 1):
            if x - left + (bottom - y) < 0:
                continue
            if x > right - fold + (y - top):  # cut corner
                continue
            edge = x in (left, right) or y in (top, bottom) or x == right - fold + (y - top)
            g[y][x] = '0' if edge else 'f'
    for i in range(fold):  # the folded flap
        for j in range(i + 1):
            g[top + i][right - fold + j + 1] = '7' if j < i else '8'
    mid = (top + bottom) / 2 + size / 16
    amp = (right - left) * 0.38
    for x in range(left + 2, right - 1):
        t = (x - left - 2) / (right - left - 4)
        env = math.sin(math.pi * t) * (0.35 + 0.65 * abs(math.sin(3 * math.pi * t)))
        h = int(round(env * amp * abs(math.sin(5 * math.pi * t) + 0.35)))
        for y in range(int(mid) - h, int(mid) + h + 1):
            if top < y < bottom:
                g[y][x] = 'c' if abs(y - mid) < h - 0.5 else '4'
    return [''.join(r) for r in g]


for size in (32, 16):
    print(f'// {size} x {size}')
    for row in draw(size):
        print(f'    "{row}"')
