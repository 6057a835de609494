#include "EffectTranslation.h"

#include <map>

#include "HlslFrontEnd.h"
#include "HlslTranslator.h"

namespace effectc {

using namespace compat::d3dx9;

bool TranslatePasses(const EffectSource& source, const EffectSource& limits, const std::string& fileName,
                     bool mapDepth, EffectTexts& texts, std::string& error) {
  texts.clear();
  // Every (stage, function) the passes use, translated once, all together.
  std::vector<ShaderRequest> requests;
  std::map<std::pair<ShaderStage, std::string>, std::size_t> requestOf;
  for (const TechniqueDecl& technique : source.techniques)
    for (const PassDecl& pass : technique.passes)
      for (ShaderStage stage : {ShaderStage::Vertex, ShaderStage::Pixel}) {
        const ShaderCompileDecl& shader = stage == ShaderStage::Vertex ? pass.vertexShader : pass.pixelShader;
        if (requestOf.emplace(std::make_pair(stage, shader.entry), requests.size()).second)
          requests.push_back(ShaderRequest{stage, shader.entry, shader.place, mapDepth});
      }
  std::vector<std::string> glsl;
  if (!TranslateShaders(source, limits, fileName, requests, glsl, error)) return false;
  for (const TechniqueDecl& technique : source.techniques) {
    texts.emplace_back();
    for (const PassDecl& pass : technique.passes) {
      PassText text;
      text.vertex = glsl[requestOf.at({ShaderStage::Vertex, pass.vertexShader.entry})];
      text.pixel = glsl[requestOf.at({ShaderStage::Pixel, pass.pixelShader.entry})];
      texts.back().push_back(std::move(text));
    }
  }
  return true;
}

bool TranslateEffect(const std::string& text, const std::string& fileName, const Defines& defines, bool mapDepth,
                     EffectRecord& record, std::string& error) {
  record = EffectRecord{};
  if (text.size() > kMaxEffectFileBytes) {
    error = fileName + ": the effect file is larger than " + std::to_string(kMaxEffectFileBytes >> 20) +
            " MB, the most this translator reads\n";
    return false;
  }
  Defines layerDefines = defines;
  layerDefines.emplace_back("CFX_PALETTE_SIZE", std::to_string(kLayerPaletteSize));
  PreprocessedEffect preprocessed;
  EffectSource source;
  if (!PreprocessEffect(text, fileName, IncludeFolder(fileName), layerDefines, preprocessed, error)) return false;
  if (!ParseEffectSource(preprocessed.text, fileName, source, error)) return false;
  // The limits of Shader Model 3 hold for the file as D3DX compiles it.
  PreprocessedEffect asD3dx;
  EffectSource limits;
  if (!PreprocessEffect(text, fileName, IncludeFolder(fileName), defines, asD3dx, error)) return false;
  if (asD3dx.text == preprocessed.text) {
    limits = source;
  } else if (!ParseEffectSource(asD3dx.text, fileName, limits, error)) {
    return false;
  }
  if (!TranslatePasses(source, limits, fileName, mapDepth, record.texts, error)) return false;
  record.preprocessed = std::move(preprocessed.text);
  record.includes = std::move(preprocessed.includes);
  return true;
}

}  // namespace effectc
