#!/usr/bin/env python3
"""Writes the sample models of assets/ and their textures:

  miko.x, miko.png                   the skinned, animated character of actorviewer
  squarepolygon.x, squarepolygon.png the textured square of propviewer

usage: genassets.py ASSETS_DIR

The output depends on nothing but this code: numbers are written with a fixed
format and the PNG files with our own deflate encoder, so every run on every
machine gives the same bytes (a test compares them with the committed files).

Conventions are Direct3D's: left-handed, y up, row vectors, the character
faces -Z (towards the viewers' camera) and its left side is +X. Front faces
are wound clockwise seen from outside."""
import os
import sys

import xmath
from character import build_character
from pngfile import encode_png
from textures import paint_atlas, paint_square

HEADER = "xof 0303txt 0032\n"


def fmt(value):
    text = "%.6f" % value
    return "0.000000" if text == "-0.000000" else text


def numbers(values):
    return ",".join(fmt(v) for v in values)


def vector_list(vectors, indent):
    return ",\n".join(indent + "".join(fmt(c) + ";" for c in v) for v in vectors) + ";\n"


def face_list(faces, indent):
    return ",\n".join("%s%d;%s;" % (indent, len(f), ",".join(str(c) for c in f)) for f in faces) + ";\n"


def wrapped(items, indent, per_line=16):
    lines = [",".join(items[i:i + per_line]) for i in range(0, len(items), per_line)]
    return indent + (",\n" + indent).join(lines) + ";\n"


def material_text(name, texture, indent):
    """A white material that shows its texture as painted, a little shiny."""
    return ("%sMaterial %s {\n%s 1.000000;1.000000;1.000000;1.000000;;\n%s 16.000000;\n"
            "%s 0.150000;0.150000;0.150000;;\n%s 0.000000;0.000000;0.000000;;\n"
            "%s TextureFilename {\n%s  \"%s\";\n%s }\n%s}\n" %
            (indent, name, indent, indent, indent, indent, indent, indent, texture, indent, indent))


def skinned_mesh_text(name, mesh, texture, indent):
    """A Mesh record with normals, texture coordinates, one textured material,
    its skin header and a SkinWeights record per bone."""
    inner = indent + " "
    out = ["%sMesh %s {\n%s%d;\n" % (indent, name, inner, len(mesh.positions)),
           vector_list(mesh.positions, inner),
           "%s%d;\n" % (inner, len(mesh.faces)), face_list(mesh.faces, inner)]
    deep = inner + " "
    out += ["%sMeshNormals {\n%s%d;\n" % (inner, deep, len(mesh.normals)), vector_list(mesh.normals, deep),
            "%s%d;\n" % (deep, len(mesh.faces)), face_list(mesh.faces, deep), "%s}\n" % inner]
    out += ["%sMeshTextureCoords {\n%s%d;\n" % (inner, deep, len(mesh.uvs)), vector_list(mesh.uvs, deep),
            "%s}\n" % inner]
    out += ["%sMeshMaterialList {\n%s1;\n%s%d;\n" % (inner, deep, deep, len(mesh.faces)),
            wrapped(["0"] * len(mesh.faces), deep, 40), material_text(name, texture, deep), "%s}\n" % inner]
    per_vertex = max(len(w) for w in mesh.weights)
    per_face = max(len({b for c in f for b in mesh.weights[c]}) for f in mesh.faces)
    out.append("%sXSkinMeshHeader {\n%s%d;\n%s%d;\n%s%d;\n%s}\n" %
               (inner, deep, per_vertex, deep, per_face, deep, len(mesh.bones), inner))
    for bone, offset in zip(mesh.bones, mesh.offsets):
        used = [(v, w[bone]) for v, w in enumerate(mesh.weights) if bone in w]
        out.append("%sSkinWeights {\n%s\"%s\";\n%s%d;\n" % (inner, deep, bone, deep, len(used)))
        out.append(wrapped([str(v) for v, _ in used], deep))
        out.append(wrapped([fmt(w) for _, w in used], deep, 10))
        out.append("%s%s;;\n%s}\n" % (deep, numbers(offset), inner))
    out.append("%s}\n" % indent)
    return "".join(out)


