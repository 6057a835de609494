"""The character of miko.x: a shrine maiden about 1.7 units tall, standing on
y = 0 and facing -Z, her left side at +X.

Her skin is one mesh of closed, rounded parts: tubes through the joints of
torso, neck, limbs and ponytail, and superellipsoids for head, hands and feet.
Rings of a tube next to a joint are weighted to both bones of the joint, so
the tube bends smoothly there. All bones are untwisted in the bind pose (their
frames only translate), so a bone's offset matrix is the translation by minus
its joint position.

Two animation sets: a walking cycle in place, with rotation and position
keys, and an idle cycle with matrix keys. In both, every joint is keyed with
its bind translation, and the hips are lowered at every key so that the
lowest point of the skinned body rests on y = 0."""
import math

import xmath
from xmath import add, cross, dot, lerp, normalize, scale, sub

# name, parent, joint position in the bind pose (model space)
_CENTRE = [
    ("Hips", None, (0.0, 0.95, 0.0)),
    ("Spine", "Hips", (0.0, 1.05, 0.0)),
    ("Chest", "Spine", (0.0, 1.22, 0.0)),
    ("Neck", "Chest", (0.0, 1.42, 0.0)),
    ("Head", "Neck", (0.0, 1.50, 0.0)),
]
# Left side; the right side mirrors x.
_SIDE = [
    ("Shoulder", "Chest", (0.03, 1.38, 0.0)),
    ("UpperArm", "Shoulder", (0.175, 1.365, 0.0)),
    ("Forearm", "UpperArm", (0.205, 1.10, 0.0)),
    ("Hand", "Forearm", (0.23, 0.855, 0.0)),
    ("Thigh", "Hips", (0.09, 0.88, 0.0)),
    ("Shin", "Thigh", (0.09, 0.48, 0.0)),
    ("Foot", "Shin", (0.09, 0.08, 0.0)),
]
SIDES = (("L", 1.0), ("R", -1.0))

# Texture atlas of 256 x 256 pixels: the rectangle of each painted region.
ATLAS_SIZE = 256
REGIONS = {
    "head": (0, 0, 256, 128),
    "torso": (0, 128, 128, 256),
    "arm": (128, 128, 160, 256),
    "leg": (160, 128, 192, 256),
    "skin": (192, 128, 224, 160),
    "foot": (224, 128, 256, 160),
    "hair": (192, 160, 224, 256),
}
_INSET = 1.5  # pixels kept clear at a region's edge, so filtering stays inside it

# The torso tube runs straight down the y axis between these heights; its
# texture maps height linearly to v.
TORSO_TOP, TORSO_BOTTOM = 1.45, 0.80

WALK_PERIOD, WALK_KEY_STEP = 64, 3
IDLE_PERIOD, IDLE_KEY_STEP = 120, 7


def region_uv(region, fu, fv):
    """Texture coordinates of the point (fu, fv) in [0, 1]^2 of a region."""
    x0, y0, x1, y1 = REGIONS[region]
    return ((x0 + _INSET + fu * (x1 - x0 - 2 * _INSET)) / ATLAS_SIZE,
            (y0 + _INSET + fv * (y1 - y0 - 2 * _INSET)) / ATLAS_SIZE)


def region_point(region, px, py):
    """The inverse of region_uv for the centre of pixel (px, py), clamped."""
    x0, y0, x1, y1 = REGIONS[region]
    fu = (px + 0.5 - x0 - _INSET) / (x1 - x0 - 2 * _INSET)
    fv = (py + 0.5 - y0 - _INSET) / (y1 - y0 - 2 * _INSET)
    return min(max(fu, 0.0), 1.0), min(max(fv, 0.0), 1.0)


