#include "common/ModelReload.h"

#include <algorithm>
#include <set>

#include "render/Texture.h"
#include "xfile/ModelLoading.h"
#include "xfile/ModelRegistry.h"

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
  for (const std::wstring& name : TexturesOf(*content)) {
    auto found = g_TextureMap.find(name);
    if (found != g_TextureMap.end() && !found->second.source.empty() && sources.insert(found->second.source).second)
      files.push_back(found->second.source);
  }
  return files;
}

bool ReloadModelFile(IDirect3DDevice9* device, const std::wstring& modelFile,
                     const std::function<void(XModelContent*)>& moveOver, std::string& why) {
  // The shown records step aside while the file is read again, and come back
  // unless it reads whole.
  const std::wstring asideName = SetAsideName(modelFile);
  auto shown = g_ModelRegistry.extract(modelFile);
  if (shown) {
    shown.key() = asideName;
    g_ModelRegistry.insert(std::move(shown));
  }
  const ParseResult parse = ParseModelFile(modelFile);
  // A file the reader refuses says why in the reader's own words; one
  // caught half-written says nothing more than the caller's line.
  if (!parse) ReportParse(modelFile, parse);
  if (!parse || EndsEarly(parse.warnings)) {
    g_ModelRegistry.erase(modelFile);
    auto aside = g_ModelRegistry.extract(asideName);
    if (aside) {
      aside.key() = modelFile;
      g_ModelRegistry.insert(std::move(aside));
    }
    why = !parse ? "it cannot be read as a model"
                 : "it ends inside a record, as a file still being written does";
    return false;
  }
  ReportParse(modelFile, parse);
  LoadModelTextures(device, modelFile, parse.codePage);
  moveOver(FindModelFile(modelFile));
  ReleaseModelFile(asideName);
  return true;
}
