#include "GltfAsset.h"

#include <windows.h>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <limits>

#if defined(XVIEW_HAVE_MESHOPT)
#include <meshoptimizer.h>
#endif
#if defined(XVIEW_HAVE_DRACO)
#include <draco/compression/decode.h>
#endif

#include "platform/TextConversion.h"

namespace xfileconvert {

namespace {

// Accessors that hold no data of their own (all zeros, perhaps sparse) may
// claim at most this many elements: more would be memory for nothing.
constexpr std::size_t kMostElementsWithoutData = std::size_t{1} << 24;
#if defined(XVIEW_HAVE_MESHOPT)
// Compressed views may inflate to at most this many times their bytes,
// further than meshopt's codecs ever pack.
constexpr std::size_t kMostInflation = 256;
#endif

// Keeps an image's bytes as the file holds them: the converter writes PNG
// and JPEG files as they are and decodes nothing it need not.
bool KeepImageAsIs(tinygltf::Image* image, const int, std::string*, std::string*, int, int, const unsigned char* bytes,
                   int size, void*) {
  image->image.assign(bytes, bytes + std::max(size, 0));
  image->as_is = true;
  return true;
}

// The extensions whose absence from a reader would change what a file
// means, and that the conversion honours.
bool Honoured(const std::string& name) {
  return name == "KHR_mesh_quantization" || name == "KHR_texture_transform" ||
         name == "KHR_materials_emissive_strength"
#if defined(XVIEW_HAVE_MESHOPT)
         || name == "EXT_meshopt_compression"
#endif
#if defined(XVIEW_HAVE_DRACO)
         || name == "KHR_draco_mesh_compression"
#endif
      ;
}

std::size_t ComponentBytes(int type) {
  switch (type) {
    case TINYGLTF_COMPONENT_TYPE_BYTE:
    case TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE: return 1;
    case TINYGLTF_COMPONENT_TYPE_SHORT:
    case TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT: return 2;
    case TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT:
    case TINYGLTF_COMPONENT_TYPE_FLOAT: return 4;
    default: return 0;
  }
}

int ComponentsOf(int type) {
  switch (type) {
    case TINYGLTF_TYPE_SCALAR: return 1;
    case TINYGLTF_TYPE_VEC2: return 2;
    case TINYGLTF_TYPE_VEC3: return 3;
    case TINYGLTF_TYPE_VEC4:
    case TINYGLTF_TYPE_MAT2: return 4;
    case TINYGLTF_TYPE_MAT3: return 9;
    case TINYGLTF_TYPE_MAT4: return 16;
    default: return 0;
  }
}

// Matrices of one- and two-byte components pad each column to four bytes.
std::size_t ColumnPadding(int type, std::size_t componentBytes) {
  if (componentBytes == 1 && type == TINYGLTF_TYPE_MAT2) return 2;
  if (componentBytes == 1 && type == TINYGLTF_TYPE_MAT3) return 1;
  if (componentBytes == 2 && type == TINYGLTF_TYPE_MAT3) return 2;
  return 0;
}

template <typename T>
T Load(const unsigned char* at) {
  T value;
  std::memcpy(&value, at, sizeof value);
  return value;
}

// One component as a double: normalized integers mapped as glTF maps them.
double ComponentValue(const unsigned char* at, int type, bool normalized) {
  switch (type) {
    case TINYGLTF_COMPONENT_TYPE_BYTE: {
      const double v = Load<std::int8_t>(at);
      return normalized ? std::max(v / 127.0, -1.0) : v;
    }
    case TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE: {
      const double v = Load<std::uint8_t>(at);
      return normalized ? v / 255.0 : v;
    }
    case TINYGLTF_COMPONENT_TYPE_SHORT: {
      const double v = Load<std::int16_t>(at);
      return normalized ? std::max(v / 32767.0, -1.0) : v;
    }
    case TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT: {
      const double v = Load<std::uint16_t>(at);
      return normalized ? v / 65535.0 : v;
    }
    case TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT: {
      const double v = Load<std::uint32_t>(at);
      return normalized ? v / 4294967295.0 : v;
    }
    default: return Load<float>(at);
  }
}

// Where a view's bytes lie, checked against its buffer.
bool ViewBytes(const tinygltf::Model& model, int view, const unsigned char*& data, std::size_t& size,
               std::size_t& stride, std::string& reason) {
  if (view < 0 || static_cast<std::size_t>(view) >= model.bufferViews.size()) {
    reason = "buffer view " + std::to_string(view) + " does not exist";
    return false;
  }
  const tinygltf::BufferView& v = model.bufferViews[static_cast<std::size_t>(view)];
  if (v.buffer < 0 || static_cast<std::size_t>(v.buffer) >= model.buffers.size()) {
    reason = "buffer view " + std::to_string(view) + " names buffer " + std::to_string(v.buffer) + ", which does not exist";
    return false;
  }
  const std::vector<unsigned char>& buffer = model.buffers[static_cast<std::size_t>(v.buffer)].data;
  if (v.byteOffset > buffer.size() || v.byteLength > buffer.size() - v.byteOffset) {
    reason = "buffer view " + std::to_string(view) + " runs past the end of its buffer (" +
             std::to_string(v.byteOffset) + " + " + std::to_string(v.byteLength) + " bytes of " +
             std::to_string(buffer.size()) + ")";
    return false;
  }
  data = buffer.data() + v.byteOffset;
  size = v.byteLength;
  stride = v.byteStride;
  return true;
}

std::string AccessorName(int accessor) { return "accessor " + std::to_string(accessor); }

bool ReadWholeFile(const std::string& path, std::string& bytes, std::string& reason) {
  std::FILE* file = _wfopen(FromUtf8(path).c_str(), L"rb");
  if (!file) {
    reason = std::string("the file cannot be opened (") + std::strerror(errno) + ")";
    return false;
  }
  char block[1 << 16];
  for (std::size_t got; (got = std::fread(block, 1, sizeof block, file)) > 0;) bytes.append(block, got);
  const bool failed = std::ferror(file) != 0;
  std::fclose(file);
  if (failed) reason = "the file cannot be read";
  return !failed;
}

std::uint32_t Get32(const std::string& bytes, std::size_t at) {
  std::uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = value << 8 | static_cast<unsigned char>(bytes[at + static_cast<std::size_t>(i)]);
  return value;
}

void Put32(std::string& bytes, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<char>(value >> (8 * i) & 0xFF));
}

// Two kinds of file tinygltf refuses as they stand, though glTF allows them,
// made so that it reads them: EXT_meshopt_compression's fallback buffers
// hold no data (a reader that decodes the extension never reads them), and
// each is given a data: URI of one byte; a primitive compressed with
// KHR_draco_mesh_compression has an index accessor without a buffer view,
// and loses it (its indices are made from the decoded mesh). `json` is the
// file's JSON; false where nothing had to change.
bool PrepareForTinygltf(std::string& json) {
  if (json.find("EXT_meshopt_compression") == std::string::npos &&
      json.find("KHR_draco_mesh_compression") == std::string::npos)
    return false;
  nlohmann::json document = nlohmann::json::parse(json, nullptr, false);
  if (document.is_discarded() || !document.is_object()) return false;
  bool changed = false;
  auto extensionOf = [](nlohmann::json& object, const char* name) -> nlohmann::json* {
    if (!object.is_object() || !object.contains("extensions") || !object["extensions"].is_object() ||
        !object["extensions"].contains(name) || !object["extensions"][name].is_object())
      return nullptr;
    return &object["extensions"][name];
  };
  if (document.contains("buffers") && document["buffers"].is_array())
    for (nlohmann::json& buffer : document["buffers"]) {
      const nlohmann::json* meshopt = extensionOf(buffer, "EXT_meshopt_compression");
      if (!meshopt || meshopt->value("fallback", false) != true || buffer.contains("uri")) continue;
      buffer["uri"] = "data:application/octet-stream;base64,AA==";  // tinygltf takes no empty one
      buffer["byteLength"] = 1;
      changed = true;
    }
  if (document.contains("meshes") && document["meshes"].is_array())
    for (nlohmann::json& mesh : document["meshes"]) {
      if (!mesh.is_object() || !mesh.contains("primitives") || !mesh["primitives"].is_array()) continue;
      for (nlohmann::json& primitive : mesh["primitives"])
        if (extensionOf(primitive, "KHR_draco_mesh_compression") && primitive.contains("indices")) {
          primitive.erase("indices");
          changed = true;
        }
    }
  if (changed) json = document.dump();
  return changed;
}

}  // namespace

