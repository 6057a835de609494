#include "d3dx9/EffectCompiler.h"

#include <filesystem>

#include "common/Unicode.h"
#include "d3dx9/EffectCache.h"
#include "d3dx9/FileBytes.h"
#include "d3dx9/HlslFrontEnd.h"

namespace compat::d3dx9 {

namespace {

std::string Folder(const std::string& fileName) {
  std::size_t slash = fileName.find_last_of("/\\");
  return slash == std::string::npos ? std::string() : fileName.substr(0, slash);
}

// Whether cached texts have a pass for every pass of the effect.
bool SameShape(const EffectSource& source, const EffectTexts& texts) {
  if (texts.size() != source.techniques.size()) return false;
  for (std::size_t t = 0; t < texts.size(); ++t)
    if (texts[t].size() != source.techniques[t].passes.size()) return false;
  return true;
}

}  // namespace

bool CompileEffectFile(LPCWSTR path, const std::vector<std::pair<std::string, std::string>>& defines,
                       bool mapDepth, CompiledEffect& out, std::string& error) {
  std::string fileName = ToUtf8(path);
  std::vector<std::uint8_t> bytes;
  if (!ReadFileBytes(path, bytes, error)) {
    error = fileName + ": " + error;
    return false;
  }
  if (bytes.size() > kMaxEffectFileBytes) {
    error = fileName + ": the effect file is larger than " + std::to_string(kMaxEffectFileBytes >> 20) +
            " MB, the most this layer compiles";
    return false;
  }
  std::string text(bytes.begin(), bytes.end());
  std::vector<std::pair<std::string, std::string>> layerDefines = defines;
  layerDefines.emplace_back("CFX_PALETTE_SIZE", std::to_string(kLayerPaletteSize));

  const std::string key = EffectCacheKey(text, layerDefines, mapDepth);
  CacheEntry cached;
  if (LoadCachedEffect(key, Folder(fileName), cached) &&
      ParseEffectSource(cached.preprocessed, fileName, out.source, error) && SameShape(out.source, cached.texts)) {
    out.texts = std::move(cached.texts);
    return true;
  }
  error.clear();

  PreprocessedEffect preprocessed;
  if (!PreprocessEffect(text, fileName, Folder(fileName), layerDefines, preprocessed, error)) return false;
  if (!ParseEffectSource(preprocessed.text, fileName, out.source, error)) return false;
  // The limits of Shader Model 3 hold for the file as D3DX compiles it.
  PreprocessedEffect asD3dx;
  EffectSource limits;
  if (!PreprocessEffect(text, fileName, Folder(fileName), defines, asD3dx, error)) return false;
  if (asD3dx.text == preprocessed.text) {
    limits = out.source;
  } else if (!ParseEffectSource(asD3dx.text, fileName, limits, error)) {
    return false;
  }
  if (!TranslatePasses(out.source, limits, fileName, mapDepth, out.texts, error)) return false;
  StoreCachedEffect(key, CacheEntry{std::move(preprocessed.text), std::move(preprocessed.includes), out.texts});
  return true;
}

}  // namespace compat::d3dx9
