// Drawing meshes with their materials: one draw call per subset, with the
// subset's material colours and texture. Rigid meshes use "mesh.cfx",
// skinned ones "skinmesh.cfx" with the mesh's bone palette. Both are called
// between the scene's BeginScene and EndScene.
#pragma once

#include "model/Mesh.h"

XFILE_SHAPE_BEGIN

// Draws `mesh` as its vertices are, with "mesh.cfx": rebuilds the mesh's
// `world` from its placement times its `frameMatrix`, sets the four matrices, binds the streams, then per subset chooses
// pass 1 and the texture of material slot 0 when that texture is loaded in
// g_TextureMap, or pass 0 without one (also when slot 0 names a texture that
// did not load), sets the material's diffuse and emissive colours and draws the subset's faces; the
// streams are unbound afterwards. False when a draw call fails (the rest of
// the mesh is skipped) or when there is nothing to draw with: no record, no
// device objects, or the effect is not loaded (then nothing reaches the
// device).
bool DrawMesh(Mesh& mesh);

#if !defined(XVIEW_REDUCED_MODEL)
// The same with "skinmesh.cfx", handing the mesh's palette to the effect as
// "g_mFinalTransforms" before the other matrices.
bool DrawSkinnedMesh(Mesh& mesh);
#endif

XFILE_SHAPE_END
