#!/usr/bin/env python3
"""Measures the layout finder against known layouts.

  find_quality.py [--cli PATH] [--corpus DIR] [--realdata DIR] [--min-triangles N]

Runs `nimbrel-cli find --json --top 100` over every NNN.bin of a corpus written by
find_corpus.py (truth in NNN.json) and over the real files of docs/field_test.md (truth
in REALDATA below), and prints per encoding:
  recall      share of true meshes whose index block's best candidate is the true layout
  uv recall   the same for meshes with UVs, the UVs included
  false/MB    candidates whose index block overlaps no true mesh, per MB scanned
Standard library only.
"""
import argparse
import collections
import json
import os
import struct
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))


def layout(index, vertex, uv=None, byte_order="little"):
    return {"byte_order": byte_order, "index_block": index, "vertex_block": vertex, "uv_block": uv}


def ib(offset, count, size=2, topology="list", gap=0):
    return {"offset": offset, "count": count, "index_size": size, "topology": topology, "face_gap": gap}


def vb(offset, count, stride, fmt="float32x3"):
    return {"offset": offset, "count": count, "stride": stride, "format": fmt}


def sep(offset, stride, fmt="float32x2", **extra):
    return dict({"location": "separate_block", "offset": offset, "stride": stride, "format": fmt}, **extra)


def rec(pos, fmt="float32x2", **extra):
    return dict({"location": "in_vertex_record", "uv_pos": pos, "format": fmt}, **extra)


# The layouts of docs/field_test.md; a list of alternatives is any one of them.
DUCK = layout(ib(0x12BE0, 12636), vb(0x7074, 2399, 12), sep(0xE0E8, 8))
REALDATA = {
    "box_interleaved.bin": [layout(ib(0x240, 36), vb(0xC, 24, 24))],
    "box_textured.bin": [layout(ib(0x300, 36), vb(0x120, 24, 12), sep(0x240, 8))],
    "duck.bin": [DUCK],
    "duck_be.bin": [dict(DUCK, byte_order="big")],
    "duck_fvf32.bin": [layout(ib(0, 12636), vb(0x62B8, 2399, 32), rec(24))],
    "duck_half.bin": [[layout(ib(0, 12636), vb(0x62B8, 2399, 12, "float16x3"), rec(8, "float16x2")),
                       layout(ib(0, 12636), vb(0xD32C, 2399, 6, "float16x3"), sep(0x10B66, 4, "float16x2")),
                       layout(ib(0, 12636), vb(0x130E4, 2399, 16), rec(12, "float16x2"))]],
    "truck_short.bin": [[layout(ib(0, 5232), vb(0x28E0, 1856, 12, "int16x3"), rec(8, "uint16x2", divisor=65536)),
                         layout(ib(0, 5232), vb(0x7FE0, 1856, 6, "int16x3"), sep(0xAB60, 4, "uint16x2", divisor=8192))]],
    "pins.bin": [layout(ib(0, 4572, 4), vb(0x4770, 744, 12)), layout(ib(0x6A50, 942, 4), vb(0x7908, 159, 12))],
    "strip_u32.bin": [layout(ib(0x30, 4, 4, "strip"), vb(0, 4, 12))],
    "primitive_modes.bin": [layout(ib(0x42, 18), vb(0x84, 7, 12)), layout(ib(0x66, 6, 2, "strip"), vb(0x84, 7, 12))],
    "milktruck.bin": [layout(ib(0x16858, 5232), vb(0x5AE0, 1856, 12), sep(0x11B10, 8)),
                      layout(ib(0x19138, 168), vb(0xB540, 72, 12)),
                      layout(ib(0x19288, 864), vb(0xCE60, 464, 12)),
                      layout(ib(0x19948, 2304), vb(0xFF98, 586, 12), sep(0x15510, 8))],
    "wuson.b3d": [layout(ib(0xA5E5, 11196, 4), vb(0x75, 2117, 20), rec(12))],
    "jeep.ms3d": [layout(ib(0x45CE, 6096, 2, "list", 64), vb(0x11, 1190, 15))],
}

SIZES = {"char": 1, "uchar": 1, "int8": 1, "uint8": 1, "short": 2, "ushort": 2, "int16": 2, "uint16": 2,
         "int": 4, "uint": 4, "int32": 4, "uint32": 4, "float": 4, "float32": 4, "double": 8, "float64": 8}


