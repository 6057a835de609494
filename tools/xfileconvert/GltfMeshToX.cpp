#include "GltfMeshToX.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <map>

#include "XTemplates.h"

namespace xfileconvert {

namespace {

struct Influence {
  std::uint32_t vertex = 0;
  float weight = 0;
};

// What the Mesh record holds, gathered from every triangle primitive.
struct MeshRecord {
  std::vector<D3DXVECTOR3> positions, normals;
  std::vector<D3DXVECTOR2> texCoords;
  std::vector<std::array<float, 4>> colors;
  bool hasNormals = false, hasTexCoords = false, hasColors = false;
  std::vector<std::array<std::uint32_t, 3>> faces;  // corners already in the .x order
  std::vector<std::uint32_t> faceMaterials;
  std::vector<int> materials;  // the glTF material of each .x material (-1: glTF's default)
  std::vector<std::vector<Influence>> joints;  // by joint of the node's skin
  std::uint64_t notFinite = 0;
};

float Finite(float value, std::uint64_t& replaced) {
  if (std::isfinite(value)) return value;
  ++replaced;
  return 0;
}

bool IsTriangleMode(int mode) {
  return mode == TINYGLTF_MODE_TRIANGLES || mode == TINYGLTF_MODE_TRIANGLE_STRIP ||
         mode == TINYGLTF_MODE_TRIANGLE_FAN || mode == -1;
}

// The triangles of a primitive's indices, each as glTF turns it.
std::vector<std::array<std::uint32_t, 3>> TrianglesOf(int mode, const std::vector<std::uint32_t>& indices) {
  std::vector<std::array<std::uint32_t, 3>> triangles;
  const std::size_t n = indices.size();
  if (mode == TINYGLTF_MODE_TRIANGLE_STRIP) {
    for (std::size_t i = 0; i + 2 < n; ++i) {
      // Every other triangle of a strip turns the other way; its corners are swapped back.
      const std::uint32_t a = indices[i], b = indices[i + 1 + i % 2], c = indices[i + 2 - i % 2];
      if (a != b && b != c && a != c) triangles.push_back({a, b, c});  // stitching triangles show nothing
    }
  } else if (mode == TINYGLTF_MODE_TRIANGLE_FAN) {
    for (std::size_t i = 1; i + 1 < n; ++i) triangles.push_back({indices[i], indices[i + 1], indices[0]});
  } else {
    for (std::size_t i = 0; i + 2 < n; i += 3) triangles.push_back({indices[i], indices[i + 1], indices[i + 2]});
  }
  return triangles;
}

// The base colour texture's KHR_texture_transform, applied to one coordinate.
struct TextureTransform {
  float offset[2] = {0, 0}, scale[2] = {1, 1}, rotation = 0;
  bool any = false;
  bool operator==(const TextureTransform& o) const {
    return offset[0] == o.offset[0] && offset[1] == o.offset[1] && scale[0] == o.scale[0] && scale[1] == o.scale[1] &&
           rotation == o.rotation && any == o.any;
  }
  D3DXVECTOR2 Apply(const D3DXVECTOR2& uv) const {
    if (!any) return uv;
    const float c = std::cos(rotation), s = std::sin(rotation);
    const float x = uv.x * scale[0], y = uv.y * scale[1];
    return D3DXVECTOR2(c * x + s * y + offset[0], -s * x + c * y + offset[1]);
  }
};

TextureTransform TransformOf(const tinygltf::Model& model, int material) {
  TextureTransform transform;
  if (material < 0 || static_cast<std::size_t>(material) >= model.materials.size()) return transform;
  const tinygltf::TextureInfo& info = model.materials[static_cast<std::size_t>(material)].pbrMetallicRoughness.baseColorTexture;
  auto found = info.extensions.find("KHR_texture_transform");
  if (info.index < 0 || found == info.extensions.end()) return transform;
  const tinygltf::Value& ext = found->second;
  auto pair = [&](const char* key, float (&into)[2]) {
    const tinygltf::Value& value = ext.Get(key);
    if (!value.IsArray() || value.ArrayLen() != 2) return;
    for (int i = 0; i < 2; ++i)
      if (value.Get(i).IsNumber() || value.Get(i).IsInt()) into[i] = static_cast<float>(value.Get(i).GetNumberAsDouble());
  };
  pair("offset", transform.offset);
  pair("scale", transform.scale);
  if (ext.Get("rotation").IsNumber() || ext.Get("rotation").IsInt())
    transform.rotation = static_cast<float>(ext.Get("rotation").GetNumberAsDouble());
  transform.any = true;
  return transform;
}

class MeshGatherer {
 public:
  MeshGatherer(GltfToXContext& context, int node) : context_(context), model_(context.model) {
    const tinygltf::Node& n = model_.nodes[static_cast<std::size_t>(node)];
    mesh_ = n.mesh;
    if (n.skin >= 0 && static_cast<std::size_t>(n.skin) < model_.skins.size()) skin_ = n.skin;
    if (skin_ >= 0) record_.joints.resize(model_.skins[static_cast<std::size_t>(skin_)].joints.size());
  }

