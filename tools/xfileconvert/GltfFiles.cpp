#include "GltfFiles.h"

#include <cctype>
#include <cstdint>
#include <filesystem>
#include <set>

#include "JsonWriter.h"
#include "OutputFile.h"
#include "platform/TextConversion.h"

namespace xfileconvert {

namespace {

using xfileinfo::JsonWriter;

void Narrow(JsonWriter& json, const std::string& text) { json.String(FromUtf8(text)); }

void Ints(JsonWriter& json, const std::vector<int>& values) {
  json.BeginArray();
  for (int value : values) json.Int(value);
  json.EndArray();
}

void Name(JsonWriter& json, const std::wstring& name) {
  if (name.empty()) return;
  json.Key("name");
  json.String(name);
}

void WriteNodes(JsonWriter& json, const GltfDocument& document) {
  json.Key("nodes");
  json.BeginArray();
  for (const GltfNode& node : document.nodes) {
    json.BeginObject();
    Name(json, node.name);
    if (!node.children.empty()) {
      json.Key("children");
      Ints(json, node.children);
    }
    // Default values are left out, as glTF prefers.
    if (node.translation != std::array<float, 3>{0, 0, 0}) {
      json.Key("translation");
      json.Floats(node.translation.data(), 3);
    }
    if (node.rotation != std::array<float, 4>{0, 0, 0, 1}) {
      json.Key("rotation");
      json.Floats(node.rotation.data(), 4);
    }
    if (node.scale != std::array<float, 3>{1, 1, 1}) {
      json.Key("scale");
      json.Floats(node.scale.data(), 3);
    }
    if (node.mesh >= 0) {
      json.Key("mesh");
      json.Int(node.mesh);
    }
    if (node.skin >= 0) {
      json.Key("skin");
      json.Int(node.skin);
    }
    json.EndObject();
  }
  json.EndArray();
}

void WriteMeshes(JsonWriter& json, const GltfDocument& document) {
  json.Key("meshes");
  json.BeginArray();
  for (const GltfMesh& mesh : document.meshes) {
    json.BeginObject();
    Name(json, mesh.name);
    json.Key("primitives");
    json.BeginArray();
    for (const GltfPrimitive& primitive : mesh.primitives) {
      json.BeginObject();
      json.Key("attributes");
      json.BeginObject();
      for (const auto& [semantic, accessor] : primitive.attributes) {
        json.Key(semantic);
        json.Int(accessor);
      }
      json.EndObject();
      json.Key("indices");
      json.Int(primitive.indices);
      if (primitive.material >= 0) {
        json.Key("material");
        json.Int(primitive.material);
      }
      json.EndObject();
    }
    json.EndArray();
    json.EndObject();
  }
  json.EndArray();
}

void WriteMaterials(JsonWriter& json, const GltfDocument& document) {
  json.Key("materials");
  json.BeginArray();
  for (const GltfMaterial& material : document.materials) {
    json.BeginObject();
    Name(json, material.name);
    json.Key("pbrMetallicRoughness");
    json.BeginObject();
    json.Key("baseColorFactor");
    json.Floats(material.baseColor.data(), 4);
    if (material.baseColorTexture >= 0) {
      json.Key("baseColorTexture");
      json.BeginObject();
      json.Key("index");
      json.Int(material.baseColorTexture);
      json.EndObject();
    }
    json.Key("metallicFactor");
    json.Float(0.0f);
    json.Key("roughnessFactor");
    json.Float(material.roughness);
    json.EndObject();
    if (material.emissive != std::array<float, 3>{0, 0, 0}) {
      json.Key("emissiveFactor");
      json.Floats(material.emissive.data(), 3);
    }
    if (material.mask) {
      json.Key("alphaMode");
      Narrow(json, "MASK");
      json.Key("alphaCutoff");
      json.Float(0.5f);
    }
    json.EndObject();
  }
  json.EndArray();
}

void WriteTextures(JsonWriter& json, const GltfDocument& document) {
  // One sampler, as the viewers' effects sample: linear with mipmaps, wrapping.
  json.Key("samplers");
  json.BeginArray();
  json.BeginObject();
  json.Key("magFilter");
  json.Int(9729);  // LINEAR
  json.Key("minFilter");
  json.Int(9987);  // LINEAR_MIPMAP_LINEAR
  json.Key("wrapS");
  json.Int(10497);  // REPEAT
  json.Key("wrapT");
  json.Int(10497);
  json.EndObject();
  json.EndArray();
  json.Key("textures");
  json.BeginArray();
  for (int image : document.textures) {
    json.BeginObject();
    json.Key("sampler");
    json.Int(0);
    json.Key("source");
    json.Int(image);
    json.EndObject();
  }
  json.EndArray();
  json.Key("images");
  json.BeginArray();
  for (const GltfImage& image : document.images) {
    json.BeginObject();
    if (image.bufferView >= 0) {
      json.Key("bufferView");
      json.Int(image.bufferView);
      json.Key("mimeType");
      Narrow(json, image.mimeType);
    } else {
      json.Key("uri");
      Narrow(json, image.fileName);
    }
    json.EndObject();
  }
  json.EndArray();
}

void WriteSkins(JsonWriter& json, const GltfDocument& document) {
  json.Key("skins");
  json.BeginArray();
  for (const GltfSkin& skin : document.skins) {
    json.BeginObject();
    Name(json, skin.name);
    json.Key("inverseBindMatrices");
    json.Int(skin.inverseBindMatrices);
    json.Key("joints");
    Ints(json, skin.joints);
    if (skin.skeleton >= 0) {
      json.Key("skeleton");
      json.Int(skin.skeleton);
    }
    json.EndObject();
  }
  json.EndArray();
}

void WriteAnimations(JsonWriter& json, const GltfDocument& document) {
  json.Key("animations");
  json.BeginArray();
  for (const GltfAnimation& animation : document.animations) {
    json.BeginObject();
    Name(json, animation.name);
    json.Key("channels");
    json.BeginArray();
    for (const GltfChannel& channel : animation.channels) {
      json.BeginObject();
      json.Key("sampler");
      json.Int(channel.sampler);
      json.Key("target");
      json.BeginObject();
      json.Key("node");
      json.Int(channel.node);
      json.Key("path");
      Narrow(json, channel.path);
      json.EndObject();
      json.EndObject();
    }
    json.EndArray();
    json.Key("samplers");
    json.BeginArray();
    for (const GltfAnimationSampler& sampler : animation.samplers) {
      json.BeginObject();
      json.Key("input");
      json.Int(sampler.input);
      json.Key("output");
      json.Int(sampler.output);
      json.EndObject();
    }
    json.EndArray();
    json.EndObject();
  }
  json.EndArray();
}

void WriteBuffers(JsonWriter& json, const GltfDocument& document, const std::string& bufferUri) {
  json.Key("buffers");
  json.BeginArray();
  json.BeginObject();
  json.Key("byteLength");
  json.Int(static_cast<std::int64_t>(document.binary.size()));
  if (!bufferUri.empty()) {
    json.Key("uri");
    Narrow(json, bufferUri);
  }
  json.EndObject();
  json.EndArray();
  json.Key("bufferViews");
  json.BeginArray();
  for (const GltfBufferView& view : document.bufferViews) {
    json.BeginObject();
    json.Key("buffer");
    json.Int(0);
    json.Key("byteOffset");
    json.Int(static_cast<std::int64_t>(view.offset));
    json.Key("byteLength");
    json.Int(static_cast<std::int64_t>(view.length));
    if (view.target != kNoTarget) {
      json.Key("target");
      json.Int(view.target);
    }
    json.EndObject();
  }
  json.EndArray();
  json.Key("accessors");
  json.BeginArray();
  for (const GltfAccessor& accessor : document.accessors) {
    json.BeginObject();
    json.Key("bufferView");
    json.Int(accessor.bufferView);
    json.Key("componentType");
    json.Int(accessor.componentType);
    json.Key("count");
    json.Int(static_cast<std::int64_t>(accessor.count));
    json.Key("type");
    Narrow(json, accessor.type);
    if (!accessor.min.empty()) {
      json.Key("min");
      json.Floats(accessor.min.data(), accessor.min.size());
      json.Key("max");
      json.Floats(accessor.max.data(), accessor.max.size());
    }
    json.EndObject();
  }
  json.EndArray();
}

void Put32(std::string& out, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

// A name for a file beside the .gltf: letters, digits, '-', '_' and '.' only,
// so that it needs no escaping as a URI.
std::string PlainFileName(const std::string& name) {
  std::string plain;
  for (char c : name)
    plain += (std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_' || c == '.') ? c : '_';
  return plain;
}

}  // namespace

std::string GltfJson(const GltfDocument& document, const std::string& bufferUri) {
  JsonWriter json;
  json.BeginObject();
  json.Key("asset");
  json.BeginObject();
  json.Key("version");
  Narrow(json, "2.0");
  json.Key("generator");
  Narrow(json, document.generator);
  json.EndObject();
  json.Key("scene");
  json.Int(0);
  json.Key("scenes");
  json.BeginArray();
  json.BeginObject();
  // glTF allows no empty list: a scene of nothing has none.
  if (!document.sceneNodes.empty()) {
    json.Key("nodes");
    Ints(json, document.sceneNodes);
  }
  json.EndObject();
  json.EndArray();
  if (!document.nodes.empty()) WriteNodes(json, document);
  if (!document.meshes.empty()) WriteMeshes(json, document);
  if (!document.materials.empty()) WriteMaterials(json, document);
  if (!document.textures.empty()) WriteTextures(json, document);
  if (!document.skins.empty()) WriteSkins(json, document);
  if (!document.animations.empty()) WriteAnimations(json, document);
  if (!document.binary.empty()) WriteBuffers(json, document, bufferUri);
  json.EndObject();
  return json.Text();
}

bool WriteGltfFiles(GltfDocument& document, const std::string& path, OutputKind kind, std::string& reason) {
  namespace fs = std::filesystem;
  if (kind == OutputKind::Glb) {
    for (GltfImage& image : document.images)
      image.bufferView = document.AddBufferView(image.bytes.data(), image.bytes.size(), kNoTarget);
    std::string json = GltfJson(document, "");
    json.resize((json.size() + 3) & ~std::size_t{3}, ' ');
    document.binary.PadTo4();
    const std::size_t binary = document.binary.size();
    std::string header;
    header += "glTF";
    Put32(header, 2);
    Put32(header, static_cast<std::uint32_t>(12 + 8 + json.size() + (binary ? 8 + binary : 0)));
    Put32(header, static_cast<std::uint32_t>(json.size()));
    header += "JSON";
    std::string binaryHeader;
    if (binary) {
      Put32(binaryHeader, static_cast<std::uint32_t>(binary));
      binaryHeader += std::string("BIN\0", 4);
    }
    if (12 + 8 + json.size() + 8 + binary > UINT32_MAX) {
      reason = "the model is larger than the 4 GB a .glb file can hold";
      return false;
    }
    return WriteWholeFile(path, {header, json, binaryHeader, {document.binary.data(), binary}}, reason);
  }

  // .gltf: the files beside it are named after it. All are written before
  // any takes its place, so that a failure leaves a former output whole.
  const fs::path out(path);
  const std::string stem = PlainFileName(out.stem().string());
  StagedFiles files;
  std::set<std::string> names;
  for (GltfImage& image : document.images) {
    const std::string base = stem + "-" + PlainFileName(image.fileName);
    fs::path shape(base);
    std::string name = base;
    for (int n = 2; !names.insert(name).second; ++n)
      name = shape.stem().string() + "-" + std::to_string(n) + shape.extension().string();
    image.fileName = name;
    if (!files.Stage((out.parent_path() / name).string(), {image.bytes}, reason)) return false;
  }
  const std::string bufferName = stem + ".bin";
  if (!document.binary.empty() && !files.Stage((out.parent_path() / bufferName).string(),
                                               {{document.binary.data(), document.binary.size()}}, reason))
    return false;
  const std::string json = GltfJson(document, bufferName);
  return files.Stage(path, {json}, reason) && files.Commit(reason);
}

}  // namespace xfileconvert
