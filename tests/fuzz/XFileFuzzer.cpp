// Feeds arbitrary bytes to the model reader and checks what every parsed
// model promises its users: triangles with corners inside the vertex list,
// subsets that partition the faces, finite tangents, bones an influence can
// name, frames of the same scene, and one warning per kind.
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unordered_map>

#include "xfile/DocumentParser.h"
#include "xfile/ParseWarnings.h"
#include "xfile/TokenReader.h"

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

void CheckMesh(const XMesh& mesh) {
  Require((mesh.flags & HasPositions) && (mesh.flags & HasNormals));
  std::uint64_t next = 0;
  for (const XSubset& subset : mesh.subsets) {
    Require(subset.firstFace == next);
    next += subset.faceCount;
  }
  Require(next == mesh.faces.size());
  for (const XFace& face : mesh.faces) {
    Require(face.corners.size() == 3);
    for (std::int32_t corner : face.corners)
      Require(corner >= 0 && std::size_t(corner) < mesh.vertices.size());
  }
  for (const XVertex& vertex : mesh.vertices) {
    Require(std::isfinite(vertex.tangent.x) && std::isfinite(vertex.tangent.y) &&
            std::isfinite(vertex.tangent.z));
#if !defined(XVIEW_REDUCED_MODEL)
    for (const XSkinInfluence& influence : vertex.influences) Require(influence.bone < mesh.bones.size());
#endif
  }
#if !defined(XVIEW_REDUCED_MODEL)
  Require(mesh.bones.size() <= kMostBonesPerMesh);
#endif
}

void CheckWarnings(const std::vector<ParseWarning>& warnings) {
  bool seen[kParseWarningKinds] = {};
  for (const ParseWarning& warning : warnings) {
    auto kind = static_cast<std::size_t>(warning.kind);
    Require(kind < kParseWarningKinds && !seen[kind]);
    seen[kind] = true;
    Require(warning.count > 0 && !warning.message.empty());
    for (wchar_t c : warning.message) Require(c >= 0xA0 || (c >= 0x20 && c < 0x7F));  // names come escaped
  }
}

#if !defined(XVIEW_REDUCED_MODEL)
// Frames point into the same scene, and a parent comes before its child.
void CheckContent(const XFileScene& scene) {
  std::unordered_map<const XFrame*, std::size_t> indexOf;
  for (std::size_t i = 0; i < scene.frames.size(); ++i) indexOf.emplace(&scene.frames[i], i);
  for (const XMesh& mesh : scene.meshes) {
    CheckMesh(mesh);
    Require(!mesh.frame || indexOf.count(mesh.frame));
  }
  for (std::size_t i = 0; i < scene.frames.size(); ++i) {
    const XFrame* parent = scene.frames[i].parent;
    Require(!parent || (indexOf.count(parent) && indexOf.at(parent) < i));
  }
}
#else
void CheckContent(const std::vector<XMesh>& meshes) {
  for (const XMesh& mesh : meshes) CheckMesh(mesh);
}
#endif

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string path = "/tmp/xfile_fuzz_" + std::to_string(::getpid()) + ".x";
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return 0;
  std::fwrite(data, 1, size, file);
  std::fclose(file);
  SetModelEcho(false);
  XModelContent content;
  std::vector<ParseWarning> warnings;
  if (ParseXFile(std::wstring(path.begin(), path.end()), content, &warnings)) {
    CheckContent(content);
    CheckWarnings(warnings);
  }
  return 0;
}
