#include "xfile/SkinReader.h"

#include <algorithm>
#include <vector>

#include "xfile/RecordReading.h"

XFILE_SHAPE_BEGIN

#if !defined(XVIEW_REDUCED_MODEL)

namespace {

// Room reserved per vertex is a hint only; a header cannot make it large.
constexpr std::uint32_t kMostReservedInfluences = 8;
constexpr std::size_t kMostBones = 256;
// "SkinWeights{a;0;;;...}" with its sixteen offset numbers takes far more than this.
constexpr std::size_t kMinimumSkinWeightsBytes = 16;

}  // namespace

void ReadSkinHeader(XMesh& mesh) {
  ReadOpeningBrace();
  std::uint32_t weightsPerVertex = std::min(ReadCount(), kMostReservedInfluences);
  for (XVertex& vertex : mesh.vertices) vertex.influences.reserve(weightsPerVertex);
  ReadToken();
  // A second header never takes away bones that influences already name.
  std::size_t boneCount = Affordable(ReadCount(), kMinimumSkinWeightsBytes);
  if (boneCount > mesh.bones.size()) mesh.bones.resize(boneCount);
  ReadToken();
}

void ReadSkinWeights(XMesh& mesh, std::size_t n) {
  ReadOpeningBrace();
  ReadToken();
  bool keep = n < mesh.bones.size() && n < kMostBones;
  if (keep) mesh.bones[n].name = g_Token;

  static std::vector<std::int32_t> indices;
  indices.clear();
  std::uint32_t count = ReadCount();
  indices.reserve(Affordable(count, 2));
  for (std::uint32_t i = 0; i < count && !AtEndOfModel(); ++i) indices.push_back(ReadInt());
  for (std::size_t i = 0; i < indices.size() && !AtEndOfModel(); ++i) {
    float weight = ReadFloat();
    std::int32_t vertex = indices[i];
    if (keep && vertex >= 0 && static_cast<std::size_t>(vertex) < mesh.vertices.size())
      mesh.vertices[vertex].influences.push_back(XSkinInfluence{weight, static_cast<std::uint8_t>(n)});
  }
  D3DXMATRIX offset;
  ReadMatrix(offset);
  if (keep) mesh.bones[n].offset = offset;
  ReadToken();
}

#endif

XFILE_SHAPE_END
