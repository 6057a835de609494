"""Poses a character as actorviewer does: the viewer's own posing code, run
by `xfileinfo --pose SET TICK`, gives the combined frame matrices and the bone
palettes; this module adds only the skinning sum that the viewer's vertex
shader does. Used by the asset checks and the preview."""
import json
import subprocess

import xmath


def _run(command):
    run = subprocess.run(command, capture_output=True, text=True, check=False)
    if run.returncode != 0 or run.stderr:
        raise RuntimeError("%s failed (%d): %s" % (" ".join(command), run.returncode, run.stderr))
    return json.loads(run.stdout)


def read_model(xfileinfo, path, reduced=False):
    """The reader's view of a model file (`xfileinfo --full`); raises when the
    inspector fails or writes anything to standard error."""
    return _run([xfileinfo, "--full"] + (["--reduced"] if reduced else []) + [path])


def skin(mesh, palette):
    """Vertex positions in model space, each the weighted sum of its bones'
    palette matrices applied to its bind position."""
    out = []
    for vertex in mesh["vertexData"]:
        p = (0.0, 0.0, 0.0)
        for weight, bone in vertex["influences"]:
            p = xmath.add(p, xmath.scale(xmath.transform_point(vertex["position"], palette[bone]), weight))
        out.append(p)
    return out


def pose(xfileinfo, path, model, set_index, tick):
    """(combined frame matrices by the first frame of each name, skinned
    positions of the first mesh, its palette) at a tick of an animation set."""
    posed = _run([xfileinfo, "--pose", str(set_index), str(tick), path])
    combined = {}
    for frame, matrix in zip(model["frames"], posed["frameMatrices"]):
        combined.setdefault(frame["name"], tuple(matrix))
    palette = [tuple(matrix) for matrix in posed["palettes"][0]]
    return combined, skin(model["meshes"][0], palette), palette