bool GltfAsset::Load(const std::string& path, std::string& reason) {
  tinygltf::TinyGLTF loader;
  loader.SetImageLoader(KeepImageAsIs, nullptr);
  std::string error, warning;
  std::string bytes;
  if (!ReadWholeFile(path, bytes, reason)) return false;
  const bool binary = bytes.compare(0, 4, "glTF") == 0;
  const std::size_t slash = path.find_last_of("/\\");
  const std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash);
  if (binary && bytes.size() >= 20 && bytes.compare(16, 4, "JSON") == 0) {
    const std::size_t length = Get32(bytes, 12);
    std::string json = length <= bytes.size() - 20 ? bytes.substr(20, length) : std::string();
    if (PrepareForTinygltf(json)) {
      while (json.size() % 4) json += ' ';
      std::string rest = bytes.substr(20 + length);
      bytes = bytes.substr(0, 8);
      Put32(bytes, static_cast<std::uint32_t>(20 + json.size() + rest.size()));
      Put32(bytes, static_cast<std::uint32_t>(json.size()));
      bytes += "JSON" + json + rest;
    }
  } else if (!binary) {
    PrepareForTinygltf(bytes);
  }
  const bool loaded =
      binary ? loader.LoadBinaryFromMemory(&model_, &error, &warning, reinterpret_cast<const unsigned char*>(bytes.data()),
                                           static_cast<unsigned>(bytes.size()), folder)
             : loader.LoadASCIIFromString(&model_, &error, &warning, bytes.data(), static_cast<unsigned>(bytes.size()),
                                          folder);
  for (std::size_t start = 0; start < warning.size();) {
    const std::size_t end = std::min(warning.find('\n', start), warning.size());
    if (end > start) warnings_.push_back(warning.substr(start, end - start));
    start = end + 1;
  }
  if (!loaded) {
    while (!error.empty() && error.back() == '\n') error.pop_back();
    reason = "not a glTF 2.0 file that can be read: " + (error.empty() ? std::string("tinygltf refuses it") : error);
    std::replace(reason.begin(), reason.end(), '\n', ' ');
    return false;
  }
  for (const std::string& required : model_.extensionsRequired)
    if (!Honoured(required)) {
      reason = "it requires the extension " + required + ", which the converter cannot honour";
      return false;
    }
  return DecodeMeshopt(reason) && DecodeDraco(reason);
}

