#!/usr/bin/env python3
"""Writes a corpus of model files for the layout finder, with the true layouts.

  find_corpus.py OUT_DIR [--files N] [--seed S] [--max-vertices V]

Each file NNN_<encoding>.bin holds one to three meshes (grid, sphere, torus, cylinder,
random blob) in one of the encodings the finder knows, between junk blocks (random,
zeros, text, float noise, zlib streams) at odd offsets. Beside it NNN_<encoding>.json
lists the meshes in the schema of `nimbrel-cli find --json` ("meshes" instead of
"candidates"), plus an "encoding" label per mesh. The same seed gives the same bytes.
Standard library only.
"""
import argparse
import json
import math
import os
import random
import struct
import zlib

ALIGNMENTS = [1, 2, 4, 16]
UV_FORMATS = {"float32x2": 8, "float16x2": 4, "uint16x2": 4}
POSITION_SIZE = {"float32x3": 12, "float16x3": 6, "int16x3": 6}


# ---- shapes: (positions, uvs, triangles, grid) with grid = (rows, cols) when regular

def grid_shape(rng, rows, cols):
    pos, uvs = [], []
    for i in range(rows + 1):
        for j in range(cols + 1):
            u, v = j / cols, i / rows
            pos.append((u * 2 - 1, (v * 2 - 1) * 0.7, 0.15 * math.sin(u * 5 + v * 3)))
            uvs.append((u, v))
    return pos, uvs, grid_triangles(rows, cols), (rows, cols)


def grid_triangles(rows, cols):
    tris = []
    for i in range(rows):
        for j in range(cols):
            a = i * (cols + 1) + j
            b, c, d = a + 1, a + cols + 1, a + cols + 2
            tris += [(a, b, c), (b, d, c)]
    return tris


def param_shape(rows, cols, point):
    pos, uvs = [], []
    for i in range(rows + 1):
        for j in range(cols + 1):
            u, v = j / cols, i / rows
            pos.append(point(u, v))
            uvs.append((u, v))
    return pos, uvs, grid_triangles(rows, cols), (rows, cols)


def sphere_shape(rng, rows, cols):
    def point(u, v):
        th, ph = u * 2 * math.pi, v * math.pi
        return (math.sin(ph) * math.cos(th), math.cos(ph), math.sin(ph) * math.sin(th))
    return param_shape(rows, cols, point)


def torus_shape(rng, rows, cols):
    def point(u, v):
        th, ph = u * 2 * math.pi, v * 2 * math.pi
        r = 1 + 0.35 * math.cos(ph)
        return (r * math.cos(th), 0.35 * math.sin(ph), r * math.sin(th))
    return param_shape(rows, cols, point)


def cylinder_shape(rng, rows, cols):
    def point(u, v):
        th = u * 2 * math.pi
        return (0.5 * math.cos(th), v * 2 - 1, 0.5 * math.sin(th))
    return param_shape(rows, cols, point)


def blob_shape(rng, rows, cols):
    """A bumpy sphere whose triangles come in an optimiser-like order: local runs of
    neighbouring faces, vertices renumbered in first-use order."""
    bumps = [(rng.uniform(0, 2 * math.pi), rng.uniform(0, math.pi), rng.uniform(-0.3, 0.3)) for _ in range(6)]

    def point(u, v):
        th, ph = u * 2 * math.pi, v * math.pi
        r = 1 + sum(a * math.exp(-((th - t) ** 2 + (ph - p) ** 2)) for t, p, a in bumps)
        return (r * math.sin(ph) * math.cos(th), r * math.cos(ph), r * math.sin(ph) * math.sin(th))
    pos, uvs, tris, _ = param_shape(rows, cols, point)
    tris = tris[:]
    window = 48
    for k in range(0, len(tris), window):
        part = tris[k:k + window]
        rng.shuffle(part)
        tris[k:k + window] = part
    order, renumber = [], {}
    for t in tris:
        for x in t:
            if x not in renumber:
                renumber[x] = len(order)
                order.append(x)
    return ([pos[x] for x in order], [uvs[x] for x in order],
            [tuple(renumber[x] for x in t) for t in tris], None)