def frame_text(figure, name, indent):
    out = ["%sFrame %s {\n%s FrameTransformMatrix {\n%s  %s;;\n%s }\n" %
           (indent, name, indent, indent, numbers(figure.local_bind(name)), indent)]
    for child in figure.children(name):
        out.append(frame_text(figure, child, indent + " "))
    out.append("%s}\n" % indent)
    return "".join(out)


def animation_set_text(animation_set):
    """An AnimationSet record: per bone either rotation and position keys or
    matrix keys, as the set holds them.

    A rotation key is written as w, x, y, z of the conjugate of the frame's
    rotation: the viewer negates w when it samples a key, which gives back the
    rotation itself."""
    out = ["AnimationSet %s {\n" % animation_set.name]
    for bone, track in animation_set.tracks:
        out.append(" Animation {\n  { %s }\n" % bone)
        if animation_set.matrix_keys:
            rows = ["   %d;16;%s;;" % (t, numbers(m)) for t, m in track]
            out.append("  AnimationKey {\n   4;\n   %d;\n%s;\n  }\n" % (len(rows), ",\n".join(rows)))
        else:
            rows = []
            for t, (x, y, z, w) in track.rotations:
                rows.append("   %d;4;%s;;" % (t, numbers((w, -x, -y, -z))))
            out.append("  AnimationKey {\n   0;\n   %d;\n%s;\n  }\n" % (len(rows), ",\n".join(rows)))
            rows = ["   %d;3;%s;;" % (t, numbers(p)) for t, p in track.positions]
            out.append("  AnimationKey {\n   2;\n   %d;\n%s;\n  }\n" % (len(rows), ",\n".join(rows)))
        out.append(" }\n")
    out.append("}\n")
    return "".join(out)


def character_text(figure):
    out = [HEADER, "// Miko, a shrine maiden: written by tools/genassets/genassets.py, do not edit.\n\n",
           "AnimTicksPerSecond {\n 60;\n}\n\n",
           "Frame Miko {\n FrameTransformMatrix {\n  %s;;\n }\n" % numbers(xmath.IDENTITY)]
    out.append(frame_text(figure, figure.root_bone, " "))
    out.append(" Frame Body {\n  FrameTransformMatrix {\n   %s;;\n  }\n" % numbers(xmath.IDENTITY))
    out.append(skinned_mesh_text("MikoBody", figure.mesh, "miko.png", "  "))
    out.append(" }\n}\n")
    for animation_set in figure.animation_sets:
        out.append("\n" + animation_set_text(animation_set))
    return "".join(out)


def square_text():
    """A square 20 units wide standing on the floor at z = 0, its face towards
    -Z; wound clockwise as the camera sees it."""
    half, top = 10.0, 20.0
    positions = [(-half, 0.0, 0.0), (-half, top, 0.0), (half, top, 0.0), (half, 0.0, 0.0)]
    uvs = [(0.0, 1.0), (0.0, 0.0), (1.0, 0.0), (1.0, 1.0)]
    out = [HEADER, "// A textured square standing on the floor: written by tools/genassets/genassets.py.\n\n",
           "Mesh squarepolygon {\n 4;\n", vector_list(positions, " "), " 1;\n 4;0,1,2,3;;\n",
           " MeshNormals {\n  1;\n  0.000000;0.000000;-1.000000;;\n  1;\n  4;0,0,0,0;;\n }\n",
           " MeshTextureCoords {\n  4;\n", vector_list(uvs, "  "), " }\n",
           " MeshMaterialList {\n  1;\n  1;\n  0;;\n", material_text("square", "squarepolygon.png", "  "), " }\n}\n"]
    return "".join(out)


def write_text(path, text):
    # Windows line ends, as the model files of the Windows tools have them;
    # the reader opens models in text mode.
    with open(path, "w", newline="\r\n") as f:
        f.write(text)


def write_png(path, image):
    width, height, rgb = image
    with open(path, "wb") as f:
        f.write(encode_png(width, height, rgb))


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    figure = build_character()
    write_text(os.path.join(folder, "miko.x"), character_text(figure))
    write_png(os.path.join(folder, "miko.png"), paint_atlas())
    write_text(os.path.join(folder, "squarepolygon.x"), square_text())
    write_png(os.path.join(folder, "squarepolygon.png"), paint_square())


if __name__ == "__main__":
    main()