class Mesh:
    """Vertices with one normal, texture coordinate and bone-weight table each,
    and faces (quads and triangles) wound clockwise seen from outside."""

    def __init__(self):
        self.positions, self.normals, self.uvs, self.weights, self.faces = [], [], [], [], []
        self.bones, self.offsets = [], []

    def add_surface(self, top, rings, bottom):
        """A closed part: a pole vertex, rings of vertices around the part
        (each ring's last vertex repeats its first at the texture seam) and a
        second pole. top and bottom are (position, uv, weights); every ring is
        (list of (position, uv), weights)."""
        first_vertex, first_face = len(self.positions), len(self.faces)
        groups = []  # vertices that share one normal: a ring's seam pair

        def vertex(position, uv, weights, group):
            self.positions.append(position)
            self.uvs.append(uv)
            self.weights.append(dict(weights))
            groups.append(group)
            return len(self.positions) - 1

        top_index = vertex(*top, len(groups))
        ring_indices = []
        for points, weights in rings:
            seam_group = len(groups)
            ring = [vertex(p, uv, weights, seam_group + (j if j < len(points) - 1 else 0))
                    for j, (p, uv) in enumerate(points)]
            ring_indices.append(ring)
        bottom_index = vertex(*bottom, len(groups))

        columns = len(ring_indices[0]) - 1
        for j in range(columns):
            self.faces.append((top_index, ring_indices[0][j + 1], ring_indices[0][j]))
        for upper, lower in zip(ring_indices, ring_indices[1:]):
            for j in range(columns):
                self.faces.append((upper[j], upper[j + 1], lower[j + 1], lower[j]))
        for j in range(columns):
            self.faces.append((ring_indices[-1][j], ring_indices[-1][j + 1], bottom_index))

        # Wind the part so that its faces look outwards: a closed surface
        # wound that way encloses a positive volume.
        part = range(first_face, len(self.faces))
        if sum(self._triangle_volume(t) for f in part for t in _fan(self.faces[f])) < 0:
            for f in part:
                self.faces[f] = tuple(reversed(self.faces[f]))

        # Smooth normals: area-weighted face normals summed per group.
        sums = {}
        for f in part:
            for a, b, c in _fan(self.faces[f]):
                n = self._triangle_normal(a, b, c)
                for corner in (a, b, c):
                    g = groups[corner - first_vertex]
                    sums[g] = add(sums.get(g, (0.0, 0.0, 0.0)), n)
        for index in range(first_vertex, len(self.positions)):
            self.normals.append(normalize(sums[groups[index - first_vertex]]))

    def _triangle_normal(self, a, b, c):
        """(P1 - P0) x (P2 - P0): outwards for a triangle wound clockwise seen
        from outside, in a left-handed space."""
        p = self.positions
        return cross(sub(p[b], p[a]), sub(p[c], p[a]))

    def _triangle_volume(self, triangle):
        a, b, c = (self.positions[i] for i in triangle)
        return dot(a, cross(b, c)) / 6.0


def _fan(face):
    return [(face[0], face[k], face[k + 1]) for k in range(1, len(face) - 1)]


def _ring_axes(direction):
    """Unit vectors across a tube running along direction: ex towards +X and
    ez towards +Z (the back), both perpendicular to the tube."""
    ex = normalize(sub((1.0, 0.0, 0.0), scale(direction, direction[0])))
    ez = sub((0.0, 0.0, 1.0), scale(direction, direction[2]))
    ez = normalize(sub(ez, scale(ex, dot(ez, ex))))
    return ex, ez


def add_tube(mesh, stations, columns, region):
    """A tube through stations (centre, radius across x, radius across z,
    weights), given from top to bottom. The first and last stations are the
    poles that close it. Texture u runs around the tube starting at its back,
    v along it; a station's angle a puts its point at
    centre + rz cos(a) ez + rx sin(a) ex, so the front (-Z) has u = 0.5."""
    centres = [s[0] for s in stations]
    lengths = [0.0]
    for a, b in zip(centres, centres[1:]):
        lengths.append(lengths[-1] + xmath.length(sub(b, a)))
    rings = []
    for i in range(1, len(stations) - 1):
        centre, rx, rz, weights = stations[i]
        ex, ez = _ring_axes(normalize(sub(centres[i + 1], centres[i - 1])))
        fv = lengths[i] / lengths[-1]
        points = []
        for j in range(columns + 1):
            a = 2 * math.pi * j / columns
            p = add(centre, add(scale(ez, rz * math.cos(a)), scale(ex, rx * math.sin(a))))
            points.append((p, region_uv(region, j / columns, fv)))
        rings.append((points, weights))
    top = (centres[0], region_uv(region, 0.5, 0.0), stations[0][3])
    bottom = (centres[-1], region_uv(region, 0.5, 1.0), stations[-1][3])
    mesh.add_surface(top, rings, bottom)