SHAPES = {"grid": grid_shape, "sphere": sphere_shape, "torus": torus_shape,
          "cylinder": cylinder_shape, "blob": blob_shape}


# ---- encodings

def pack(fmt, big, *values):
    return struct.pack((">" if big else "<") + fmt, *values)


def strip_rows(rows, cols, restart):
    """Row strips of a regular grid: joined by repeated indices, or by 0xFFFF markers."""
    out = []
    for i in range(rows):
        row = []
        for j in range(cols + 1):
            row += [i * (cols + 1) + j, (i + 1) * (cols + 1) + j]
        if out:
            out += [0xFFFF] if restart else [out[-1], row[0]]
        out += row
    return out


def quad_list(rows, cols):
    out = []
    for i in range(rows):
        for j in range(cols):
            a = i * (cols + 1) + j
            out += [a, a + 1, a + cols + 1, a + cols + 2]
    return out


def index_bytes(enc, tris, grid, big):
    """(bytes, count, triangles) of the index block."""
    kind = enc["index"]
    size = 4 if kind in ("dw-list", "dw-strip") else 2
    code = "I" if size == 4 else "H"
    if kind in ("word-strip", "dw-strip", "ffff-strip"):
        idx = strip_rows(*grid, restart=kind == "ffff-strip")
        return b"".join(pack(code, big, x) for x in idx), len(idx), 2 * grid[0] * grid[1]
    if kind == "quads":
        idx = quad_list(*grid)
        return b"".join(pack("H", big, x) for x in idx), len(idx), 2 * grid[0] * grid[1]
    gap = enc.get("face_gap", 0)
    out = bytearray()
    for t in tris:
        out += b"".join(pack(code, big, x) for x in t)
        out += bytes(gap)
    return bytes(out), 3 * len(tris), len(tris)


def position_bytes(fmt, p, big, scale):
    if fmt == "float32x3":
        return pack("3f", big, *p)
    if fmt == "float16x3":
        return pack("3e", big, *p)
    return pack("3h", big, *[max(-32768, min(32767, round(c * scale))) for c in p])


def uv_bytes(fmt, uv, big, divisor):
    if fmt == "float32x2":
        return pack("2f", big, *uv)
    if fmt == "float16x2":
        return pack("2e", big, *uv)
    return pack("2H", big, *[max(0, min(65535, round(c * divisor))) for c in uv])


def vertex_format_name(pos_fmt, uv_fmt):
    if pos_fmt == "float16x3":
        return "HF_all"
    if pos_fmt == "int16x3":
        return "ShortAll"
    return {None: "Float", "float32x2": "Float", "float16x2": "HF_UV", "uint16x2": "WordUV"}[uv_fmt]


def choose_encoding(rng, number, regular):
    indices = ["word-list", "dw-list", "gap-list", "word-strip", "dw-strip", "ffff-strip", "quads"]
    if not regular:
        indices = indices[:3]
    enc = {"index": indices[number % len(indices)] if rng.random() < 0.7 else rng.choice(indices)}
    if enc["index"] == "gap-list":
        enc["index"] = rng.choice(["word-list", "dw-list"])
        enc["face_gap"] = rng.choice([2, 4, 6])
    enc["position"] = rng.choice(["float32x3"] * 3 + ["float16x3", "int16x3"])
    allowed_uv = {"float32x3": ["float32x2", "float16x2", "uint16x2"], "float16x3": ["float16x2"],
                  "int16x3": ["uint16x2"]}[enc["position"]]
    enc["uv"] = rng.choice(allowed_uv + [None])
    enc["vb"] = rng.random() < 0.75
    if enc["uv"] is None:
        enc["uv_where"] = None
    elif enc["vb"]:
        enc["uv_where"] = rng.choice(["in_vertex_record", "in_vertex_record", "separate_block"])
    else:
        enc["uv_where"] = "separate_block"
    enc["divisor"] = rng.choice([65536, 8192]) if enc["uv"] == "uint16x2" else 65536
    if enc["vb"]:
        psize = POSITION_SIZE[enc["position"]]
        usize = UV_FORMATS[enc["uv"]] if enc["uv_where"] == "in_vertex_record" else 0
        enc["lead"] = rng.choice([0, 0, 4, 12])      # normal or colour fields before
        enc["mid"] = rng.choice([0, 0, 4, 12]) if usize else 0
        tail = rng.choice([0, 0, 4, 8, 12, 16])
        stride = enc["lead"] + psize + enc["mid"] + usize + tail
        enc["stride"] = max(6, min(64, stride))
        if enc["stride"] < enc["lead"] + psize + enc["mid"] + usize:
            enc["lead"], enc["mid"] = 0, 0
            enc["stride"] = psize + usize
    enc["big"] = rng.random() < 0.3
    return enc


