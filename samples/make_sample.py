#!/usr/bin/env python3
"""Builds the sample model nimbrel_sample.bin and one parameter file per submesh.

The model holds four submeshes, each in another encoding, so a new user can try every
step on a file whose answers are known:

  0  box       Float records of 32 bytes, UVs inside at byte 24, Word list indices
  1  cylinder  HF_all records of 12 bytes, UVs at byte 8, strips with FFFF restarts
  2  sphere    seq mode: packed ShortAll positions, packed word UVs, DW list indices
  3  torus     big-endian Float records of 16 bytes, UVs in a separate block of 12-byte
               records (mixed mode), Word list indices

  python3 make_sample.py [--out DIR]           the model and nimbrel_sample_N.vyp
  python3 make_sample.py --expected DIR --vyp-folder F
                                               the OBJ files an export of the chain
                                               writes, worked out here from the encoded
                                               numbers (F: the folder in their headers)

Everything is computed with fixed arithmetic, so the output is identical on every run.
"""

import argparse
import math
import os
import struct

STEM = "nimbrel_sample"


def f32(x):
    """x rounded to single precision, as the model stores it."""
    return struct.unpack("<f", struct.pack("<f", x))[0]


def half_bits(x):
    return struct.unpack("<H", struct.pack("<e", x))[0]


def half_value(bits):
    """The value the tool reads for a half pattern: every exponent is re-biased, none is special."""
    s = -1.0 if bits & 0x8000 else 1.0
    e = (bits >> 10) & 0x1F
    m = bits & 0x3FF
    return s * (1.0 + m / 1024.0) * 2.0 ** (e - 15)


# --- shapes: positions (x, y, z), uvs (u, v) and triangles or strips ---------------------

def box(cx, cy, cz, sx, sy, sz):
    # Four corners per side, so each side has its own UVs.
    sides = [
        ((1, 0, 0), (0, 0, -1), (0, 1, 0)),
        ((-1, 0, 0), (0, 0, 1), (0, 1, 0)),
        ((0, 1, 0), (1, 0, 0), (0, 0, -1)),
        ((0, -1, 0), (1, 0, 0), (0, 0, 1)),
        ((0, 0, 1), (1, 0, 0), (0, 1, 0)),
        ((0, 0, -1), (-1, 0, 0), (0, 1, 0)),
    ]
    pos, uv, nrm, tris = [], [], [], []
    for n, a, b in sides:
        base = len(pos)
        for (du, dv) in ((0, 0), (1, 0), (1, 1), (0, 1)):
            p = [n[i] + (2 * du - 1) * a[i] + (2 * dv - 1) * b[i] for i in range(3)]
            pos.append((cx + p[0] * sx / 2, cy + p[1] * sy / 2, cz + p[2] * sz / 2))
            uv.append((0.125 + 0.75 * du, 0.125 + 0.75 * dv))
            nrm.append(n)
        tris += [(base, base + 1, base + 2), (base, base + 2, base + 3)]
    return pos, uv, nrm, tris


def cylinder(cx, cy, cz, radius, height, segments):
    """Side as one strip, each cap triangle as its own three-index strip."""
    pos, uv = [], []
    for i in range(segments + 1):
        a = 2 * math.pi * i / segments
        x, z = cx + radius * math.cos(a), cz + radius * math.sin(a)
        u = 0.0625 + 0.875 * i / segments
        pos += [(x, cy, z), (x, cy + height, z)]
        uv += [(u, 0.0625), (u, 0.5)]
    strips = [[i for i in range(2 * (segments + 1))]]
    for cap_y, v0, flip in ((cy, 0.75, False), (cy + height, 0.75, True)):
        centre = len(pos)
        pos.append((cx, cap_y, cz))
        uv.append((0.25 if not flip else 0.75, v0))
        rim = len(pos)
        for i in range(segments + 1):
            a = 2 * math.pi * i / segments
            pos.append((cx + radius * math.cos(a), cap_y, cz + radius * math.sin(a)))
            uv.append(((0.25 if not flip else 0.75) + 0.2 * math.cos(a), v0 + 0.2 * math.sin(a)))
        for i in range(segments):
            strips.append([centre, rim + i + 1, rim + i] if flip else [centre, rim + i, rim + i + 1])
    return pos, uv, strips


