#include "xfile/ModelLoading.h"

#include <cstdio>
#include <set>

#include "platform/FilePaths.h"
#include "platform/Messages.h"
#include "platform/TextConversion.h"
#include "render/Effect.h"
#include "render/Texture.h"
#include "xfile/DocumentParser.h"
#include "xfile/ModelRegistry.h"
#include "xfile/ParseMessages.h"
#include "xfile/TextureSearch.h"

XFILE_SHAPE_BEGIN

#if defined(XVIEW_REDUCED_MODEL)
const wchar_t* const kModelFileName = L"squarepolygon.x";
#else
const wchar_t* const kModelFileName = L"miko.x";
#endif
std::wstring g_ModelFileName = kModelFileName;

namespace {

// Texture slots in the order they are loaded.
constexpr int kSlotOrder[] = {0, 2, 1, 3};

const char* Reason(HRESULT result) {
  if (result == D3DERR_NOTFOUND) return "the file cannot be opened";
  if (result == D3DXERR_INVALIDDATA) return "the file is not an image that can be read (PNG, JPEG, BMP, TGA or DDS)";
  return "the device cannot hold it";
}

void ReportTexture(const std::wstring& modelFile, const std::wstring& name, const std::string& reason) {
  // The texture's name comes from the file: its control characters are escaped.
  Report(FrameworkMessage::TextureNotLoaded, ToUtf8(Escaped(modelFile)).c_str(), ToUtf8(Escaped(name)).c_str(),
         reason.c_str());
}

// Loads one texture a material names from wherever `search` finds it, and
// keeps it under the material's name, which drawing looks up. `codePage` is
// the one the model's text was decoded with.
void LoadModelTexture(IDirect3DDevice9* device, const std::wstring& modelFile, unsigned codePage,
                      const std::wstring& name, TextureSearch& search) {
  std::wstring notFound;
  std::wstring path = FindModelTexture(modelFile, name, codePage, search, notFound);
  if (path.empty()) {
    // As a failed load of the name would: nothing stays under it.
    g_TextureMap.erase(name);
    ReportTexture(modelFile, name, ToUtf8(Escaped(notFound)));
    return;
  }
  HRESULT result = LoadTextureFrom(device, name.c_str(), path.c_str());
  if (SUCCEEDED(result)) return;
  std::string reason = Reason(result);
  if (path != name) reason += " (found as \"" + ToUtf8(Escaped(path)) + "\")";
  ReportTexture(modelFile, name, reason);
}

}  // namespace

ParseResult ParseModelFile(const std::wstring& fileName) {
  XModelContent& content = g_ModelRegistry[fileName];
  ParseResult parse = ParseXFile(fileName, content);
  if (!parse) g_ModelRegistry.erase(fileName);
  return parse;
}

void LoadModelTextures(IDirect3DDevice9* device, const std::wstring& fileName, unsigned codePage) {
  const XModelContent* content = FindModelFile(fileName);
  if (!content) return;
  // Each name once, however many materials share it; one search lists the
  // folders around the model for all of them.
  std::set<std::wstring> loaded;
  TextureSearch search(FolderOf(fileName));
  for (const XMesh& mesh : MeshesOf(*content))
    for (const XMaterial& material : mesh.materials)
      for (int slot : kSlotOrder) {
        const std::wstring& texture = material.textureFiles[static_cast<std::size_t>(slot)];
        if (!texture.empty() && loaded.insert(texture).second) LoadModelTexture(device, fileName, codePage, texture, search);
      }
}

bool LoadModelFile(IDirect3DDevice9* device, const std::wstring& fileName) {
  // Parsing a loaded file again would append a second copy of every record.
  if (g_ModelRegistry.count(fileName)) return true;
  const ParseResult parse = ParseModelFile(fileName);
  ReportParse(fileName, parse);
  if (!parse) return false;
  LoadModelTextures(device, fileName, parse.codePage);
  return true;
}

namespace {

}  // namespace

// The effects and the device keep a reference to the last texture drawn
// with, as Direct3D does; they let go of it here so that a released model's
// texture really goes.
void UnbindDrawnTextures() {
  constexpr DWORD kTextureStages = 8;  // more than the effects' samplers
  for (auto& [name, effect] : g_EffectMap) {
    if (!effect.effect) continue;
    if (D3DXHANDLE texture = effect.ParameterHandle(L"g_ColorTex")) effect.effect->SetTexture(texture, nullptr);
    IDirect3DDevice9* device = nullptr;
    if (SUCCEEDED(effect.effect->GetDevice(&device)) && device) {
      for (DWORD stage = 0; stage < kTextureStages; ++stage) device->SetTexture(stage, nullptr);
      device->Release();
    }
  }
}

void ReleaseModelFile(const std::wstring& fileName) {
  auto found = g_ModelRegistry.find(fileName);
  if (found == g_ModelRegistry.end()) return;
  UnbindDrawnTextures();
  std::set<std::wstring> stillNamed;
  for (const auto& [name, content] : g_ModelRegistry)
    if (name != fileName) stillNamed.merge(TexturesOf(content));
  for (const std::wstring& texture : TexturesOf(found->second))
    if (!stillNamed.count(texture)) g_TextureMap.erase(texture);
  g_ModelRegistry.erase(found);
}

XModelContent* FindModelFile(const std::wstring& fileName) {
  auto found = g_ModelRegistry.find(fileName);
  return found == g_ModelRegistry.end() ? nullptr : &found->second;
}

bool LoadModel(IDirect3DDevice9* device) { return LoadModelFile(device, g_ModelFileName); }

XModelContent* FindModel() { return FindModelFile(g_ModelFileName); }

XFILE_SHAPE_END