def encoding_label(enc):
    parts = [enc["index"] + ("+gap%d" % enc["face_gap"] if enc.get("face_gap") else ""), enc["position"]]
    parts.append(("VB%d" % enc["stride"]) if enc["vb"] else "seq")
    parts.append("uv-none" if enc["uv"] is None else "uv-%s-%s" % (enc["uv"], "rec" if enc["uv_where"] == "in_vertex_record" else "sep"))
    parts.append("be" if enc["big"] else "le")
    return "/".join(parts)


# ---- junk

LOREM = (b"Lorem ipsum dolor sit amet, consectetur adipiscing elit, sed do eiusmod tempor "
         b"incididunt ut labore et dolore magna aliqua. texture=body.png material=steel\n")


def junk(rng, size):
    kind = rng.choice(["random", "zeros", "text", "floats", "zlib"])
    if kind == "random":
        return bytes(rng.getrandbits(8) for _ in range(size))
    if kind == "zeros":
        return bytes(size)
    if kind == "text":
        return (LOREM * (size // len(LOREM) + 1))[:size]
    if kind == "floats":
        return b"".join(struct.pack("<f", rng.uniform(-100, 100)) for _ in range(size // 4))
    raw = bytes(rng.getrandbits(8) for _ in range(size)) + LOREM * 4
    return zlib.compress(raw, 6)[:size]


class Writer:
    def __init__(self, rng):
        self.rng = rng
        self.data = bytearray()

    def junk(self, low, high):
        self.data += junk(self.rng, self.rng.randint(low, high))

    def place(self, block, alignment):
        while len(self.data) % alignment:
            self.data += bytes([self.rng.getrandbits(8)])
        at = len(self.data)
        self.data += block
        return at


def write_mesh(w, rng, shape_name, rows, cols, enc):
    pos, uvs, tris, grid = SHAPES[shape_name](rng, rows, cols)
    scale = rng.choice([1.0, 10.0, 250.0]) if enc["position"] == "float32x3" else 1.0
    offset = [rng.uniform(-5, 5) for _ in range(3)] if enc["position"] == "float32x3" else [0, 0, 0]
    pos = [tuple(c * scale + o for c, o in zip(p, offset)) for p in pos]
    short_scale = rng.choice([256.0, 4096.0])
    big = enc["big"]
    align = rng.choice(ALIGNMENTS)
    w.junk(16, 600)
    ib, count, triangles = index_bytes(enc, tris, grid, big)
    index_at = w.place(ib, max(2, align) if align > 1 else 2) if rng.random() < 0.5 else None
    w.junk(8, 300)
    psize = POSITION_SIZE[enc["position"]]
    uv_fmt = enc["uv"]
    if enc["vb"]:
        stride = enc["stride"]
        records = bytearray()
        for i, p in enumerate(pos):
            rec = bytearray(bytes(rng.getrandbits(8) for _ in range(enc["lead"])))
            rec += position_bytes(enc["position"], p, big, short_scale)
            rec += bytes(rng.getrandbits(8) for _ in range(enc["mid"]))
            if enc["uv_where"] == "in_vertex_record":
                rec += uv_bytes(uv_fmt, uvs[i], big, enc["divisor"])
            rec += bytes(stride - len(rec))
            records += rec
        vertex_at = w.place(records, 4 if align > 1 else 1) + enc["lead"]
        uv_pos = psize + enc["mid"] if enc["uv_where"] == "in_vertex_record" else 99
    else:
        stride = psize
        vertex_at = w.place(b"".join(position_bytes(enc["position"], p, big, short_scale) for p in pos), 4 if align > 1 else 1)
        uv_pos = 99
    uv_block = None
    uv_start, uv_size = 0, 255
    if enc["uv_where"] == "separate_block":
        w.junk(8, 200)
        pair = UV_FORMATS[uv_fmt]
        uv_stride = pair if not enc["vb"] else rng.choice([pair, pair + 4, 12])
        blob = bytearray()
        for uv in uvs:
            blob += uv_bytes(uv_fmt, uv, big, enc["divisor"]) + bytes(uv_stride - pair)
        uv_start = w.place(blob, 4 if align > 1 else 1)
        uv_size = uv_stride if enc["vb"] else 255
        uv_block = {"location": "separate_block", "offset": uv_start, "stride": uv_stride, "format": uv_fmt}
    elif enc["uv_where"] == "in_vertex_record":
        uv_block = {"location": "in_vertex_record", "uv_pos": uv_pos, "format": uv_fmt}
    if uv_block is not None and uv_fmt == "uint16x2":
        uv_block["divisor"] = enc["divisor"]
    if index_at is None:
        w.junk(8, 300)
        index_at = w.place(ib, max(2, align))
    topology = {"word-strip": "strip", "dw-strip": "strip", "ffff-strip": "strip_restart"}.get(enc["index"], "list")
    index_size = 4 if enc["index"].startswith("dw") else 2
    settings = {
        "faceIndexStart": index_at, "faceIndexCnt": count, "faceGap": enc.get("face_gap", 0),
        "indexSize": index_size, "stripMode": topology != "list", "ffffSeparator": topology == "strip_restart",
        "faceVertexCount": 4 if enc["index"] == "quads" else 3, "relFI": False,
        "vbMode": enc["vb"], "fvfSize": stride if enc["vb"] else 12, "uvPos": uv_pos,
        "uvBlockStart": uv_start, "uvBlockSize": uv_size,
        "vertexFormat": vertex_format_name(enc["position"], uv_fmt), "bigEndian": big,
        "uvDivisor": float(enc["divisor"]), "uvGap": False, "signedShorts": True,
        "vertexStart": vertex_at, "vertsCnt": len(pos),
    }
    return {
        "encoding": encoding_label(enc), "shape": shape_name,
        "byte_order": "big" if big else "little",
        "index_block": {"offset": index_at, "count": count, "index_size": index_size, "topology": topology,
                        "face_gap": enc.get("face_gap", 0)},
        "vertex_block": {"offset": vertex_at, "count": len(pos), "stride": stride, "format": enc["position"]},
        "uv_block": uv_block, "triangles": triangles, "settings": settings,
    }


def make_file(rng, number, max_vertices):
    w = Writer(rng)
    meshes = []
    for _ in range(rng.choice([1, 1, 2, 3])):
        shape = rng.choice(list(SHAPES))
        budget = rng.choice([30, 200, 1000, 4000, max_vertices])
        side = max(2, int(math.sqrt(min(budget, max_vertices))) - 1)
        rows, cols = max(2, side + rng.randint(-1, 1)), max(3, side)
        enc = choose_encoding(rng, number + len(meshes), shape != "blob")
        # Restart markers and 16-bit indices cap the vertex count.
        while (rows + 1) * (cols + 1) >= 0xFFFF:
            rows -= 1
        meshes.append(write_mesh(w, rng, shape, rows, cols, enc))
    w.junk(16, 800)
    return bytes(w.data), meshes


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("out")
    ap.add_argument("--files", type=int, default=40)
    ap.add_argument("--seed", type=int, default=1)
    ap.add_argument("--max-vertices", type=int, default=50000)
    args = ap.parse_args()
    os.makedirs(args.out, exist_ok=True)
    rng = random.Random(args.seed)
    for n in range(args.files):
        data, meshes = make_file(rng, n, args.max_vertices)
        name = "%03d_%s" % (n, meshes[0]["encoding"].split("/")[0])
        with open(os.path.join(args.out, name + ".bin"), "wb") as f:
            f.write(data)
        truth = {"file": name + ".bin", "size": len(data), "meshes": meshes}
        with open(os.path.join(args.out, name + ".json"), "w") as f:
            json.dump(truth, f, indent=1)
            f.write("\n")


if __name__ == "__main__":
    main()
