"""Checks the file discovery and the importer choice of load_multi_obj.py without Blender."""

import os
import sys
import tempfile
import types
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
import load_multi_obj as lmo  # noqa: E402


def touch(folder, name):
    with open(os.path.join(folder, name), "w") as f:
        f.write("v 0 0 0\n")


class Discovery(unittest.TestCase):
    def setUp(self):
        self.tmp = tempfile.TemporaryDirectory()
        self.dir = self.tmp.name
        for name in ["car_10.obj", "car_2.obj", "car_0.obj", "car_3_%_.objx", "car_1.OBJ", "car_0.vyp",
                     "carpet_0.obj", "car.obj", "car_x.obj", "test.obj", "my_car_4.obj"]:
            touch(self.dir, name)
        os.mkdir(os.path.join(self.dir, "car_5.obj"))  # a folder, not a file

    def tearDown(self):
        self.tmp.cleanup()

    def names(self, target):
        return [os.path.basename(p) for p in lmo.find_submesh_files(target)]

    def test_stem_takes_its_chain_in_number_order(self):
        want = ["car_0.obj", "car_1.OBJ", "car_2.obj", "car_3_%_.objx", "car_10.obj"]
        stem = os.path.join(self.dir, "car")
        self.assertEqual(self.names(stem), want)
        self.assertEqual(self.names(os.path.join(self.dir, "car_2.obj")), want)
        self.assertEqual(self.names(os.path.join(self.dir, "car_7.vyp")), want)
        self.assertEqual(self.names(os.path.join(self.dir, "CAR")), want)

    def test_folder_takes_every_chain(self):
        self.assertEqual(self.names(self.dir),
                         ["car_0.obj", "car_1.OBJ", "car_2.obj", "car_3_%_.objx", "car_10.obj",
                          "carpet_0.obj", "my_car_4.obj"])

    def test_nothing_to_import(self):
        self.assertEqual(self.names(os.path.join(self.dir, "boat")), [])
        self.assertEqual(self.names(os.path.join(self.dir, "missing", "car")), [])

    def test_arguments_after_the_double_dash(self):
        self.assertEqual(lmo.script_arguments(["blender", "--python", "x.py", "--", "/d/car"]), ["/d/car"])
        self.assertEqual(lmo.script_arguments(["blender", "--python", "x.py"]), [])


class FakeObject:
    """Hashable by identity, as Blender's objects are."""

    def __init__(self, name):
        self.name = name


def fake_bpy(new_api):
    """Just enough of bpy: each import adds one object to bpy.data.objects."""
    calls = []
    objects = []

    def make(kind):
        def op(**kwargs):
            calls.append((kind, kwargs))
            objects.append(FakeObject("imported"))
        return op

    wm = types.SimpleNamespace()
    if new_api:
        wm.obj_import = make("wm.obj_import")
    ops = types.SimpleNamespace(wm=wm, import_scene=types.SimpleNamespace(obj=make("import_scene.obj")))
    return types.SimpleNamespace(ops=ops, data=types.SimpleNamespace(objects=objects)), calls


class Import(unittest.TestCase):
    def test_each_file_becomes_one_object_named_after_it(self):
        for new_api, kind in ((True, "wm.obj_import"), (False, "import_scene.obj")):
            bpy, calls = fake_bpy(new_api)
            objs = lmo.import_chain(bpy, ["/d/car_0.obj", "/d/car_1_%_.objx"])
            self.assertEqual([c[0] for c in calls], [kind, kind])
            self.assertEqual([c[1]["filepath"] for c in calls], ["/d/car_0.obj", "/d/car_1_%_.objx"])
            self.assertEqual([o.name for o in objs], ["car_0", "car_1_%_"])
            if not new_api:
                self.assertEqual(calls[0][1]["split_mode"], "OFF")


if __name__ == "__main__":
    unittest.main()
