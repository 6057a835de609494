"""File > Export > DirectX (.x): Blender's own glTF exporter writes a temporary
.glb, with every action of each armature as an animation, and the converter
turns it into the .x with the options chosen. A bone that a set does not key
stands at rest in that set (as the exporter resets the pose between actions),
a bone that no action keys where its pose puts it.
"""

import contextlib
import os
import re
import tempfile

import bpy

from . import converter

# What the glTF exporter is asked for, by the names its versions give the
# options; those a version lacks are left out.
_GLTF_OPTIONS = {
    "export_format": 'GLB',
    "export_animations": True,
    "export_force_sampling": True,
    "export_frame_range": False,         # whole actions, not the scene's playback range
    "export_animation_mode": 'ACTIONS',  # 3.6 and later: every action an animation
    # Before: every action of the armature an animation of its name, which
    # takes both of these (without the first, all actions are one animation).
    "export_anim_single_armature": True,
    "export_nla_strips": True,
    "export_reset_pose_bones": True,
    "export_all_influences": True,       # .x holds any number of weights a vertex
    "export_skins": True,
    "export_yup": True,
    "export_apply": False,
}


_KEYED_BONE = re.compile(r'^pose\.bones\["((?:[^"\\]|\\.)*)"\]')


def _keyed_bones(armature):
    """The names of the armature's bones that some action keys."""
    bones = {bone.name for bone in armature.data.bones}
    keyed = set()
    for action in bpy.data.actions:
        for curve in action.fcurves:
            match = _KEYED_BONE.match(curve.data_path)
            if match:
                name = match.group(1).replace('\\"', '"').replace("\\\\", "\\")
                if name in bones:
                    keyed.add(name)
    return keyed


@contextlib.contextmanager
def _rest_for_export(scene):
    """While the glTF exporter runs: each armature without its active action,
    and its bones that some action keys at rest. The exporter writes each
    bone's current pose as its node's own transform, which is what a set that
    does not key the bone shows; an action evaluated before would leave its
    pose there. Everything is put back afterwards."""
    saved = []
    for obj in scene.objects:
        if obj.type != 'ARMATURE' or not obj.pose:
            continue
        action = obj.animation_data.action if obj.animation_data else None
        bones = []
        for name in _keyed_bones(obj):
            bone = obj.pose.bones[name]
            bones.append((bone, tuple(bone.location), tuple(bone.rotation_quaternion), tuple(bone.rotation_euler),
                          tuple(bone.rotation_axis_angle), tuple(bone.scale)))
        saved.append((obj, action, bones))
        if obj.animation_data:
            obj.animation_data.action = None
        for bone, *_ in bones:
            bone.location = (0.0, 0.0, 0.0)
            bone.rotation_quaternion = (1.0, 0.0, 0.0, 0.0)
            bone.rotation_euler = (0.0, 0.0, 0.0)
            bone.rotation_axis_angle = (0.0, 0.0, 1.0, 0.0)
            bone.scale = (1.0, 1.0, 1.0)
    try:
        yield
    finally:
        for obj, action, bones in saved:
            if obj.animation_data:
                obj.animation_data.action = action
            for bone, location, quaternion, euler, axis_angle, scale in bones:
                bone.location, bone.rotation_quaternion, bone.rotation_euler = location, quaternion, euler
                bone.rotation_axis_angle, bone.scale = axis_angle, scale
        bpy.context.view_layer.update()


def _supported(operator, options):
    names = {prop.identifier for prop in operator.get_rna_type().properties}
    return {name: value for name, value in options.items() if name in names}


def converter_arguments(glb_path, x_path, options):
    """The converter's command line for the export options (a dict)."""
    arguments = [glb_path, "-o", x_path, "--format", options["format"], "--float", options["float_bits"]]
    if options["ticks_per_second"] > 0:
        arguments += ["--ticks-per-second", str(options["ticks_per_second"])]
    arguments += ["--keys", options["keys"]]
    if options["bake"] > 0:
        arguments += ["--bake", str(options["bake"])]
    if not options["templates"]:
        arguments.append("--no-templates")
    return arguments


def export_x_file(path, converter_path, options, report):
    """Exports the scene (or the selection) as `path`; False with the error reported."""
    if not hasattr(bpy.types, "EXPORT_SCENE_OT_gltf"):
        report({'ERROR'}, "%s: Blender's glTF exporter is not there: enable the add-on \"glTF 2.0 format\" "
                          "(Preferences > Add-ons)" % path)
        return False
    with tempfile.TemporaryDirectory(prefix="directx-x-") as folder:
        exported = os.path.join(folder, "scene.glb")
        gltf_options = dict(_GLTF_OPTIONS, filepath=exported, use_selection=options["use_selection"],
                            export_selected=options["use_selection"])  # the name before 2.83
        try:
            with _rest_for_export(bpy.context.scene):
                result = bpy.ops.export_scene.gltf(**_supported(bpy.ops.export_scene.gltf, gltf_options))
        except Exception as error:  # the exporter's own failure, whatever it raises
            report({'ERROR'}, "%s: Blender's glTF exporter failed: %s" % (path, error))
            return False
        if 'FINISHED' not in result or not os.path.isfile(exported):
            report({'ERROR'}, "%s: Blender's glTF exporter did not finish" % path)
            return False
        status, lines = converter.run_converter(converter_path, converter_arguments(exported, path, options))
        if status != 0:
            report({'ERROR'}, "\n".join(lines) or "%s: xfileconvert failed (exit status %d)" % (path, status))
            return False
        for line in lines:
            report({'WARNING'}, line)
        return True
