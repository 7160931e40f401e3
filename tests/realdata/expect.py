#!/usr/bin/env python3
"""Works out the expected OBJ files of the realdata cases straight from the model bytes.

    python3 expect.py REALDATA_DIR     rewrites cases/*/expected/*.obj

Each decoder below reads the file format itself (glTF buffers, PLY, 3DS, MS3D) and
writes the OBJ text the way the export is documented to lay it out; nothing here runs
or reads nimbrel. Review a changed expectation with `git diff` before committing it.
"""
import os
import struct
import sys

HERE = os.path.dirname(os.path.abspath(__file__))


def f32(x):
    """Round a Python float to single precision, as the tool's arithmetic does."""
    return struct.unpack('<f', struct.pack('<f', x))[0]


class Model:
    def __init__(self, path, big=False):
        self.d = open(path, 'rb').read()
        self.e = '>' if big else '<'

    def flt(self, o):
        return struct.unpack_from(self.e + 'f', self.d, o)[0]

    def word(self, o):
        return struct.unpack_from(self.e + 'H', self.d, o)[0]

    def short(self, o):
        return struct.unpack_from(self.e + 'h', self.d, o)[0]

    def half(self, o):
        # Re-biased, no special exponents: (-1)^s (1 + m/1024) 2^(e-15), zero included.
        h = self.word(o)
        s, e, m = h >> 15, (h >> 10) & 31, h & 1023
        v = (1 + m / 1024) * 2.0 ** (e - 15)
        return -v if s else v

    def index(self, o, size):
        if size == 2:
            return self.word(o)
        b = self.d[o:o + 4]
        # 32-bit indices: the tool keeps the low 24 bits.
        return b[0] | b[1] << 8 | b[2] << 16 if self.e == '<' else b[3] | b[2] << 8 | b[1] << 16


def ff(v):
    return '%f' % v


