#!/usr/bin/env python3
"""Writes the sample models of assets/: the skinned, animated figure "miko.x"
and the textured square "squarepolygon.x" with its texture.

usage: genassets.py ASSETS_DIR

The figure is built of boxes, one per bone, each box skinned fully to its
bone; its one animation set swings the arms and legs in a walk cycle. Faces
are written as quads and wound clockwise seen from outside (the front faces
of Direct3D's left-handed space)."""
import math
import os
import struct
import sys
import zlib

HEADER = "xof 0303txt 0032\n"


def fmt(v):
    return "%.6f" % v


def matrix(m):
    return ",".join(fmt(v) for v in m) + ";;"


def translation(x, y, z):
    return [1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, x, y, z, 1]


AXES = {  # outward normal: (u, v) with u x v = normal
    (1, 0, 0): ((0, 1, 0), (0, 0, 1)),
    (-1, 0, 0): ((0, 0, 1), (0, 1, 0)),
    (0, 1, 0): ((0, 0, 1), (1, 0, 0)),
    (0, -1, 0): ((1, 0, 0), (0, 0, 1)),
    (0, 0, 1): ((1, 0, 0), (0, 1, 0)),
    (0, 0, -1): ((0, 1, 0), (1, 0, 0)),
}


def box(center, half):
    """24 vertices (4 per side, so each side keeps its own normal) and 6 quads."""
    verts, faces = [], []
    for n, (u, v) in AXES.items():
        base = len(verts)
        for su, sv in ((-1, -1), (1, -1), (1, 1), (-1, 1)):
            verts.append(tuple(center[i] + half[i] * (n[i] + su * u[i] + sv * v[i]) for i in range(3)))
        faces.append((base, base + 1, base + 2, base + 3))
    return verts, faces


# Bones of the figure: name, parent, joint position relative to the parent,
# and the box hung from the joint (centre relative to the joint, half sizes).
BONES = [
    ("Hips", None, (0.0, 0.95, 0.0), ((0, 0.05, 0), (0.17, 0.1, 0.1))),
    ("Spine", "Hips", (0.0, 0.15, 0.0), ((0, 0.25, 0), (0.2, 0.25, 0.12))),
    ("Head", "Spine", (0.0, 0.55, 0.0), ((0, 0.14, 0), (0.12, 0.14, 0.12))),
    ("ArmL", "Spine", (-0.26, 0.48, 0.0), ((0, -0.3, 0), (0.06, 0.3, 0.06))),
    ("ArmR", "Spine", (0.26, 0.48, 0.0), ((0, -0.3, 0), (0.06, 0.3, 0.06))),
    ("LegL", "Hips", (-0.1, -0.02, 0.0), ((0, -0.46, 0), (0.08, 0.46, 0.08))),
    ("LegR", "Hips", (0.1, -0.02, 0.0), ((0, -0.46, 0), (0.08, 0.46, 0.08))),
]
COLORS = {"Head": (1.0, 0.85, 0.7), "Spine": (0.8, 0.1, 0.15), "Hips": (0.9, 0.9, 0.9),
          "ArmL": (1.0, 0.85, 0.7), "ArmR": (1.0, 0.85, 0.7), "LegL": (0.2, 0.2, 0.3), "LegR": (0.2, 0.2, 0.3)}
MATERIALS = [("skin", (1.0, 0.85, 0.7)), ("robe", (0.8, 0.1, 0.15)), ("sash", (0.9, 0.9, 0.9)),
             ("hakama", (0.2, 0.2, 0.3))]


def material_of(name):
    return [m[1] for m in MATERIALS].index(COLORS[name])


def world_joint(name):
    by_name = {b[0]: b for b in BONES}
    x = y = z = 0.0
    while name:
        _, parent, (jx, jy, jz), _ = by_name[name]
        x, y, z = x + jx, y + jy, z + jz
        name = parent
    return x, y, z


def write_frames(out, parent, depth):
    for name, bone_parent, joint, _ in BONES:
        if bone_parent != parent:
            continue
        pad = " " * depth
        out.append("%sFrame %s {\n%s FrameTransformMatrix {\n%s  %s\n%s }\n" %
                   (pad, name, pad, pad, matrix(translation(*joint)), pad))
        write_frames(out, name, depth + 1)
        out.append("%s}\n" % pad)


def quaternion_x(angle):
    # Written as w, x, y, z.
    return (math.cos(angle / 2), math.sin(angle / 2), 0.0, 0.0)


