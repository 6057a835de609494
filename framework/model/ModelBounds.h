// The box that a drawn model fills in the world, for framing it in view.
#pragma once

#include <windows.h>
#include <d3dx9.h>

#include <cstddef>

#include "model/Mesh.h"
#if !defined(XVIEW_REDUCED_MODEL)
#include "model/Model.h"
#endif

XFILE_SHAPE_BEGIN

// Meshes of more vertices than this are bounded by their bind pose: the box
// of their file positions, placed as a whole, rather than vertex by vertex.
inline constexpr std::size_t kPosedBoundsVertexLimit = 100000;

struct WorldBounds {
  D3DXVECTOR3 min = D3DXVECTOR3(0, 0, 0);
  D3DXVECTOR3 max = D3DXVECTOR3(0, 0, 0);
  bool empty = true;
  // Meshes that were bounded by their bind pose (over the vertex limit).
  std::size_t bindPoseMeshes = 0;

  void Add(const D3DXVECTOR3& point);
  D3DXVECTOR3 Centre() const { return (min + max) * 0.5f; }
  // Half the box's diagonal: the radius of a sphere around the centre that holds the box.
  float Radius() const;
};

// The world box of `mesh`'s record placed by `placement` (the mesh's world
// matrix for a rigid mesh). Adds nothing for a mesh without a record.
void AddMeshBounds(const Mesh& mesh, const D3DXMATRIX& placement, WorldBounds& bounds);

#if !defined(XVIEW_REDUCED_MODEL)
// Poses `model` at its current tick and bounds every mesh as the shaders
// place it: a skinned mesh's vertices through the bone palette as the skin
// shader blends it (up to four influences, weights as the file gives them),
// then the model's world matrix; a rigid mesh by its frame. Writes the pose
// (frameMatrices, palettes), as drawing does.
WorldBounds PosedModelBounds(Model& model);
#endif

XFILE_SHAPE_END
