#!/usr/bin/env python3
"""Draws a character model in orthographic views to a PNG, to look at its
shape, texture and poses without the viewer.

usage: preview.py XFILEINFO MODEL.x OUT.png [SET:TICK:VIEW ...]

XFILEINFO is the model inspector (build/default/tools/xfileinfo/xfileinfo);
VIEW is "front" (seen from -Z, as the viewers' camera sees it) or "side" (seen
from the character's left). A SET of -1 draws the bind pose. Without views it
draws the bind pose and four moments of the first set's cycle. Faces are
culled as the device culls them (counter-clockwise on screen), textured with
the material's texture and lit by the viewers' light."""
import math
import os
import sys

import xmath
import xpose
from pngfile import decode_png, encode_png

PANEL_W, PANEL_H = 180, 200
PIXELS_PER_UNIT = 100.0
LIGHT = xmath.normalize((0.3, -0.8, 0.5))
VIEWS = {  # right, up, forward (into the screen)
    "front": ((1.0, 0.0, 0.0), (0.0, 1.0, 0.0), (0.0, 0.0, 1.0)),
    "side": ((0.0, 0.0, 1.0), (0.0, 1.0, 0.0), (-1.0, 0.0, 0.0)),
}


def _texture(model):
    files = [t for m in model["meshes"][0]["materials"] for t in m["textures"] if t]
    if not files:
        return None
    with open(files[0], "rb") as f:
        return decode_png(f.read())


def _texel(texture, u, v):
    width, height, channels, pixels = texture
    x = min(max(int(u * width), 0), width - 1)
    y = min(max(int(v * height), 0), height - 1)
    at = (y * width + x) * channels
    return pixels[at:at + 3]


def draw_panel(model, texture, positions, view, image, left, top):
    """Rasterises the mesh with a depth buffer into one panel of image."""
    right, up, forward = VIEWS[view]
    mesh = model["meshes"][0]
    vertices = mesh["vertexData"]
    screen = [(left + PANEL_W / 2 + xmath.dot(p, right) * PIXELS_PER_UNIT,
               top + PANEL_H - 10 - xmath.dot(p, up) * PIXELS_PER_UNIT, xmath.dot(p, forward)) for p in positions]
    depth = {}
    for face in mesh["faceData"]:
        a, b, c = face[:3]
        (x0, y0, z0), (x1, y1, z1), (x2, y2, z2) = screen[a], screen[b], screen[c]
        area = (x1 - x0) * (y2 - y0) - (x2 - x0) * (y1 - y0)
        if area <= 0:
            continue  # counter-clockwise on the screen (rows run down): culled
        normal = xmath.cross(xmath.sub(positions[b], positions[a]), xmath.sub(positions[c], positions[a]))
        light = max(-xmath.dot(xmath.normalize(normal), LIGHT), 0.0) * 0.75 + 0.25
        for py in range(max(int(min(y0, y1, y2)), top), min(int(max(y0, y1, y2)) + 1, top + PANEL_H)):
            for px in range(max(int(min(x0, x1, x2)), left), min(int(max(x0, x1, x2)) + 1, left + PANEL_W)):
                sx, sy = px + 0.5, py + 0.5
                w1 = ((sx - x0) * (y2 - y0) - (x2 - x0) * (sy - y0)) / area
                w2 = ((x1 - x0) * (sy - y0) - (sx - x0) * (y1 - y0)) / area
                w0 = 1 - w1 - w2
                if min(w0, w1, w2) < 0:
                    continue
                z = w0 * z0 + w1 * z1 + w2 * z2
                if depth.get((px, py), math.inf) <= z:
                    continue
                depth[(px, py)] = z
                colour = (200, 200, 200)
                if texture:
                    uv = [w0 * vertices[a]["texCoord"][i] + w1 * vertices[b]["texCoord"][i] +
                          w2 * vertices[c]["texCoord"][i] for i in range(2)]
                    colour = _texel(texture, *uv)
                at = (py * image[0] + px) * 3
                image[2][at:at + 3] = bytes(min(int(ch * light), 255) for ch in colour)


def main():
    if len(sys.argv) < 4:
        sys.exit(__doc__)
    xfileinfo, path, out = sys.argv[1:4]
    model = xpose.read_model(xfileinfo, path)
    texture = _texture(model)
    panels = [tuple(spec.split(":")) for spec in sys.argv[4:]]
    if not panels:
        last = model["animationSets"][0]["lastKeyTime"] if model["animationSets"] else 0
        panels = [("-1", "0", "front"), ("-1", "0", "side")] + [
            ("0", str(last * k // 4), "side") for k in range(4)]
    width, height = PANEL_W * len(panels), PANEL_H
    image = (width, height, bytearray(b"\x30\x30\x38" * (width * height)))
    for index, (set_index, tick, view) in enumerate(panels):
        if int(set_index) < 0:
            positions = [v["position"] for v in model["meshes"][0]["vertexData"]]
        else:
            positions = xpose.pose(xfileinfo, path, model, int(set_index), int(tick))[1]
        draw_panel(model, texture, positions, view, image, index * PANEL_W, 0)
        for px in range(index * PANEL_W, (index + 1) * PANEL_W):  # the floor, y = 0
            at = ((PANEL_H - 10) * width + px) * 3
            image[2][at:at + 3] = b"\x60\xa0\x60"
    with open(out, "wb") as f:
        f.write(encode_png(*image))
    print("wrote %s: %s" % (os.path.basename(out), ", ".join(":".join(p) for p in panels)))


if __name__ == "__main__":
    main()
