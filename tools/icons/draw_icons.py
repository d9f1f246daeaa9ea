#!/usr/bin/env python3
"""Draws the program's two 16-colour icons (a page with a sound wave on it) and prints
them as the C++ pixel strings of src/ui/resources/icons.cpp. Palette digits: 0 black,
4 navy, 7 silver, 8 gray, c blue, f white, '.' clear.

With --hicolor DIR it writes the desktop's icons instead: DIR/<n>x<n>/apps/NAME.png for
the usual theme sizes and DIR/scalable/apps/NAME.svg. The 16 and 32 pixel images are the
program's own (read from icons.cpp with --from, so the launcher shows exactly what the
window shows); the larger ones are the same design drawn at 48 and 64 pixels, and 64
scaled up by whole pixels so the lines keep their weight.
With --check ICONS_CPP it exits 1 when icons.cpp no longer holds what this script draws."""
import argparse
import math
import os
import re
import struct
import sys
import zlib

PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
SIZES = (16, 32, 48, 64, 128, 256)


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


def icons_from_cpp(path):
    """The pixel strings of icons.cpp, by size: {32: [rows], 16: [rows]}."""
    text = open(path, encoding='utf-8').read()
    found = {}
    for name in ('BigIcon', 'SmallIcon'):
        m = re.search(r'const char %s\[\] =((?:\s*"[^"]*")+)\s*;' % name, text)
        if not m:
            sys.exit(f'draw_icons.py: no {name} in {path}')
        rows = re.findall(r'"([^"]*)"', m.group(1))
        if not rows or any(len(r) != len(rows) for r in rows):
            sys.exit(f'draw_icons.py: {name} in {path} is not square')
        found[len(rows)] = rows
    return found


def scaled(rows, factor):
    return [''.join(c * factor for c in row) for row in rows for _ in range(factor)]


def png(rows):
    """An RGBA PNG of the pixel rows; '.' is transparent."""
    raw = bytearray()
    for row in rows:
        raw.append(0)  # filter: none
        for c in row:
            raw.extend((0, 0, 0, 0) if c == '.' else PALETTE[int(c, 16)] + (255,))

    def chunk(kind, data):
        return (struct.pack('>I', len(data)) + kind + data +
                struct.pack('>I', zlib.crc32(kind + data) & 0xffffffff))

    header = struct.pack('>IIBBBBB', len(rows[0]), len(rows), 8, 6, 0, 0, 0)
    return (b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', header) +
            chunk(b'IDAT', zlib.compress(bytes(raw), 9)) + chunk(b'IEND', b''))


def svg(rows):
    """One square per run of equal pixels, drawn edge to edge so it stays crisp."""
    n = len(rows)
    out = [f'<svg xmlns="http://www.w3.org/2000/svg" width="{n}" height="{n}" '
           f'viewBox="0 0 {n} {n}" shape-rendering="crispEdges">']
    for y, row in enumerate(rows):
        x = 0
        while x < n:
            c = row[x]
            end = x
            while end < n and row[end] == c:
                end += 1
            if c != '.':
                r, g, b = PALETTE[int(c, 16)]
                out.append(f'<rect x="{x}" y="{y}" width="{end - x}" height="1" '
                           f'fill="#{r:02x}{g:02x}{b:02x}"/>')
            x = end
    out.append('</svg>')
    return '\n'.join(out) + '\n'


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, 'wb') as f:
        f.write(data)


def hicolor(directory, name, own):
    images = {16: own[16], 32: own[32], 48: draw(48), 64: draw(64),
              128: scaled(draw(64), 2), 256: scaled(draw(64), 4)}
    for size in SIZES:
        write(os.path.join(directory, f'{size}x{size}', 'apps', name + '.png'), png(images[size]))
    write(os.path.join(directory, 'scalable', 'apps', name + '.svg'), svg(draw(64)).encode())


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument('--hicolor', metavar='DIR')
    parser.add_argument('--name', default='salvorin')
    parser.add_argument('--from', dest='source', metavar='ICONS_CPP')
    parser.add_argument('--check', metavar='ICONS_CPP')
    args = parser.parse_args()
    if args.check:
        own = icons_from_cpp(args.check)
        stale = [s for s in (32, 16) if own[s] != draw(s)]
        if stale:
            sys.exit(f'draw_icons.py: {args.check} differs from the drawing at {stale}')
        return
    if args.hicolor:
        own = icons_from_cpp(args.source) if args.source else {s: draw(s) for s in (16, 32)}
        hicolor(args.hicolor, args.name, own)
        return
    for size in (32, 16):
        print(f'// {size} x {size}')
        for row in draw(size):
            print(f'    "{row}"')


if __name__ == '__main__':
    main()
