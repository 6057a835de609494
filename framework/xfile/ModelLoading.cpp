#include "xfile/ModelLoading.h"

#include "render/Texture.h"
#include "xfile/DocumentParser.h"
#include "xfile/ModelRegistry.h"

XFILE_SHAPE_BEGIN

#if defined(XVIEW_REDUCED_MODEL)
const wchar_t* const kModelFileName = L"squarepolygon.x";
#else
const wchar_t* const kModelFileName = L"miko.x";
#endif

namespace {

const std::vector<XMesh>& MeshesOf(const XModelContent& content) {
#if defined(XVIEW_REDUCED_MODEL)
  return content;
#else
  return content.meshes;
#endif
}

// Texture slots in the order they are loaded.
constexpr int kSlotOrder[] = {0, 2, 1, 3};

}  // namespace

bool LoadModelFile(IDirect3DDevice9* device, const std::wstring& fileName) {
  // Parsing a loaded file again would append a second copy of every record.
  if (g_ModelRegistry.count(fileName)) return true;
  XModelContent& content = g_ModelRegistry[fileName];
  if (!ParseXFile(fileName, content)) {
    g_ModelRegistry.erase(fileName);
    return false;
  }
  for (const XMesh& mesh : MeshesOf(content))
    for (const XMaterial& material : mesh.materials)
      for (int slot : kSlotOrder)
        if (!material.textureFiles[static_cast<std::size_t>(slot)].empty())
          LoadTexture(device, material.textureFiles[static_cast<std::size_t>(slot)].c_str());
  return true;
}

XModelContent* FindModelFile(const std::wstring& fileName) {
  auto found = g_ModelRegistry.find(fileName);
  return found == g_ModelRegistry.end() ? nullptr : &found->second;
}

bool LoadModel(IDirect3DDevice9* device) { return LoadModelFile(device, kModelFileName); }

XModelContent* FindModel() { return FindModelFile(kModelFileName); }

XFILE_SHAPE_END
