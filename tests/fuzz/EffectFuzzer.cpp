// Feeds arbitrary bytes to what the layer reads of an effect in its own
// process: the effect reader (over the bytes as text; the translator's
// preprocessor hands most text on as it is) and the translation record (a
// damaged cache file, or a translator's answer). glslang and SPIRV-Cross run
// in the translator program, whose crashes cost only the effect. Any input
// must end in an effect or a refusal, never a crash, a hang or unbounded
// memory.
#include <cstdint>
#include <string>
#include <string_view>

#include "d3dx9/EffectRecord.h"
#include "d3dx9/EffectSource.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace compat::d3dx9;
  if (size > kMaxEffectFileBytes) return 0;  // refused before it is read, as the layer does
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  EffectSource source;
  std::string error;
  ParseEffectSource(bytes, "fuzz.cfx", source, error);
  EffectRecord record;
  if (ReadEffectRecord(bytes, record)) ParseEffectSource(record.preprocessed, "fuzz.cfx", source, error);
  return 0;
}