def _signed_power(value, exponent):
    return math.copysign(abs(value) ** exponent, value)


def add_blob(mesh, centre, axes, radii, exponent, rows, columns, weights, region):
    """A superellipsoid: a sphere for exponent 1, boxier below 1. axes are the
    unit vectors (ex, ey, ez) of its radii; ey points at the top pole. Texture
    u runs around from the +ez side, v from the top pole to the bottom pole."""
    ex, ey, ez = axes
    rx, ry, rz = radii

    def point(theta, a):
        ring = _signed_power(math.sin(theta), exponent)
        return add(centre, add(scale(ex, rx * ring * _signed_power(math.sin(a), exponent)),
                               add(scale(ey, ry * _signed_power(math.cos(theta), exponent)),
                                   scale(ez, rz * ring * _signed_power(math.cos(a), exponent)))))

    rings = []
    for i in range(1, rows):
        theta = math.pi * i / rows
        rings.append(([(point(theta, 2 * math.pi * j / columns), region_uv(region, j / columns, i / rows))
                       for j in range(columns + 1)], weights))
    mesh.add_surface((point(0.0, 0.0), region_uv(region, 0.5, 0.0), weights), rings,
                     (point(math.pi, 0.0), region_uv(region, 0.5, 1.0), weights))


class Track:
    def __init__(self):
        self.rotations, self.positions = [], []


class AnimationSet:
    def __init__(self, name, matrix_keys):
        self.name = name
        self.matrix_keys = matrix_keys
        self.tracks = []  # (bone, Track) or, for matrix keys, (bone, [(tick, matrix)])


class Figure:
    def __init__(self):
        self.bones = list(_CENTRE)  # (name, parent, joint), parents before children
        for side, sign in SIDES:
            for name, parent, (x, y, z) in _SIDE:
                parent_name = parent if parent in ("Chest", "Hips") else parent + side
                self.bones.append((name + side, parent_name, (sign * x, y, z)))
        self.root_bone = self.bones[0][0]
        self.parent = {name: parent for name, parent, _ in self.bones}
        self.joint = {name: joint for name, _, joint in self.bones}
        self.mesh = Mesh()
        self.animation_sets = []

    def children(self, name):
        return [child for child, parent, _ in self.bones if parent == name]

    def bind_offset(self, name):
        """A bone's translation relative to its parent's joint."""
        parent = self.parent[name]
        return sub(self.joint[name], self.joint[parent]) if parent else self.joint[name]

    def local_bind(self, name):
        return xmath.translation(*self.bind_offset(name))

    def combined(self, local):
        """Model-space matrices of all bones from their local matrices."""
        out = {}
        for name, parent, _ in self.bones:
            out[name] = xmath.mul(local[name], out[parent]) if parent else local[name]
        return out


