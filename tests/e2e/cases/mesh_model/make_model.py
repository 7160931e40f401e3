#!/usr/bin/env python3
"""Writes model.bin for the mesh_*, uvs_* and plus/minus cases: one small model holding a
face list, strips and the same four vertices and UVs in every layout and format.

  0x000  face list, words:            0 1 2  1 3 2
  0x010  strips with restart marker:  0 1 2 3 FFFF 0 2 3
  0x020  one plain strip:             0 1 2 3
  0x030  quad list, words:            0 1 2 3
  0x040  face list, words:            1 2 3  (smallest index 2, for relFI)
  0x100  VB Float     20-byte records, float pair at 12
  0x200  VB HF_UV     16-byte records, half pair at 12
  0x300  VB HF_all    10-byte records, half pair at 6
  0x400  VB WordUV    16-byte records, word pair at 12
  0x500  VB ShortAll  10-byte records, word pair at 6
  0x600  packed float positions, 0x680 packed halves, 0x6c0 packed shorts
  0x700  packed float pairs, 0x740 packed half pairs, 0x760 packed word pairs
  0x780  half pairs 12 bytes apart (a separate strided UV block)
  size   0x800
Every value is exact in halves, in 1/256 shorts and in words / 65536.
"""
import struct
import sys

POSITIONS = [(1.0, 2.0, 3.0), (-1.0, 0.5, 0.0), (0.25, -2.0, 4.0), (8.0, 16.0, -0.125)]
UVS = [(0.0, 0.125), (0.5, 0.25), (0.75, 0.5), (0.875, 0.0)]

data = bytearray(0x800)


def put(offset, raw):
    data[offset:offset + len(raw)] = raw


def words(values):
    return struct.pack('<%dH' % len(values), *values)


def halves(values):
    return struct.pack('<%de' % len(values), *values)


def floats(values):
    return struct.pack('<%df' % len(values), *values)


def shorts(values):
    return struct.pack('<%dh' % len(values), *[round(v * 256) for v in values])


def uwords(values):
    return struct.pack('<%dH' % len(values), *[round(v * 65536) for v in values])


put(0x000, words([0, 1, 2, 1, 3, 2]))
put(0x010, words([0, 1, 2, 3, 0xFFFF, 0, 2, 3]))
put(0x020, words([0, 1, 2, 3]))
put(0x030, words([0, 1, 2, 3]))
put(0x040, words([1, 2, 3]))
for i, (p, uv) in enumerate(zip(POSITIONS, UVS)):
    put(0x100 + 20 * i, floats(p) + floats(uv))
    put(0x200 + 16 * i, floats(p) + halves(uv))
    put(0x300 + 10 * i, halves(p) + halves(uv))
    put(0x400 + 16 * i, floats(p) + uwords(uv))
    put(0x500 + 10 * i, shorts(p) + uwords(uv))
    put(0x600 + 12 * i, floats(p))
    put(0x680 + 6 * i, halves(p))
    put(0x6c0 + 6 * i, shorts(p))
    put(0x700 + 8 * i, floats(uv))
    put(0x740 + 4 * i, halves(uv))
    put(0x760 + 4 * i, uwords(uv))
    put(0x780 + 12 * i, halves(uv))

with open(sys.argv[1] if len(sys.argv) > 1 else 'model.bin', 'wb') as out:
    out.write(data)