def write_miko(path):
    out = [HEADER, "\nAnimTicksPerSecond {\n 60;\n}\n\n", "Frame Miko {\n FrameTransformMatrix {\n  %s\n }\n" %
           matrix(translation(0, 0, 0))]
    write_frames(out, None, 1)

    verts, faces, face_materials, owner = [], [], [], []
    for index, (name, _, _, (center, half)) in enumerate(BONES):
        jx, jy, jz = world_joint(name)
        v, f = box((jx + center[0], jy + center[1], jz + center[2]), half)
        base = len(verts)
        verts += v
        owner += [index] * len(v)
        faces += [tuple(base + c for c in quad) for quad in f]
        face_materials += [material_of(name)] * len(f)

    out.append(" Mesh body {\n  %d;\n" % len(verts))
    out.append(",\n".join("  %s;%s;%s;" % tuple(fmt(c) for c in v) for v in verts) + ";\n")
    out.append("  %d;\n" % len(faces))
    out.append(",\n".join("  4;%d,%d,%d,%d;" % q for q in faces) + ";\n")
    out.append("  MeshMaterialList {\n   %d;\n   %d;\n" % (len(MATERIALS), len(faces)))
    out.append(",\n".join("   %d" % m for m in face_materials) + ";\n")
    for name, (r, g, b) in MATERIALS:
        out.append("   Material %s {\n    %s;%s;%s;1.000000;;\n    20.000000;\n    0.300000;0.300000;0.300000;;\n"
                   "    %s;%s;%s;;\n   }\n" % (name, fmt(r), fmt(g), fmt(b), fmt(r * 0.25), fmt(g * 0.25), fmt(b * 0.25)))
    out.append("  }\n")
    out.append("  XSkinMeshHeader {\n   1;\n   3;\n   %d;\n  }\n" % len(BONES))
    for index, (name, _, _, _) in enumerate(BONES):
        mine = [i for i, o in enumerate(owner) if o == index]
        jx, jy, jz = world_joint(name)
        out.append("  SkinWeights {\n   \"%s\";\n   %d;\n" % (name, len(mine)))
        out.append(",\n".join("   %d" % i for i in mine) + ";\n")
        out.append(",\n".join("   1.000000" for _ in mine) + ";\n")
        out.append("   %s\n  }\n" % matrix(translation(-jx, -jy, -jz)))
    out.append(" }\n}\n\n")

    # A walk cycle: arms and legs swing in opposition, the hips bob.
    ticks = list(range(0, 61, 5))
    out.append("AnimationSet Walk {\n")
    swings = {"LegL": 0.6, "LegR": -0.6, "ArmL": -0.5, "ArmR": 0.5}
    for name, amplitude in swings.items():
        out.append(" Animation {\n  { %s }\n  AnimationKey {\n   0;\n   %d;\n" % (name, len(ticks)))
        rows = []
        for t in ticks:
            w, x, y, z = quaternion_x(amplitude * math.sin(2 * math.pi * t / 60))
            rows.append("   %d;4;%s,%s,%s,%s;;" % (t, fmt(w), fmt(x), fmt(y), fmt(z)))
        out.append(",\n".join(rows) + ";\n  }\n")
        jx, jy, jz = dict((b[0], b[2]) for b in BONES)[name]
        out.append("  AnimationKey {\n   2;\n   1;\n   0;3;%s,%s,%s;;;\n  }\n }\n" % (fmt(jx), fmt(jy), fmt(jz)))
    out.append(" Animation {\n  { Hips }\n  AnimationKey {\n   2;\n   %d;\n" % len(ticks))
    out.append(",\n".join("   %d;3;0.000000,%s,0.000000;;" % (t, fmt(0.95 + 0.03 * abs(math.sin(2 * math.pi * t / 60))))
                          for t in ticks) + ";\n  }\n }\n}\n")
    with open(path, "w", newline="\r\n") as f:
        f.write("".join(out))


def write_png(path, size=64):
    rows = b""
    for y in range(size):
        row = bytearray([0])
        for x in range(size):
            light = ((x // 8) + (y // 8)) % 2 == 0
            row += bytes((230, 200, 90, 255) if light else (60, 90, 160, 255))
        rows += bytes(row)

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)

    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)) +
                chunk(b"IDAT", zlib.compress(rows, 9)) + chunk(b"IEND", b""))


def write_square(path):
    h = 5.0
    verts = [(-h, 0.5, -h), (-h, 0.5, h), (h, 0.5, h), (h, 0.5, -h)]  # wound to face up
    uvs = [(0, 1), (0, 0), (1, 0), (1, 1)]
    out = [HEADER, "\n// A square polygon lying on the floor, facing up, with a checker texture.\n",
           "Mesh squarepolygon {\n 4;\n"]
    out.append(",\n".join(" %s;%s;%s;" % tuple(fmt(c) for c in v) for v in verts) + ";\n")
    out.append(" 1;\n 4;0,1,2,3;;\n")
    out.append(" MeshNormals {\n  1;\n  0.000000;1.000000;0.000000;;\n  1;\n  4;0,0,0,0;;\n }\n")
    out.append(" MeshTextureCoords {\n  4;\n" + ",\n".join("  %s;%s;" % (fmt(u), fmt(v)) for u, v in uvs) + ";\n }\n")
    out.append(" MeshMaterialList {\n  1;\n  1;\n  0;;\n  Material {\n   1.000000;1.000000;1.000000;1.000000;;\n"
               "   10.000000;\n   0.200000;0.200000;0.200000;;\n   0.100000;0.100000;0.100000;;\n"
               "   TextureFilename {\n    \"squarepolygon.png\";\n   }\n  }\n }\n}\n")
    with open(path, "w", newline="\r\n") as f:
        f.write("".join(out))


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    write_miko(os.path.join(folder, "miko.x"))
    write_square(os.path.join(folder, "squarepolygon.x"))
    write_png(os.path.join(folder, "squarepolygon.png"))


if __name__ == "__main__":
    main()
