#include "common/ModelReload.h"

#include <algorithm>
#include <set>

#include "render/Texture.h"
#include "xfile/DocumentParser.h"
#include "xfile/ModelLoading.h"
#include "xfile/ModelRegistry.h"
#include "xfile/TokenReader.h"

namespace {

// Warnings that mean the file stops where its records do not: one caught
// while it is being written.
bool EndsEarly(const std::vector<ParseWarning>& warnings) {
  return std::any_of(warnings.begin(), warnings.end(), [](const ParseWarning& warning) {
    return warning.kind == ParseWarningKind::FileEnds || warning.kind == ParseWarningKind::BinaryDamaged ||
           warning.kind == ParseWarningKind::ContainerDamaged;
  });
}

// The old records stay registered under this name while the new ones load,
// so that the textures both name stay and only the old ones' own go after.
std::wstring SetAsideName(const std::wstring& modelFile) { return modelFile + L"|shown before"; }

}  // namespace

std::vector<std::wstring> FilesOfModel(const std::wstring& modelFile) {
  std::vector<std::wstring> files{modelFile};
  const XModelContent* content = FindModelFile(modelFile);
  if (!content) return files;
  std::set<std::wstring> sources;
  for (const XMesh& mesh : MeshesOf(*content))
    for (const XMaterial& material : mesh.materials)
      for (const std::wstring& name : material.textureFiles) {
        auto found = name.empty() ? g_TextureMap.end() : g_TextureMap.find(name);
        if (found != g_TextureMap.end() && !found->second.source.empty() && sources.insert(found->second.source).second)
          files.push_back(found->second.source);
      }
  return files;
}

bool ReloadModelFile(IDirect3DDevice9* device, const std::wstring& modelFile,
                     const std::function<void(XModelContent*)>& moveOver, std::string& why) {
  // A look at the whole file first, quietly: the shown model stays unless it reads whole.
  {
    XModelContent probe;
    std::vector<ParseWarning> warnings;
    const bool echo = ModelEchoEnabled();
    SetModelEcho(false);
    const bool parsed = ParseXFile(modelFile, probe, &warnings);
    SetModelEcho(echo);
    if (!parsed) {
      why = "it cannot be read as a model";
      return false;
    }
    if (EndsEarly(warnings)) {
      why = "it ends inside a record, as a file still being written does";
      return false;
    }
  }
  auto shown = g_ModelRegistry.extract(modelFile);
  const std::wstring asideName = SetAsideName(modelFile);
  if (shown) {
    shown.key() = asideName;
    g_ModelRegistry.insert(std::move(shown));
  }
  if (!LoadModelFile(device, modelFile) || !FindModelFile(modelFile)) {
    // Gone or changed again since the look: the shown model goes back.
    auto aside = g_ModelRegistry.extract(asideName);
    if (aside) {
      aside.key() = modelFile;
      g_ModelRegistry.insert(std::move(aside));
    }
    why = "it cannot be read as a model";
    return false;
  }
  moveOver(FindModelFile(modelFile));
  ReleaseModelFile(asideName);
  return true;
}
