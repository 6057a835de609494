#include "GltfFixtures.h"

#include <draco/compression/encode.h>
#include <draco/mesh/triangle_soup_mesh_builder.h>
#include <meshoptimizer.h>

#include <cmath>
#include <limits>

namespace convert_test {

namespace {

std::string Base64(const std::string& bytes) {
  static const char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  for (std::size_t i = 0; i < bytes.size(); i += 3) {
    std::uint32_t chunk = static_cast<unsigned char>(bytes[i]) << 16;
    if (i + 1 < bytes.size()) chunk |= static_cast<unsigned char>(bytes[i + 1]) << 8;
    if (i + 2 < bytes.size()) chunk |= static_cast<unsigned char>(bytes[i + 2]);
    out += kDigits[chunk >> 18 & 63];
    out += kDigits[chunk >> 12 & 63];
    out += i + 1 < bytes.size() ? kDigits[chunk >> 6 & 63] : '=';
    out += i + 2 < bytes.size() ? kDigits[chunk & 63] : '=';
  }
  return out;
}

std::string DataUri(const std::string& bytes) { return "data:application/octet-stream;base64," + Base64(bytes); }

std::string Join(const std::vector<std::string>& parts) {
  std::string out;
  for (std::size_t i = 0; i < parts.size(); ++i) out += (i ? "," : "") + parts[i];
  return out;
}

// A square of four vertices in the XY plane, one unit wide, as two triangles.
const std::vector<float> kSquare{0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0};
const std::vector<std::uint16_t> kSquareIndices{0, 1, 2, 0, 2, 3};

// A grid of N x N quads in the XY plane, two triangles each.
void Grid(int n, std::vector<float>& positions, std::vector<std::uint32_t>& indices) {
  for (int y = 0; y <= n; ++y)
    for (int x = 0; x <= n; ++x) positions.insert(positions.end(), {float(x) / n, float(y) / n, 0.1f * float(x * y) / n});
  for (int y = 0; y < n; ++y)
    for (int x = 0; x < n; ++x) {
      const auto a = static_cast<std::uint32_t>(y * (n + 1) + x), b = a + 1, c = a + static_cast<std::uint32_t>(n) + 1,
                 d = c + 1;
      indices.insert(indices.end(), {a, b, d, a, d, c});
    }
}

const char* kScene = "\"scene\":0,\"scenes\":[{\"nodes\":[0]}]";

}  // namespace

int GltfFile::View(const std::string& bytes, int stride) {
  while (buffer.size() % 4) buffer += '\0';
  std::string view = "{\"buffer\":0,\"byteOffset\":" + std::to_string(buffer.size()) +
                     ",\"byteLength\":" + std::to_string(bytes.size());
  if (stride) view += ",\"byteStride\":" + std::to_string(stride);
  views_.push_back(view + "}");
  buffer += bytes;
  return static_cast<int>(views_.size() - 1);
}

int GltfFile::Accessor(int view, int componentType, int count, const char* type, const std::string& extra) {
  std::string accessor = "{";
  if (view >= 0) accessor += "\"bufferView\":" + std::to_string(view) + ",";
  accessor += "\"componentType\":" + std::to_string(componentType) + ",\"count\":" + std::to_string(count) +
              ",\"type\":\"" + type + "\"" + extra + "}";
  accessors_.push_back(accessor);
  return static_cast<int>(accessors_.size() - 1);
}

int GltfFile::Floats(const std::vector<float>& values, const char* type, bool bounds) {
  const int size = type[0] == 'S' ? 1 : type[3] - '0';
  const int components = type[0] == 'M' ? size * size : size;
  std::string extra;
  if (bounds) {
    std::vector<float> low(static_cast<std::size_t>(components), std::numeric_limits<float>::max()),
        high(static_cast<std::size_t>(components), -std::numeric_limits<float>::max());
    for (std::size_t i = 0; i < values.size(); ++i) {
      low[i % low.size()] = std::fmin(low[i % low.size()], values[i]);
      high[i % high.size()] = std::fmax(high[i % high.size()], values[i]);
    }
    auto list = [](const std::vector<float>& v) {
      std::vector<std::string> parts;
      for (float f : v) parts.push_back(std::to_string(f));
      return "[" + Join(parts) + "]";
    };
    extra = ",\"min\":" + list(low) + ",\"max\":" + list(high);
  }
  return Accessor(View(BytesOf(values)), 5126, static_cast<int>(values.size()) / components, type, extra);
}

int GltfFile::Indices(const std::vector<std::uint16_t>& indices) {
  return Accessor(View(BytesOf(indices)), 5123, static_cast<int>(indices.size()), "SCALAR");
}

std::string GltfFile::Json(const std::string& members) const {
  return "{\"asset\":{\"version\":\"2.0\"},\"buffers\":[{\"byteLength\":" + std::to_string(buffer.size()) +
         ",\"uri\":\"" + DataUri(buffer) + "\"}],\"bufferViews\":[" + Join(views_) + "],\"accessors\":[" +
         Join(accessors_) + "]," + members + "}";
}

std::string ShearedNodeGltf() {
  GltfFile file;
  const int positions = file.Floats(kSquare, "VEC3", true), indices = file.Indices(kSquareIndices);
  return file.Json(std::string(kScene) +
                   ",\"nodes\":[{\"name\":\"sheared\",\"mesh\":0,\"matrix\":[1,0,0,0, 0.5,1,0,0, 0,0,2,0, 3,0,1,1]}],"
                   "\"meshes\":[{\"primitives\":[{\"attributes\":{\"POSITION\":" +
                   std::to_string(positions) + "},\"indices\":" + std::to_string(indices) + "}]}]");
}

std::string MeshUsedTwiceGltf() {
  GltfFile file;
  const int positions = file.Floats(kSquare, "VEC3", true), indices = file.Indices(kSquareIndices);
  return file.Json(
      "\"scene\":0,\"scenes\":[{\"nodes\":[0,1]}],"
      "\"nodes\":[{\"name\":\"left\",\"mesh\":0,\"translation\":[-2,0,0]},"
      "{\"name\":\"left\",\"mesh\":0,\"translation\":[2,0,0],\"rotation\":[0,0,0.7071068,0.7071068]}],"
      "\"meshes\":[{\"name\":\"square\",\"primitives\":[{\"attributes\":{\"POSITION\":" +
      std::to_string(positions) + "},\"indices\":" + std::to_string(indices) + "}]}]");
}

std::string SparseGltf() {
  GltfFile file;
  const int base = file.View(BytesOf(kSquare));
  const int sparseIndices = file.View(BytesOf(std::vector<std::uint16_t>{1, 3}));
  const int sparseValues = file.View(BytesOf(std::vector<float>{1.5f, 0, 0.5f, 0, 1.5f, -0.5f}));
  const int positions = file.Accessor(base, 5126, 4, "VEC3",
                                      ",\"min\":[0,0,-0.5],\"max\":[1.5,1.5,0.5],\"sparse\":{\"count\":2,"
                                      "\"indices\":{\"bufferView\":" +
                                          std::to_string(sparseIndices) +
                                          ",\"componentType\":5123},\"values\":{\"bufferView\":" +
                                          std::to_string(sparseValues) + "}}");
  const int indices = file.Indices(kSquareIndices);
  return file.Json(std::string(kScene) +
                   ",\"nodes\":[{\"mesh\":0}],\"meshes\":[{\"primitives\":[{\"attributes\":{\"POSITION\":" +
                   std::to_string(positions) + "},\"indices\":" + std::to_string(indices) + "}]}]");
}

std::string QuantizedGltf() {
  GltfFile file;
  // Millimetres as shorts, four to a vertex (glTF aligns each to 4 bytes), placed by a node scale.
  const std::vector<std::int16_t> positions{0, 0, 0, 0, 1000, 0, 0, 0, 1000, 1000, 0, 0, 0, 1000, 250, 0};
  const std::vector<std::int8_t> normals{0, 0, 127, 0, 0, 0, 127, 0, 0, 90, 90, 0, 0, 0, -127, 0};
  const std::vector<std::uint16_t> texCoords{0, 0, 65535, 0, 65535, 65535, 0, 32768};
  const int p = file.Accessor(file.View(BytesOf(positions), 8), 5122, 4, "VEC3", ",\"min\":[0,0,0],\"max\":[1000,1000,250]");
  const int n = file.Accessor(file.View(BytesOf(normals), 4), 5120, 4, "VEC3", ",\"normalized\":true");
  const int t = file.Accessor(file.View(BytesOf(texCoords)), 5123, 4, "VEC2", ",\"normalized\":true");
  const int i = file.Indices(kSquareIndices);
  return file.Json(std::string(kScene) +
                   ",\"extensionsUsed\":[\"KHR_mesh_quantization\"],\"extensionsRequired\":[\"KHR_mesh_quantization\"],"
                   "\"nodes\":[{\"mesh\":0,\"scale\":[0.001,0.001,0.001]}],\"meshes\":[{\"primitives\":[{\"attributes\":{"
                   "\"POSITION\":" +
                   std::to_string(p) + ",\"NORMAL\":" + std::to_string(n) + ",\"TEXCOORD_0\":" + std::to_string(t) +
                   "},\"indices\":" + std::to_string(i) + "}]}]");
}

std::string JointsUnderTwoRootsGltf() {
  GltfFile file;
  const int positions = file.Floats(kSquare, "VEC3", true), indices = file.Indices(kSquareIndices);
  const int joints = file.Accessor(file.View(BytesOf(std::vector<std::uint8_t>{0, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0})),
                                   5121, 4, "VEC4");
  const int weights = file.Floats({1, 0, 0, 0, 0.75f, 0.25f, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0}, "VEC4");
  // Joint 0 stands at (-1, 0, 0) and joint 1 at (2, 0, 0): their inverse bind matrices undo that.
  const int inverseBinds =
      file.Floats({1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 1, 0, 0, 1, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, -2, 0, 0, 1}, "MAT4");
  const int times = file.Floats({0, 0.5f, 1}, "SCALAR", true);
  const int turns = file.Floats({0, 0, 0, 1, 0, 0, 0.7071068f, 0.7071068f, 0, 0, 1, 0}, "VEC4");
  const int lifts = file.Floats({2, 0, 0, 2, 1, 0, 2, 0, 0.5f}, "VEC3");
  return file.Json(
      "\"scene\":0,\"scenes\":[{\"nodes\":[0,1,2]}],"
      "\"nodes\":[{\"name\":\"left\",\"translation\":[-1,0,0]},{\"name\":\"right\",\"translation\":[2,0,0]},"
      "{\"name\":\"body\",\"mesh\":0,\"skin\":0}],"
      "\"skins\":[{\"joints\":[0,1],\"inverseBindMatrices\":" +
      std::to_string(inverseBinds) +
      "}],\"meshes\":[{\"primitives\":[{\"attributes\":{\"POSITION\":" + std::to_string(positions) +
      ",\"JOINTS_0\":" + std::to_string(joints) + ",\"WEIGHTS_0\":" + std::to_string(weights) +
      "},\"indices\":" + std::to_string(indices) +
      "}]}],\"animations\":[{\"name\":\"wave\",\"samplers\":[{\"input\":" + std::to_string(times) +
      ",\"output\":" + std::to_string(turns) + "},{\"input\":" + std::to_string(times) + ",\"output\":" +
      std::to_string(lifts) +
      "}],\"channels\":[{\"sampler\":0,\"target\":{\"node\":0,\"path\":\"rotation\"}},{\"sampler\":1,\"target\":{"
      "\"node\":1,\"path\":\"translation\"}}]}]");
}

std::string MeshoptGltf() {
  std::vector<float> positions;
  std::vector<std::uint32_t> indices;
  Grid(4, positions, indices);
  const std::size_t vertices = positions.size() / 3;
  std::vector<unsigned char> packedVertices(meshopt_encodeVertexBufferBound(vertices, 12));
  packedVertices.resize(meshopt_encodeVertexBuffer(packedVertices.data(), packedVertices.size(), positions.data(),
                                                   vertices, 12));
  std::vector<unsigned char> packedIndices(meshopt_encodeIndexBufferBound(indices.size(), vertices));
  packedIndices.resize(
      meshopt_encodeIndexBuffer(packedIndices.data(), packedIndices.size(), indices.data(), indices.size()));
  std::string packed(packedVertices.begin(), packedVertices.end());
  const std::size_t indexOffset = (packed.size() + 3) / 4 * 4;
  packed.resize(indexOffset, '\0');
  packed.append(packedIndices.begin(), packedIndices.end());
  // The compressed bytes are the first buffer; the second is the fallback, which holds nothing.
  const std::size_t vertexBytes = vertices * 12, indexBytes = indices.size() * 4;
  auto ext = [](std::size_t offset, std::size_t length, int stride, std::size_t count, const char* mode) {
    return ",\"extensions\":{\"EXT_meshopt_compression\":{\"buffer\":0,\"byteOffset\":" + std::to_string(offset) +
           ",\"byteLength\":" + std::to_string(length) + ",\"byteStride\":" + std::to_string(stride) +
           ",\"count\":" + std::to_string(count) + ",\"mode\":\"" + mode + "\"}}";
  };
  return "{\"asset\":{\"version\":\"2.0\"},\"extensionsUsed\":[\"EXT_meshopt_compression\"],"
         "\"extensionsRequired\":[\"EXT_meshopt_compression\"],"
         "\"buffers\":[{\"byteLength\":" +
         std::to_string(packed.size()) + ",\"uri\":\"" + DataUri(packed) + "\"},{\"byteLength\":" +
         std::to_string(vertexBytes + indexBytes) +
         ",\"extensions\":{\"EXT_meshopt_compression\":{\"fallback\":true}}}],"
         "\"bufferViews\":[{\"buffer\":1,\"byteOffset\":0,\"byteLength\":" +
         std::to_string(vertexBytes) + ",\"byteStride\":12" +
         ext(0, packedVertices.size(), 12, vertices, "ATTRIBUTES") + "},{\"buffer\":1,\"byteOffset\":" +
         std::to_string(vertexBytes) + ",\"byteLength\":" + std::to_string(indexBytes) +
         ext(indexOffset, packedIndices.size(), 4, indices.size(), "TRIANGLES") +
         "}],\"accessors\":[{\"bufferView\":0,\"componentType\":5126,\"count\":" + std::to_string(vertices) +
         ",\"type\":\"VEC3\",\"min\":[0,0,0],\"max\":[1,1,0.1]},{\"bufferView\":1,\"componentType\":5125,\"count\":" +
         std::to_string(indices.size()) + ",\"type\":\"SCALAR\"}]," + kScene +
         ",\"nodes\":[{\"mesh\":0}],\"meshes\":[{\"primitives\":[{\"attributes\":{\"POSITION\":0},\"indices\":1}]}]}";
}

std::string DracoGltf() {
  std::vector<float> positions;
  std::vector<std::uint32_t> indices;
  Grid(4, positions, indices);
  draco::TriangleSoupMeshBuilder builder;
  const std::size_t faces = indices.size() / 3;
  builder.Start(static_cast<int>(faces));
  const int position = builder.AddAttribute(draco::GeometryAttribute::POSITION, 3, draco::DT_FLOAT32);
  for (std::size_t f = 0; f < faces; ++f)
    builder.SetAttributeValuesForFace(position, draco::FaceIndex(static_cast<std::uint32_t>(f)),
                                      &positions[indices[f * 3] * 3], &positions[indices[f * 3 + 1] * 3],
                                      &positions[indices[f * 3 + 2] * 3]);
  std::unique_ptr<draco::Mesh> mesh = builder.Finalize();
  draco::Encoder encoder;
  encoder.SetAttributeQuantization(draco::GeometryAttribute::POSITION, 16);
  draco::EncoderBuffer encoded;
  encoder.EncodeMeshToBuffer(*mesh, &encoded);
  GltfFile file;
  const int view = file.View(std::string(encoded.data(), encoded.size()));
  const int p = file.Accessor(-1, 5126, static_cast<int>(mesh->num_points()), "VEC3", ",\"min\":[0,0,0],\"max\":[1,1,0.1]");
  const int i = file.Accessor(-1, 5125, static_cast<int>(mesh->num_faces() * 3), "SCALAR");
  return file.Json(std::string(kScene) +
                   ",\"extensionsUsed\":[\"KHR_draco_mesh_compression\"],\"extensionsRequired\":[\"KHR_draco_mesh_"
                   "compression\"],\"nodes\":[{\"mesh\":0}],\"meshes\":[{\"primitives\":[{\"attributes\":{\"POSITION\":" +
                   std::to_string(p) + "},\"indices\":" + std::to_string(i) +
                   ",\"extensions\":{\"KHR_draco_mesh_compression\":{\"bufferView\":" + std::to_string(view) +
                   ",\"attributes\":{\"POSITION\":" + std::to_string(position) + "}}}}]}]");
}

std::string RequiresUnknownGltf() {
  GltfFile file;
  const int positions = file.Floats(kSquare, "VEC3", true);
  return file.Json(std::string(kScene) +
                   ",\"extensionsUsed\":[\"KHR_texture_basisu\"],\"extensionsRequired\":[\"KHR_texture_basisu\"],"
                   "\"nodes\":[{\"mesh\":0}],\"meshes\":[{\"primitives\":[{\"attributes\":{\"POSITION\":" +
                   std::to_string(positions) + "}}]}]");
}

std::string HostileGltf() {
  GltfFile file;
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const int positions = file.Floats({0, 0, 0, 1, 0, 0, 1, nan, 0, 0, 1, 0}, "VEC3");
  const int indices = file.Indices(kSquareIndices);
  // Joint 7 of a skin of two.
  const int joints = file.Accessor(file.View(BytesOf(std::vector<std::uint8_t>{0, 0, 0, 0, 7, 0, 0, 0, 1, 0, 0, 0, 1, 7, 0, 0})),
                                   5121, 4, "VEC4");
  const int weights = file.Floats({1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 0.5f, 0.5f, 0, 0}, "VEC4");
  // An accessor that claims far more than its view holds.
  const int pastItsBuffer = file.Accessor(file.View(BytesOf(kSquare)), 5126, 1000000000, "VEC3");
  const int times = file.Floats({0, nan, 1}, "SCALAR");
  const int lifts = file.Floats({0, 0, 0, 0, 5, 0, 0, 1, nan}, "VEC3");
  return file.Json(std::string(kScene) +
                   ",\"nodes\":[{\"children\":[1,2],\"mesh\":0,\"skin\":0},{\"name\":\"a\"},{\"name\":\"b\",\"mesh\":1}],"
                   "\"skins\":[{\"joints\":[1,2]}],\"meshes\":[{\"primitives\":[{\"attributes\":{\"POSITION\":" +
                   std::to_string(positions) + ",\"JOINTS_0\":" + std::to_string(joints) + ",\"WEIGHTS_0\":" +
                   std::to_string(weights) + "},\"indices\":" + std::to_string(indices) +
                   "}]},{\"primitives\":[{\"attributes\":{\"POSITION\":" + std::to_string(pastItsBuffer) +
                   "}}]}],\"animations\":[{\"samplers\":[{\"input\":" + std::to_string(times) + ",\"output\":" +
                   std::to_string(lifts) + "}],\"channels\":[{\"sampler\":0,\"target\":{\"node\":1,\"path\":\"translation\"}}]}]");
}

}  // namespace convert_test
