// Every mesh record as one glTF mesh, with one primitive per material subset
// sharing the mesh's POSITION, NORMAL and TEXCOORD_0 (and, skinned,
// JOINTS_n and WEIGHTS_n); 16-bit indices where they fit, else 32. A rigid
// mesh hangs on a node of its own under its frame's node (at the top outside
// every frame); a skinned mesh's node is at the top, where glTF places every
// skinned mesh, with its skin.
#pragma once

#include "ExportContext.h"
#include "MaterialExport.h"

namespace xfileconvert {

// A mesh record without triangles is left out, and said.
void ExportMeshes(ExportContext& context, MaterialExport& materials);

}  // namespace xfileconvert
