#!/usr/bin/env python3
"""model.bin: a 3 x 3 grid of quads as 18 triangles.

  0x00  text "grid model v1\\n\\0\\0"          16 bytes
  0x10  54 words: the triangles, two per cell  108 bytes
  0x7c  4 zero bytes
  0x80  16 float records of 12 bytes: x = column, y = row, z = row * column / 8
  0x140 size
"""
import struct
import sys

data = bytearray(b"grid model v1\n\0\0")
for i in range(3):
    for j in range(3):
        a = i * 4 + j
        data += struct.pack("<6H", a, a + 1, a + 4, a + 1, a + 5, a + 4)
data += bytes(4)
for i in range(4):
    for j in range(4):
        data += struct.pack("<3f", j, i, i * j / 8)
open(sys.argv[1], "wb").write(data)
