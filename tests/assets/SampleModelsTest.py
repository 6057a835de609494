#!/usr/bin/env python3
"""The sample models in assets/: the committed files are what the generator
writes, and what the model reader makes of them poses as intended: the
character stands on the floor facing the camera, walks with knees bending
backwards and elbows forwards, idles with planted feet; the square stands
facing the camera.

usage: SampleModelsTest.py --source-dir DIR --xfileinfo PATH [unittest options]"""
import argparse
import json
import math
import os
import random
import subprocess
import sys
import tempfile
import unittest
import zlib

ARGS = None
pngfile = xmath = xpose = None  # the generator's modules, imported once the source folder is known
GENERATED = ("miko.x", "miko.png", "squarepolygon.x", "squarepolygon.png")
LIMBS = {side: {"upper": "UpperArm" + side, "fore": "Forearm" + side, "hand": "Hand" + side,
                "thigh": "Thigh" + side, "shin": "Shin" + side, "foot": "Foot" + side} for side in "LR"}


def asset(name):
    return os.path.join(ARGS.source_dir, "assets", name)


def pitch(direction):
    """Forward swing of a segment that hangs down: positive towards -Z."""
    return math.atan2(-direction[2], -direction[1])


class GeneratedFiles(unittest.TestCase):
    def test_committed_files_are_the_generators_output(self):
        with tempfile.TemporaryDirectory() as folder:
            subprocess.run([sys.executable, "-B", os.path.join(ARGS.source_dir, "tools", "genassets", "genassets.py"),
                            folder], check=True)
            self.assertEqual(sorted(os.listdir(folder)), sorted(GENERATED))
            for name in GENERATED:
                with self.subTest(name), open(os.path.join(folder, name), "rb") as fresh, \
                        open(asset(name), "rb") as committed:
                    self.assertTrue(fresh.read() == committed.read(),
                                    "assets/%s differs from the generator's output: build the genassets target" % name)

    def test_deflate_round_trips_at_the_limits_of_its_matches(self):
        noise = random.Random(7).randbytes(32768)
        cases = {
            "empty": b"",
            "one byte": b"x",
            "shorter than a match": b"ab",
            "run longer than the longest match": b"\x07" * 1000,
            "repeat at the largest distance": noise[1:] + b"\x01" + noise[1:],
            "repeat one byte too far": noise + b"\x01" + noise,
            "every byte value": bytes(range(256)) * 3,
        }
        for name, data in cases.items():
            with self.subTest(name):
                self.assertEqual(zlib.decompress(pngfile.deflate(data)), data)

    def test_textures_decode_as_rgb_images(self):
        for name, size in (("miko.png", 256), ("squarepolygon.png", 128)):
            with self.subTest(name), open(asset(name), "rb") as f:
                width, height, channels, pixels = pngfile.decode_png(f.read())
                self.assertEqual((width, height, channels, len(pixels)), (size, size, 3, size * size * 3))


class PoseRules(unittest.TestCase):
    """The viewer's posing, through xfileinfo --pose, follows these rules."""

    def posed(self, keys, tick):
        text = ("xof 0303txt 0032\nFrame F { FrameTransformMatrix { 1,0,0,0,0,1,0,0,0,0,1,0,0,0,0,1;; } }\n"
                "AnimationSet { Animation { { F } %s } }\n" % keys)
        with tempfile.NamedTemporaryFile("w", suffix=".x", delete=False) as f:
            f.write(text)
        try:
            run = subprocess.run([ARGS.xfileinfo, "--pose", "0", str(tick), f.name], capture_output=True, text=True,
                                 check=True)
        finally:
            os.remove(f.name)
        return json.loads(run.stdout)["frameMatrices"][0]

    def test_a_rotation_key_is_sampled_with_w_negated(self):
        half = math.sqrt(0.5)
        matrix = self.posed("AnimationKey { 0; 1; 0;4;%r,0,%r,0;;; } AnimationKey { 2; 1; 0;3;1,2,3;;; }"
                            % (half, half), 0)
        expected = xmath.mul(xmath.rotation_y(-math.pi / 2), xmath.translation(1.0, 2.0, 3.0))
        for a, b in zip(matrix, expected):
            self.assertAlmostEqual(a, b, places=6)

    def test_matrix_keys_blend_rotation_and_translation_apart(self):
        later = xmath.mul(xmath.rotation_x(1.0), xmath.translation(4.0, 0.0, 0.0))
        keys = "AnimationKey { 4; 2; 0;16;%s;;, 4;16;%s;;; }" % (
            ",".join(repr(v) for v in xmath.IDENTITY), ",".join(repr(v) for v in later))
        expected = xmath.mul(xmath.rotation_x(0.25), xmath.translation(1.0, 0.0, 0.0))
        for a, b in zip(self.posed(keys, 1), expected):
            self.assertAlmostEqual(a, b, places=5)


