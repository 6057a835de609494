"""The add-on as users get it, in headless Blender (run by
blender/package-addon-test):

    blender -b --factory-startup --python install_test.py -- MODEL.x [ZIP]

With ZIP, it is installed as "Install from disk" installs it, into the
profile Blender was started with (a fresh one); without, it must already be
among Blender's add-ons (the Debian package's folder). Either way it is
enabled and imports MODEL.x with the converter it finds by itself: the
bundled one from the zip, xfileconvert on the PATH from the package.
"""

import os
import sys

import addon_utils
import bpy

ADDON = "io_scene_directx_x"


def main():
    arguments = sys.argv[sys.argv.index("--") + 1:]
    model, archive = arguments[0], (arguments[1] if len(arguments) > 1 else None)
    if archive:
        bpy.ops.preferences.addon_install(filepath=archive)
        addon_utils.modules_refresh()
    modules = [m for m in addon_utils.modules() if m.__name__.split(".")[-1] == ADDON]
    if not modules:
        print("FAILED  the add-on is not among Blender's add-ons")
        sys.exit(1)
    module = modules[0]
    print("ok      the add-on is found at %s" % module.__file__)
    addon_utils.enable(module.__name__, default_set=True)
    converter = __import__(module.__name__ + ".converter", fromlist=["converter"])
    program = converter.find_converter("")
    print("ok      it runs %s" % program)
    bpy.ops.wm.read_homefile(use_empty=True)
    result = bpy.ops.import_scene.directx_x(filepath=model)
    meshes = [obj for obj in bpy.data.objects if obj.type == 'MESH']
    if result != {'FINISHED'} or not meshes:
        print("FAILED  importing %s: %s" % (model, result))
        sys.exit(1)
    print("ok      %s imports: %d meshes, actions %s" % (os.path.basename(model), len(meshes),
                                                          ", ".join(sorted(a.name for a in bpy.data.actions))))
    print("CONVERTER %s" % program)


main()
