// The Mesh record and its sub-records, read into an XMesh and finished into
// triangles with unit normals, tangents where texture coordinates exist, and
// faces grouped by material into subsets.
#pragma once

#include "xfile/MeshFinisher.h"
#include "xfile/XFileRecords.h"

XFILE_SHAPE_BEGIN

// Reads from the token after "Mesh" to the record's closing "}", says what
// cannot be drawn, and hands the mesh to `finisher`; returns true.
bool ReadMesh(XMesh& mesh, MeshFinisher& finisher);

// Sub-record readers, each called right after its keyword.
void ReadMeshNormals(XMesh& mesh);
void ReadTextureCoords(XMesh& mesh);

XFILE_SHAPE_END