  MeshRecord Gather() {
    const tinygltf::Mesh& mesh = model_.meshes[static_cast<std::size_t>(mesh_)];
    for (std::size_t p = 0; p < mesh.primitives.size(); ++p) AddPrimitive(mesh.primitives[p], p);
    if (record_.notFinite)
      context_.NotHeld("numbers that are not finite (NaN, infinite) in vertex data", "they are written as 0");
    return std::move(record_);
  }

 private:
  std::string PrimitiveName(std::size_t p) const {
    return "mesh " + std::to_string(mesh_) + " primitive " + std::to_string(p);
  }

  void AddPrimitive(const tinygltf::Primitive& primitive, std::size_t p) {
    if (!IsTriangleMode(primitive.mode)) {
      context_.NotHeld("points and lines", "they are left out");
      return;
    }
    if (!primitive.targets.empty()) context_.NotHeld("morph targets", "the base shape is written");
    if (primitive.attributes.count("TEXCOORD_1"))
      context_.NotHeld("a second set of texture coordinates", "only TEXCOORD_0 is written");
    const TextureTransform transform = TransformOf(model_, primitive.material);
    // Primitives that share their vertices (the same accessors, drawn with
    // the same texture transform) share them in the Mesh record too.
    for (const SharedVertices& earlier : shared_)
      if (earlier.attributes == primitive.attributes && earlier.transform == transform) {
        std::vector<std::uint32_t> indices;
        if (IndicesOf(primitive, p, earlier.count, indices)) AddTriangles(primitive, indices, earlier.base);
        return;
      }
    auto position = primitive.attributes.find("POSITION");
    std::string reason;
    AccessorValues<float> positions;
    if (position == primitive.attributes.end() || !context_.asset.Floats(position->second, positions, reason) ||
        positions.components != 3) {
      context_.LeftOut(PrimitiveName(p), reason.empty() ? "it has no three-component positions" : reason);
      return;
    }
    const std::size_t count = positions.Count();
    std::vector<std::uint32_t> indices;
    if (!IndicesOf(primitive, p, count, indices)) return;
    // The other attributes, each of the positions' count or left out.
    auto attribute = [&](const char* semantic, int minComponents, int maxComponents, AccessorValues<float>& into) {
      auto found = primitive.attributes.find(semantic);
      if (found == primitive.attributes.end()) return false;
      std::string why;
      if (!context_.asset.Floats(found->second, into, why) || into.components < minComponents ||
          into.components > maxComponents || into.Count() != count) {
        context_.LeftOut(PrimitiveName(p) + "'s " + semantic, why.empty() ? "it does not fit the positions" : why);
        return false;
      }
      return true;
    };
    AccessorValues<float> normals, texCoords, colors;
    const bool hasNormals = attribute("NORMAL", 3, 3, normals);
    const bool hasTexCoords = attribute("TEXCOORD_0", 2, 2, texCoords);
    const bool hasColors = attribute("COLOR_0", 3, 4, colors);

    // Attributes that earlier primitives lacked are zero (colours white) for their vertices.
    const auto base = static_cast<std::uint32_t>(record_.positions.size());
    record_.positions.reserve(base + count);
    if (hasNormals) record_.normals.reserve(base + count);
    if (hasTexCoords) record_.texCoords.reserve(base + count);
    if (hasNormals) record_.normals.resize(base, D3DXVECTOR3(0, 0, 0));
    if (hasTexCoords) record_.texCoords.resize(base, D3DXVECTOR2(0, 0));
    if (hasColors) record_.colors.resize(base, {1, 1, 1, 1});
    std::uint64_t& bad = record_.notFinite;
    for (std::size_t v = 0; v < count; ++v) {
      const float* at = positions.At(v);
      record_.positions.emplace_back(Finite(at[0], bad), Finite(at[1], bad), -Finite(at[2], bad));
      if (hasNormals) {
        const float* n = normals.At(v);
        record_.normals.emplace_back(Finite(n[0], bad), Finite(n[1], bad), -Finite(n[2], bad));
      }
      if (hasTexCoords) {
        const float* t = texCoords.At(v);
        record_.texCoords.push_back(transform.Apply(D3DXVECTOR2(Finite(t[0], bad), Finite(t[1], bad))));
      }
      if (hasColors) {
        const float* c = colors.At(v);
        record_.colors.push_back({Finite(c[0], bad), Finite(c[1], bad), Finite(c[2], bad),
                                  colors.components == 4 ? Finite(c[3], bad) : 1.0f});
      }
    }
    record_.hasNormals |= hasNormals;
    record_.hasTexCoords |= hasTexCoords;
    record_.hasColors |= hasColors;

    shared_.push_back({primitive.attributes, transform, base, count});
    AddTriangles(primitive, indices, base);
    if (skin_ >= 0) AddWeights(primitive, p, base, count);
  }

