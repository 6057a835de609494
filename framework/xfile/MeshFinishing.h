// The finishing steps of a mesh once its records are read: triangles only,
// vertex normals, tangents and material subsets.
#pragma once

#include "xfile/XFileRecords.h"

XFILE_SHAPE_BEGIN

// Unit length, or zero for a zero vector, as D3DXVec3Normalize and
// D3DXVec2Normalize make them; inline, since finishing a mesh normalises
// several vectors per triangle.
inline void Normalize(D3DXVECTOR3& v) {
  const float length = D3DXVec3Length(&v);
  v = length == 0.0f ? D3DXVECTOR3(0, 0, 0) : D3DXVECTOR3(v.x / length, v.y / length, v.z / length);
}
inline void Normalize(D3DXVECTOR2& v) {
  const float length = D3DXVec2Length(&v);
  v = length == 0.0f ? D3DXVECTOR2(0, 0) : D3DXVECTOR2(v.x / length, v.y / length);
}

// Replaces the faces by triangles: a polygon becomes a fan around its first
// corner. A face with fewer than three corners yields nothing; a corner
// outside the vertex list takes out the fan triangles that use it. Both are
// reported as warnings of the parse.
void Triangulate(XMesh& mesh);

// Area-weighted vertex normals: the unnormalised face normal of every
// triangle is added to its corners, then every normal is made unit length.
void ComputeNormals(XMesh& mesh);

// Per-triangle tangents with handedness in w; a vertex keeps the tangent of
// the last triangle that uses it. A triangle whose texture coordinates give
// no tangent direction contributes nothing.
void ComputeTangents(XMesh& mesh);

// Sorts the faces stably by material index and emits one subset per run.
void BuildSubsets(XMesh& mesh);

XFILE_SHAPE_END