def _build_skin(figure):
    mesh = figure.mesh
    j = figure.joint

    # Torso: hips, waist, chest and shoulders; its top closes round the neck.
    torso = [
        (TORSO_TOP, 0.0, 0.0, {"Chest": 0.5, "Neck": 0.5}),
        (1.43, 0.075, 0.07, {"Chest": 0.5, "Neck": 0.5}),
        (1.40, 0.12, 0.08, {"Chest": 0.75, "Neck": 0.25}),
        (1.37, 0.155, 0.09, {"Chest": 1.0}),
        (1.32, 0.16, 0.10, {"Chest": 1.0}),
        (1.25, 0.15, 0.105, {"Chest": 1.0}),
        (1.17, 0.135, 0.095, {"Spine": 0.5, "Chest": 0.5}),
        (1.10, 0.125, 0.09, {"Spine": 1.0}),
        (1.03, 0.14, 0.095, {"Hips": 0.5, "Spine": 0.5}),
        (0.96, 0.165, 0.11, {"Hips": 1.0}),
        (0.88, 0.155, 0.105, {"Hips": 1.0}),
        (0.83, 0.10, 0.08, {"Hips": 1.0}),
        (TORSO_BOTTOM, 0.0, 0.0, {"Hips": 1.0}),
    ]
    add_tube(mesh, [((0.0, y, 0.0), rx, rz, w) for y, rx, rz, w in torso], 20, "torso")

    neck = [
        (1.58, 0.0, {"Head": 1.0}),
        (1.56, 0.046, {"Head": 1.0}),
        (1.52, 0.048, {"Neck": 0.5, "Head": 0.5}),
        (1.45, 0.049, {"Neck": 1.0}),
        (1.38, 0.052, {"Chest": 0.5, "Neck": 0.5}),
        (1.36, 0.0, {"Chest": 0.5, "Neck": 0.5}),
    ]
    add_tube(mesh, [((0.0, y, 0.0), r, r, w) for y, r, w in neck], 12, "skin")

    # Head, a little deeper than wide, its face at -Z.
    add_blob(mesh, (0.0, 1.605, -0.005), ((1.0, 0.0, 0.0), (0.0, 1.0, 0.0), (0.0, 0.0, 1.0)),
             (0.092, 0.112, 0.102), 1.0, 16, 24, {"Head": 1.0}, "head")

    # Ponytail down the back, tied at the nape.
    tail = [
        ((0.0, 1.68, 0.05), 0.0, {"Head": 1.0}),
        ((0.0, 1.64, 0.09), 0.045, {"Head": 1.0}),
        ((0.0, 1.56, 0.125), 0.042, {"Head": 1.0}),
        ((0.0, 1.47, 0.145), 0.036, {"Head": 0.5, "Neck": 0.5}),
        ((0.0, 1.36, 0.155), 0.040, {"Neck": 0.5, "Chest": 0.5}),
        ((0.0, 1.25, 0.155), 0.036, {"Chest": 1.0}),
        ((0.0, 1.17, 0.15), 0.024, {"Chest": 1.0}),
        ((0.0, 1.15, 0.148), 0.0, {"Chest": 1.0}),
    ]
    add_tube(mesh, [(c, r * 1.1, r * 0.8, w) for c, r, w in tail], 10, "hair")

    for side, sign in SIDES:
        shoulder, upper, fore, hand = ("Shoulder" + side, "UpperArm" + side, "Forearm" + side, "Hand" + side)
        thigh, shin, foot = "Thigh" + side, "Shin" + side, "Foot" + side

        # Arm: a sleeved tube from inside the shoulder to the wrist.
        top, elbow, wrist = j[upper], j[fore], j[hand]
        down = normalize(sub(wrist, elbow))
        arm = [
            (add(top, (-0.01 * sign, 0.055, 0.0)), 0.0, 0.0, {shoulder: 0.5, upper: 0.5}),
            (add(top, (-0.005 * sign, 0.04, 0.0)), 0.032, 0.034, {shoulder: 0.5, upper: 0.5}),
            (lerp(top, elbow, -0.06), 0.046, 0.048, {shoulder: 0.5, upper: 0.5}),
            (lerp(top, elbow, 0.15), 0.046, 0.047, {shoulder: 0.2, upper: 0.8}),
            (lerp(top, elbow, 0.5), 0.043, 0.044, {upper: 1.0}),
            (lerp(top, elbow, 0.85), 0.040, 0.041, {upper: 0.8, fore: 0.2}),
            (elbow, 0.038, 0.040, {upper: 0.5, fore: 0.5}),
            (lerp(elbow, wrist, 0.12), 0.038, 0.040, {upper: 0.2, fore: 0.8}),
            (lerp(elbow, wrist, 0.45), 0.037, 0.039, {fore: 1.0}),
            (lerp(elbow, wrist, 0.85), 0.031, 0.033, {fore: 1.0}),
            (wrist, 0.027, 0.029, {fore: 0.5, hand: 0.5}),
            (add(wrist, scale(down, 0.02)), 0.0, 0.0, {fore: 0.5, hand: 0.5}),
        ]
        add_tube(mesh, arm, 12, "arm")

        # Hand: a flat mitten hanging from the wrist, palm towards the thigh.
        ey = scale(down, -1.0)
        ex, ez = _ring_axes(down)
        add_blob(mesh, add(wrist, scale(down, 0.07)), (ex, ey, ez), (0.021, 0.08, 0.042), 0.8, 8, 12,
                 {hand: 1.0}, "skin")

        # Leg: hakama trousers from inside the hips to the ankle, widening
        # towards the hem.
        x = j[thigh][0]
        leg = [
            (1.00, 0.0, {"Hips": 0.5, thigh: 0.5}),
            (0.94, 0.080, {"Hips": 0.5, thigh: 0.5}),
            (0.86, 0.088, {"Hips": 0.25, thigh: 0.75}),
            (0.74, 0.084, {thigh: 1.0}),
            (0.62, 0.078, {thigh: 1.0}),
            (0.54, 0.073, {thigh: 0.8, shin: 0.2}),
            (0.48, 0.070, {thigh: 0.5, shin: 0.5}),
            (0.42, 0.070, {thigh: 0.2, shin: 0.8}),
            (0.30, 0.073, {shin: 1.0}),
            (0.18, 0.080, {shin: 1.0}),
            (0.11, 0.082, {shin: 0.75, foot: 0.25}),
            (0.075, 0.060, {shin: 0.5, foot: 0.5}),
            (0.05, 0.0, {shin: 0.5, foot: 0.5}),
        ]
        add_tube(mesh, [((x, y, 0.0), r, r * 1.05, w) for y, r, w in leg], 16, "leg")

        # Foot: a rounded block, its sole on the floor, toes towards -Z.
        add_blob(mesh, (x, 0.04, -0.035), ((1.0, 0.0, 0.0), (0.0, 1.0, 0.0), (0.0, 0.0, 1.0)),
                 (0.042, 0.04, 0.105), 0.5, 8, 16, {foot: 1.0}, "foot")

    mesh.bones = [name for name, _, _ in figure.bones]
    mesh.offsets = [xmath.translation(*scale(figure.joint[name], -1.0)) for name in mesh.bones]
    for bone in mesh.bones:
        assert any(bone in w for w in mesh.weights), "bone %s moves no vertex" % bone
    for w in mesh.weights:
        assert len(w) <= 4 and abs(sum(w.values()) - 1.0) < 1e-9