  // The primitive's indices, each checked against its `count` vertices
  // (0, 1, 2 ... where it has none). False, having said why, where one is past them.
  bool IndicesOf(const tinygltf::Primitive& primitive, std::size_t p, std::size_t count, std::vector<std::uint32_t>& indices) {
    if (primitive.indices < 0) {
      indices.resize(count);
      for (std::size_t i = 0; i < count; ++i) indices[i] = static_cast<std::uint32_t>(i);
      return true;
    }
    AccessorValues<std::uint32_t> read;
    std::string reason;
    if (!context_.asset.Integers(primitive.indices, read, reason) || read.components != 1) {
      context_.LeftOut(PrimitiveName(p), reason.empty() ? "its indices are not scalars" : reason);
      return false;
    }
    for (std::uint32_t index : read.values)
      if (index >= count) {
        context_.LeftOut(PrimitiveName(p),
                         "index " + std::to_string(index) + " lies past its " + std::to_string(count) + " vertices");
        return false;
      }
    indices = std::move(read.values);
    return true;
  }

  void AddTriangles(const tinygltf::Primitive& primitive, const std::vector<std::uint32_t>& indices, std::uint32_t base) {
    const std::uint32_t material = MaterialIndex(primitive.material);
    record_.faces.reserve(record_.faces.size() + indices.size() / 3);
    record_.faceMaterials.reserve(record_.faceMaterials.size() + indices.size() / 3);
    for (const auto& [a, b, c] : TrianglesOf(primitive.mode, indices)) {
      // The mirror turns every triangle over: its corners go the other way round.
      record_.faces.push_back({base + a, base + c, base + b});
      record_.faceMaterials.push_back(material);
    }
  }

