#include "xfile/ModelLoading.h"

#include <cstdio>
#include <set>

#include "platform/TextConversion.h"
#include "render/Texture.h"
#include "xfile/DocumentParser.h"
#include "xfile/ModelRegistry.h"
#include "xfile/ParseMessages.h"

XFILE_SHAPE_BEGIN

#if defined(XVIEW_REDUCED_MODEL)
const wchar_t* const kModelFileName = L"squarepolygon.x";
#else
const wchar_t* const kModelFileName = L"miko.x";
#endif
std::wstring g_ModelFileName = kModelFileName;

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

// The folder part of a path, with its separator; empty for a bare name.
std::wstring FolderOf(const std::wstring& path) {
  std::size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

std::wstring BareNameOf(const std::wstring& path) {
  std::size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

const char* Reason(HRESULT result) {
  if (result == D3DERR_NOTFOUND) return "the file cannot be opened";
  if (result == D3DXERR_INVALIDDATA) return "the file is not an image that can be read (PNG, JPEG, BMP, TGA or DDS)";
  return "the device cannot hold it";
}

// Loads one texture a material names. A name whose file does not exist is
// tried by its bare file name in the model's folder.
void LoadModelTexture(IDirect3DDevice9* device, const std::wstring& modelFile, const std::wstring& name) {
  HRESULT result = LoadTextureFrom(device, name.c_str(), name.c_str());
  if (SUCCEEDED(result)) return;
  std::wstring besideModel = FolderOf(modelFile) + BareNameOf(name);
  if (result == D3DERR_NOTFOUND && besideModel != name) {
    result = LoadTextureFrom(device, name.c_str(), besideModel.c_str());
    if (SUCCEEDED(result)) return;
  }
  // The texture's name comes from the file: its control characters are escaped.
  std::string also;
  if (besideModel != name) also = " (nor as \"" + ToUtf8(Escaped(besideModel)) + "\")";
  std::fprintf(stderr, "model file \"%s\": texture \"%s\" cannot be loaded: %s%s\n",
               ToUtf8(Escaped(modelFile)).c_str(), ToUtf8(Escaped(name)).c_str(), Reason(result),
               also.c_str());
}

}  // namespace

bool LoadModelFile(IDirect3DDevice9* device, const std::wstring& fileName) {
  // Parsing a loaded file again would append a second copy of every record.
  if (g_ModelRegistry.count(fileName)) return true;
  XModelContent& content = g_ModelRegistry[fileName];
  if (!ParseXFile(fileName, content)) {
    g_ModelRegistry.erase(fileName);
    return false;
  }
  // Each name once, however many materials share it.
  std::set<std::wstring> loaded;
  for (const XMesh& mesh : MeshesOf(content))
    for (const XMaterial& material : mesh.materials)
      for (int slot : kSlotOrder) {
        const std::wstring& texture = material.textureFiles[static_cast<std::size_t>(slot)];
        if (!texture.empty() && loaded.insert(texture).second) LoadModelTexture(device, fileName, texture);
      }
  return true;
}

XModelContent* FindModelFile(const std::wstring& fileName) {
  auto found = g_ModelRegistry.find(fileName);
  return found == g_ModelRegistry.end() ? nullptr : &found->second;
}

bool LoadModel(IDirect3DDevice9* device) { return LoadModelFile(device, g_ModelFileName); }

XModelContent* FindModel() { return FindModelFile(g_ModelFileName); }

XFILE_SHAPE_END