def sphere(cx, cy, cz, radius, stacks, slices):
    """Poles get one vertex per slice, so every vertex is used and the last is referenced."""
    pos, uv, tris = [], [], []
    north = len(pos)
    for j in range(slices):
        pos.append((cx, cy + radius, cz))
        uv.append(((j + 0.5) / slices, 0.96875))
    rows = []
    for i in range(1, stacks):
        t = math.pi * i / stacks
        row = len(pos)
        rows.append(row)
        for j in range(slices + 1):
            p = 2 * math.pi * j / slices
            pos.append((cx + radius * math.sin(t) * math.cos(p), cy + radius * math.cos(t),
                        cz + radius * math.sin(t) * math.sin(p)))
            uv.append((j / slices * 0.9375 + 0.03125, 0.96875 - 0.9375 * i / stacks))
    south = len(pos)
    for j in range(slices):
        pos.append((cx, cy - radius, cz))
        uv.append(((j + 0.5) / slices, 0.03125))
    for j in range(slices):
        tris.append((north + j, rows[0] + j + 1, rows[0] + j))
    for r in range(len(rows) - 1):
        a, b = rows[r], rows[r + 1]
        for j in range(slices):
            tris += [(a + j, a + j + 1, b + j + 1), (a + j, b + j + 1, b + j)]
    for j in range(slices):
        tris.append((south + j, rows[-1] + j, rows[-1] + j + 1))
    return pos, uv, tris


def torus(cx, cy, cz, big, small, rings, sides):
    pos, uv, tris = [], [], []
    for i in range(rings + 1):
        a = 2 * math.pi * i / rings
        for j in range(sides + 1):
            b = 2 * math.pi * j / sides
            r = big + small * math.cos(b)
            pos.append((cx + r * math.cos(a), cy + small * math.sin(b), cz + r * math.sin(a)))
            uv.append((0.03125 + 0.9375 * i / rings, 0.03125 + 0.9375 * j / sides))
    for i in range(rings):
        for j in range(sides):
            p = i * (sides + 1) + j
            q = p + sides + 1
            tris += [(p, p + 1, q + 1), (p, q + 1, q)]
    return pos, uv, tris


# --- the model --------------------------------------------------------------------------

class Model:
    def __init__(self):
        self.data = bytearray(b"NIMBREL SAMPLE\x00\x01")

    def block(self, payload):
        while len(self.data) % 16:
            self.data.append(0)
        start = len(self.data)
        self.data += payload
        return start


def parameter_file(face_start, face_count, vb, line3, vert_start, verts, code, uvb_start, uvb_size):
    """The six lines and the empty line, as the tool saves them."""
    text = "0x%X %d\n" % (face_start, face_count)
    text += "Vb%d\n" % vb
    text += line3
    text += "0x%X %d\n" % (vert_start, verts)
    text += code + "\n"
    text += "0x%X %d\n\n" % (uvb_start, uvb_size)
    return text


def fmt(x):
    return "%f" % x


def build():
    m = Model()
    parameter_files, expect = [], []

    # 0: box, Float records: position, normal, uv at 24.
    pos, uv, nrm, tris = box(-4.0, 0.5, 0.25, 2.0, 1.0, 1.5)
    rec = b"".join(struct.pack("<8f", *p, *n, *t) for p, n, t in zip(pos, nrm, uv))
    vs = m.block(rec)
    idx = [i for t in tris for i in t]
    fs = m.block(struct.pack("<%dH" % len(idx), *idx))
    parameter_files.append(parameter_file(fs, len(idx), 1, "32 24\n", vs, len(pos), "020000", 0, 255))
    lines = []
    for p, t in zip(pos, uv):
        lines.append("v %s %s %s\n" % tuple(fmt(f32(c)) for c in p))
        lines.append("vt %s %s  \n" % tuple(fmt(f32(c)) for c in t))
    lines.append("# 0x%x\n" % (vs + 32 * len(pos)))
    expect.append((0, vs, len(pos), "".join(lines), fs, len(idx), list_faces(idx)))

    # 1: cylinder, HF_all records: 3 halves, 2 spare bytes, uv halves at 8; FFFF strips.
    pos, uv, strips = cylinder(-1.25, 0.25, 0.625, 0.5, 1.0, 12)
    hp = [tuple(half_bits(c) for c in p) for p in pos]
    hu = [tuple(half_bits(c) for c in t) for t in uv]
    rec = b"".join(struct.pack("<3HH2H", *p, 0xBEEF, *t) for p, t in zip(hp, hu))
    vs = m.block(rec)
    idx = []
    for s in strips:
        if idx:
            idx.append(0xFFFF)
        idx += s
    fs = m.block(struct.pack("<%dH" % len(idx), *idx))
    parameter_files.append(parameter_file(fs, len(idx), 1, "12 8\n", vs, len(pos), "021210", 0, 255))
    lines = []
    for p, t in zip(hp, hu):
        lines.append("v %s %s %s \n" % tuple(fmt(half_value(c)) for c in p))
        lines.append("vt %s %s  \n" % tuple(fmt(half_value(c)) for c in t))
    lines.append("# 0x%x\n" % (vs + 12 * len(pos)))
    expect.append((2, vs, len(pos), "".join(lines), fs, len(idx), strip_faces(strips)))

    # 2: sphere, seq mode: packed signed shorts (1/256 units), packed word uvs, DW indices.
    pos, uv, tris = sphere(1.5, 0.75, 0.0, 0.75, 6, 10)
    sp = [tuple(int(round(c * 256)) for c in p) for p in pos]
    wu = [tuple(int(round(c * 65536)) for c in t) for t in uv]
    vs = m.block(struct.pack("<%dh" % (3 * len(sp)), *[c for p in sp for c in p]))
    us = m.block(struct.pack("<%dH" % (2 * len(wu)), *[c for t in wu for c in t]))
    idx = [i for t in tris for i in t]
    fs = m.block(struct.pack("<%dI" % len(idx), *idx))
    parameter_files.append(parameter_file(fs, len(idx), 0, "0x%X\n" % us, vs, len(pos), "040400", us, 255))
    lines = ["v %s %s %s\n" % tuple(fmt(c / 256.0) for c in p) for p in sp]
    lines += ["vt %s %s \n" % tuple(fmt(c / 65536.0) for c in t) for t in wu]
    expect.append((4, vs, len(pos), "".join(lines), fs, len(idx), list_faces(idx)))

    # 3: torus, big-endian: 16-byte records (position, 4 spare bytes), a separate block of
    # 12-byte uv records (float pair, 4 spare bytes).
    pos, uv, tris = torus(4.5, 0.5, 0.25, 0.75, 0.25, 16, 8)
    vs = m.block(b"".join(struct.pack(">3fI", *p, 0x11223344) for p in pos))
    us = m.block(b"".join(struct.pack(">2fI", *t, 0) for t in uv))
    idx = [i for t in tris for i in t]
    fs = m.block(struct.pack(">%dH" % len(idx), *idx))
    parameter_files.append(parameter_file(fs, len(idx), 1, "16 99\n", vs, len(pos), "120000", us, 12))
    lines = ["v %s %s %s\n" % tuple(fmt(f32(c)) for c in p) for p in pos]
    lines.append("# 0x%x\n" % (vs + 16 * len(pos)))
    lines.append("# 0x%x (UVBlockSize= %d)\n" % (us, 12))
    lines += ["vt %s %s \n" % tuple(fmt(f32(c)) for c in t) for t in uv]
    expect.append((0, vs, len(pos), "".join(lines), fs, len(idx), list_faces(idx)))

    while len(m.data) % 16:
        m.data.append(0)
    return bytes(m.data), parameter_files, expect


