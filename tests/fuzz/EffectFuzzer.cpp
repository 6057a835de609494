// Feeds arbitrary bytes to the effect compiler's whole path short of GL:
// glslang's preprocessor, the effect reader, glslang's HLSL front end and
// SPIRV-Cross, for every pass the input declares. Any input must end in an
// effect or a message, never a crash, a hang or unbounded memory.
#include <cstdint>
#include <string>

#include "d3dx9/EffectProgram.h"
#include "d3dx9/EffectSource.h"
#include "d3dx9/HlslFrontEnd.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace compat::d3dx9;
  if (size > kMaxEffectFileBytes) return 0;  // refused before glslang, as the layer does
  std::string text(reinterpret_cast<const char*>(data), size);
  std::string error;
  PreprocessedEffect preprocessed;
  // No folder: an #include finds nothing.
  if (!PreprocessEffect(text, "fuzz.cfx", "/nonexistent", {{"CFX_PALETTE_SIZE", "256"}}, preprocessed, error))
    return 0;
  EffectSource source;
  if (!ParseEffectSource(preprocessed.text, "fuzz.cfx", source, error)) return 0;
  EffectTexts texts;
  TranslatePasses(source, source, "fuzz.cfx", false, texts, error);
  return 0;
}
