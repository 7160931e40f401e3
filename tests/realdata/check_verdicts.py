#!/usr/bin/env python3
"""How often "&Check layout" names the right verdict on the real model files.

For each layout of docs/field_test.md the check runs on the right settings and on five kinds
of wrong ones (FVF size 4 too large, face start 2 bytes on, Word/DW swapped, list/strip
swapped, byte order swapped), through `nimbrel-cli run` scripts. A verdict counts as right
when the right layout "looks right", and when a wrong one's verdict names the setting that
was changed.

usage: check_verdicts.py BIN_DIR [REALDATA_DIR]
"""
import os
import subprocess
import sys
import tempfile

# file, face start, count, DW, strip, bigE, face gap, seq, field 4, UV pos, vertex start,
# vertex count, format index
LAYOUTS = [
    ("box_interleaved.bin", "240", 36, 0, 0, 0, 0, 0, "24", "99", "c", 24, 0),
    ("box_textured.bin", "300", 36, 0, 0, 0, 0, 1, "240", "99", "120", 24, 0),
    ("duck.bin", "12be0", 12636, 0, 0, 0, 0, 1, "e0e8", "99", "7074", 2399, 0),
    ("duck_be.bin", "12be0", 12636, 0, 0, 1, 0, 1, "e0e8", "99", "7074", 2399, 0),
    ("duck_fvf32.bin", "0", 12636, 0, 0, 0, 0, 0, "32", "24", "62b8", 2399, 0),
    ("duck_half.bin", "0", 12636, 0, 0, 0, 0, 0, "12", "8", "62b8", 2399, 2),
    ("truck_short.bin", "0", 5232, 0, 0, 0, 0, 0, "12", "8", "28e0", 1856, 4),
    ("pins.bin", "0", 4572, 1, 0, 0, 0, 0, "12", "99", "4770", 744, 0),
    ("pins.bin", "6a50", 942, 1, 0, 0, 0, 0, "12", "99", "7908", 159, 0),
    ("primitive_modes.bin", "42", 18, 0, 0, 0, 0, 0, "12", "99", "84", 7, 0),
    ("milktruck.bin", "16858", 5232, 0, 0, 0, 0, 1, "11b10", "99", "5ae0", 1856, 0),
    ("milktruck.bin", "19288", 864, 0, 0, 0, 0, 0, "12", "99", "ce60", 464, 0),
    ("milktruck.bin", "19948", 2304, 0, 0, 0, 0, 1, "15510", "99", "ff98", 586, 0),
    ("engine.bin", "147348", 8250, 0, 0, 0, 0, 0, "12", "99", "5e50", 2012, 0),
    ("jeep.ms3d", "45ce", 6096, 0, 0, 0, 64, 0, "15", "99", "11", 1190, 0),
    ("wuson.b3d", "a5e5", 11196, 1, 0, 0, 0, 0, "20", "12", "75", 2117, 0),
    ("sphere_be.ply", "12c4", 2304, 1, 0, 1, 1, 0, "12", "99", "ab", 386, 0),
    ("sphere_vnormals_be.ply", "2512", 2304, 1, 0, 1, 1, 0, "24", "99", "e1", 386, 0),
    ("octagonal_pocket_le.ply", "4e81", 9786, 1, 0, 0, 1, 0, "12", "99", "c8", 1658, 0),
    ("reference_le.ply", "35e9", 4830, 1, 0, 0, 1, 0, "16", "99", "118", 845, 0),
    ("fixed_top_le.ply", "706b", 14316, 1, 0, 0, 5, 0, "12", "99", "122", 2374, 0),
]

# kind: (script lines after the right setup, words one of which the verdict must name)
def mistakes(layout):
    name, start, _, dw, strip, big, _, seq, field4, *_ = layout
    out = {"right": ([], None)}
    if not seq:
        out["stride"] = ([f"set 4 {int(field4) + 4}"], ["FVF size"])
    out["start+2"] = ([f"set 2 {int(start, 16) + 2:x}"], ["face start"])
    # After the click the fix is the file's own setting.
    out["index size"] = (["click 14"], ["try DW"] if dw else ["try Word"])
    out["list/strip"] = (["click 18"], ["try Strip"] if strip else ["try noStr"])
    out["byte order"] = (["click 12"], ["try bigE"] if big else ["try litE"])
    return out


def script_for(layout, extra, folder):
    name, start, count, dw, strip, big, gap, seq, field4, uvpos, vstart, vcount, fmt = layout
    lines = [f"open {os.path.join(folder, name)}"]
    if dw: lines.append("click 14")
    if strip: lines.append("click 18")
    if big: lines.append("click 12")
    if seq: lines.append("click 13")
    if fmt: lines.append(f"select 8 {fmt}")
    lines += [f"set 2 {start}", f"set 3 {count}", f"set 32 {gap}", f"set 4 {field4}"]
    if not seq: lines.append(f"set 5 {uvpos}")
    lines += [f"set 6 {vstart}", f"set 7 {vcount}"]
    lines += extra
    lines += ["click 9081", "print 29"]
    return "\n".join(lines) + "\n"


def verdict_of(cli, script, app_dir):
    run = subprocess.run([cli, "run", "--app-dir", app_dir, "-"], input=script, capture_output=True, text=True)
    verdicts = [l for l in run.stdout.splitlines() if l.startswith("verdict: ")]
    if verdicts:
        return verdicts[-1][len("verdict: "):]
    messages = [l for l in run.stdout.splitlines() if l.startswith("message: ")]
    return "(no report) " + (messages[-1] if messages else run.stderr.strip())


def main():
    if len(sys.argv) < 2:
        print(__doc__)
        return 2
    cli = os.path.join(sys.argv[1], "nimbrel-cli")
    folder = sys.argv[2] if len(sys.argv) > 2 else os.path.join(os.path.dirname(__file__), "../../../shared/realdata")
    folder = os.path.abspath(folder)
    totals = {}
    with tempfile.TemporaryDirectory() as work:
        app_dir = os.path.join(work, "app")
        os.mkdir(app_dir)
        for tool in ("mesh_viewer", "notepad", "wordpad"):
            path = os.path.join(app_dir, tool)
            with open(path, "w") as f:
                f.write("#!/bin/sh\nexit 0\n")
            os.chmod(path, 0o755)
        os.chdir(work)
        for layout in LAYOUTS:
            for kind, (extra, names) in mistakes(layout).items():
                verdict = verdict_of(cli, script_for(layout, extra, folder), app_dir)
                if names is None:
                    right = verdict == "layout looks right"
                else:
                    right = verdict != "layout looks right" and any(n in verdict for n in names)
                judged_wrong = names is None or verdict != "layout looks right"
                good, wrong_seen, seen = totals.get(kind, (0, 0, 0))
                totals[kind] = (good + right, wrong_seen + judged_wrong, seen + 1)
                print(f"{'ok ' if right else 'BAD'} {layout[0]:24} {layout[1]:>7} {kind:10} {verdict}")
    print()
    print(f"{'kind':10} {'verdict right':>14} {'called wrong':>13}")
    for kind, (good, wrong_seen, seen) in totals.items():
        print(f"{kind:10} {good:>7}/{seen:<6} {wrong_seen:>6}/{seen:<6}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
