#include "xfile/SkinReader.h"

#include <algorithm>
#include <vector>

#include "xfile/RecordReading.h"
#include "xfile/SizeAccounting.h"

XFILE_SHAPE_BEGIN

#if !defined(XVIEW_REDUCED_MODEL)

namespace {

constexpr auto kMostBones = static_cast<std::uint32_t>(kMostBonesPerMesh);

}  // namespace

void ReadSkinHeader(XMesh& mesh) {
  RecordScope scope(L"XSkinMeshHeader");
  ReadOpeningBrace();
  // The most influences of a vertex and of a face: each vertex's list grows
  // as its influences come.
  ReadCount();
  ReadToken();
  // A second header never takes away bones that influences already name.
  std::uint32_t declared = ReadCount();
  if (declared > kMostBones)
    Warn(ParseWarningKind::CountBounded, [&] {
      return std::to_wstring(declared) + L" bones declared, " + std::to_wstring(kMostBones) +
             L" kept, as many as an influence can name";
    });
  std::size_t boneCount = KeepDeclared(std::min(declared, kMostBones), mesh.bones.size(), L"bones");
  if (boneCount > mesh.bones.size()) mesh.bones.resize(boneCount);
  ReadClosingBrace();
}

void ReadSkinWeights(XMesh& mesh, std::size_t n) {
  RecordScope scope(L"SkinWeights");
  ReadOpeningBrace();
  ReadToken();
  const std::wstring boneName = g_Token;
  scope.Name(boneName);
  bool keep = n < mesh.bones.size();
  if (!keep)
    Warn(ParseWarningKind::RecordSkipped,
         [&] { return L"beyond the " + std::to_wstring(mesh.bones.size()) + L" bones the header declares"; });
  if (keep) mesh.bones[n].name = boneName;

  std::vector<std::int32_t> indices;
  std::uint32_t count = ReadCount();
  indices.reserve(Affordable(count, 2));
  for (std::uint32_t i = 0; NextItem(i, count, L"skin vertex indices"); ++i) indices.push_back(TokenInt());
  // The weights are read (and their vertices checked) first and handed to
  // their vertices after, in a loop of their own: a bone's vertices lie all
  // over the mesh, and a tight loop lets the processor wait for many of them
  // at once.
  std::vector<float> weights;
  weights.reserve(indices.size());
  const std::size_t vertexCount = mesh.vertices.size();
  for (std::uint32_t i = 0; NextItem(i, static_cast<std::uint32_t>(indices.size()), L"skin weights"); ++i) {
    weights.push_back(TokenFloat());
    if (keep && !IndexIn(indices[i], vertexCount))
      Warn(ParseWarningKind::SkinIndexOutOfRange,
           [&] { return std::to_wstring(indices[i]) + L", of " + std::to_wstring(vertexCount) + L" vertices"; });
  }
  if (keep)
    for (std::size_t i = 0; i < weights.size(); ++i)
      if (IndexIn(indices[i], vertexCount))
        mesh.vertices[indices[i]].influences.push_back(XSkinInfluence{weights[i], static_cast<std::uint16_t>(n)});
  D3DXMATRIX offset;
  ReadMatrix(offset);
  if (keep) mesh.bones[n].offset = offset;
  ReadClosingBrace();
}

#endif

XFILE_SHAPE_END