template <typename T>
bool GltfAsset::Read(int index, AccessorValues<T>& out, bool integers, std::string& reason) const {
  if (index < 0 || static_cast<std::size_t>(index) >= model_.accessors.size()) {
    reason = AccessorName(index) + " does not exist";
    return false;
  }
  const tinygltf::Accessor& accessor = model_.accessors[static_cast<std::size_t>(index)];
  const std::size_t componentBytes = ComponentBytes(accessor.componentType);
  const int components = ComponentsOf(accessor.type);
  if (componentBytes == 0 || components == 0) {
    reason = AccessorName(index) + " has a component type or a type glTF does not define";
    return false;
  }
  if (integers && accessor.componentType == TINYGLTF_COMPONENT_TYPE_FLOAT) {
    reason = AccessorName(index) + " holds floats where indices belong";
    return false;
  }
  const std::size_t padding = ColumnPadding(accessor.type, componentBytes);
  const std::size_t columns = padding ? (accessor.type == TINYGLTF_TYPE_MAT2 ? 2 : 3) : 1;
  const std::size_t perColumn = static_cast<std::size_t>(components) / columns;
  const std::size_t columnBytes = componentBytes * perColumn + padding;
  const std::size_t elementBytes = columnBytes * columns;
  const std::size_t count = accessor.count;
  out.components = components;
  out.values.clear();

  const unsigned char* data = nullptr;
  std::size_t size = 0, stride = 0;
  if (accessor.bufferView >= 0) {
    if (!ViewBytes(model_, accessor.bufferView, data, size, stride, reason)) {
      reason = AccessorName(index) + ": " + reason;
      return false;
    }
    if (stride == 0) stride = elementBytes;
    // The last element must end within the view.
    const std::size_t offset = accessor.byteOffset;
    if (count > 0 && (stride < elementBytes || offset > size || size - offset < elementBytes ||
                      count - 1 > (size - offset - elementBytes) / stride)) {
      reason = AccessorName(index) + " claims " + std::to_string(count) + " elements, more than its buffer view holds";
      return false;
    }
  } else if (count > kMostElementsWithoutData) {
    reason = AccessorName(index) + " claims " + std::to_string(count) + " elements and holds no data";
    return false;
  }
  out.values.assign(count * static_cast<std::size_t>(components), T{});
  auto readElement = [&](const unsigned char* element, T* into) {
    for (std::size_t c = 0; c < static_cast<std::size_t>(components); ++c) {
      const unsigned char* at = element + (c / perColumn) * columnBytes + (c % perColumn) * componentBytes;
      into[c] = static_cast<T>(ComponentValue(at, accessor.componentType, accessor.normalized && !integers));
    }
  };
  if (data && accessor.componentType == TINYGLTF_COMPONENT_TYPE_FLOAT && !padding) {
    // Floats, nearly every accessor of a large mesh, are copied as they stand.
    for (std::size_t e = 0; e < count; ++e) {
      float element[16];
      std::memcpy(element, data + accessor.byteOffset + e * stride, elementBytes);
      for (std::size_t c = 0; c < static_cast<std::size_t>(components); ++c)
        out.values[e * static_cast<std::size_t>(components) + c] = static_cast<T>(element[c]);
    }
  } else if (data) {
    for (std::size_t e = 0; e < count; ++e)
      readElement(data + accessor.byteOffset + e * stride, out.values.data() + e * static_cast<std::size_t>(components));
  }

  if (accessor.sparse.isSparse && accessor.sparse.count > 0) {
    const auto sparseCount = static_cast<std::size_t>(accessor.sparse.count);
    const unsigned char *indices = nullptr, *values = nullptr;
    std::size_t indexSize = 0, valueSize = 0, unused = 0;
    const std::size_t indexBytes = ComponentBytes(accessor.sparse.indices.componentType);
    if (!ViewBytes(model_, accessor.sparse.indices.bufferView, indices, indexSize, unused, reason) ||
        !ViewBytes(model_, accessor.sparse.values.bufferView, values, valueSize, unused, reason)) {
      reason = AccessorName(index) + "'s sparse values: " + reason;
      return false;
    }
    const auto indexOffset = static_cast<std::size_t>(std::max(accessor.sparse.indices.byteOffset, 0));
    const auto valueOffset = static_cast<std::size_t>(std::max(accessor.sparse.values.byteOffset, 0));
    if (indexBytes == 0 || accessor.sparse.indices.componentType == TINYGLTF_COMPONENT_TYPE_FLOAT ||
        sparseCount > count || indexOffset > indexSize || (indexSize - indexOffset) / indexBytes < sparseCount ||
        valueOffset > valueSize || (valueSize - valueOffset) / elementBytes < sparseCount) {
      reason = AccessorName(index) + "'s sparse values claim more than their buffer views hold";
      return false;
    }
    for (std::size_t s = 0; s < sparseCount; ++s) {
      const auto target = static_cast<std::size_t>(
          ComponentValue(indices + indexOffset + s * indexBytes, accessor.sparse.indices.componentType, false));
      if (target >= count) {
        reason = AccessorName(index) + "'s sparse index " + std::to_string(target) + " lies past its " +
                 std::to_string(count) + " elements";
        return false;
      }
      readElement(values + valueOffset + s * elementBytes,
                  out.values.data() + target * static_cast<std::size_t>(components));
    }
  }
  return true;
}

