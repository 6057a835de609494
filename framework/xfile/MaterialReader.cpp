#include "xfile/MaterialReader.h"

#include <map>

#include "xfile/RecordReading.h"

XFILE_SHAPE_BEGIN

namespace {

std::map<std::wstring, XMaterial> g_NamedMaterials;

// A reference names a material between braces; its first word is the name.
std::wstring ReadMaterialReference() {
  std::wstring name;
  bool first = true;
  while (ReadToken()) {
    if (TokenIsCloseBrace()) break;
    if (first) name = g_Token;
    first = false;
  }
  return name;
}

}  // namespace

void ForgetNamedMaterials() { g_NamedMaterials.clear(); }

void RememberNamedMaterial(const XMaterial& material) {
  if (!material.name.empty()) g_NamedMaterials.insert_or_assign(material.name, material);
}

const XMaterial* FindNamedMaterial(const std::wstring& name) {
  auto found = g_NamedMaterials.find(name);
  return found == g_NamedMaterials.end() ? nullptr : &found->second;
}

void ReadMaterialList(XMesh& mesh) {
  ReadOpeningBrace();
  // A material reference needs at least three characters ("{a}").
  std::uint32_t materialCount = ReadCount();
  mesh.materials.resize(Affordable(materialCount, 3));

  // One index per face as the record counts them; faces the record does not
  // reach keep material 0, indices for faces the mesh does not have are passed over.
  std::uint32_t indexCount = ReadCount();
  for (std::uint32_t i = 0; i < indexCount && !AtEndOfModel(); ++i) {
    std::int32_t material = ReadInt();
    if (i < mesh.faces.size()) mesh.faces[i].material = material;
  }

  std::size_t nextUnfilled = 0;
  XMaterial surplus;  // Material records beyond the count are read and dropped
  ReadToken();
  while (!TokenIsCloseBrace() && !AtEndOfModel()) {
    if (TokenIs(L"Material")) {
      XMaterial& target = nextUnfilled < mesh.materials.size() ? mesh.materials[nextUnfilled++] : surplus;
      target.diffuse = XColorRGBA{};
      target.emissive = XColorRGBA{};
      target.specular = XColorRGB{};
      target.power = 0;
      ReadMaterial(target);
      RememberNamedMaterial(target);
    } else if (TokenIsOpenBrace()) {
      std::wstring name = ReadMaterialReference();
      if (nextUnfilled < mesh.materials.size()) {
        if (const XMaterial* named = FindNamedMaterial(name)) mesh.materials[nextUnfilled] = *named;
        ++nextUnfilled;
      }
    }
    ReadToken();
  }
}

void ReadMaterial(XMaterial& material) {
  ReadToken();
  if (!TokenIsOpenBrace()) {
    material.name = g_Token;
    ReadToken();
  }
  material.diffuse.r = ReadFloat();
  material.diffuse.g = ReadFloat();
  material.diffuse.b = ReadFloat();
  material.diffuse.a = ReadFloat();
  material.power = ReadFloat();
  material.specular.r = ReadFloat();
  material.specular.g = ReadFloat();
  material.specular.b = ReadFloat();
  material.emissive.r = ReadFloat();
  material.emissive.g = ReadFloat();
  material.emissive.b = ReadFloat();
  material.emissive.a = 0;
  ReadToken();
  if (TokenIs(L"TextureFilename")) {
    ReadTextureFilename(material);
    ReadToken();
  }
}

void ReadTextureFilename(XMaterial& material) {
  ReadOpeningBrace();
  ReadToken();
  while (!TokenIsCloseBrace() && !(AtEndOfModel() && g_Token.empty())) {
    material.textureFiles[0] = g_ModelDirectory + g_Token;
    if (AtEndOfModel()) break;
    ReadToken();
  }
}

XFILE_SHAPE_END
