// The model's vertex normals as short lines, the usual way to find why a
// model looks wrong when lit: from each vertex along its normal as the mesh
// effects turn it, hidden behind what is drawn in front of them.
#pragma once

#include <windows.h>
#include <d3d9.h>
#include <d3dx9.h>

#include <vector>

#include "render/DebugGeometry.h"
#include "model/Mesh.h"
#if !defined(XVIEW_REDUCED_MODEL)
#include "model/Model.h"
#endif

XFILE_SHAPE_BEGIN

// Cyan: apart from the grid, the axes, the skeleton and the background.
inline constexpr D3DCOLOR kNormalColor = 0xFF00FFFF;
// A normal's line is this share of the diagonal of the box of the drawn vertices.
inline constexpr float kNormalLengthShare = 0.02f;

// One vertex of a drawn model in the world and the way it faces (unit
// length; zero for a vertex that no face uses).
struct PlacedNormal {
  D3DXVECTOR3 position;
  D3DXVECTOR3 direction;
};

// Appends every vertex of `record` placed by `placement`, its normal turned
// by the inverse transpose of `placement`, as the mesh effect turns it.
void AddPlacedNormals(const XMesh& record, const D3DXMATRIX& placement, std::vector<PlacedNormal>& normals);

#if !defined(XVIEW_REDUCED_MODEL)
// Every vertex of `model` as it is drawn now (after Draw): a skinned mesh's
// vertices and normals first moved by their blended bone palette, as the
// skin effect moves them. Reads the pose that Draw left.
std::vector<PlacedNormal> PosedNormals(const Model& model);
#endif

// Two vertices per normal that has a direction: its vertex, and the point
// kNormalLengthShare of the vertices' box diagonal along it.
std::vector<ColorVertex> NormalLines(const std::vector<PlacedNormal>& normals);

// Draws NormalLines in the world with the depth test; false when there is
// nothing to draw or no geometry effect.
bool DrawNormals(const std::vector<PlacedNormal>& normals);

XFILE_SHAPE_END