def faces_list(m, start, count, size=2, gap=0):
    """Triangle list: (address, 1-based a, b, c) for each whole face."""
    out, o = [], start
    for _ in range(count // 3):
        out.append([m.index(o + k * size, size) + 1 for k in range(3)])
        o += 3 * size + gap
    return out


def faces_strip(m, start, count, size):
    vals = [m.index(start + i * size, size) + 1 for i in range(count)]
    out = []
    for i in range(count - 2):
        a, b, c = vals[i:i + 3]
        if a == b or b == c or a == c:
            continue
        out.append([a, b, c] if i % 2 == 0 else [a, c, b])
    return out


def go1_listing(start, faces, gap=0, size=2):
    """go1's list of a triangle list: face address, ": f  ", each index and a blank."""
    lines = ['%x: f  %s' % (start + n * (3 * size + gap), ''.join('%d ' % v for v in face))
             for n, face in enumerate(faces)]
    flat = [v for face in faces for v in face]
    lines += [' ----------', 'min face index: %d' % min(flat),
              'max face index: %d (== vertex count?)' % max(flat)]
    return ''.join(line + '\n' for line in lines)


def list_face_lines(faces, slash, groups):
    """List layout: "f a b c " (blank after each), a group line every 500 faces."""
    text = ''
    for n, face in enumerate(faces):
        if groups and n % 500 == 0:
            text += 'g submesh_%d\n' % (n // 500)
        text += 'f ' + ''.join(('%d/%d ' % (v, v)) if slash else ('%d ' % v) for v in face) + '\n'
    return text


def strip_face_lines(faces, slash):
    return ''.join('f ' + ' '.join(('%d/%d' % (v, v)) if slash else str(v) for v in face) + '\n'
                   for face in faces)


def packed_float_positions(m, start, n):
    return ''.join('v %s %s %s \n' % tuple(ff(m.flt(start + 12 * i + 4 * k)) for k in range(3))
                   for i in range(n))


def packed_half_positions(m, start, n):
    return ''.join('v %s %s %s \n' % tuple(ff(m.half(start + 6 * i + 2 * k)) for k in range(3))
                   for i in range(n))


def packed_short_positions(m, start, n):
    return ''.join('v %s %s %s\n' % tuple(ff(m.short(start + 6 * i + 2 * k) * 0.00390625) for k in range(3))
                   for i in range(n))


def float_uv_lines(m, start, n, stride=8):
    return ''.join('vt %s %s \n' % (ff(m.flt(start + stride * i)), ff(m.flt(start + stride * i + 4)))
                   for i in range(n))


def word_uv_lines(m, start, n, divisor):
    text, suspect = '', True
    for i in range(n):
        u, v = (f32(m.word(start + 4 * i + k) / divisor) for k in (0, 2))
        if not (0 <= u <= 1 and 0 <= v <= 1):
            suspect = False
        text += 'vt %s %s %s\n' % (ff(u), ff(v), '' if suspect else '# UV?')
    return text


def vb_float(m, start, n, fvf, uvpos=None):
    """Interleaved Float records: position at +0, float UV pair at uvpos."""
    text = ''
    for i in range(n):
        r = start + fvf * i
        text += 'v %s %s %s\n' % tuple(ff(m.flt(r + 4 * k)) for k in range(3))
        if uvpos is not None:
            text += 'vt %s %s  \n' % (ff(m.flt(r + uvpos)), ff(m.flt(r + uvpos + 4)))
    return text + '# 0x%x\n' % (start + n * fvf)


def vb_half_uv(m, start, n, fvf, uvpos, half_positions):
    """HF_all (half positions) or HF_UV (float positions) records with a half UV pair."""
    text = ''
    for i in range(n):
        r = start + fvf * i
        pos = [m.half(r + 2 * k) if half_positions else m.flt(r + 4 * k) for k in range(3)]
        text += 'v %s %s %s \n' % tuple(ff(p) for p in pos)
        text += 'vt %s %s  \n' % (ff(m.half(r + uvpos)), ff(m.half(r + uvpos + 2)))
    return text + '# 0x%x\n' % (start + n * fvf)


def vb_short_all(m, start, n, fvf, uvpos, divisor=65536.0):
    """ShortAll records: signed 1/256 positions, word UVs, then average and bounding box."""
    text, suspect = '', True
    sums, lo, hi = [0.0] * 3, [65536.0] * 3, [0.0] * 3
    for i in range(n):
        r = start + fvf * i
        pos = [f32(m.short(r + 2 * k) * 0.00390625) for k in range(3)]
        for k in range(3):
            sums[k] = f32(sums[k] + pos[k])
            lo[k] = min(lo[k], pos[k])
            hi[k] = max(hi[k], pos[k])
        text += 'v %s %s %s\n' % tuple(ff(p) for p in pos)
        u, v = (f32(m.word(r + uvpos + k) / divisor) for k in (0, 2))
        if not (0 <= u <= 1 and 0 <= v <= 1):
            suspect = False
        text += 'vt %s %s  %s\n' % (ff(u), ff(v), '' if suspect else '# UV?')
    text += '# 0x%x\n' % (start + n * fvf)
    text += '# average %s %s %s\n' % tuple(ff(f32(s / f32(n))) for s in sums)
    text += '# BBox %s %s, %s %s, %s %s\n' % (ff(lo[0]), ff(hi[0]), ff(lo[1]), ff(hi[1]), ff(lo[2]), ff(hi[2]))
    return text


def submesh(parameter_file, fmt, vstart, n, vertex_text, fstart, fcount, face_text):
    return ('# VYP parameter file: %s      (H_Float: %d)\n' % (parameter_file, fmt) +
            '# 0x%x: verts= %d\n' % (vstart, n) + vertex_text +
            '\n# 0x%x: faceIndices= %d, triangles= %d\n' % (fstart, fcount, fcount // 3) + face_text)


def test_obj(vstart, n, vertex_text, face_text):
    return '# 0x%x: verts= %d\n' % (vstart, n) + vertex_text + face_text


CHAIN_HINT = ("message: This will start the sequential saving of submeshes.\\nYou're prompted to select a VYP file now."
              "\\nAll matching name_xx.VYPs will be processed\\nregardless which VYP of a 'chain' you select.\\n\\n"
              "(move\\\\rename obj files from a previous run!)\\n\\nUse the load_multi_obj.py for blender import.\n")


def write(case, name, text):
    path = os.path.join(HERE, 'cases', case, 'expected', name)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, 'w', newline='\n') as out:
        out.write(text)


def main(real):
    rd = lambda name, big=False: Model(os.path.join(real, name), big)

    # box_interleaved.bin: 24 records of 24 bytes (normal, then position at +12) at 0,
    # 36 word indices at 0x240. Positions start at 0xc; the last record's position ends at 0x24c.
    m = rd('box_interleaved.bin')
    tri = faces_list(m, 0x240, 36)
    verts = vb_float(m, 0xc, 24, 24)
    write('box_interleaved', 'test.obj', test_obj(0xc, 24, verts, list_face_lines(tri, False, True)))
    write('box_interleaved', 'box_interleaved_0.obj',
          submesh('$TMP/box_interleaved_0.vyp', 0, 0xc, 24, verts, 0x240, 36, list_face_lines(tri, True, False)))

    # box_textured.bin: packed normals at 0, packed positions at 0x120, packed float UVs at
    # 0x240 (u runs 0..6: a repeating texture), 36 word indices at 0x300.
    m = rd('box_textured.bin')
    tri = faces_list(m, 0x300, 36)
    write('box_textured', 'test.obj', test_obj(0x120, 24, packed_float_positions(m, 0x120, 24),
                                               list_face_lines(tri, False, True)))
    write('box_textured', 'testUVs.obj',
          ''.join('v %s %s 0.0\n' % (ff(m.flt(0x240 + 8 * i)), ff(m.flt(0x244 + 8 * i))) for i in range(24)) +
          list_face_lines(tri, False, True))
    write('box_textured', 'box_textured_0.obj',
          submesh('', 0, 0x120, 24, packed_float_positions(m, 0x120, 24) + float_uv_lines(m, 0x240, 24),
                  0x300, 36, list_face_lines(tri, True, True)))

    # strip_u32.bin: 4 packed float positions at 0, one strip of four 32-bit indices at 0x30.
    m = rd('strip_u32.bin')
    tri = faces_strip(m, 0x30, 4, 4)
    verts = vb_float(m, 0, 4, 12)
    write('strip_u32', 'test.obj', test_obj(0, 4, verts, strip_face_lines(tri, False)))
    write('strip_u32', 'strip_u32_0.obj', submesh('', 0, 0, 4, verts, 0x30, 4, strip_face_lines(tri, True)))

    # primitive_modes.bin: seven index blocks of one hexagon fan (7 positions at 0x84);
    # the triangle list is at 0x42 (18 indices), the triangle strip at 0x66 (6 indices).
    m = rd('primitive_modes.bin')
    verts = vb_float(m, 0x84, 7, 12)
    write('primitive_modes', 'primitive_modes_0.obj',
          submesh('', 0, 0x84, 7, verts, 0x42, 18, list_face_lines(faces_list(m, 0x42, 18), True, True)))
    write('primitive_modes', 'primitive_modes_1.obj',
          submesh('', 0, 0x84, 7, verts, 0x66, 6, strip_face_lines(faces_strip(m, 0x66, 6, 2), True)))

    # duck_be.bin: the duck with every number big endian: packed positions at 0x7074,
    # packed float UVs at 0xe0e8, word indices at 0x12be0. The first 47 faces use vertices 1..40.
    m = rd('duck_be.bin', big=True)
    tri = faces_list(m, 0x12be0, 141)
    pos = packed_float_positions(m, 0x7074, 40)
    write('duck_be', '../expected.out', go1_listing(0x12be0, tri) +
          'launch: $TMP/app/mesh_viewer test.obj\n' + CHAIN_HINT + '0: duck_be_0.vyp\n1 VYP files processed.\n')
    write('duck_be', 'test.obj', test_obj(0x7074, 40, pos, list_face_lines(tri, False, True)))
    write('duck_be', 'duck_be_0.obj',
          submesh('$TMP/duck_be_0.vyp', 0, 0x7074, 40, pos + float_uv_lines(m, 0xe0e8, 40),
                  0x12be0, 141, list_face_lines(tri, True, False)))

    # duck_fvf32.bin: word indices at 0, 32-byte records (position, normal, UV at +24) at 0x62b8.
    m = rd('duck_fvf32.bin')
    tri = faces_list(m, 0, 141)
    write('duck_fvf32', 'duck_fvf32_0.obj',
          submesh('', 0, 0x62b8, 40, vb_float(m, 0x62b8, 40, 32, 24), 0, 141, list_face_lines(tri, True, True)))

    # duck_half.bin: word indices at 0; 12-byte HF_all records (half position, half 1.0,
    # half UV at +8) at 0x62b8; packed half positions at 0xd32c with packed half UVs at
    # 0x10b66; 16-byte HF_UV records (float position, half UV at +12) at 0x130e4.
    m = rd('duck_half.bin')
    tri = list_face_lines(faces_list(m, 0, 141), True, True)
    write('duck_half', 'duck_half_0.obj', submesh('', 2, 0x62b8, 40, vb_half_uv(m, 0x62b8, 40, 12, 8, True), 0, 141, tri))
    write('duck_half', 'duck_half_1.obj',
          submesh('', 2, 0xd32c, 40, packed_half_positions(m, 0xd32c, 40) +
                  ''.join('vt %s %s \n' % (ff(m.half(0x10b66 + 4 * i)), ff(m.half(0x10b68 + 4 * i))) for i in range(40)),
                  0, 141, tri))
    write('duck_half', 'duck_half_2.obj', submesh('', 1, 0x130e4, 40, vb_half_uv(m, 0x130e4, 40, 16, 12, False), 0, 141, tri))

    # truck_short.bin: word indices at 0; 12-byte ShortAll records (short position, pad,
    # word UV at +8) at 0x28e0; packed short positions at 0x7fe0 with packed word UVs
    # at 0xab60 that are scaled by 8192. The first 30 faces use vertices 1..38.
    m = rd('truck_short.bin')
    tri = list_face_lines(faces_list(m, 0, 90), True, True)
    write('truck_short', 'truck_short_0.obj', submesh('', 4, 0x28e0, 38, vb_short_all(m, 0x28e0, 38, 12, 8), 0, 90, tri))
    write('truck_short', 'truck_short_1.obj',
          submesh('', 4, 0x7fe0, 38, packed_short_positions(m, 0x7fe0, 38) + word_uv_lines(m, 0xab60, 38, 8192.0),
                  0, 90, tri))

    # sphere_be.ply: big-endian PLY; 386 float positions after the 0xab-byte header, then
    # faces of one count byte and three 32-bit indices: the first index at 0x12c4, one byte
    # (the next face's count) between faces. The first 92 faces use vertices 1..60.
    m = rd('sphere_be.ply', big=True)
    tri = faces_list(m, 0x12c4, 276, size=4, gap=1)
    write('sphere_be', 'sphere_be_0.obj',
          submesh('', 0, 0xab, 60, vb_float(m, 0xab, 60, 12), 0x12c4, 276, list_face_lines(tri, True, True)))

    # boxes.3ds, object Box02: 0x4110 vertex chunk data at 0x68d (32 positions), 0x4140
    # mapping data at 0x815 (32 float UVs), 0x4120 faces at 0x953: 12 x (a, b, c, flags).
    m = rd('boxes.3ds')
    tri = faces_list(m, 0x953, 36, gap=2)
    write('boxes_3ds', 'boxes_0.obj',
          submesh('', 0, 0x68d, 32, packed_float_positions(m, 0x68d, 32) + float_uv_lines(m, 0x815, 32),
                  0x953, 36, list_face_lines(tri, True, True)))

    # jeep.ms3d: 1190 vertices of 15 bytes (flags, x y z, bone, refs) from 0x10, so the
    # positions are records of 15 from 0x11; triangles of 70 bytes from 0x45cc with three
    # word indices at +2. The first 39 triangles use vertices 1..40.
    m = rd('jeep.ms3d')
    tri = faces_list(m, 0x45ce, 117, gap=64)
    write('jeep_ms3d', 'jeep_0.obj',
          submesh('', 0, 0x11, 40, vb_float(m, 0x11, 40, 15), 0x45ce, 117, list_face_lines(tri, True, True)))


if __name__ == '__main__':
    main(sys.argv[1])