  std::uint32_t MaterialIndex(int material) {
    if (material >= 0 && static_cast<std::size_t>(material) >= model_.materials.size()) material = -1;
    auto at = std::find(record_.materials.begin(), record_.materials.end(), material);
    if (at == record_.materials.end()) at = record_.materials.insert(record_.materials.end(), material);
    return static_cast<std::uint32_t>(at - record_.materials.begin());
  }

  // Every JOINTS_n / WEIGHTS_n set: each weight above zero goes to its joint.
  void AddWeights(const tinygltf::Primitive& primitive, std::size_t p, std::uint32_t base, std::size_t count) {
    std::uint64_t pastSkin = 0;
    for (int set = 0;; ++set) {
      auto joints = primitive.attributes.find("JOINTS_" + std::to_string(set));
      auto weights = primitive.attributes.find("WEIGHTS_" + std::to_string(set));
      if (joints == primitive.attributes.end() || weights == primitive.attributes.end()) break;
      AccessorValues<std::uint32_t> j;
      AccessorValues<float> w;
      std::string reason;
      if (!context_.asset.Integers(joints->second, j, reason) || !context_.asset.Floats(weights->second, w, reason) ||
          j.components != w.components || j.Count() != count || w.Count() != count) {
        context_.LeftOut(PrimitiveName(p) + "'s JOINTS_" + std::to_string(set) + " and WEIGHTS_" + std::to_string(set),
                         reason.empty() ? "they do not fit the positions or each other" : reason);
        continue;
      }
      for (std::size_t v = 0; v < count; ++v)
        for (int k = 0; k < j.components; ++k) {
          const float weight = w.At(v)[k];
          if (!(weight > 0) || !std::isfinite(weight)) continue;
          const std::uint32_t joint = j.At(v)[k];
          if (joint >= record_.joints.size()) {
            ++pastSkin;
            continue;
          }
          std::vector<Influence>& influences = record_.joints[joint];
          const auto vertex = static_cast<std::uint32_t>(base + v);
          if (!influences.empty() && influences.back().vertex == vertex) {
            influences.back().weight += weight;  // a joint named twice for one vertex
          } else {
            influences.push_back({vertex, weight});
          }
        }
    }
    if (pastSkin)
      context_.LeftOut(PrimitiveName(p) + "'s weights of " + std::to_string(pastSkin) + " joints past the skin's " +
                           std::to_string(record_.joints.size()),
                       "they name no joint");
  }