def ply_layout(path):
    """The layout of a binary PLY of triangles with x y z first, as docs/field_test.md
    reads it: DW indices from the first face + 1, face gap 1 + the other face bytes."""
    data = open(path, "rb").read(4096)
    end = data.index(b"end_header\n") + len(b"end_header\n")
    counts, record, face_extra, element = {}, 0, 0, None
    big = False
    for line in data[:end].decode("ascii").splitlines():
        words = line.split()
        if words[:1] == ["format"]:
            big = words[1] == "binary_big_endian"
        elif words[:1] == ["element"]:
            element = words[1]
            counts[element] = int(words[2])
        elif words[:1] == ["property"] and element == "vertex":
            record += SIZES[words[1]]
        elif words[:1] == ["property"] and element == "face" and words[1] != "list":
            face_extra += SIZES[words[1]]
    faces_at = end + counts["vertex"] * record
    return [layout(ib(faces_at + 1, counts["face"] * 3, 4, "list", 1 + face_extra),
                   vb(end, counts["vertex"], record), None, "big" if big else "little")]


# engine.bin holds 34 Word lists back to back from 0x147348, these many values each; the
# vertex data before them is, part by part, the normals and then the positions, from 0.
ENGINE_COUNTS = [8250, 5034, 936, 1845, 6489, 9267, 4839, 123, 123, 4842, 987, 2145, 1566, 1359, 1032, 288, 1266,
                 5787, 8964, 10167, 10125, 21150, 1359, 684, 5889, 20607, 573, 32934, 33420, 17691, 3903, 960,
                 423, 2163]


def engine_layouts(path):
    """The 34 parts of engine.bin; the normals and positions the counts name must end
    exactly where the first list begins, which checks every count."""
    data = open(path, "rb").read()
    offset, vertex, layouts = 0x147348, 0, []
    for count in ENGINE_COUNTS:
        used = max(struct.unpack_from("<%dH" % count, data, offset)) + 1
        layouts.append(layout(ib(offset, count), vb(vertex + 12 * used, used, 12)))
        offset += 2 * count
        vertex += 24 * used
    if vertex != 0x147348:
        raise SystemExit("%s: the parts' vertex data does not end at the first list" % path)
    return layouts


def chunks3ds(data, begin, end):
    while begin + 6 <= end:
        cid, length = struct.unpack_from("<HI", data, begin)
        if length < 6:
            return
        yield cid, begin + 6, min(end, begin + length)
        begin += length


def boxes_layouts(path):
    """Each object of a 3DS file: Word faces with a flags word after each (0x4120), seq
    float positions (0x4110) and a packed float UV block (0x4140), each after its count."""
    data = open(path, "rb").read()
    layouts = []

    def objects(begin, end):
        for cid, body, stop in chunks3ds(data, begin, end):
            if cid in (0x4D4D, 0x3D3D):
                objects(body, stop)
            elif cid == 0x4000:
                parts = {}
                name_end = data.index(b"\0", body) + 1
                for mesh_id, mesh_body, mesh_stop in chunks3ds(data, name_end, stop):
                    if mesh_id == 0x4100:
                        for part, part_body, _ in chunks3ds(data, mesh_body, mesh_stop):
                            parts[part] = (part_body + 2, struct.unpack_from("<H", data, part_body)[0])
                if 0x4110 in parts and 0x4120 in parts:
                    (faces_at, faces), (vertices_at, vertices) = parts[0x4120], parts[0x4110]
                    uv = sep(parts[0x4140][0], 8) if 0x4140 in parts else None
                    layouts.append(layout(ib(faces_at, 3 * faces, 2, "list", 2), vb(vertices_at, vertices, 12), uv))

    objects(0, len(data))
    return layouts


INDEX_KEYS = ("offset", "count", "index_size", "topology", "face_gap")
VERTEX_KEYS = ("offset", "count", "stride", "format")


def index_end(block):
    size = block["count"] * block["index_size"]
    if block["topology"] == "list":
        size += block["count"] // 3 * block["face_gap"]
    return block["offset"] + size


def overlaps(a, b):
    return a["offset"] < index_end(b) and b["offset"] < index_end(a)


def same_geometry(cand, truth):
    if cand["byte_order"] != truth["byte_order"]:
        return False
    ci, ti = cand["index_block"], truth["index_block"]
    cv, tv = cand["vertex_block"], truth["vertex_block"]
    return all(ci[k] == ti[k] for k in INDEX_KEYS) and all(cv[k] == tv[k] for k in VERTEX_KEYS)