def _rotation(pitch, yaw, roll):
    """Roll about Z first, then pitch about X, then yaw about Y. A positive
    pitch swings a limb that hangs down forwards (towards -Z) and tips one that
    points up backwards; a positive yaw turns +X towards -Z."""
    return xmath.mul(xmath.mul(xmath.rotation_z(roll), xmath.rotation_x(pitch)), xmath.rotation_y(yaw))


def _walk_pose(tick):
    """Joint angles (pitch, yaw, roll) of the walk at a tick. The left leg is
    furthest forward at a quarter of the cycle; each arm swings against the
    leg of its side."""
    s = 2 * math.pi * tick / WALK_PERIOD
    pose = {}
    for side, _ in SIDES:
        phase = s if side == "L" else s + math.pi
        thigh = 0.42 * math.sin(phase)
        swing = max(0.0, math.cos(phase + 0.35)) ** 2  # early swing: the knee folds most
        knee = -(0.08 + 0.95 * swing)  # knees bend backwards
        pose["Thigh" + side] = (thigh, 0.0, 0.0)
        pose["Shin" + side] = (knee, 0.0, 0.0)
        pose["Foot" + side] = (-(thigh + knee) + 0.12 * swing, 0.0, 0.0)  # flat while it carries her
        forward = max(0.0, -math.sin(phase))
        pose["Shoulder" + side] = (0.0, 0.0, 0.0)
        pose["UpperArm" + side] = (-0.30 * math.sin(phase), 0.0, 0.0)
        pose["Forearm" + side] = (0.20 + 0.30 * forward, 0.0, 0.0)  # elbows bend forwards
        pose["Hand" + side] = (0.10 * forward, 0.0, 0.0)
    pose["Hips"] = (0.0, 0.10 * math.sin(s), 0.0)
    pose["Spine"] = (-0.06, -0.03 * math.sin(s), 0.0)
    pose["Chest"] = (0.0, -0.12 * math.sin(s), 0.0)
    pose["Neck"] = (0.02, 0.0, 0.0)
    pose["Head"] = (0.04 + 0.02 * math.cos(2 * s), 0.05 * math.sin(s), 0.0)
    return pose


