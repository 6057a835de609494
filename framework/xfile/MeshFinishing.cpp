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

bool AllSoundTriangles(const XMesh& mesh) {
  const std::size_t vertexCount = mesh.vertices.size();
  return std::all_of(mesh.faces.begin(), mesh.faces.end(), [&](const XFace& face) {
    return face.corners.size() == 3 && CornersInRange(face, vertexCount);
  });
}

// The triangles of the faces as Triangulate makes them: a fan around each
// face's first corner, in file order, less those with a corner that names
// no vertex. `visit(face, a, b, c)` is called for each; Backward visits them
// last first.
template <typename Visit>
void ForEachTriangle(const XMesh& mesh, Visit&& visit) {
  const std::size_t vertexCount = mesh.vertices.size();
  for (const XFace& face : mesh.faces) {
    const XCorners& c = face.corners;
    for (std::size_t k = 1; k + 1 < c.size(); ++k)
      if (IndexIn(c[0], vertexCount) && IndexIn(c[k], vertexCount) && IndexIn(c[k + 1], vertexCount))
        visit(face, c[0], c[k], c[k + 1]);
  }
}

template <typename Visit>
void ForEachTriangleBackward(const XMesh& mesh, Visit&& visit) {
  const std::size_t vertexCount = mesh.vertices.size();
  for (auto face = mesh.faces.rbegin(); face != mesh.faces.rend(); ++face) {
    const XCorners& c = face->corners;
    for (std::size_t k = c.size() < 3 ? 0 : c.size() - 2; k >= 1; --k)
      if (IndexIn(c[0], vertexCount) && IndexIn(c[k], vertexCount) && IndexIn(c[k + 1], vertexCount))
        visit(*face, c[0], c[k], c[k + 1]);
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

}  // namespace

void ReportBadFaces(const XMesh& mesh) {
  const std::size_t vertexCount = mesh.vertices.size();
  for (const XFace& face : mesh.faces) {
    const std::size_t corners = face.corners.size();
    if (corners < 3) {
      Warn(ParseWarningKind::FaceTooSmall, [&] { return std::to_wstring(corners) + L" corners"; });
      continue;
    }
    for (std::int32_t corner : face.corners)
      if (!IndexIn(corner, vertexCount))
        Warn(ParseWarningKind::CornerOutOfRange,
             [&] { return std::to_wstring(corner) + L", of " + std::to_wstring(vertexCount) + L" vertices"; });
  }
}

bool HasTriangles(const XMesh& mesh) {
  bool any = false;
  ForEachTriangle(mesh, [&](const XFace&, std::int32_t, std::int32_t, std::int32_t) { any = true; });
  return any;
}

void ReportBadMaterials(const XMesh& mesh) {
  const std::size_t materials = mesh.materials.size();
  ForEachTriangle(mesh, [&](const XFace& face, std::int32_t, std::int32_t, std::int32_t) {
    if (IndexIn(face.material, materials)) return;
    Warn(ParseWarningKind::MaterialIndexOutOfRange,
         [&] { return std::to_wstring(face.material) + L", of " + std::to_wstring(materials) + L" materials"; });
  });
}

// The triangles are made in one pass, each put straight into its place in
// material order where every material is one of the mesh's; otherwise they
// are listed in file order and merge-sorted.
void Triangulate(XMesh& mesh) {
  if (AllSoundTriangles(mesh)) {
    SortFacesByMaterial(mesh);
    return;
  }
  const std::size_t kinds = mesh.materials.size();
  std::vector<std::size_t> next(kinds + 1, 0);
  bool counted = true;
  ForEachTriangle(mesh, [&](const XFace& face, std::int32_t, std::int32_t, std::int32_t) {
    if (IndexIn(face.material, kinds)) {
      ++next[static_cast<std::size_t>(face.material) + 1];
    } else {
      counted = false;
    }
  });
  std::vector<XFace> triangles;
  if (counted) {
    for (std::size_t m = 1; m <= kinds; ++m) next[m] += next[m - 1];
    triangles.resize(next[kinds]);
    ForEachTriangle(mesh, [&](const XFace& face, std::int32_t a, std::int32_t b, std::int32_t c) {
      triangles[next[static_cast<std::size_t>(face.material)]++] = XFace{face.material, {a, b, c}};
    });
  } else {
    ForEachTriangle(mesh, [&](const XFace& face, std::int32_t a, std::int32_t b, std::int32_t c) {
      triangles.push_back(XFace{face.material, {a, b, c}});
    });
    auto byMaterial = [](const XFace& x, const XFace& y) { return x.material < y.material; };
    std::stable_sort(triangles.begin(), triangles.end(), byMaterial);
  }
  mesh.faces = std::move(triangles);
}

void ComputeNormals(XMesh& mesh) {
  ForEachTriangle(mesh, [&](const XFace&, std::int32_t i0, std::int32_t i1, std::int32_t i2) {
    XVertex& v0 = mesh.vertices[i0];
    XVertex& v1 = mesh.vertices[i1];
    XVertex& v2 = mesh.vertices[i2];
    D3DXVECTOR3 normal = Cross(Subtract(v1.position, v0.position), Subtract(v2.position, v0.position));
    for (XVertex* vertex : {&v0, &v1, &v2}) {
      vertex->normal.x += normal.x;
      vertex->normal.y += normal.y;
      vertex->normal.z += normal.z;
    }
  });
  for (XVertex& vertex : mesh.vertices) Normalize(vertex.normal);
}

// A vertex keeps the tangent of the last triangle that gives one, so the
// triangles are taken last first and a triangle whose corners all have
// theirs already is passed over: only about half of them need working out.
void ComputeTangents(XMesh& mesh) {
  std::vector<bool> done(mesh.vertices.size(), false);
  ForEachTriangleBackward(mesh, [&](const XFace&, std::int32_t i0, std::int32_t i1, std::int32_t i2) {
    if (done[i0] && done[i1] && done[i2]) return;
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
    if (determinant == 0.0f || !std::isfinite(determinant)) return;
    float r = 1.0f / determinant;
    D3DXVECTOR3 tangent(r * (uv2.y * edge1.x - uv1.y * edge2.x), r * (uv2.y * edge1.y - uv1.y * edge2.y),
                        r * (uv2.y * edge1.z - uv1.y * edge2.z));
    D3DXVECTOR3 bitangent(r * (uv1.x * edge2.x - uv2.x * edge1.x), r * (uv1.x * edge2.y - uv2.x * edge1.y),
                          r * (uv1.x * edge2.z - uv2.x * edge1.z));
    if (!IsFinite(tangent) || !IsFinite(bitangent) || !IsFinite(normal)) return;
    Normalize(tangent);
    Normalize(bitangent);
    if (!IsFinite(tangent) || !IsFinite(bitangent)) return;

    float w = Dot(Cross(normal, tangent), bitangent) >= 0.0f ? 1.0f : -1.0f;
    D3DXVECTOR4 result(tangent.x, tangent.y, tangent.z, w);
    for (std::int32_t corner : {i0, i1, i2}) {
      if (done[corner]) continue;
      done[corner] = true;
      mesh.vertices[corner].tangent = result;
    }
  });
}

void FinishMesh(XMesh& mesh, bool computeNormals) {
  if (computeNormals) ComputeNormals(mesh);
  if (mesh.flags & HasTangents) ComputeTangents(mesh);
  Triangulate(mesh);
  BuildSubsets(mesh);
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