def list_faces(idx):
    return "".join("f %d/%d %d/%d %d/%d \n" % (a + 1, a + 1, b + 1, b + 1, c + 1, c + 1)
                   for a, b, c in zip(idx[0::3], idx[1::3], idx[2::3]))


def strip_faces(strips):
    tris = []
    for s in strips:
        for k in range(len(s) - 2):
            tris.append((s[k], s[k + 1], s[k + 2]) if k % 2 == 0 else (s[k], s[k + 2], s[k + 1]))
    out = "# faceIndexCnt: %d, triangles: %d\n" % (3 * len(tris), len(tris))
    for n, (a, b, c) in enumerate(tris):
        if (3 * n) % 1000 == 0:
            out += "g submesh_%d\n" % (3 * n // 1000)
        out += "f %d/%d %d/%d %d/%d \n" % (a + 1, a + 1, b + 1, b + 1, c + 1, c + 1)
    return out


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    ap = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    ap.add_argument("--out", default=here, help="folder for the model and its .vyp files")
    ap.add_argument("--expected", help="write the OBJ files of a chain export into this folder")
    ap.add_argument("--vyp-folder", default="", help="folder of the .vyp files, as OBJ headers name it")
    args = ap.parse_args()

    model, parameter_files, expect = build()
    if args.expected:
        os.makedirs(args.expected, exist_ok=True)
        for n, (fmt_id, vs, verts, body, fs, fcount, faces) in enumerate(expect):
            path = os.path.join(args.vyp_folder, "%s_%d.vyp" % (STEM, n)) if args.vyp_folder else "%s_%d.vyp" % (STEM, n)
            text = "# VYP parameter file: %s      (H_Float: %d)\n" % (path, fmt_id)
            text += "# 0x%x: verts= %d\n" % (vs, verts)
            text += body
            text += "\n# 0x%x: faceIndices= %d, triangles= %d\n" % (fs, fcount, fcount // 3)
            text += faces
            with open(os.path.join(args.expected, "%s_%d.obj" % (STEM, n)), "w", newline="\n") as f:
                f.write(text)
        return
    os.makedirs(args.out, exist_ok=True)
    with open(os.path.join(args.out, STEM + ".bin"), "wb") as f:
        f.write(model)
    for n, text in enumerate(parameter_files):
        with open(os.path.join(args.out, "%s_%d.vyp" % (STEM, n)), "w", newline="\n") as f:
            f.write(text)


if __name__ == "__main__":
    main()
