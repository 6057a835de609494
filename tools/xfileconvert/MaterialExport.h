// The materials of the mesh records as glTF materials, with the textures the
// viewers find embedded.
//
// baseColorFactor is the diffuse colour, emissiveFactor the emissive colour,
// metallic 0, and roughness (2 / (power + 2))^(1/4) from the specular power
// (the Blinn-Phong exponent's usual match, GGX alpha = roughness^2 =
// sqrt(2 / (power + 2))), or 1 where the specular colour is black. The
// texture of slot 0, which the viewers draw with, is the base colour texture;
// where it has alpha the material is alphaMode MASK with cutoff 0.5, as the
// viewers cut texels out (by the texel's alpha alone: the factor's alpha is
// then 1), else OPAQUE.
#pragma once

#include <map>
#include <string>

#include "ExportContext.h"
#include "xfile/TextureSearch.h"

namespace xfileconvert {

class MaterialExport {
 public:
  explicit MaterialExport(ExportContext& context);

  // The glTF material of `material`; materials alike share one. Without
  // `textured` (a mesh without texture coordinates, which glTF cannot
  // texture) the material is one of its own without its texture, which is
  // then not even looked for.
  int MaterialOf(const XMaterial& material, bool textured = true);
  // The material of faces whose material index names none: the reader's default.
  int DefaultMaterial() { return MaterialOf(XMaterial{}); }

 private:
  int TextureOf(const std::wstring& name, bool& hasAlpha);

  ExportContext& context_;
  TextureSearch search_;
  struct Texture {
    int index = -1;  // -1: not found or not readable (said once)
    bool hasAlpha = false;
  };
  std::map<std::wstring, Texture> textures_;  // by the name the material gives
  std::map<std::string, Texture> images_;     // by the file found, so that two names of one file share it
  std::map<GltfMaterial, int> materials_;
};

// The roughness of a material of specular power `power` and colour `specular`.
float RoughnessOf(float power, const XColorRGB& specular);

}  // namespace xfileconvert
