#!/usr/bin/env python3
"""model.bin: a hexagonal cone with its points and edges, and a quad strip.

  0x00  text "few faces v1\\n\\0\\0\\0"          16 bytes
  0x10  7 words: the cone's points 0..6           14 bytes
  0x1e  12 words: its spokes 0-1 .. 0-6           24 bytes
  0x36  18 words: its 6 triangles, a fan list     36 bytes
  0x5a  2 zero bytes
  0x5c  7 float records: the tip (0 0 0.5), then the ring x = cos, y = sin of 0, 60 .. 300
        degrees, z = 0                            84 bytes
  0xb0  text "quad"
  0xb4  4 float records: the quad at z = 1       48 bytes
  0xe4  4 dwords: its strip 0 3 1 2               16 bytes
  0xf4  size
"""
import math
import struct
import sys

data = bytearray(b"few faces v1\n\0\0\0")
data += struct.pack("<7H", *range(7))
for k in range(1, 7):
    data += struct.pack("<2H", 0, k)
for k in range(1, 7):
    data += struct.pack("<3H", 0, k, k % 6 + 1)
data += bytes(2)
data += struct.pack("<3f", 0, 0, 0.5)
for k in range(6):
    a = math.radians(60 * k)
    data += struct.pack("<3f", round(math.cos(a), 6), round(math.sin(a), 6), 0)
data += b"quad"
for x, y in ((0.5, -0.5), (-0.5, -0.5), (-0.5, 0.5), (0.5, 0.5)):
    data += struct.pack("<3f", x, y, 1)
data += struct.pack("<4I", 0, 3, 1, 2)
open(sys.argv[1], "wb").write(data)
