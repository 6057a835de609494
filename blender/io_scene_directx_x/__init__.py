"""DirectX (.x) import and export for Blender, through XViewer's xfileconvert.

Import reads any .x file the XViewer reader reads (text, binary, compressed,
with skins and every animation set); export writes the scene or the selection,
with every action of each armature as an animation set, in any .x format. The
work is the converter's: a .x becomes a temporary .glb that Blender's glTF
importer reads, and a .glb that Blender's glTF exporter writes becomes the .x.
"""

bl_info = {
    "name": "DirectX (.x) format",
    "author": "XViewer",
    "version": (0, 9, 0),
    "blender": (2, 80, 0),
    "location": "File > Import-Export",
    "description": "Import and export DirectX .x models with skins and animation sets, through xfileconvert",
    "category": "Import-Export",
}

if "bpy" in locals():
    import importlib
    for _module in (converter, glb, numpy_alias, importer, exporter):  # noqa: F821 (a reload)
        importlib.reload(_module)

import os

import bpy
from bpy.props import BoolProperty, CollectionProperty, EnumProperty, IntProperty, StringProperty
from bpy_extras.io_utils import ExportHelper, ImportHelper

from . import converter, exporter, glb, importer, numpy_alias


class DirectXPreferences(bpy.types.AddonPreferences):
    # The add-on's own module name: io_scene_directx_x, or bl_ext.*.io_scene_directx_x as an extension.
    bl_idname = __package__

    converter_path: StringProperty(
        name="xfileconvert",
        description="The converter to run; when empty, xfileconvert on the PATH, else the copy bundled with the add-on",
        subtype='FILE_PATH',
        default="")

    def draw(self, context):
        self.layout.prop(self, "converter_path")


def _converter(context):
    addon = context.preferences.addons.get(__package__)
    preferred = addon.preferences.converter_path if addon and addon.preferences else ""
    return converter.find_converter(preferred)


class ImportDirectX(bpy.types.Operator, ImportHelper):
    """Import DirectX .x model files (text, binary or compressed), with their skins and animation sets"""
    bl_idname = "import_scene.directx_x"
    bl_label = "Import DirectX (.x)"
    bl_options = {'REGISTER', 'UNDO', 'PRESET'}

    filename_ext = ".x"
    filter_glob: StringProperty(default="*.x;*.X", options={'HIDDEN'})
    files: CollectionProperty(type=bpy.types.OperatorFileListElement, options={'HIDDEN', 'SKIP_SAVE'})
    directory: StringProperty(subtype='DIR_PATH', options={'HIDDEN', 'SKIP_SAVE'})

    def execute(self, context):
        paths = [os.path.join(self.directory, item.name) for item in self.files if item.name]
        if not paths:
            paths = [self.filepath]
        try:
            program = _converter(context)
        except converter.ConverterError as error:
            self.report({'ERROR'}, str(error))
            return {'CANCELLED'}
        imported = 0
        for path in paths:
            try:
                imported += importer.import_x_file(path, program, self.report)
            except (converter.ConverterError, glb.GlbError, OSError) as error:
                self.report({'ERROR'}, "%s: %s" % (path, error))
        return {'FINISHED'} if imported else {'CANCELLED'}


class ExportDirectX(bpy.types.Operator, ExportHelper):
    """Export the scene or the selection as a DirectX .x file, every action of each armature an animation set"""
    bl_idname = "export_scene.directx_x"
    bl_label = "Export DirectX (.x)"
    bl_options = {'PRESET'}

    filename_ext = ".x"
    filter_glob: StringProperty(default="*.x;*.X", options={'HIDDEN'})

    use_selection: BoolProperty(name="Selected Objects", description="Export only the selected objects",
                                default=False)
    x_format: EnumProperty(
        name="Format",
        items=(('txt', "Text", "Plain text"),
               ('bin', "Binary", "The binary tokens"),
               ('tzip', "Compressed text", "Text, compressed with MSZIP"),
               ('bzip', "Compressed binary", "Binary, compressed with MSZIP")),
        default='txt')
    float_bits: EnumProperty(name="Floats", items=(('32', "32-bit", ""), ('64', "64-bit", "")), default='32')
    ticks_per_second: IntProperty(
        name="Ticks per Second",
        description="AnimTicksPerSecond of the file; 0: the smallest of 30, 60 and 4800 on which every key lands",
        default=0, min=0, max=1000000)
    keys: EnumProperty(
        name="Keys",
        items=(('srt', "Scale, rotation, position", "Separate rotation, scale and position keys"),
               ('matrix', "Matrices", "One matrix key per key time, for readers that take only those")),
        default='srt')
    bake: IntProperty(name="Bake Every", description="Keys at every N ticks for every animated frame (0: off)",
                      default=0, min=0, max=100000)
    templates: BoolProperty(name="Templates", description="Declare the standard templates the file uses",
                            default=True)

    def execute(self, context):
        try:
            program = _converter(context)
        except converter.ConverterError as error:
            self.report({'ERROR'}, str(error))
            return {'CANCELLED'}
        options = {"use_selection": self.use_selection, "format": self.x_format, "float_bits": self.float_bits,
                   "ticks_per_second": self.ticks_per_second, "keys": self.keys, "bake": self.bake,
                   "templates": self.templates}
        try:
            exported = exporter.export_x_file(self.filepath, program, options, self.report)
        except (converter.ConverterError, OSError) as error:
            self.report({'ERROR'}, "%s: %s" % (self.filepath, error))
            return {'CANCELLED'}
        return {'FINISHED'} if exported else {'CANCELLED'}


def _menu_import(self, context):
    self.layout.operator(ImportDirectX.bl_idname, text="DirectX (.x)")


def _menu_export(self, context):
    self.layout.operator(ExportDirectX.bl_idname, text="DirectX (.x)")


_CLASSES = (DirectXPreferences, ImportDirectX, ExportDirectX)


def register():
    for cls in _CLASSES:
        bpy.utils.register_class(cls)
    bpy.types.TOPBAR_MT_file_import.append(_menu_import)
    bpy.types.TOPBAR_MT_file_export.append(_menu_export)


def unregister():
    bpy.types.TOPBAR_MT_file_export.remove(_menu_export)
    bpy.types.TOPBAR_MT_file_import.remove(_menu_import)
    for cls in reversed(_CLASSES):
        bpy.utils.unregister_class(cls)
