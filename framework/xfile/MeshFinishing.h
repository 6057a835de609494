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

// Reports the faces that cannot be drawn as written: those with fewer than
// three corners, and each corner that names no vertex.
void ReportBadFaces(const XMesh& mesh);

// Whether any face gives a triangle (see Triangulate).
bool HasTriangles(const XMesh& mesh);

// Reports each triangle (see Triangulate) whose material the mesh lacks.
void ReportBadMaterials(const XMesh& mesh);

// Area-weighted vertex normals: the unnormalised normal of every triangle
// (see Triangulate) is added to its corners, then every normal is made unit
// length. Works on the faces as read, before Triangulate.
void ComputeNormals(XMesh& mesh);

// Per-triangle tangents with handedness in w; a vertex keeps the tangent of
// the last triangle (see Triangulate, whose file order counts) that uses it.
// A triangle whose texture coordinates give no tangent direction contributes
// nothing. Works on the faces as read, before Triangulate.
void ComputeTangents(XMesh& mesh);

// Replaces the faces by triangles, sorted stably by material: a polygon
// becomes a fan around its first corner; a face with fewer than three
// corners yields nothing, and a corner outside the vertex list takes out the
// fan triangles that use it (ReportBadFaces says so).
void Triangulate(XMesh& mesh);

// Everything above that raises no warning, in order: normals where
// `computeNormals`, tangents where the mesh has texture coordinates
// (HasTangents), then Triangulate and BuildSubsets.
void FinishMesh(XMesh& mesh, bool computeNormals);

// Emits one subset per run of a material, sorting the faces stably by
// material first where they are not.
void BuildSubsets(XMesh& mesh);

XFILE_SHAPE_END
