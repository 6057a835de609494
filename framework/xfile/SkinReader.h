// The skin of a character mesh: XSkinMeshHeader and SkinWeights. The reduced
// shape has no skin and skips these records like any it does not know.
#pragma once

#include <cstddef>

#include "xfile/XFileRecords.h"

XFILE_SHAPE_BEGIN

#if !defined(XVIEW_REDUCED_MODEL)
void ReadSkinHeader(XMesh& mesh);

// Reads the n-th SkinWeights record of the mesh (n from 0) into bone n and
// the influences of the vertices it names. A record without a bone to fill
// (beyond the header's bone count, or beyond the 65,536 that a 16-bit index
// can address) is read and dropped, as are vertex indices outside the mesh.
void ReadSkinWeights(XMesh& mesh, std::size_t n);
#endif

XFILE_SHAPE_END
