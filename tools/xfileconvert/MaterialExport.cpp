#include "MaterialExport.h"

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "TextureImages.h"
#include "platform/FilePaths.h"
#include "platform/Messages.h"
#include "platform/TextConversion.h"
#include "xfile/ParseMessages.h"

namespace xfileconvert {

namespace {

float Unit(float value) { return std::isfinite(value) ? std::clamp(value, 0.0f, 1.0f) : 0.0f; }

void SayTexture(const ExportContext& context, const std::wstring& name, const std::string& reason) {
  // The viewers' own line for a texture they cannot load.
  Report(FrameworkMessage::TextureNotLoaded, ToUtf8(Escaped(FromUtf8(context.input))).c_str(),
         ToUtf8(Escaped(name)).c_str(), reason.c_str());
}

}  // namespace

float RoughnessOf(float power, const XColorRGB& specular) {
  if (!(specular.r > 0 || specular.g > 0 || specular.b > 0)) return 1.0f;
  if (!(power >= 0) || !std::isfinite(power)) return power > 0 ? 0.0f : 1.0f;
  return Unit(static_cast<float>(std::pow(2.0 / (double{power} + 2.0), 0.25)));
}

MaterialExport::MaterialExport(ExportContext& context)
    : context_(context), search_(FolderOf(FromUtf8(context.input))) {}

int MaterialExport::TextureOf(const std::wstring& name, bool& hasAlpha) {
  auto known = textures_.find(name);
  if (known != textures_.end()) {
    hasAlpha = known->second.hasAlpha;
    return known->second.index;
  }
  Texture& texture = textures_[name];
  std::wstring notFound;
  const std::wstring path = FindTexture(FromUtf8(context_.input), context_.model, name, search_, notFound);
  if (path.empty()) {
    SayTexture(context_, name, ToUtf8(Escaped(notFound)));
    return -1;
  }
  const std::string file = ToUtf8(path);
  auto same = images_.find(file);
  if (same != images_.end()) {
    texture = same->second;
  } else {
    TextureImage image;
    std::string reason;
    if (!LoadTextureImage(file, image, reason)) {
      SayTexture(context_, name, reason + " (found as \"" + ToUtf8(Escaped(path)) + "\")");
      images_[file] = texture;
      return -1;
    }
    GltfImage gltf;
    gltf.mimeType = image.mimeType;
    gltf.bytes = std::move(image.bytes);
    gltf.fileName = std::filesystem::path(file).stem().string() + (image.mimeType == "image/png" ? ".png" : ".jpg");
    context_.document.images.push_back(std::move(gltf));
    context_.document.textures.push_back(static_cast<int>(context_.document.images.size() - 1));
    texture.index = static_cast<int>(context_.document.textures.size() - 1);
    texture.hasAlpha = image.hasAlpha;
    images_[file] = texture;
  }
  hasAlpha = texture.hasAlpha;
  return texture.index;
}

int MaterialExport::MaterialOf(const XMaterial& material, bool textured) {
  GltfMaterial gltf;
  gltf.name = material.name;
  gltf.baseColor = {Unit(material.diffuse.r), Unit(material.diffuse.g), Unit(material.diffuse.b),
                    Unit(material.diffuse.a)};
  gltf.emissive = {Unit(material.emissive.r), Unit(material.emissive.g), Unit(material.emissive.b)};
  gltf.roughness = RoughnessOf(material.power, material.specular);
  if (textured && !material.textureFiles[0].empty()) {
    bool hasAlpha = false;
    gltf.baseColorTexture = TextureOf(material.textureFiles[0], hasAlpha);
    if (gltf.baseColorTexture >= 0 && hasAlpha) {
      gltf.mask = true;
      gltf.baseColor[3] = 1.0f;
    }
  }
  auto [at, added] = materials_.emplace(gltf, static_cast<int>(context_.document.materials.size()));
  if (added) context_.document.materials.push_back(gltf);
  return at->second;
}

}  // namespace xfileconvert
