// Feeds arbitrary bytes to the model reader and checks what every parsed
// model promises its users: triangles with corners inside the vertex list,
// subsets that partition the faces, finite tangents, bones an influence can
// name, frames of the same scene, and one warning per kind. Built three
// times: raw bytes in each record shape, and compressed data (below).
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unordered_map>

#include "xfile/DocumentParser.h"
#include "xfile/ParseWarnings.h"
#if defined(XVIEW_FUZZ_COMPRESSED)
#include "XFileWriter.h"
#endif

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

#if defined(XVIEW_FUZZ_COMPRESSED)
// Mutated compressed files almost never inflate, so this target mutates the
// data inside the container: its first byte chooses the header (binary or
// text, 4- or 8-byte floats) and the block size, the rest is the data, which
// the harness compresses before the reader sees it.
std::string FileOf(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return std::string();
  const std::uint8_t choice = data[0];
  const bool text = choice & 1, doubles = choice & 2;
  const std::size_t block = (choice >> 2) == 0 ? 32768 : (choice >> 2) * 97;
  std::string file = std::string("xof 0303") + (text ? "txt " : "bin ") + (doubles ? "0064" : "0032");
  file.append(reinterpret_cast<const char*>(data + 1), size - 1);
  return xfileconvert::Compress(file, text ? "tzip" : "bzip", block);
}
#else
std::string FileOf(const std::uint8_t* data, std::size_t size) {
  return std::string(reinterpret_cast<const char*>(data), size);
}
#endif

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string path = "/tmp/xfile_fuzz_" + std::to_string(::getpid()) + ".x";
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return 0;
  const std::string bytes = FileOf(data, size);
  std::fwrite(bytes.data(), 1, bytes.size(), file);
  std::fclose(file);
  XModelContent content;
  const ParseResult parse = ParseXFile(std::wstring(path.begin(), path.end()), content, ParseOptions{.echo = false});
  if (parse) {
    CheckContent(content);
    CheckWarnings(parse.warnings);
  }
  return 0;
}