bool GltfAsset::Floats(int accessor, AccessorValues<float>& out, std::string& reason) const {
  return Read(accessor, out, false, reason);
}

bool GltfAsset::Integers(int accessor, AccessorValues<std::uint32_t>& out, std::string& reason) const {
  return Read(accessor, out, true, reason);
}

bool GltfAsset::ImageBytes(int index, std::string& bytes, std::string& mimeType, std::string& reason) const {
  if (index < 0 || static_cast<std::size_t>(index) >= model_.images.size()) {
    reason = "image " + std::to_string(index) + " does not exist";
    return false;
  }
  const tinygltf::Image& image = model_.images[static_cast<std::size_t>(index)];
  if (image.image.empty()) {
    reason = "image " + std::to_string(index) + " has no data" + (image.uri.empty() ? "" : " (\"" + image.uri + "\")");
    return false;
  }
  bytes.assign(image.image.begin(), image.image.end());
  mimeType = image.mimeType;
  if (bytes.compare(0, 8, "\x89PNG\r\n\x1a\n") == 0) mimeType = "image/png";
  if (bytes.compare(0, 3, "\xFF\xD8\xFF") == 0) mimeType = "image/jpeg";
  return true;
}

bool GltfAsset::DecodeMeshopt(std::string& reason) {
  for (std::size_t v = 0; v < model_.bufferViews.size(); ++v) {
    auto found = model_.bufferViews[v].extensions.find("EXT_meshopt_compression");
    if (found == model_.bufferViews[v].extensions.end()) continue;
#if defined(XVIEW_HAVE_MESHOPT)
    const tinygltf::Value& ext = found->second;
    auto number = [&](const char* key, int fallback) {
      const tinygltf::Value& value = ext.Get(key);
      return value.IsNumber() || value.IsInt() ? static_cast<long long>(value.GetNumberAsDouble()) : fallback;
    };
    const std::string mode = ext.Get("mode").IsString() ? ext.Get("mode").Get<std::string>() : "";
    const std::string filter = ext.Get("filter").IsString() ? ext.Get("filter").Get<std::string>() : "NONE";
    const long long buffer = number("buffer", -1), offset = number("byteOffset", 0), length = number("byteLength", -1),
                    stride = number("byteStride", -1), count = number("count", -1);
    const std::string name = "buffer view " + std::to_string(v) + " (EXT_meshopt_compression)";
    if (buffer < 0 || static_cast<std::size_t>(buffer) >= model_.buffers.size() || offset < 0 || length < 0 ||
        stride <= 0 || stride > 256 || count < 0) {
      reason = name + " names a buffer, a range, a stride or a count that is not one";
      return false;
    }
    const std::vector<unsigned char>& source = model_.buffers[static_cast<std::size_t>(buffer)].data;
    if (static_cast<std::size_t>(offset) > source.size() ||
        static_cast<std::size_t>(length) > source.size() - static_cast<std::size_t>(offset)) {
      reason = name + " runs past the end of its buffer";
      return false;
    }
    const auto decodedBytes = static_cast<std::size_t>(count) * static_cast<std::size_t>(stride);
    if (decodedBytes > kMostInflation * static_cast<std::size_t>(length) + 4096) {
      reason = name + " claims " + std::to_string(count) + " elements, more than its data can hold";
      return false;
    }
    std::vector<unsigned char> decoded(decodedBytes);
    const unsigned char* packed = source.data() + offset;
    int result = -1;
    if (mode == "ATTRIBUTES") {
      result = meshopt_decodeVertexBuffer(decoded.data(), static_cast<std::size_t>(count),
                                          static_cast<std::size_t>(stride), packed, static_cast<std::size_t>(length));
    } else if (mode == "TRIANGLES" && (stride == 2 || stride == 4)) {
      result = meshopt_decodeIndexBuffer(decoded.data(), static_cast<std::size_t>(count),
                                         static_cast<std::size_t>(stride), packed, static_cast<std::size_t>(length));
    } else if (mode == "INDICES" && (stride == 2 || stride == 4)) {
      result = meshopt_decodeIndexSequence(decoded.data(), static_cast<std::size_t>(count),
                                           static_cast<std::size_t>(stride), packed, static_cast<std::size_t>(length));
    }
    if (result != 0) {
      reason = name + " does not decode (mode " + mode + ")";
      return false;
    }
    if (filter == "OCTAHEDRAL" && (stride == 4 || stride == 8)) {
      meshopt_decodeFilterOct(decoded.data(), static_cast<std::size_t>(count), static_cast<std::size_t>(stride));
    } else if (filter == "QUATERNION" && stride == 8) {
      meshopt_decodeFilterQuat(decoded.data(), static_cast<std::size_t>(count), static_cast<std::size_t>(stride));
    } else if (filter == "EXPONENTIAL" && stride % 4 == 0) {
      meshopt_decodeFilterExp(decoded.data(), static_cast<std::size_t>(count), static_cast<std::size_t>(stride));
    } else if (filter != "NONE") {
      reason = name + " has the filter " + filter + ", which does not fit its stride";
      return false;
    }
    tinygltf::Buffer& added = model_.buffers.emplace_back();
    added.data = std::move(decoded);
    tinygltf::BufferView& view = model_.bufferViews[v];
    view.buffer = static_cast<int>(model_.buffers.size() - 1);
    view.byteOffset = 0;
    view.byteLength = std::min(view.byteLength, added.data.size());
    view.byteStride = mode == "ATTRIBUTES" ? static_cast<std::size_t>(stride) : 0;
#else
    (void)found;
    reason = "buffer view " + std::to_string(v) +
             " is compressed with EXT_meshopt_compression, which this build of the converter cannot decode";
    if (std::find(model_.extensionsRequired.begin(), model_.extensionsRequired.end(), "EXT_meshopt_compression") !=
        model_.extensionsRequired.end())
      return false;
#endif
  }
  return true;
}

