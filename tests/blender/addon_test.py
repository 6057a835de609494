"""The DirectX (.x) add-on in headless Blender (run by run-blender-tests):

    blender -b --factory-startup --python addon_test.py -- PART [options]

PART import: every model given is imported through the add-on; at the first,
a middle and the last key of each of its first three sets (the file's own
pose for a model without sets), Blender's evaluated, skinned vertices (Z-up
turned back into the file's space) are the viewers' pose of the file
(xfileinfo --pose), as one point set, within 1e-3 of the model's size. Every
set is an action, named as the set where it moves one object, and each one,
made active, poses as its set. A file the reader refuses is one error and
leaves nothing behind.

PART export: a scene made here (an armature of three bones, a skinned
cylinder, two actions with different motions) is exported to each .x format;
the viewers pose each set of the file as Blender posed its action. Then a
round trip: a model imported, exported and imported again poses as the first
import did.

Prints one line per check and a summary; exits 1 when any check fails.
"""

import argparse
import json
import math
import os
import subprocess
import sys
import tempfile

import addon_utils
import bpy
import mathutils
from mathutils.kdtree import KDTree

ADDON = "io_scene_directx_x"
SHARE = 1e-3          # of the model's size: how far the two poses may lie apart
SETS_CHECKED = 3

failures = []


def check(condition, what):
    print(("ok      " if condition else "FAILED  ") + what, flush=True)
    if not condition:
        failures.append(what)
    return condition


def options():
    argv = sys.argv[sys.argv.index("--") + 1:] if "--" in sys.argv else []
    parser = argparse.ArgumentParser(prog="addon_test.py")
    parser.add_argument("part", choices=("import", "export"))
    parser.add_argument("--converter", required=True)
    parser.add_argument("--xfileinfo", required=True)
    parser.add_argument("--work", required=True)
    parser.add_argument("--models", nargs="*", default=[])
    parser.add_argument("--round-trip", nargs="*", default=[])
    parser.add_argument("--failures", help="a model of two meshes, to check how failures are met")
    parser.add_argument("--keep", help="a folder to leave the exported files in, for other readers")
    return parser.parse_args(argv)


def addon_module():
    for module in addon_utils.modules():
        if module.__name__.split(".")[-1] == ADDON:
            return module
    return None


def enable_addon(converter):
    module = addon_module()
    if not check(module is not None, "the add-on is found among Blender's add-ons"):
        sys.exit(1)
    addon_utils.enable(module.__name__, default_set=True)
    prefs = bpy.context.preferences.addons[module.__name__].preferences
    prefs.converter_path = converter
    return module


def empty_scene():
    bpy.ops.wm.read_homefile(use_empty=True)
    for kind in ("objects", "meshes", "armatures", "materials", "images", "actions", "collections"):
        collection = getattr(bpy.data, kind)
        for item in list(collection):
            collection.remove(item)