def _idle_pose(tick):
    """Joint angles of the idle cycle: breathing with soft knees (thigh, shin
    and foot angles cancel, so the feet stay where they are), arms hanging,
    the head looking to either side."""
    s = 2 * math.pi * tick / IDLE_PERIOD
    bend = 0.05 + 0.02 * (1 - math.cos(2 * s)) / 2
    pose = {}
    for side, sign in SIDES:
        pose["Thigh" + side] = (bend, 0.0, 0.0)
        pose["Shin" + side] = (-2 * bend, 0.0, 0.0)
        pose["Foot" + side] = (bend, 0.0, 0.0)
        pose["Shoulder" + side] = (0.0, 0.0, 0.01 * sign * math.sin(2 * s))
        pose["UpperArm" + side] = (0.04 * math.sin(s + 0.5 * sign), 0.0, 0.0)
        pose["Forearm" + side] = (0.15 + 0.03 * math.sin(2 * s), 0.0, 0.0)
        pose["Hand" + side] = (0.05, 0.0, 0.0)
    pose["Hips"] = (0.0, 0.0, 0.0)
    pose["Spine"] = (-0.02 + 0.01 * math.sin(2 * s), 0.0, 0.0)
    pose["Chest"] = (-0.015 * math.sin(2 * s), 0.06 * math.sin(s), 0.0)
    pose["Neck"] = (0.0, 0.0, 0.0)
    pose["Head"] = (0.03 * math.sin(2 * s), 0.30 * math.sin(s), 0.05 * math.sin(2 * s))
    return pose


def _locals(figure, pose, hips_lift):
    """Local matrices of the bones: rotation, then the bind translation (the
    hips' raised by hips_lift)."""
    local = {}
    for name, _, _ in figure.bones:
        offset = figure.bind_offset(name)
        if name == figure.root_bone:
            offset = add(offset, (0.0, hips_lift, 0.0))
        local[name] = xmath.mul(_rotation(*pose[name]), xmath.translation(*offset))
    return local


def _lowest_point(figure, local):
    """The lowest y of the skinned mesh under these local matrices (only
    vertices in the lower legs and feet can be lowest)."""
    mesh = figure.mesh
    combined = figure.combined(local)
    palette = {b: xmath.mul(o, combined[b]) for b, o in zip(mesh.bones, mesh.offsets)}
    lowest = None
    for position, weights in zip(mesh.positions, mesh.weights):
        if position[1] > 0.3:
            continue
        y = sum(w * xmath.transform_point(position, palette[b])[1] for b, w in weights.items())
        lowest = y if lowest is None else min(lowest, y)
    return lowest


def _grounded_locals(figure, pose):
    """Local matrices with the hips lowered (or raised) so that the body's
    lowest point lies on the floor."""
    return _locals(figure, pose, -_lowest_point(figure, _locals(figure, pose, 0.0)))


def _key_ticks(period, step):
    """Keys every step ticks and one at period - 1: played one tick a frame,
    the cycle wraps from its last tick to 0 in one even step."""
    ticks = list(range(0, period, step))
    return ticks if ticks[-1] == period - 1 else ticks + [period - 1]


def _build_walk(figure):
    walk = AnimationSet("Walk", matrix_keys=False)
    tracks = {name: Track() for name, _, _ in figure.bones}
    ticks = _key_ticks(WALK_PERIOD, WALK_KEY_STEP)
    for tick in ticks:
        pose = _walk_pose(tick)
        local = _grounded_locals(figure, pose)
        for name, _, _ in figure.bones:
            track = tracks[name]
            q = xmath.matrix_quaternion(local[name])
            if track.rotations and dot(q, track.rotations[-1][1]) < 0:
                q = scale(q, -1.0)
            track.rotations.append((tick, q))
            if name == figure.root_bone or tick in (ticks[0], ticks[-1]):
                track.positions.append((tick, xmath.origin(local[name])))
    walk.tracks = [(name, tracks[name]) for name, _, _ in figure.bones]
    return walk


def _build_idle(figure):
    idle = AnimationSet("Idle", matrix_keys=True)
    keys = {name: [] for name, _, _ in figure.bones}
    for tick in _key_ticks(IDLE_PERIOD, IDLE_KEY_STEP):
        local = _grounded_locals(figure, _idle_pose(tick))
        for name, _, _ in figure.bones:
            keys[name].append((tick, local[name]))
    idle.tracks = [(name, keys[name]) for name, _, _ in figure.bones]
    return idle


def build_character():
    figure = Figure()
    _build_skin(figure)
    figure.animation_sets = [_build_walk(figure), _build_idle(figure)]
    return figure
