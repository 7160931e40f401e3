"""Imports every numbered submesh OBJ of a chain into one Blender scene.

A chain export writes MODEL_0.obj, MODEL_1.obj, ... beside the model (a name may carry
the marks "_%_" and a trailing "x": MODEL_3_%_.objx). This script brings all of them in,
one object per file, keeping their UVs.

    blender --python tools/load_multi_obj.py -- FOLDER_OR_STEM

FOLDER_OR_STEM is a folder (every chain in it) or a stem such as /data/car (only car_N);
a path ending in .obj or .vyp names the stem of its chain. Works with Blender 3.x and 4.x.
The file discovery runs under plain python3 too, for tests.
"""

import os
import re
import sys

# MODEL_N.obj, with the optional big-count mark and the suspect-count "x".
_SUBMESH = re.compile(r"^(?P<stem>.+)_(?P<number>\d+)(?P<big>_%_)?\.obj(?P<suspect>x)?$", re.IGNORECASE)


def natural_key(name):
    """Digit runs compare by value, so car_2 comes before car_10."""
    return [(0, int(part), "") if part.isdigit() else (1, 0, part.lower())
            for part in re.split(r"(\d+)", name)]


def _stem_of(path):
    base = os.path.basename(path)
    m = _SUBMESH.match(base)
    if m:
        return os.path.join(os.path.dirname(path), m.group("stem"))
    root, ext = os.path.splitext(path)
    if ext.lower() == ".vyp":
        cut = root.rfind("_")
        return root[:cut] if cut > len(os.path.dirname(root)) else root
    return path


def find_submesh_files(target):
    """The submesh OBJ files that target names, in chain order (stem, then number)."""
    target = os.path.abspath(os.path.expanduser(target))
    if os.path.isdir(target):
        folder, stem = target, None
    else:
        stem_path = _stem_of(target)
        folder, stem = os.path.dirname(stem_path) or ".", os.path.basename(stem_path)
    try:
        names = os.listdir(folder)
    except OSError:
        return []
    found = []
    for name in names:
        m = _SUBMESH.match(name)
        if not m or not os.path.isfile(os.path.join(folder, name)):
            continue
        if stem is not None and m.group("stem").lower() != stem.lower():
            continue
        found.append((natural_key(m.group("stem")), int(m.group("number")), natural_key(name), name))
    found.sort()
    return [os.path.join(folder, entry[3]) for entry in found]


def script_arguments(argv):
    """The arguments after "--", which Blender leaves to the script."""
    return argv[argv.index("--") + 1:] if "--" in argv else []


def _import_obj(bpy, path):
    # The C++ importer (Blender 3.2 and later, the only one in 4.x) or the Python add-on.
    if hasattr(bpy.ops.wm, "obj_import"):
        bpy.ops.wm.obj_import(filepath=path)
    else:
        bpy.ops.import_scene.obj(filepath=path, split_mode="OFF")


def import_chain(bpy, paths):
    imported = []
    for path in paths:
        before = set(bpy.data.objects)
        # Both importers read the file by its content; an "x" name still holds OBJ text.
        _import_obj(bpy, path)
        new = [obj for obj in bpy.data.objects if obj not in before]
        name = os.path.splitext(os.path.basename(path))[0]
        for i, obj in enumerate(new):
            obj.name = name if len(new) == 1 else "%s.%d" % (name, i)
        imported += new
        print("load_multi_obj: %s -> %d object(s)" % (path, len(new)))
    return imported


def main():
    args = script_arguments(sys.argv)
    if len(args) != 1:
        print("usage: blender --python load_multi_obj.py -- FOLDER_OR_STEM", file=sys.stderr)
        return 2
    paths = find_submesh_files(args[0])
    if not paths:
        print("load_multi_obj: no submesh OBJ files for %s" % args[0], file=sys.stderr)
        return 1
    import bpy  # only inside Blender

    objects = import_chain(bpy, paths)
    print("load_multi_obj: %d file(s), %d object(s) imported" % (len(paths), len(objects)))
    return 0


if __name__ == "__main__":
    code = main()
    if code and "bpy" not in sys.modules:
        sys.exit(code)
