"""Poses a character as actorviewer does, from what the model reader makes of
its file (the JSON of `xfileinfo --full`): samples an animation set at a
tick, combines the frame matrices, builds the bone palette and skins the
vertices. Used by the asset checks and the preview."""
import json
import subprocess

import xmath


def read_model(xfileinfo, path, reduced=False):
    """The reader's view of a model file; raises when the inspector fails or
    writes anything to standard error."""
    command = [xfileinfo, "--full"] + (["--reduced"] if reduced else []) + [path]
    run = subprocess.run(command, capture_output=True, text=True, check=False)
    if run.returncode != 0 or run.stderr:
        raise RuntimeError("%s failed (%d): %s" % (" ".join(command), run.returncode, run.stderr))
    return json.loads(run.stdout)


def _sample_channel(keys, tick):
    """(earlier key, later key, t), or (the last key, None, 0) when no key lies
    after the tick or the tick lies before the first key."""
    later = next((i for i, key in enumerate(keys) if key[0] > tick), None)
    exact = next((key for key in keys if key[0] == tick), None)
    if exact is not None:
        return exact, None, 0.0
    if later is None or later == 0:
        return keys[-1], None, 0.0
    earlier = keys[later - 1]
    return earlier, keys[later], (tick - earlier[0]) / (keys[later][0] - earlier[0])


def _blend_values(keys, tick, neutral):
    if not keys:
        return neutral
    earlier, later, t = _sample_channel(keys, tick)
    if later is None:
        return tuple(earlier[1:])
    return tuple((1 - t) * a + t * b for a, b in zip(earlier[1:], later[1:]))


def _blend_matrices(t, a, b):
    """Scale, rotation and translation of two matrix keys, interpolated apart:
    rotations spherically, the rest linearly."""
    def split(m):
        scales = [xmath.length(m[r * 4:r * 4 + 3]) for r in range(3)]
        rotation = list(xmath.IDENTITY)
        for r in range(3):
            rotation[r * 4:r * 4 + 3] = [v / scales[r] for v in m[r * 4:r * 4 + 3]]
        return scales, xmath.matrix_quaternion(rotation), m[12:15]

    scales_a, qa, ta = split(a)
    scales_b, qb, tb = split(b)
    m = list(xmath.quaternion_matrix(xmath.slerp(qa, qb, t)))
    for r in range(3):
        s = (1 - t) * scales_a[r] + t * scales_b[r]
        m[r * 4:r * 4 + 3] = [v * s for v in m[r * 4:r * 4 + 3]]
    m[12:15] = [(1 - t) * x + t * y for x, y in zip(ta, tb)]
    return tuple(m)


def first_frames(model):
    """The index of the first frame of each name: bones and animations name
    frames, and the first Frame record of a name is the one they mean."""
    first = {}
    for index, frame in enumerate(model["frames"]):
        first.setdefault(frame["name"], index)
    return first


def sample(model, set_index, tick):
    """Local matrices of every frame (in file order) at a tick of an animation
    set: the file's frame matrices, with the animated frames' replaced by their
    sampled pose."""
    local = [tuple(frame["transform"]) for frame in model["frames"]]
    sets = model["animationSets"]
    if set_index >= len(sets) or tick > sets[set_index]["lastKeyTime"]:
        return local
    first = first_frames(model)
    for animation in sets[set_index]["animations"]:
        if animation["frameName"] not in first:
            continue
        matrix_keys = animation["matrixKeys"]
        if matrix_keys:
            earlier, later, t = _sample_channel(matrix_keys, tick)
            matrix = tuple(earlier[1:]) if later is None else _blend_matrices(t, earlier[1:], later[1:])
        else:
            x, y, z, w = _blend_values(animation["rotationKeys"], tick, (0.0, 0.0, 0.0, 1.0))
            sx, sy, sz = _blend_values(animation["scaleKeys"], tick, (1.0, 1.0, 1.0))
            position = _blend_values(animation["positionKeys"], tick, (0.0, 0.0, 0.0))
            scaling = (sx, 0, 0, 0, 0, sy, 0, 0, 0, 0, sz, 0, 0, 0, 0, 1)
            # The viewer negates w before it turns a key into a matrix.
            matrix = xmath.mul(xmath.mul(scaling, xmath.quaternion_matrix((x, y, z, -w))),
                               xmath.translation(*position))
        local[first[animation["frameName"]]] = matrix
    return local


def combine(model, local):
    """Model-space matrix of every frame, by the first frame of each name: its
    local matrix carried out through its parents, which come before it."""
    combined = []
    for index, frame in enumerate(model["frames"]):
        parent = frame["parent"]
        combined.append(local[index] if parent is None else xmath.mul(local[index], combined[parent]))
    first = first_frames(model)
    return {name: combined[index] for name, index in first.items()}


def palette(mesh, combined):
    return [xmath.mul(tuple(bone["offset"]), combined[bone["name"]]) for bone in mesh["bones"]]


def skin(mesh, combined):
    """Vertex positions in model space, each the weighted sum of its bones'
    palette matrices applied to its bind position."""
    bones = palette(mesh, combined)
    out = []
    for vertex in mesh["vertexData"]:
        p = (0.0, 0.0, 0.0)
        for weight, bone in vertex["influences"]:
            p = xmath.add(p, xmath.scale(xmath.transform_point(vertex["position"], bones[bone]), weight))
        out.append(p)
    return out


def pose(model, set_index, tick):
    """(combined frame matrices, skinned positions of the first mesh)."""
    combined = combine(model, sample(model, set_index, tick))
    return combined, skin(model["meshes"][0], combined)
