// Materials: the MeshMaterialList of a mesh, Material records with their
// texture file names, and the table of named materials that a list may
// refer to ("{ Name }").
#pragma once

#include <string>

#include "xfile/XFileRecords.h"

XFILE_SHAPE_BEGIN

// Each reader is called right after its keyword and consumes its record up
// to and including the record's closing "}".
void ReadMaterialList(XMesh& mesh);
void ReadMaterial(XMaterial& material);
void ReadTextureFilename(XMaterial& material);

// Reads a Material record, as ReadMaterial, and keeps it by its name for the
// length of the parse, so that a later reference by name finds it.
XMaterial ReadNamedMaterial();

XFILE_SHAPE_END