bool GltfAsset::DecodeDraco(std::string& reason) {
  for (std::size_t m = 0; m < model_.meshes.size(); ++m) {
    for (tinygltf::Primitive& primitive : model_.meshes[m].primitives) {
      auto found = primitive.extensions.find("KHR_draco_mesh_compression");
      if (found == primitive.extensions.end()) continue;
      const std::string name = "mesh " + std::to_string(m) + " (KHR_draco_mesh_compression)";
#if defined(XVIEW_HAVE_DRACO)
      const tinygltf::Value& ext = found->second;
      const unsigned char* data = nullptr;
      std::size_t size = 0, stride = 0;
      if (!ext.Get("bufferView").IsInt() || !ext.Get("attributes").IsObject() ||
          !ViewBytes(model_, ext.Get("bufferView").Get<int>(), data, size, stride, reason)) {
        reason = name + ": " + (reason.empty() ? "its buffer view or attributes are not there" : reason);
        return false;
      }
      draco::DecoderBuffer packed;
      packed.Init(reinterpret_cast<const char*>(data), size);
      draco::Decoder decoder;
      auto decoded = decoder.DecodeMeshFromBuffer(&packed);
      if (!decoded.ok() || !decoded.value()) {
        reason = name + " does not decode (" + decoded.status().error_msg_string() + ")";
        return false;
      }
      const draco::Mesh& mesh = *decoded.value();
      // Each attribute and the indices become plain accessors of their own.
      auto addView = [&](std::vector<unsigned char> bytes) {
        tinygltf::Buffer& buffer = model_.buffers.emplace_back();
        buffer.data = std::move(bytes);
        tinygltf::BufferView& view = model_.bufferViews.emplace_back();
        view.buffer = static_cast<int>(model_.buffers.size() - 1);
        view.byteLength = model_.buffers.back().data.size();
        return static_cast<int>(model_.bufferViews.size() - 1);
      };
      auto replaceAccessor = [&](int& index, int componentType, int type, std::vector<unsigned char> bytes,
                                 std::size_t count) {
        tinygltf::Accessor accessor;
        if (index >= 0 && static_cast<std::size_t>(index) < model_.accessors.size())
          accessor = model_.accessors[static_cast<std::size_t>(index)];
        accessor.componentType = componentType;
        accessor.type = type;
        accessor.normalized = false;
        accessor.byteOffset = 0;
        accessor.count = count;
        accessor.sparse.isSparse = false;
        accessor.bufferView = addView(std::move(bytes));
        model_.accessors.push_back(accessor);
        index = static_cast<int>(model_.accessors.size() - 1);
      };
      const tinygltf::Value::Object& attributes = ext.Get("attributes").Get<tinygltf::Value::Object>();
      for (const auto& [semantic, id] : attributes) {
        if (!id.IsInt()) continue;
        const draco::PointAttribute* attribute = mesh.GetAttributeByUniqueId(static_cast<std::uint32_t>(id.Get<int>()));
        auto target = primitive.attributes.find(semantic);
        if (!attribute || target == primitive.attributes.end()) continue;
        const int components = attribute->num_components();
        if (components < 1 || components > 4) continue;
        std::vector<unsigned char> bytes(mesh.num_points() * static_cast<std::size_t>(components) * sizeof(float));
        float value[4];
        for (draco::PointIndex p(0); p < mesh.num_points(); ++p) {
          if (!attribute->ConvertValue<float>(attribute->mapped_index(p), static_cast<std::int8_t>(components), value)) {
            reason = name + ": attribute " + semantic + " does not convert";
            return false;
          }
          std::memcpy(bytes.data() + p.value() * components * sizeof(float), value, components * sizeof(float));
        }
        // Normalized integers come out of draco already mapped to floats.
        static const int kTypes[] = {0, TINYGLTF_TYPE_SCALAR, TINYGLTF_TYPE_VEC2, TINYGLTF_TYPE_VEC3, TINYGLTF_TYPE_VEC4};
        const bool integers = semantic.rfind("JOINTS_", 0) == 0;
        if (integers) {
          for (std::size_t i = 0; i < bytes.size(); i += 4) {
            float f;
            std::memcpy(&f, bytes.data() + i, 4);
            const auto u = static_cast<std::uint32_t>(std::max(f, 0.0f));
            std::memcpy(bytes.data() + i, &u, 4);
          }
        }
        replaceAccessor(target->second,
                        integers ? TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT : TINYGLTF_COMPONENT_TYPE_FLOAT,
                        kTypes[components], std::move(bytes), mesh.num_points());
      }
      std::vector<unsigned char> indices(mesh.num_faces() * 3 * sizeof(std::uint32_t));
      for (draco::FaceIndex f(0); f < mesh.num_faces(); ++f)
        for (int corner = 0; corner < 3; ++corner) {
          const std::uint32_t point = mesh.face(f)[corner].value();
          std::memcpy(indices.data() + (f.value() * 3 + corner) * sizeof point, &point, sizeof point);
        }
      replaceAccessor(primitive.indices, TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT, TINYGLTF_TYPE_SCALAR,
                      std::move(indices), mesh.num_faces() * 3);
      primitive.mode = TINYGLTF_MODE_TRIANGLES;
#else
      (void)found;
      reason = name + " is compressed with KHR_draco_mesh_compression, which this build of the converter cannot decode";
      if (std::find(model_.extensionsRequired.begin(), model_.extensionsRequired.end(),
                    "KHR_draco_mesh_compression") != model_.extensionsRequired.end())
        return false;
#endif
    }
  }
  return true;
}

}  // namespace xfileconvert
