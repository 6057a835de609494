// Writes the meshes and the parse warnings of either record shape; included
// by each shape's printer, so it sees that shape's records.
#pragma once

#include <cstdio>
#include <unordered_map>

#include "JsonWriter.h"
#include "xfile/ParseWarnings.h"
#include "xfile/XFileRecords.h"

namespace xfileinfo {

inline void WriteMatrix(JsonWriter& json, const D3DXMATRIX& matrix) { json.Floats(&matrix.m[0][0], 16); }

#if !defined(XVIEW_REDUCED_MODEL)
// Frames are written by their index in file order; null for none.
using FrameIndices = std::unordered_map<const XFrame*, std::int64_t>;

inline FrameIndices IndexFrames(const XFileScene& scene) {
  FrameIndices indices;
  for (std::size_t i = 0; i < scene.frames.size(); ++i) indices.emplace(&scene.frames[i], static_cast<std::int64_t>(i));
  return indices;
}

inline void WriteFrameIndex(JsonWriter& json, const FrameIndices& indices, const XFrame* frame) {
  auto found = frame ? indices.find(frame) : indices.end();
  if (found == indices.end()) {
    json.Null();
  } else {
    json.Int(found->second);
  }
}
#else
struct FrameIndices {};
#endif

inline void WriteMaterial(JsonWriter& json, const XMaterial& material) {
  json.BeginObject();
  json.Key("name");
  json.String(material.name);
  json.Key("diffuse");
  json.Floats(&material.diffuse.r, 4);
  json.Key("emissive");
  json.Floats(&material.emissive.r, 4);
  json.Key("specular");
  json.Floats(&material.specular.r, 3);
  json.Key("power");
  json.Float(material.power);
  json.Key("textures");
  json.BeginArray();
  for (const std::wstring& file : material.textureFiles) json.String(file);
  json.EndArray();
  json.EndObject();
}

inline void WriteVertex(JsonWriter& json, const XVertex& vertex) {
  json.BeginObject();
  json.Key("position");
  json.Floats(&vertex.position.x, 3);
  json.Key("normal");
  json.Floats(&vertex.normal.x, 3);
  json.Key("tangent");
  json.Floats(&vertex.tangent.x, 4);
  json.Key("texCoord");
  json.Floats(&vertex.texCoord.x, 2);
#if !defined(XVIEW_REDUCED_MODEL)
  json.Key("influences");
  json.BeginArray();
  for (const XSkinInfluence& influence : vertex.influences) {
    json.BeginArray();
    json.Float(influence.weight);
    json.Int(influence.bone);
    json.EndArray();
  }
  json.EndArray();
#endif
  json.EndObject();
}

inline void WriteMesh(JsonWriter& json, const XMesh& mesh, bool full, const FrameIndices& frames) {
  json.BeginObject();
  json.Key("name");
  json.String(mesh.name);
  json.Key("flags");
  json.Int(mesh.flags);
#if !defined(XVIEW_REDUCED_MODEL)
  json.Key("frame");
  WriteFrameIndex(json, frames, mesh.frame);
#else
  (void)frames;
#endif
  json.Key("vertices");
  json.Int(static_cast<std::int64_t>(mesh.vertices.size()));
  json.Key("faces");
  json.Int(static_cast<std::int64_t>(mesh.faces.size()));
  json.Key("subsets");
  json.BeginArray();
  for (const XSubset& subset : mesh.subsets) {
    json.BeginArray();
    json.Int(subset.faceCount);
    json.Int(subset.firstFace);
    json.Int(subset.material);
    json.EndArray();
  }
  json.EndArray();
  json.Key("materials");
  json.BeginArray();
  for (const XMaterial& material : mesh.materials) WriteMaterial(json, material);
  json.EndArray();
#if !defined(XVIEW_REDUCED_MODEL)
  json.Key("bones");
  json.BeginArray();
  for (const XBone& bone : mesh.bones) {
    json.BeginObject();
    json.Key("name");
    json.String(bone.name);
    json.Key("offset");
    WriteMatrix(json, bone.offset);
    json.EndObject();
  }
  json.EndArray();
#endif
  if (full) {
    json.Key("vertexData");
    json.BeginArray();
    for (const XVertex& vertex : mesh.vertices) WriteVertex(json, vertex);
    json.EndArray();
    json.Key("faceData");
    json.BeginArray();
    for (const XFace& face : mesh.faces) {
      json.BeginArray();
      for (std::int32_t corner : face.corners) json.Int(corner);
      json.Int(face.material);
      json.EndArray();
    }
    json.EndArray();
  }
  json.EndObject();
}

inline void WriteMeshes(JsonWriter& json, const std::vector<XMesh>& meshes, bool full,
                        const FrameIndices& frames = {}) {
  json.Key("meshes");
  json.BeginArray();
  for (const XMesh& mesh : meshes) WriteMesh(json, mesh, full, frames);
  json.EndArray();
}

// What the last parse could not take as written, one entry per kind; the
// same messages went to standard error as the file was read.
inline void WriteWarnings(JsonWriter& json, const std::vector<ParseWarning>& warnings) {
  json.Key("warnings");
  json.BeginArray();
  for (const ParseWarning& warning : warnings) {
    json.BeginObject();
    json.Key("kind");
    json.String(ParseWarningName(warning.kind));
    json.Key("count");
    json.Int(static_cast<std::int64_t>(warning.count));
    json.Key("message");
    json.String(warning.message);
    json.EndObject();
  }
  json.EndArray();
}

inline int Print(const JsonWriter& json) {
  std::fputs(json.Text().c_str(), stdout);
  std::fputc('\n', stdout);
  return std::fflush(stdout) == 0 ? 0 : 1;
}

}  // namespace xfileinfo