class Character(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.model = xpose.read_model(ARGS.xfileinfo, asset("miko.x"))
        cls.mesh = cls.model["meshes"][0]
        cls.bones = [bone["name"] for bone in cls.mesh["bones"]]
        cls.sets = {s["name"]: i for i, s in enumerate(cls.model["animationSets"])}
        cls.poses = {}

    def pose(self, set_name, tick):
        """(combined frame matrices, skinned positions, palette), computed once."""
        key = (set_name, tick)
        if key not in self.poses:
            self.poses[key] = xpose.pose(ARGS.xfileinfo, asset("miko.x"), self.model, self.sets[set_name], tick)
        return self.poses[key]

    def joints(self, combined):
        return {name: xmath.origin(m) for name, m in combined.items()}

    def vertices_of(self, bone):
        """Indices of the vertices that bone alone moves."""
        index = self.bones.index(bone)
        return [i for i, v in enumerate(self.mesh["vertexData"]) if [b for _, b in v["influences"]] == [index]]

    def test_reader_finds_a_skinned_textured_mesh_in_a_still_frame(self):
        frame_list = self.model["frames"]
        self.assertEqual([f["index"] for f in frame_list], list(range(len(frame_list))))
        frames = {f["name"]: f for f in frame_list}
        self.assertEqual(len(frames), len(frame_list))
        self.assertEqual(len(self.model["meshes"]), 1)
        self.assertEqual(self.mesh["flags"], 0x01 | 0x02 | 0x04 | 0x08 | 0x20)
        self.assertEqual(frame_list[self.mesh["frame"]]["name"], "Body")
        self.assertEqual(frames["Body"]["transform"], list(xmath.IDENTITY))
        self.assertEqual(len(self.mesh["materials"]), 1)
        texture = self.mesh["materials"][0]["textures"][0]
        self.assertTrue(texture.endswith("miko.png") and os.path.isfile(texture), texture)
        self.assertGreaterEqual(len(self.bones), 15)
        self.assertEqual(len(set(self.bones)), len(self.bones))
        for bone in self.bones:
            self.assertIn(bone, frames)
        chain, at = [], "HandL"
        while at is not None:
            chain.append(at)
            parent = frames[at]["parent"]
            at = None if parent is None else frame_list[parent]["name"]
        self.assertEqual(chain, ["HandL", "ForearmL", "UpperArmL", "ShoulderL", "Chest", "Spine", "Hips", "Miko"])

    def test_animation_sets_walk_with_rotation_and_position_keys_then_idle_with_matrix_keys(self):
        walk, idle = self.model["animationSets"]
        self.assertEqual((walk["name"], idle["name"]), ("Walk", "Idle"))
        self.assertTrue(60 <= walk["lastKeyTime"] <= 80, walk["lastKeyTime"])
        self.assertGreater(idle["lastKeyTime"], 0)
        for animation in walk["animations"]:
            with self.subTest(animation["frameName"]):
                self.assertIn(animation["frameName"], self.bones)
                self.assertTrue(animation["rotationKeys"] and animation["positionKeys"])
                self.assertFalse(animation["matrixKeys"] or animation["scaleKeys"])
        for animation in idle["animations"]:
            self.assertTrue(animation["matrixKeys"])
        # Both sets move every bone, so switching sets leaves no limb behind.
        for animation_set in (walk, idle):
            self.assertEqual(sorted(a["frameName"] for a in animation_set["animations"]), sorted(self.bones))

    def test_skin_weights_sum_to_one_and_blend_across_elbows_and_knees(self):
        for i, vertex in enumerate(self.mesh["vertexData"]):
            influences = vertex["influences"]
            self.assertTrue(1 <= len(influences) <= 4, i)
            self.assertAlmostEqual(sum(w for w, _ in influences), 1.0, places=5, msg=i)
        shared = {tuple(sorted(self.bones[b] for _, b in v["influences"])) for v in self.mesh["vertexData"]}
        for side in "LR":
            limb = LIMBS[side]
            for pair in ((limb["fore"], limb["upper"]), (limb["shin"], limb["thigh"])):
                self.assertIn(tuple(sorted(pair)), shared)

    def test_bind_pose_stands_undeformed_on_the_floor(self):
        combined, positions, palette = self.pose("Walk", 1 << 30)  # past every key: the file's frame matrices
        for bone, matrix in zip(self.bones, palette):
            for a, b in zip(matrix, xmath.IDENTITY):
                self.assertAlmostEqual(a, b, places=5, msg=bone)
        heights = [p[1] for p in positions]
        self.assertAlmostEqual(min(heights), 0.0, places=4)
        self.assertTrue(1.65 <= max(heights) <= 1.75, max(heights))

    def test_faces_are_wound_clockwise_seen_from_outside(self):
        vertices = self.mesh["vertexData"]
        positions = [v["position"] for v in vertices]
        part = list(range(len(vertices)))

        def root(i):
            while part[i] != i:
                part[i] = part[part[i]]
                i = part[i]
            return i

        volumes = {}
        for face in self.mesh["faceData"]:
            a, b, c = face[:3]
            normal = xmath.cross(xmath.sub(positions[b], positions[a]), xmath.sub(positions[c], positions[a]))
            for corner in (a, b, c):
                self.assertGreater(xmath.dot(normal, vertices[corner]["normal"]), 0.0, face)
            part[root(b)] = root(a)
            part[root(c)] = root(a)
        for face in self.mesh["faceData"]:
            a, b, c = (positions[i] for i in face[:3])
            volumes[root(face[0])] = volumes.get(root(face[0]), 0.0) + xmath.dot(a, xmath.cross(b, c)) / 6
        self.assertGreater(len(volumes), 10)
        for volume in volumes.values():
            self.assertGreater(volume, 0.0)

    def test_face_and_toes_point_towards_minus_z(self):
        with open(asset("miko.png"), "rb") as f:
            width, height, channels, pixels = pngfile.decode_png(f.read())

        def texel(vertex):
            u, v = vertex["texCoord"]
            at = (min(int(v * height), height - 1) * width + min(int(u * width), width - 1)) * channels
            return pixels[at:at + 3]

        vertices = self.mesh["vertexData"]
        head = [vertices[i] for i in self.vertices_of("Head")]
        skin = [v["position"][2] for v in head if texel(v)[0] > 200]  # light: the face
        hair = [v["position"][2] for v in head if max(texel(v)) < 80]  # dark: the hair
        self.assertTrue(skin and hair)
        self.assertGreater(sum(z < 0 for z in skin), 0.8 * len(skin))
        self.assertGreater(sum(hair) / len(hair), sum(skin) / len(skin) + 0.05)
        for side in "LR":
            foot = LIMBS[side]["foot"]
            ankle = self.joints(self.pose("Walk", 1 << 30)[0])[foot]
            z = [vertices[i]["position"][2] for i in self.vertices_of(foot)]
            self.assertLess(min(z), ankle[2] - 0.1)
            self.assertLess(max(z), ankle[2] + 0.1)

    def test_walk_keeps_a_foot_on_the_floor_and_loops_smoothly(self):
        last = self.model["animationSets"][self.sets["Walk"]]["lastKeyTime"]
        for tick in range(last + 1):
            heights = [p[1] for p in self.pose("Walk", tick)[1]]
            self.assertLess(abs(min(heights)), 0.012, tick)
            self.assertTrue(1.55 <= max(heights) <= 1.8, (tick, max(heights)))
        # The viewer plays the last tick and then tick 0: a step no longer
        # than the steps within the cycle.
        joints = [self.joints(self.pose("Walk", tick)[0]) for tick in range(last + 1)]

        def step(a, b):
            return max(xmath.length(xmath.sub(a[bone], b[bone])) for bone in self.bones)

        longest = max(step(a, b) for a, b in zip(joints, joints[1:]))
        self.assertGreater(step(joints[-1], joints[0]), 0.2 * longest)
        self.assertLess(step(joints[-1], joints[0]), 1.2 * longest)

    def test_walk_bends_knees_backwards_and_elbows_forwards(self):
        last = self.model["animationSets"][self.sets["Walk"]]["lastKeyTime"]
        sub = xmath.sub
        knees, elbows = [], []
        for tick in range(last + 1):
            joint = self.joints(self.pose("Walk", tick)[0])
            for limb in LIMBS.values():
                thigh = pitch(sub(joint[limb["shin"]], joint[limb["thigh"]]))
                shin = pitch(sub(joint[limb["foot"]], joint[limb["shin"]]))
                upper = pitch(sub(joint[limb["fore"]], joint[limb["upper"]]))
                fore = pitch(sub(joint[limb["hand"]], joint[limb["fore"]]))
                knees.append(shin - thigh)
                elbows.append(fore - upper)
        self.assertLess(max(knees), 0.0)  # the shin always folds back under the thigh
        self.assertLess(min(knees), -0.8)  # and folds far in the swing
        self.assertGreater(min(elbows), 0.0)
        # A quarter into the cycle the left leg is forward and the left arm
        # back, the right side the other way round.
        joint = self.joints(self.pose("Walk", (last + 1) // 4)[0])
        left, right = LIMBS["L"], LIMBS["R"]
        self.assertGreater(pitch(sub(joint[left["shin"]], joint[left["thigh"]])), 0.3)
        self.assertLess(pitch(sub(joint[right["shin"]], joint[right["thigh"]])), -0.3)
        self.assertLess(pitch(sub(joint[left["fore"]], joint[left["upper"]])), 0.0)
        self.assertGreater(pitch(sub(joint[right["fore"]], joint[right["upper"]])), 0.0)

    def test_idle_keeps_the_feet_planted_while_the_head_turns(self):
        last = self.model["animationSets"][self.sets["Idle"]]["lastKeyTime"]
        start = self.joints(self.pose("Idle", 0)[0])
        looks = []
        for tick in range(last + 1):
            combined, positions, _ = self.pose("Idle", tick)
            self.assertLess(abs(min(p[1] for p in positions)), 0.005, tick)
            joint = self.joints(combined)
            for limb in LIMBS.values():
                drift = xmath.sub(joint[limb["foot"]], start[limb["foot"]])
                self.assertLess(math.hypot(drift[0], drift[2]), 0.005, (tick, limb["foot"]))
            face = xmath.transform_vector((0.0, 0.0, -1.0), combined["Head"])
            looks.append(math.atan2(face[0], -face[2]))
        self.assertGreater(max(looks) - min(looks), 0.4)


class Square(unittest.TestCase):
    def test_square_stands_on_the_floor_facing_the_camera(self):
        model = xpose.read_model(ARGS.xfileinfo, asset("squarepolygon.x"), reduced=True)
        (mesh,) = model["meshes"]
        vertices = mesh["vertexData"]
        self.assertEqual((len(vertices), len(mesh["faceData"])), (4, 2))
        positions = [v["position"] for v in vertices]
        self.assertEqual(sorted({p[0] for p in positions}), [-10.0, 10.0])
        self.assertEqual(sorted({p[1] for p in positions}), [0.0, 20.0])
        self.assertEqual({p[2] for p in positions}, {0.0})
        for face in mesh["faceData"]:
            a, b, c = (positions[i] for i in face[:3])
            normal = xmath.cross(xmath.sub(b, a), xmath.sub(c, a))
            self.assertLess(normal[2], 0.0)  # clockwise as the camera at -Z sees it
        for vertex in vertices:
            self.assertEqual(vertex["normal"], [0.0, 0.0, -1.0])
            x, y, _ = vertex["position"]
            # The texture's top row at the top, its left column at the left.
            self.assertEqual(vertex["texCoord"], [0.0 if x < 0 else 1.0, 0.0 if y > 0 else 1.0])
        texture = mesh["materials"][0]["textures"][0]
        self.assertEqual(os.path.normpath(texture), os.path.normpath(asset("squarepolygon.png")))


if __name__ == "__main__":
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--source-dir", required=True)
    parser.add_argument("--xfileinfo", required=True)
    ARGS, rest = parser.parse_known_args()
    sys.path.insert(0, os.path.join(ARGS.source_dir, "tools", "genassets"))
    import pngfile
    import xmath
    import xpose
    unittest.main(argv=[sys.argv[0]] + rest)