def same_uvs(cand, truth):
    a, b = cand.get("uv_block"), truth.get("uv_block")
    if a is None or b is None:
        return a is None and b is None
    return all(a.get(k) == b.get(k) for k in ("location", "offset", "stride", "uv_pos", "format", "divisor"))


EXTRA = []  # more options for find, the same for every file


def run_find(cli, path, extra=()):
    done = subprocess.run([cli, "find", path, "--json", "--top", "100", *extra], capture_output=True, text=True)
    if done.returncode != 0:
        raise SystemExit("%s: exit %d\n%s" % (path, done.returncode, done.stderr))
    return json.loads(done.stdout)


class Tally:
    def __init__(self):
        self.meshes = self.found = self.with_uv = self.uv_found = 0

    def line(self, name):
        uv = "%5.1f%% of %d" % (100.0 * self.uv_found / self.with_uv, self.with_uv) if self.with_uv else "      -     "
        return "%-48s recall %5.1f%% of %3d   uv recall %s" % (name, 100.0 * self.found / self.meshes, self.meshes, uv)


def score_file(result, truths, tallies, label_of):
    """Adds one file's meshes to tallies; returns its false candidates."""
    cands = result["candidates"]
    for truth in truths:
        options = truth if isinstance(truth, list) else [truth]
        label = label_of(options[0])
        t = tallies[label]
        t.meshes += 1
        best = next((c for c in cands if any(overlaps(c["index_block"], o["index_block"]) for o in options)), None)
        hit = best is not None and any(same_geometry(best, o) for o in options)
        t.found += hit
        if options[0].get("uv_block") is not None:
            t.with_uv += 1
            t.uv_found += hit and any(same_geometry(best, o) and same_uvs(best, o) for o in options)
    flat = [o for t in truths for o in (t if isinstance(t, list) else [t])]
    return sum(1 for c in cands if not any(overlaps(c["index_block"], o["index_block"]) for o in flat))


def report(title, files, cli, label_of):
    tallies = collections.defaultdict(Tally)
    false, size = 0, 0
    for path, truths in files:
        result = run_find(cli, path, EXTRA)
        false += score_file(result, truths, tallies, label_of)
        size += result["size"]
    total = Tally()
    print("== %s: %d files, %.2f MB" % (title, len(files), size / 1e6))
    for name in sorted(tallies):
        t = tallies[name]
        print("  " + t.line(name))
        for k in ("meshes", "found", "with_uv", "uv_found"):
            setattr(total, k, getattr(total, k) + getattr(t, k))
    if total.meshes:
        print("  " + total.line("all"))
    print("  false candidates: %d, %.2f per MB" % (false, false / max(size / 1e6, 1e-9)))
    return total


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--cli", default=os.path.join(HERE, "..", "build", "bin", "nimbrel-cli"))
    ap.add_argument("--corpus")
    ap.add_argument("--min-triangles", type=int, help="passed on to find")
    ap.add_argument("--realdata", default="/work/shared/realdata")
    ap.add_argument("--group", choices=["encoding", "index", "file"], default="encoding",
                    help="what a corpus line groups by")
    args = ap.parse_args()
    if args.min_triangles is not None:
        EXTRA[:] = ["--min-triangles", str(args.min_triangles)]
    if args.corpus:
        files = []
        for name in sorted(os.listdir(args.corpus)):
            if name.endswith(".json"):
                truth = json.load(open(os.path.join(args.corpus, name)))
                files.append((os.path.join(args.corpus, truth["file"]), truth["meshes"]))
        if args.group == "index":
            label = lambda m: m["encoding"].split("/")[0]
        else:
            label = lambda m: m["encoding"]
        report("corpus " + args.corpus, files, args.cli, label)
    if args.realdata and os.path.isdir(args.realdata):
        for name in sorted(os.listdir(args.realdata)):
            if name.endswith(".ply"):
                REALDATA[name] = ply_layout(os.path.join(args.realdata, name))
        for name, derive in (("engine.bin", engine_layouts), ("boxes.3ds", boxes_layouts)):
            if os.path.exists(os.path.join(args.realdata, name)):
                REALDATA[name] = derive(os.path.join(args.realdata, name))
        files = [(os.path.join(args.realdata, n), t) for n, t in sorted(REALDATA.items())
                 if os.path.exists(os.path.join(args.realdata, n))]
        names = {id(o): n for n, t in REALDATA.items() for m in t for o in (m if isinstance(m, list) else [m])}
        report("realdata " + args.realdata, files, args.cli, lambda m: names.get(id(m), "?"))


if __name__ == "__main__":
    sys.exit(main())
