"""A quad of two triangles, in two layouts, written to the path given:
  0x00 Word indices 0 1 2 0 2 3
  0x10 four Float records of 20 bytes: position, UV at 12
  0x60 packed ShortAll positions (1/256 units)   0x78 packed word UVs
"""
import struct
import sys

b = struct.pack('<6H', 0, 1, 2, 0, 2, 3) + b'\0' * 4
for p, t in (((0, 0, 0), (0, 0)), ((1, 0, 0), (1, 0)), ((1, 1, 0), (1, 1)), ((0, 1, 0), (0, 1))):
    b += struct.pack('<5f', *p, *t)
b += struct.pack('<12h', 0, 0, 0, 256, 0, 0, 256, 256, 0, 0, 256, 0)
b += struct.pack('<8H', 0, 0, 0x8000, 0, 0x8000, 0x8000, 0, 0x8000)
assert len(b) == 0x88
open(sys.argv[1], 'wb').write(b)
