"""Reading and writing the binary glTF files the converter writes.

Blender's glTF importer keys in each action only the bones (and objects) its
animation moves, and a bone that an action does not key keeps whatever pose
the action before it left, so that switching actions poses a set wrongly.
complete_animations gives every animation a constant channel, holding the
node's own transform, for each node that another animation moves, which is
what glTF means by a node an animation does not touch.
"""

import json
import struct

_GLB_MAGIC = b"glTF"
_JSON_CHUNK = 0x4E4F534A
_BIN_CHUNK = 0x004E4942
_FLOAT = 5126
_DEFAULTS = {"translation": [0.0, 0.0, 0.0], "rotation": [0.0, 0.0, 0.0, 1.0], "scale": [1.0, 1.0, 1.0]}


class GlbError(Exception):
    pass


def read_glb(path):
    """(the JSON document, the binary chunk as a bytearray) of a .glb file."""
    with open(path, "rb") as file:
        data = file.read()
    if len(data) < 20 or data[:4] != _GLB_MAGIC:
        raise GlbError("%s is no binary glTF file" % path)
    offset = 12
    document, binary = None, bytearray()
    while offset + 8 <= len(data):
        length, kind = struct.unpack_from("<II", data, offset)
        chunk = data[offset + 8:offset + 8 + length]
        if kind == _JSON_CHUNK:
            document = json.loads(chunk.decode("utf-8"))
        elif kind == _BIN_CHUNK:
            binary = bytearray(chunk)
        offset += 8 + length
    if document is None:
        raise GlbError("%s has no JSON chunk" % path)
    return document, binary


def write_glb(path, document, binary):
    text = json.dumps(document, separators=(",", ":")).encode("utf-8")
    text += b" " * (-len(text) % 4)
    binary = bytes(binary) + b"\0" * (-len(binary) % 4)
    chunks = struct.pack("<II", len(text), _JSON_CHUNK) + text
    if binary:
        chunks += struct.pack("<II", len(binary), _BIN_CHUNK) + binary
    with open(path, "wb") as file:
        file.write(_GLB_MAGIC + struct.pack("<II", 2, 12 + len(chunks)) + chunks)


def read_floats(document, binary, accessor_index):
    """An accessor of floats (the converter's times and values), as a flat list."""
    accessor = document["accessors"][accessor_index]
    if accessor["componentType"] != _FLOAT or "sparse" in accessor:
        raise GlbError("accessor %d holds no plain floats" % accessor_index)
    view = document["bufferViews"][accessor["bufferView"]]
    components = {"SCALAR": 1, "VEC2": 2, "VEC3": 3, "VEC4": 4, "MAT4": 16}[accessor["type"]]
    start = view.get("byteOffset", 0) + accessor.get("byteOffset", 0)
    count = accessor["count"] * components
    return list(struct.unpack_from("<%df" % count, binary, start))


def _add_floats(document, binary, values, kind):
    while len(binary) % 4:
        binary.append(0)
    offset = len(binary)
    binary.extend(struct.pack("<%df" % len(values), *values))
    document.setdefault("bufferViews", []).append({"buffer": 0, "byteOffset": offset, "byteLength": 4 * len(values)})
    accessor = {"bufferView": len(document["bufferViews"]) - 1, "componentType": _FLOAT, "count": 1, "type": kind}
    if kind == "SCALAR":
        accessor["min"] = [values[0]]
        accessor["max"] = [values[0]]
    document.setdefault("accessors", []).append(accessor)
    return len(document["accessors"]) - 1


def complete_animations(source, target):
    """Writes `source` as `target` with every animation completed (see above);
    returns how many channels were added."""
    document, binary = read_glb(source)
    animations = document.get("animations", [])
    moved = {}
    for animation in animations:
        for channel in animation["channels"]:
            moved.setdefault(channel["target"].get("node"), set()).add(channel["target"]["path"])
    moved.pop(None, None)
    added = 0
    time = None
    for animation in animations:
        has = {(channel["target"].get("node"), channel["target"]["path"]) for channel in animation["channels"]}
        for node in sorted(moved):
            for path in sorted(moved[node] & set(_DEFAULTS)):
                if (node, path) in has:
                    continue
                if time is None:
                    time = _add_floats(document, binary, [0.0], "SCALAR")
                value = document["nodes"][node].get(path, _DEFAULTS[path])
                output = _add_floats(document, binary, value, "VEC4" if path == "rotation" else "VEC3")
                animation["samplers"].append({"input": time, "output": output})
                animation["channels"].append({"sampler": len(animation["samplers"]) - 1,
                                              "target": {"node": node, "path": path}})
                added += 1
    if added:
        if not document.get("buffers"):
            document["buffers"] = [{"byteLength": 0}]
        document["buffers"][0]["byteLength"] = len(binary) + (-len(binary) % 4)
    write_glb(target, document, binary)
    return added


def animation_times(path):
    """Each animation's name and its key times in seconds, ascending."""
    document, binary = read_glb(path)
    result = []
    for index, animation in enumerate(document.get("animations", [])):
        times = set()
        for sampler in animation["samplers"]:
            times.update(read_floats(document, binary, sampler["input"]))
        result.append((animation.get("name", "Animation_%d" % index), sorted(times)))
    return result
