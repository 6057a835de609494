#include "xfile/MaterialReader.h"

#include "xfile/RecordReading.h"
#include "xfile/SizeAccounting.h"

XFILE_SHAPE_BEGIN

namespace {

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

const XMaterial* FindNamedMaterial(const std::wstring& name) {
  const std::map<std::wstring, XMaterial>& named = ActiveReader().namedMaterials;
  auto found = named.find(name);
  return found == named.end() ? nullptr : &found->second;
}

}  // namespace

XMaterial ReadNamedMaterial() {
  XMaterial material;
  ReadMaterial(material);
  if (!material.name.empty()) ActiveReader().namedMaterials.insert_or_assign(material.name, material);
  return material;
}


void ReadMaterialList(XMesh& mesh) {
  RecordScope scope(L"MeshMaterialList");
  ReadOpeningBrace();
  std::uint32_t declared = ReadCount();

  // One index per face as the record counts them; faces the record does not
  // reach keep material 0, indices for faces the mesh does not have are passed
  // over. A single index is the format's shorthand for one material on every
  // face (exporters such as conv3ds write it), not a short list.
  std::uint32_t indexCount = ReadCount();
  const bool oneForAll = indexCount == 1 && !mesh.faces.empty();
  if (!oneForAll) CheckListCount(indexCount, mesh.faces.size(), L"face material indices", L"faces");
  for (std::uint32_t i = 0; NextItem(i, indexCount, L"face material indices"); ++i) {
    std::int32_t material = TokenInt();
    if (oneForAll) {
      for (XFace& face : mesh.faces) face.material = material;
    } else if (i < mesh.faces.size()) {
      mesh.faces[i].material = material;
    }
  }

  // The list grows with the records that fill it; what the count declares
  // beyond them is made of default materials at the end.
  mesh.materials.clear();
  ReadToken();
  while (!TokenIsCloseBrace() && !AtEndOfModel()) {
    bool record = TokenIs(L"Material");
    if (record || TokenIsOpenBrace()) {
      if (mesh.materials.size() >= declared) {
        Warn(ParseWarningKind::RecordSkipped, [&] {
          return std::wstring(record ? L"Material" : L"a material reference") + L" at " +
                 PlaceText(TokenPlace()) + L", beyond the " + std::to_wstring(declared) +
                 L" materials declared";
        });
      }
      XMaterial material;
      if (record) {
        material = ReadNamedMaterial();
      } else if (const XMaterial* named = FindNamedMaterial(ReadMaterialReference())) {
        material = *named;
      }
      if (mesh.materials.size() < declared) mesh.materials.push_back(std::move(material));
    }
    ReadToken();
  }
  mesh.materials.resize(KeepDeclared(declared, mesh.materials.size(), L"materials"));
}

void ReadMaterial(XMaterial& material) {
  RecordScope scope(L"Material");
  material.name = ReadRecordName(&scope);
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
  // Members up to the material's "}": texture file names, and records such
  // as EffectInstance that the programs have no use for.
  ReadToken();
  while (!TokenIsCloseBrace() && !AtEndOfModel()) {
    if (TokenIs(L"TextureFilename")) {
      ReadTextureFilename(material);
    } else {
      SkipRecord(!TokenIs(L"EffectInstance"));
    }
    ReadToken();
  }
}

void ReadTextureFilename(XMaterial& material) {
  RecordScope scope(L"TextureFilename");
  ReadOpeningBrace();
  ReadToken();
  while (!TokenIsCloseBrace() && !(AtEndOfModel() && g_Token.empty())) {
    material.textureFiles[0] = g_ModelDirectory + g_Token;
    if (AtEndOfModel()) break;
    ReadToken();
  }
}

XFILE_SHAPE_END
