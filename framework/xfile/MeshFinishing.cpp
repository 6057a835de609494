#include "xfile/MeshFinishing.h"

#include <algorithm>
#include <cmath>

#include "xfile/ParseWarnings.h"
#include "xfile/RecordReading.h"

XFILE_SHAPE_BEGIN

namespace {

D3DXVECTOR3 Subtract(const D3DXVECTOR3& a, const D3DXVECTOR3& b) {
  return D3DXVECTOR3(a.x - b.x, a.y - b.y, a.z - b.z);
}

D3DXVECTOR3 Cross(const D3DXVECTOR3& a, const D3DXVECTOR3& b) {
  return D3DXVECTOR3(a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x);
}

float Dot(const D3DXVECTOR3& a, const D3DXVECTOR3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

bool IsFinite(const D3DXVECTOR3& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

bool CornersInRange(const XFace& face, std::size_t vertexCount) {
  for (std::int32_t corner : face.corners)
    if (!IndexIn(corner, vertexCount)) return false;
  return true;
}

// Reports the corners of a face that name no vertex; true when it has any.
bool ReportBadCorners(const XFace& face, std::size_t vertexCount) {
  bool any = false;
  for (std::int32_t corner : face.corners) {
    if (IndexIn(corner, vertexCount)) continue;
    any = true;
    Warn(ParseWarningKind::CornerOutOfRange,
         [&] { return std::to_wstring(corner) + L", of " + std::to_wstring(vertexCount) + L" vertices"; });
  }
  return any;
}

}  // namespace

void Triangulate(XMesh& mesh) {
  const std::size_t vertexCount = mesh.vertices.size();
  std::size_t triangles = 0;
  bool allTriangles = true;
  for (const XFace& face : mesh.faces) {
    if (face.corners.size() >= 3) triangles += face.corners.size() - 2;
    allTriangles = allTriangles && face.corners.size() == 3 && CornersInRange(face, vertexCount);
  }
  if (allTriangles) return;

  std::vector<XFace> result;
  result.reserve(triangles);
  for (const XFace& face : mesh.faces) {
    const std::size_t corners = face.corners.size();
    if (corners < 3) {
      Warn(ParseWarningKind::FaceTooSmall, [&] { return std::to_wstring(corners) + L" corners"; });
      continue;
    }
    // A fan from the first corner. A corner that names no vertex takes out
    // the fan triangles that use it, no more.
    const bool damaged = ReportBadCorners(face, vertexCount);
    const XCorners& c = face.corners;
    for (std::size_t k = 1; k + 1 < corners; ++k)
      if (!damaged || (IndexIn(c[0], vertexCount) && IndexIn(c[k], vertexCount) && IndexIn(c[k + 1], vertexCount)))
        result.push_back(XFace{face.material, {c[0], c[k], c[k + 1]}});
  }
  mesh.faces = std::move(result);
}

void ComputeNormals(XMesh& mesh) {
  for (const XFace& face : mesh.faces) {
    XVertex& v0 = mesh.vertices[face.corners[0]];
    XVertex& v1 = mesh.vertices[face.corners[1]];
    XVertex& v2 = mesh.vertices[face.corners[2]];
    D3DXVECTOR3 normal = Cross(Subtract(v1.position, v0.position), Subtract(v2.position, v0.position));
    for (XVertex* vertex : {&v0, &v1, &v2}) {
      vertex->normal.x += normal.x;
      vertex->normal.y += normal.y;
      vertex->normal.z += normal.z;
    }
  }
  for (XVertex& vertex : mesh.vertices) Normalize(vertex.normal);
}

// A vertex keeps the tangent of the last triangle that gives one, so the
// triangles are taken last first and a triangle whose corners all have
// theirs already is passed over: only about half of them need working out.
void ComputeTangents(XMesh& mesh) {
  std::vector<bool> done(mesh.vertices.size(), false);
  for (auto face = mesh.faces.rbegin(); face != mesh.faces.rend(); ++face) {
    const std::int32_t i0 = face->corners[0], i1 = face->corners[1], i2 = face->corners[2];
    if (done[i0] && done[i1] && done[i2]) continue;
    XVertex& v0 = mesh.vertices[i0];
    XVertex& v1 = mesh.vertices[i1];
    XVertex& v2 = mesh.vertices[i2];
    D3DXVECTOR3 edge1 = Subtract(v1.position, v0.position);
    D3DXVECTOR3 edge2 = Subtract(v2.position, v0.position);
    D3DXVECTOR3 normal = Cross(edge1, edge2);
    Normalize(edge1);
    Normalize(edge2);
    D3DXVECTOR2 uv1(v1.texCoord.x - v0.texCoord.x, v1.texCoord.y - v0.texCoord.y);
    D3DXVECTOR2 uv2(v2.texCoord.x - v0.texCoord.x, v2.texCoord.y - v0.texCoord.y);
    Normalize(uv1);
    Normalize(uv2);

    float determinant = uv1.x * uv2.y - uv2.x * uv1.y;
    if (determinant == 0.0f || !std::isfinite(determinant)) continue;
    float r = 1.0f / determinant;
    D3DXVECTOR3 tangent(r * (uv2.y * edge1.x - uv1.y * edge2.x), r * (uv2.y * edge1.y - uv1.y * edge2.y),
                        r * (uv2.y * edge1.z - uv1.y * edge2.z));
    D3DXVECTOR3 bitangent(r * (uv1.x * edge2.x - uv2.x * edge1.x), r * (uv1.x * edge2.y - uv2.x * edge1.y),
                          r * (uv1.x * edge2.z - uv2.x * edge1.z));
    if (!IsFinite(tangent) || !IsFinite(bitangent) || !IsFinite(normal)) continue;
    Normalize(tangent);
    Normalize(bitangent);
    if (!IsFinite(tangent) || !IsFinite(bitangent)) continue;

    float w = Dot(Cross(normal, tangent), bitangent) >= 0.0f ? 1.0f : -1.0f;
    D3DXVECTOR4 result(tangent.x, tangent.y, tangent.z, w);
    for (std::int32_t corner : {i0, i1, i2}) {
      if (done[corner]) continue;
      done[corner] = true;
      mesh.vertices[corner].tangent = result;
    }
  }
}

// Faces are sorted by material, keeping their order within each: counted
// into place where every material is one of the mesh's, else merge-sorted.
void SortFacesByMaterial(XMesh& mesh) {
  auto byMaterial = [](const XFace& a, const XFace& b) { return a.material < b.material; };
  if (std::is_sorted(mesh.faces.begin(), mesh.faces.end(), byMaterial)) return;
  const std::size_t kinds = mesh.materials.size();
  const bool counted = std::all_of(mesh.faces.begin(), mesh.faces.end(),
                                   [&](const XFace& face) { return IndexIn(face.material, kinds); });
  if (!counted) {
    std::stable_sort(mesh.faces.begin(), mesh.faces.end(), byMaterial);
    return;
  }
  std::vector<std::size_t> next(kinds + 1, 0);
  for (const XFace& face : mesh.faces) ++next[static_cast<std::size_t>(face.material) + 1];
  for (std::size_t m = 1; m <= kinds; ++m) next[m] += next[m - 1];
  std::vector<XFace> sorted(mesh.faces.size());
  for (XFace& face : mesh.faces) sorted[next[static_cast<std::size_t>(face.material)]++] = std::move(face);
  mesh.faces = std::move(sorted);
}

void BuildSubsets(XMesh& mesh) {
  SortFacesByMaterial(mesh);
  mesh.subsets.clear();
  for (std::size_t i = 0; i < mesh.faces.size(); ++i) {
    std::int32_t material = mesh.faces[i].material;
    if (mesh.subsets.empty() || mesh.subsets.back().material != material)
      mesh.subsets.push_back(XSubset{0, static_cast<std::uint32_t>(i), material});
    ++mesh.subsets.back().faceCount;
  }
}

XFILE_SHAPE_END