  GltfToXContext& context_;
  const tinygltf::Model& model_;
  int mesh_ = -1;
  int skin_ = -1;
  MeshRecord record_;
  struct SharedVertices {
    std::map<std::string, int> attributes;
    TextureTransform transform;
    std::uint32_t base = 0;
    std::size_t count = 0;
  };
  std::vector<SharedVertices> shared_;
};

// A list of vectors: its count, then its numbers.
template <typename Vector>
void WriteVectors(XDataWriter& writer, const std::vector<Vector>& vectors) {
  static_assert(sizeof(Vector) % sizeof(float) == 0);
  writer.Integer(static_cast<std::int64_t>(vectors.size()));
  writer.Floats(reinterpret_cast<const float*>(vectors.data()), vectors.size() * sizeof(Vector) / sizeof(float));
}

// The faces as MeshFace records take them: a count of corners, then the corners.
std::vector<std::uint32_t> FaceNumbers(const std::vector<std::array<std::uint32_t, 3>>& faces) {
  std::vector<std::uint32_t> numbers;
  numbers.reserve(faces.size() * 4);
  for (const auto& face : faces) numbers.insert(numbers.end(), {3, face[0], face[1], face[2]});
  return numbers;
}

void WriteFaces(XDataWriter& writer, const std::vector<std::uint32_t>& faceNumbers) {
  writer.Integer(static_cast<std::int64_t>(faceNumbers.size() / 4));
  writer.Integers(faceNumbers.data(), faceNumbers.size());
}

void WriteMaterial(GltfToXContext& context, int index, GltfImageFiles& images) {
  XDataWriter& writer = context.writer;
  const tinygltf::Material* material =
      index >= 0 ? &context.model.materials[static_cast<std::size_t>(index)] : nullptr;
  writer.Begin(StandardTemplate("Material"),
               context.names.Unique(material ? material->name : "", "material" + std::to_string(std::max(index, 0))));
  const tinygltf::PbrMetallicRoughness pbr = material ? material->pbrMetallicRoughness : tinygltf::PbrMetallicRoughness();
  for (std::size_t i = 0; i < 4; ++i) writer.Float(i < pbr.baseColorFactor.size() ? pbr.baseColorFactor[i] : 1.0);
  // The power a viewer's specular highlight takes from glTF's roughness:
  // the inverse of roughness = (2 / (power + 2))^(1/4), the .x to glTF
  // export's rule; a fully rough material has no highlight.
  const double roughness = std::clamp(std::isfinite(pbr.roughnessFactor) ? pbr.roughnessFactor : 1.0, 0.05, 1.0);
  const bool highlight = roughness < 1.0;
  writer.Float(highlight ? 2.0 / std::pow(roughness, 4.0) - 2.0 : 0.0);
  for (int i = 0; i < 3; ++i) writer.Float(highlight ? 1.0 - roughness : 0.0);
  double strength = 1;
  if (material) {
    auto found = material->extensions.find("KHR_materials_emissive_strength");
    if (found != material->extensions.end() && found->second.Get("emissiveStrength").IsNumber())
      strength = found->second.Get("emissiveStrength").GetNumberAsDouble();
  }
  for (std::size_t i = 0; i < 3; ++i)
    writer.Float(material && i < material->emissiveFactor.size() ? material->emissiveFactor[i] * strength : 0.0);
  const int texture = material ? pbr.baseColorTexture.index : -1;
  if (texture >= 0 && static_cast<std::size_t>(texture) < context.model.textures.size()) {
    if (pbr.baseColorTexture.texCoord != 0)
      context.NotHeld("textures on a second set of texture coordinates", "they are drawn on the first");
    const int source = context.model.textures[static_cast<std::size_t>(texture)].source;
    const std::string file = source >= 0 ? images.NameOf(source) : std::string();
    if (source < 0) context.NotHeld("textures whose image is only in an extension", "the material shows its colours");
    if (!file.empty()) {
      writer.Begin(StandardTemplate("TextureFilename"));
      writer.String(file);
      writer.End();
    }
  }
  writer.End();
}

void WriteSkin(GltfToXContext& context, const MeshRecord& record, int skin) {
  XDataWriter& writer = context.writer;
  const tinygltf::Skin& s = context.model.skins[static_cast<std::size_t>(skin)];
  AccessorValues<float> inverseBinds;
  std::string reason;
  if (s.inverseBindMatrices >= 0 &&
      (!context.asset.Floats(s.inverseBindMatrices, inverseBinds, reason) || inverseBinds.components != 16 ||
       inverseBinds.Count() < s.joints.size())) {
    context.LeftOut("skin " + std::to_string(skin) + "'s inverse bind matrices",
                    reason.empty() ? "they are fewer than its joints; the identity is written" : reason);
    inverseBinds.values.clear();
  }
  // How many bones move each vertex, and each triangle.
  std::vector<std::uint8_t> perVertex(record.positions.size(), 0);
  std::vector<std::uint32_t> bones;
  for (std::size_t j = 0; j < record.joints.size(); ++j) {
    if (record.joints[j].empty()) continue;
    const int node = s.joints[j];
    if (node < 0 || static_cast<std::size_t>(node) >= context.frameOf.size() ||
        context.frameOf[static_cast<std::size_t>(node)].empty()) {
      context.LeftOut("skin " + std::to_string(skin) + "'s joint " + std::to_string(j),
                      "its node is not in the scene, so no frame moves its vertices");
      continue;
    }
    bones.push_back(static_cast<std::uint32_t>(j));
    for (const Influence& influence : record.joints[j])
      perVertex[influence.vertex] = static_cast<std::uint8_t>(std::min(perVertex[influence.vertex] + 1, 255));
  }
  if (bones.empty()) return;
  std::vector<std::uint32_t> boneSlot(record.joints.size(), 0);
  // The bones of each vertex in one list (vertex by vertex, perVertex of
  // each), and the most that move one triangle.
  std::vector<std::size_t> firstBone(record.positions.size() + 1, 0);
  for (std::size_t v = 0; v < perVertex.size(); ++v) firstBone[v + 1] = firstBone[v] + perVertex[v];
  std::vector<std::uint32_t> vertexBones(firstBone.back());
  std::vector<std::size_t> filled(firstBone.begin(), firstBone.end() - 1);
  for (std::uint32_t j : bones)
    for (const Influence& influence : record.joints[j])
      if (filled[influence.vertex] < firstBone[influence.vertex + 1]) vertexBones[filled[influence.vertex]++] = j;
  std::size_t mostPerFace = 0;
  std::vector<std::uint32_t> faceBones;
  for (const auto& face : record.faces) {
    faceBones.clear();
    for (std::uint32_t corner : face)
      faceBones.insert(faceBones.end(), vertexBones.begin() + static_cast<std::ptrdiff_t>(firstBone[corner]),
                       vertexBones.begin() + static_cast<std::ptrdiff_t>(filled[corner]));
    std::sort(faceBones.begin(), faceBones.end());
    mostPerFace = std::max<std::size_t>(
        mostPerFace, static_cast<std::size_t>(std::unique(faceBones.begin(), faceBones.end()) - faceBones.begin()));
  }
  writer.Begin(StandardTemplate("XSkinMeshHeader"));
  writer.Integer(*std::max_element(perVertex.begin(), perVertex.end()));
  writer.Integer(static_cast<std::int64_t>(mostPerFace));
  writer.Integer(static_cast<std::int64_t>(bones.size()));
  writer.End();
  static const float kIdentity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
  for (std::uint32_t j : bones) {
    const std::vector<Influence>& influences = record.joints[j];
    writer.Begin(StandardTemplate("SkinWeights"));
    writer.String(context.frameOf[static_cast<std::size_t>(s.joints[j])]);
    writer.Integer(static_cast<std::int64_t>(influences.size()));
    std::vector<std::uint32_t> indices(influences.size());
    std::vector<float> weights(influences.size());
    for (std::size_t i = 0; i < influences.size(); ++i) {
      indices[i] = influences[i].vertex;
      weights[i] = influences[i].weight;
    }
    writer.Integers(indices.data(), indices.size());
    writer.Floats(weights.data(), weights.size());
    const D3DXMATRIX offset = MirroredMatrix(inverseBinds.values.empty() ? kIdentity : inverseBinds.At(j));
    for (int row = 0; row < 4; ++row)
      for (int col = 0; col < 4; ++col) writer.Float(offset.m[row][col]);
    writer.End();
  }
}

}  // namespace

std::vector<D3DXVECTOR3> MeshCorners(const GltfToXContext& context, int mesh) {
  std::vector<D3DXVECTOR3> corners;
  if (mesh < 0 || static_cast<std::size_t>(mesh) >= context.model.meshes.size()) return corners;
  for (const tinygltf::Primitive& primitive : context.model.meshes[static_cast<std::size_t>(mesh)].primitives) {
    auto position = primitive.attributes.find("POSITION");
    if (!IsTriangleMode(primitive.mode) || position == primitive.attributes.end() || position->second < 0 ||
        static_cast<std::size_t>(position->second) >= context.model.accessors.size())
      continue;
    // glTF gives every POSITION accessor its bounds; a file that does not has them measured.
    const tinygltf::Accessor& accessor = context.model.accessors[static_cast<std::size_t>(position->second)];
    std::array<double, 3> low{}, high{};
    if (accessor.minValues.size() == 3 && accessor.maxValues.size() == 3 && !accessor.sparse.isSparse) {
      for (std::size_t c = 0; c < 3; ++c) {
        low[c] = accessor.minValues[c];
        high[c] = accessor.maxValues[c];
      }
    } else {
      AccessorValues<float> values;
      std::string reason;
      if (!context.asset.Floats(position->second, values, reason) || values.components != 3 || values.Count() == 0)
        continue;
      low = {1e300, 1e300, 1e300};
      high = {-1e300, -1e300, -1e300};
      for (std::size_t v = 0; v < values.Count(); ++v)
        for (std::size_t c = 0; c < 3; ++c)
          if (std::isfinite(values.At(v)[c])) {
            low[c] = std::min<double>(low[c], values.At(v)[c]);
            high[c] = std::max<double>(high[c], values.At(v)[c]);
          }
    }
    if (!(low[0] <= high[0] && low[1] <= high[1] && low[2] <= high[2])) continue;
    for (int corner = 0; corner < 8; ++corner)
      corners.emplace_back(static_cast<float>(corner & 1 ? high[0] : low[0]), static_cast<float>(corner & 2 ? high[1] : low[1]),
                           static_cast<float>(corner & 4 ? high[2] : low[2]));
  }
  return corners;
}

void WriteMeshOfNode(GltfToXContext& context, int node, GltfImageFiles& images) {
  const tinygltf::Node& n = context.model.nodes[static_cast<std::size_t>(node)];
  if (n.mesh < 0 || static_cast<std::size_t>(n.mesh) >= context.model.meshes.size()) return;
  MeshGatherer gatherer(context, node);
  MeshRecord record = gatherer.Gather();
  const tinygltf::Mesh& mesh = context.model.meshes[static_cast<std::size_t>(n.mesh)];
  if (record.faces.empty()) {
    context.LeftOut("mesh " + std::to_string(n.mesh), "it has no triangles");
    return;
  }
  XDataWriter& writer = context.writer;
  const std::size_t vertices = record.positions.size();
  writer.Body().reserve(writer.Body().size() + vertices * 120 + record.faces.size() * 40);
  writer.Begin(StandardTemplate("Mesh"), context.names.Unique(mesh.name, "mesh" + std::to_string(n.mesh)));
  WriteVectors(writer, record.positions);
  const std::vector<std::uint32_t> faces = FaceNumbers(record.faces);
  WriteFaces(writer, faces);
  // Attributes that later primitives lack are zero (colours white) for their vertices.
  if (record.hasNormals) {
    record.normals.resize(vertices, D3DXVECTOR3(0, 0, 0));
    writer.Begin(StandardTemplate("MeshNormals"));
    WriteVectors(writer, record.normals);
    WriteFaces(writer, faces);
    writer.End();
  }
  if (record.hasTexCoords) {
    record.texCoords.resize(vertices, D3DXVECTOR2(0, 0));
    writer.Begin(StandardTemplate("MeshTextureCoords"));
    WriteVectors(writer, record.texCoords);
    writer.End();
  }
  if (record.hasColors) {
    record.colors.resize(vertices, {1, 1, 1, 1});
    writer.Begin(StandardTemplate("MeshVertexColors"));
    writer.Integer(static_cast<std::int64_t>(vertices));
    for (std::size_t v = 0; v < vertices; ++v) {
      writer.Integer(static_cast<std::int64_t>(v));
      for (float component : record.colors[v]) writer.Float(component);
    }
    writer.End();
  }
  writer.Begin(StandardTemplate("MeshMaterialList"));
  writer.Integer(static_cast<std::int64_t>(record.materials.size()));
  writer.Integer(static_cast<std::int64_t>(record.faceMaterials.size()));
  writer.Integers(record.faceMaterials.data(), record.faceMaterials.size());
  for (int material : record.materials) WriteMaterial(context, material, images);
  writer.End();
  if (n.skin >= 0 && static_cast<std::size_t>(n.skin) < context.model.skins.size())
    WriteSkin(context, record, n.skin);
  writer.End();
}

}  // namespace xfileconvert
