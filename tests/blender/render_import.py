"""Renders a model imported through the add-on, to look at it beside the
viewers' screenshot (not a test):

    blender -b --factory-startup --python tests/blender/render_import.py -- MODEL.x OUT.png [SET [SECONDS]]

The add-on must be among Blender's add-ons (BLENDER_USER_SCRIPTS with
addons/io_scene_directx_x, as run-blender-tests makes it) and find its
converter. Workbench, 512 x 512, from the front (the file's -Z, the viewers'
start direction) with the model framed; SET plays from SECONDS (0).
"""

import math
import sys

import addon_utils
import bpy
import mathutils

arguments = sys.argv[sys.argv.index("--") + 1:]
model, picture = arguments[0], arguments[1]
set_index = int(arguments[2]) if len(arguments) > 2 else 0
seconds = float(arguments[3]) if len(arguments) > 3 else 0.0

module = next(m for m in addon_utils.modules() if m.__name__.split(".")[-1] == "io_scene_directx_x")
addon_utils.enable(module.__name__, default_set=True)
bpy.ops.wm.read_homefile(use_empty=True)
bpy.ops.import_scene.directx_x(filepath=model)

tracks = sorted({t.name for o in bpy.data.objects if o.animation_data for t in o.animation_data.nla_tracks})
if tracks:
    # The sets in file order are the tracks' order of making; any set will do to look at.
    chosen = [t.name for o in bpy.data.objects if o.animation_data for t in o.animation_data.nla_tracks]
    name = list(dict.fromkeys(reversed(chosen)))[min(set_index, len(tracks) - 1)]
    for obj in bpy.data.objects:
        if obj.animation_data:
            obj.animation_data.action = next((t.strips[0].action for t in obj.animation_data.nla_tracks
                                              if t.name == name and t.strips), None)
scene = bpy.context.scene
frame = seconds * scene.render.fps / scene.render.fps_base
scene.frame_set(int(frame), subframe=frame - int(frame))

graph = bpy.context.evaluated_depsgraph_get()
points = []
for obj in bpy.data.objects:
    if obj.type == 'MESH':
        evaluated = obj.evaluated_get(graph)
        mesh = evaluated.to_mesh()
        points += [evaluated.matrix_world @ v.co for v in mesh.vertices]
        evaluated.to_mesh_clear()
low = mathutils.Vector([min(p[c] for p in points) for c in range(3)])
high = mathutils.Vector([max(p[c] for p in points) for c in range(3)])
centre, radius = (low + high) / 2, max((high - low).length / 2, 1e-6)

camera = bpy.data.objects.new("Camera", bpy.data.cameras.new("Camera"))
scene.collection.objects.link(camera)
camera.data.angle = math.radians(40)
# The file's -Z is the glTF's +Z, Blender's -Y: the camera stands there, looking back.
distance = radius / math.sin(camera.data.angle / 2) * 1.05
camera.location = centre + mathutils.Vector((0.0, -distance, 0.0))
camera.rotation_euler = (math.radians(90), 0.0, 0.0)
camera.data.clip_end = distance + 4 * radius
scene.camera = camera
scene.render.engine = 'BLENDER_WORKBENCH'
scene.display.shading.color_type = 'TEXTURE'
scene.display.shading.light = 'STUDIO'
scene.render.resolution_x = scene.render.resolution_y = 512
scene.render.film_transparent = False
scene.render.filepath = picture
bpy.ops.render.render(write_still=True)
print("RENDERED", picture, "set", tracks and name, "at", seconds, "s")
