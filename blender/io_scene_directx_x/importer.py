"""File > Import > DirectX (.x): the converter writes a temporary .glb, and
Blender's own glTF importer reads it.

Every animation set becomes an action named as the set (where a set moves
several objects, each object's action is named "SET_OBJECT", as the glTF
importer names them); the importer makes the first one active and keeps
every one in an NLA track of the set's name. What the converter says about
the file reaches the user as warnings; a file it refuses is one error, and
an import that fails halfway leaves nothing of itself behind.
"""

import os
import tempfile

import bpy

from . import converter, glb, numpy_alias

# The collections of bpy.data an import may add to, objects first: those are
# removed first when it fails. (Shape keys go with their meshes.)
_DATA_KINDS = ("objects", "meshes", "armatures", "materials", "images", "textures", "actions", "node_groups",
               "cameras", "lights", "collections")


def _snapshot():
    return {kind: {item.as_pointer() for item in getattr(bpy.data, kind)} for kind in _DATA_KINDS
            if hasattr(bpy.data, kind)}


def _added_since(before):
    added = {}
    for kind, pointers in before.items():
        added[kind] = [item for item in getattr(bpy.data, kind) if item.as_pointer() not in pointers]
    return added


def _remove(added):
    for kind in _DATA_KINDS:
        for item in added.get(kind, []):
            try:
                getattr(bpy.data, kind).remove(item)
            except (ReferenceError, RuntimeError):
                pass  # gone already with what used it


def _name_actions(objects):
    """Renames each set's action to the set's name where the set moves one object alone."""
    tracks = {}
    for obj in objects:
        data = obj.animation_data
        if not data:
            continue
        for track in data.nla_tracks:
            for strip in track.strips:
                if strip.action:
                    tracks.setdefault(track.name, []).append(strip.action)
    for name, actions in tracks.items():
        if len(set(actions)) == 1:
            actions[0].name = name


def import_x_file(path, converter_path, report):
    """Imports one model file; False (with the error reported) when nothing was imported."""
    if not hasattr(bpy.types, "IMPORT_SCENE_OT_gltf"):
        report({'ERROR'}, "%s: Blender's glTF importer is not there: enable the add-on \"glTF 2.0 format\" "
                          "(Preferences > Add-ons)" % path)
        return False
    with tempfile.TemporaryDirectory(prefix="directx-x-") as folder:
        converted = os.path.join(folder, "model.glb")
        status, lines = converter.run_converter(converter_path, [path, "-o", converted])
        if status != 0 or not os.path.isfile(converted):
            report({'ERROR'}, "\n".join(lines) or "%s: xfileconvert failed (exit status %d)" % (path, status))
            return False
        for line in lines:
            report({'WARNING'}, line)
        completed = os.path.join(folder, "completed.glb")
        glb.complete_animations(converted, completed)
        numpy_alias.supply_numpy_bool_alias()

        before = _snapshot()
        failure = None
        try:
            result = bpy.ops.import_scene.gltf(filepath=completed)
            if 'FINISHED' not in result:
                failure = "Blender's glTF importer did not finish (%s)" % ", ".join(sorted(result))
        except Exception as error:  # the importer's own failure, whatever it raises
            failure = "Blender's glTF importer failed: %s" % error
        added = _added_since(before)
        if failure:
            _remove(added)
            report({'ERROR'}, "%s: %s" % (path, failure))
            return False
        _name_actions(added.get("objects", []))
        return True