def run_json(arguments):
    finished = subprocess.run(arguments, stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    if finished.returncode != 0:
        raise RuntimeError("%s: %s" % (" ".join(arguments), finished.stderr.decode("utf-8", "replace")))
    return json.loads(finished.stdout.decode("utf-8"))


def transform(m, p):
    """A row vector times a row-major 4x4 (as a flat list), the .x way."""
    return [p[0] * m[j] + p[1] * m[4 + j] + p[2] * m[8 + j] + m[12 + j] for j in range(3)]


class ViewerPoses:
    """The viewers' pose of a file, from xfileinfo: every influence of a
    skinned vertex, weights normalised; a rigid mesh by its frame."""

    def __init__(self, xfileinfo, path):
        self.xfileinfo, self.path = xfileinfo, path
        self.info = run_json([xfileinfo, "--full", path])
        self.sets = [s["name"] for s in self.info.get("animationSets", [])]
        self.ticks_per_second = self.info["ticksPerSecond"] if self.info["ticksPerSecond"] > 0 else 60

    def points(self, set_index, tick):
        pose = run_json([self.xfileinfo, "--pose", str(set_index), str(tick), self.path])
        out = []
        for m, mesh in enumerate(self.info["meshes"]):
            used = sorted({corner for face in mesh["faceData"] for corner in face[:-1]})
            if not used:
                continue
            palette = pose["palettes"][m] if m < len(pose["palettes"]) else []
            frame = mesh.get("frame")
            placement = pose["frameMatrices"][frame] if frame is not None else None
            for v in used:
                vertex = mesh["vertexData"][v]
                position = vertex["position"]
                influences = [(w, b) for w, b in vertex.get("influences", []) if w > 0 and b < len(palette)]
                total = sum(w for w, _ in influences)
                if mesh["bones"] and total > 0:
                    p = [0.0, 0.0, 0.0]
                    for w, b in influences:
                        q = transform(palette[b], position)
                        for c in range(3):
                            p[c] += q[c] * w / total
                elif mesh["bones"] or placement is None:
                    p = list(position)
                else:
                    p = transform(placement, position)
                out.append(p)
        return out


def blender_points():
    """Every mesh's evaluated vertices in world space, turned from Blender's Z-up
    (the glTF importer's (x, -z, y)) back into the file's space (x, z, y)."""
    graph = bpy.context.evaluated_depsgraph_get()
    out = []
    for obj in bpy.data.objects:
        if obj.type != 'MESH':
            continue
        evaluated = obj.evaluated_get(graph)
        mesh = evaluated.to_mesh()
        for vertex in mesh.vertices:
            p = evaluated.matrix_world @ vertex.co
            out.append([p.x, p.z, p.y])
        evaluated.to_mesh_clear()
    return out


def size_of(points):
    if not points:
        return 0.0
    low = [min(p[c] for p in points) for c in range(3)]
    high = [max(p[c] for p in points) for c in range(3)]
    return math.sqrt(sum((high[c] - low[c]) ** 2 for c in range(3)))


def apart(a, b):
    """The largest distance from a point of either set to the nearest of the other."""
    if not a or not b:
        return 0.0 if not a and not b else float("inf")
    largest = 0.0
    for one, other in ((a, b), (b, a)):
        tree = KDTree(len(other))
        for i, p in enumerate(other):
            tree.insert(p, i)
        tree.balance()
        for p in one:
            largest = max(largest, tree.find(p)[2])
    return largest


def sets_of(objects):
    """The set names the import made NLA tracks of, and each one's actions by object."""
    sets = {}
    for obj in objects:
        if obj.animation_data:
            for track in obj.animation_data.nla_tracks:
                for strip in track.strips:
                    sets.setdefault(track.name, {})[obj.name] = strip.action
    return sets


def activate(name):
    """Makes set `name` play, as a user does: each object's action of that set."""
    for obj in bpy.data.objects:
        data = obj.animation_data
        if not data:
            continue
        data.action = None
        for track in data.nla_tracks:
            if track.name == name and track.strips:
                data.action = track.strips[0].action


def go_to_seconds(seconds):
    scene = bpy.context.scene
    frame = seconds * scene.render.fps / scene.render.fps_base
    whole = math.floor(frame)
    scene.frame_set(int(whole), subframe=frame - whole)


def key_ticks(converter, path, set_index, ticks_per_second, folder):
    """The first, a middle and the last key time of a set, in whole ticks,
    from the glTF the converter writes of it."""
    glb_path = os.path.join(folder, "keys.glb")
    subprocess.run([converter, path, "-o", glb_path], stdout=subprocess.PIPE, stderr=subprocess.PIPE, check=True)
    from importlib import import_module
    glb = import_module(addon_module().__name__ + ".glb")
    times = glb.animation_times(glb_path)[set_index][1]
    ticks = sorted({round(t * ticks_per_second) for t in times if abs(t * ticks_per_second - round(t * ticks_per_second)) < 1e-3})
    if not ticks:
        return [0]
    return sorted({ticks[0], ticks[len(ticks) // 2], ticks[-1]})


def import_through_addon(path):
    """(result or the error, the objects made)."""
    before = set(bpy.data.objects)
    try:
        result = bpy.ops.import_scene.directx_x(filepath=path)
    except RuntimeError as error:
        result = str(error)
    return result, [obj for obj in bpy.data.objects if obj not in before]


def check_import(args, path, folder):
    name = os.path.basename(path)
    empty_scene()
    result, objects = import_through_addon(path)
    if os.path.getsize(path) == 0:
        check(isinstance(result, str) and name in result and not objects and not bpy.data.meshes,
              "%s: refused with one error naming it, nothing left behind (%s)" % (name, result))
        return
    if not check(result == {'FINISHED'}, "%s: imports (%s)" % (name, result)):
        return
    viewer = ViewerPoses(args.xfileinfo, path)
    made = sets_of(objects)
    check(sorted(made) == sorted(viewer.sets), "%s: every set is an action: %s" % (name, ", ".join(sorted(made))))
    if viewer.sets:
        first = made.get(viewer.sets[0], {})
        active = {obj.name: obj.animation_data.action for obj in objects if obj.animation_data}
        check(all(active.get(obj) == action for obj, action in first.items()),
              "%s: the first set, %s, is the active action" % (name, viewer.sets[0]))
    for set_name, actions in made.items():
        if len(actions) == 1:
            action = next(iter(actions.values()))
            check(action.name == set_name, "%s: the action of set %s is named %s" % (name, set_name, action.name))
    if not viewer.sets:
        expected = viewer.points(99999, 0)
        size = max(size_of(expected), 1e-9)
        distance = apart(blender_points(), expected)
        check(distance <= SHARE * size, "%s: the file's pose, %.3g of its size apart" % (name, distance / size))
        return
    for s, set_name in enumerate(viewer.sets[:SETS_CHECKED]):
        activate(set_name)
        for tick in key_ticks(args.converter, path, s, viewer.ticks_per_second, folder):
            go_to_seconds(tick / viewer.ticks_per_second)
            expected = viewer.points(s, tick)
            size = max(size_of(expected), 1e-9)
            distance = apart(blender_points(), expected)
            check(distance <= SHARE * size,
                  "%s: set %s at tick %d, %.3g of its size apart" % (name, set_name, tick, distance / size))


def check_several_at_once(folder_of_models, names):
    """Files chosen together in the file browser: each one imported."""
    empty_scene()
    result = bpy.ops.import_scene.directx_x(directory=folder_of_models, files=[{"name": n} for n in names])
    meshes = sorted(obj.data.name for obj in bpy.data.objects if obj.type == 'MESH')
    check(result == {'FINISHED'} and len(meshes) == len(names),
          "several files at once: %s give the meshes %s" % (", ".join(names), ", ".join(meshes)))


def data_counts():
    return {kind: len(getattr(bpy.data, kind)) for kind in ("objects", "meshes", "materials", "images", "actions")}


def check_failures(args, folder):
    """A converter that is nowhere, and an import that Blender's glTF importer
    gives up halfway: one error each, and nothing left behind."""
    module = addon_module()
    prefs = bpy.context.preferences.addons[module.__name__].preferences
    model = args.failures
    path = os.environ.get("PATH", "")
    try:
        empty_scene()
        os.environ["PATH"] = folder
        prefs.converter_path = os.path.join(folder, "nowhere", "xfileconvert")
        result, objects = import_through_addon(model)
        check(isinstance(result, str) and "looked at" in result and prefs.converter_path in result and
              "the PATH" in result and "own copy" in result and not objects,
              "no converter: one error saying where it looked (%s)" % result)
        os.environ["PATH"] = path

        # The second mesh of a sound glTF names an accessor that is not there.
        sound = os.path.join(folder, "sound.glb")
        subprocess.run([args.converter, model, "-o", sound], check=True, stderr=subprocess.PIPE)
        glb = __import__(module.__name__ + ".glb", fromlist=["glb"])
        document, binary = glb.read_glb(sound)
        if len(document.get("meshes", [])) < 2:
            check(False, "the failing import needs a model of two meshes first: %s" % model)
            return
        document["meshes"][1]["primitives"][0]["attributes"]["POSITION"] = 999
        glb.write_glb(os.path.join(folder, "broken.glb"), document, binary)
        fake = os.path.join(folder, "fake-xfileconvert")
        with open(fake, "w") as script:
            script.write('#!/bin/sh\n[ "$1" = --help ] && { echo xfileconvert; exit 0; }\n'
                         'cp "%s" "$3"\n' % os.path.join(folder, "broken.glb"))
        os.chmod(fake, 0o755)
        prefs.converter_path = fake
        before = data_counts()
        result, objects = import_through_addon(model)
        check(isinstance(result, str) and "glTF importer failed" in result,
              "an import Blender's glTF importer gives up is one error (%s)" % result)
        check(data_counts() == before and not objects,
              "an import given up leaves nothing behind: %s, before %s" % (data_counts(), before))
        # Without Blender's glTF add-on there is nothing to import with.
        prefs.converter_path = args.converter
        addon_utils.disable("io_scene_gltf2")
        result, objects = import_through_addon(model)
        check(isinstance(result, str) and "glTF 2.0 format" in result and not objects,
              "without Blender's glTF add-on: one error saying to enable it (%s)" % result)
    finally:
        addon_utils.enable("io_scene_gltf2")
        os.environ["PATH"] = path
        prefs.converter_path = args.converter


# The export scene: a cylinder of 7 rings of 12 vertices along Z, on a chain
# of three bones, and two actions that move different bones.
def build_export_scene():
    empty_scene()
    scene = bpy.context.scene
    armature = bpy.data.armatures.new("Rig")
    rig = bpy.data.objects.new("Rig", armature)
    scene.collection.objects.link(rig)
    bpy.context.view_layer.objects.active = rig
    bpy.ops.object.mode_set(mode='EDIT')
    for i in range(3):
        bone = armature.edit_bones.new("Bone%d" % i)
        bone.head = (0.0, 0.0, float(i))
        bone.tail = (0.0, 0.0, float(i + 1))
        if i:
            bone.parent = armature.edit_bones["Bone%d" % (i - 1)]
            bone.use_connect = True
    bpy.ops.object.mode_set(mode='OBJECT')

    rings, around = 7, 12
    vertices = [(0.3 * math.cos(2 * math.pi * k / around), 0.3 * math.sin(2 * math.pi * k / around), 0.5 * r)
                for r in range(rings) for k in range(around)]
    faces = [(r * around + k, r * around + (k + 1) % around, (r + 1) * around + (k + 1) % around,
              (r + 1) * around + k) for r in range(rings - 1) for k in range(around)]
    mesh = bpy.data.meshes.new("Cylinder")
    mesh.from_pydata(vertices, [], faces)
    mesh.update()
    body = bpy.data.objects.new("Cylinder", mesh)
    scene.collection.objects.link(body)
    body.parent = rig
    body.modifiers.new("Armature", 'ARMATURE').object = rig
    groups = [body.vertex_groups.new(name="Bone%d" % i) for i in range(3)]
    for index, (_, _, z) in enumerate(vertices):
        for i, group in enumerate(groups):
            weight = max(0.0, 1.0 - abs(z - (i + 0.5)))
            if weight > 0:
                group.add([index], weight, 'REPLACE')

    rig.animation_data_create()
    motions = {"Bend": [("Bone1", (1, 0, 0), [0.0, 0.7, -0.3]), ("Bone2", (1, 0, 0), [0.0, 0.5, 0.0])],
               "Twist": [("Bone0", (0, 0, 1), [0.0, 1.2, 0.4]), ("Bone2", (0, 1, 0), [0.0, -0.6, 0.3])]}
    for name, channels in motions.items():
        action = bpy.data.actions.new(name)
        action.use_fake_user = True
        rig.animation_data.action = action
        for bone_name, axis, angles in channels:
            pose_bone = rig.pose.bones[bone_name]
            pose_bone.rotation_mode = 'QUATERNION'
            for k, angle in enumerate(angles):
                pose_bone.rotation_quaternion = mathutils.Quaternion(axis, angle)
                pose_bone.keyframe_insert("rotation_quaternion", frame=1 + 12 * k)
        for pose_bone in rig.pose.bones:
            pose_bone.rotation_quaternion = (1, 0, 0, 0)
    rig.animation_data.action = bpy.data.actions["Bend"]
    return rig


def posed_by_action(rig, action, frames):
    """Blender's pose of the action alone: a bone it does not key stands at
    rest, as the glTF exporter resets it (export_reset_pose_bones), not
    where the action before left it."""
    for pose_bone in rig.pose.bones:
        pose_bone.location = (0, 0, 0)
        pose_bone.rotation_quaternion = (1, 0, 0, 0)
        pose_bone.scale = (1, 1, 1)
    rig.animation_data.action = action
    poses = []
    for frame in frames:
        bpy.context.scene.frame_set(frame)
        poses.append(blender_points())
    return poses


def check_export(args, folder):
    rig = build_export_scene()
    frames = [1, 13, 25]
    fps = bpy.context.scene.render.fps / bpy.context.scene.render.fps_base
    blender = {name: posed_by_action(rig, bpy.data.actions[name], frames) for name in ("Bend", "Twist")}
    rig.animation_data.action = bpy.data.actions["Bend"]
    for x_format in ("txt", "bin", "tzip", "bzip"):
        path = os.path.join(args.keep or folder, "rig-%s.x" % x_format)
        try:
            result = bpy.ops.export_scene.directx_x(filepath=path, x_format=x_format)
        except RuntimeError as error:
            result = str(error)
        if not check(result == {'FINISHED'} and os.path.isfile(path), "export to %s (%s)" % (x_format, result)):
            continue
        check(rig.animation_data.action == bpy.data.actions["Bend"], "%s: the active action is as it was" % x_format)
        viewer = ViewerPoses(args.xfileinfo, path)
        check(sorted(viewer.sets) == ["Bend", "Twist"], "%s: the sets are the actions: %s" % (x_format, viewer.sets))
        for name, poses in blender.items():
            if name not in viewer.sets:
                continue
            for frame, points in zip(frames, poses):
                # Blender's glTF exporter writes frame F at F / fps seconds.
                tick = round(frame / fps * viewer.ticks_per_second)
                expected = viewer.points(viewer.sets.index(name), tick)
                size = max(size_of(points), 1e-9)
                distance = apart(points, expected)
                check(distance <= SHARE * size, "%s: set %s at frame %d (tick %d), %.3g of its size apart" %
                      (x_format, name, frame, tick, distance / size))


def check_round_trip(args, path, folder):
    name = os.path.basename(path)
    empty_scene()
    result, objects = import_through_addon(path)
    if not check(result == {'FINISHED'}, "round trip %s: first import (%s)" % (name, result)):
        return
    made = sorted(sets_of(objects))[:SETS_CHECKED]
    seconds = [0.0, 0.25, 0.5]
    first = {}
    for set_name in made:
        activate(set_name)
        first[set_name] = []
        for t in seconds:
            go_to_seconds(t)
            first[set_name].append(blender_points())
    size = max(size_of(first[made[0]][0]) if made else size_of(blender_points()), 1e-9)
    exported = os.path.join(folder, "round-" + name)
    try:
        result = bpy.ops.export_scene.directx_x(filepath=exported, x_format='bin')
    except RuntimeError as error:
        result = str(error)
    if not check(result == {'FINISHED'}, "round trip %s: export (%s)" % (name, result)):
        return
    empty_scene()
    result, objects = import_through_addon(exported)
    if not check(result == {'FINISHED'}, "round trip %s: second import (%s)" % (name, result)):
        return
    check(sorted(sets_of(objects))[:SETS_CHECKED] == made, "round trip %s: the same sets" % name)
    for set_name in made:
        activate(set_name)
        for t, points in zip(seconds, first[set_name]):
            go_to_seconds(t)
            distance = apart(blender_points(), points)
            check(distance <= SHARE * size, "round trip %s: set %s at %.2f s, %.3g of its size apart" %
                  (name, set_name, t, distance / size))


def main():
    args = options()
    enable_addon(args.converter)
    with tempfile.TemporaryDirectory(dir=args.work) as folder:
        if args.part == "import":
            for path in args.models:
                try:
                    check_import(args, path, folder)
                except Exception as error:  # one model's failure is its own, the others still run
                    check(False, "%s: %s: %s" % (os.path.basename(path), type(error).__name__, error))
            import numpy
            check(numpy.__dict__.get("bool") is not None, "numpy has np.bool for the glTF importer")
            if args.failures:
                check_several_at_once(os.path.dirname(args.failures),
                                      ["twentyfold-skeleton.x", "single-precision-offsets.x"])
                check_failures(args, folder)
        else:
            for step in [lambda: check_export(args, folder)] + [
                    (lambda p: (lambda: check_round_trip(args, p, folder)))(p) for p in args.round_trip]:
                try:
                    step()
                except Exception as error:
                    check(False, "%s: %s" % (type(error).__name__, error))
    print("%s: %d checks failed" % (args.part, len(failures)) if failures else "%s: every check passed" % args.part,
          flush=True)
    sys.exit(1 if failures else 0)


main()
