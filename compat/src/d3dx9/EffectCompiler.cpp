#include "d3dx9/EffectCompiler.h"

#include "common/Unicode.h"
#include "d3dx9/EffectCache.h"
#include "d3dx9/FileBytes.h"
#include "d3dx9/TranslatorProcess.h"

namespace compat::d3dx9 {

namespace {

// Whether a record has a pass for every pass of the effect.
bool SameShape(const EffectSource& source, const EffectTexts& texts) {
  if (texts.size() != source.techniques.size()) return false;
  for (std::size_t t = 0; t < texts.size(); ++t)
    if (texts[t].size() != source.techniques[t].passes.size()) return false;
  return true;
}

// The effect read from its record; false where the two disagree.
bool FromRecord(EffectRecord& record, const std::string& fileName, CompiledEffect& out, std::string& error) {
  if (!ParseEffectSource(record.preprocessed, fileName, out.source, error)) return false;
  if (!SameShape(out.source, record.texts)) return false;
  out.texts = std::move(record.texts);
  return true;
}

}  // namespace

bool CompileEffectFile(LPCWSTR path, const Defines& defines, bool mapDepth, CompiledEffect& out, std::string& error) {
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
  const std::string text(bytes.begin(), bytes.end());
  const std::string key = EffectRecordKey(text, defines, mapDepth);
  EffectRecord record;
  if (LoadCachedEffect(key, IncludeFolder(fileName), record) && FromRecord(record, fileName, out, error)) return true;

  std::string answer;
  switch (RunEffectTranslator(fileName, text, defines, mapDepth, answer)) {
    case Translation::Refused:
    case Translation::Failed:
      error = std::move(answer);
      return false;
    case Translation::Done:
      break;
  }
  error.clear();
  if (!ReadEffectRecord(answer, record) || !FromRecord(record, fileName, out, error)) {
    if (error.empty())
      error = fileName + ": the effect translator " + EffectTranslatorPath() +
              " handed back a translation that is damaged or of another version";
    return false;
  }
  StoreCachedEffect(key, answer);
  return true;
}

}  // namespace compat::d3dx9
