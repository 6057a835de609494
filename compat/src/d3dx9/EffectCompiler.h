// An effect file from its bytes to its structure and the GLSL of its passes.
// The translation is looked up by its key among the records translated when
// the project was built, then in the user's cache (EffectCache); only an
// effect found in neither is handed to the effect translator program
// (TranslatorProcess), and its record is then cached.
#pragma once

#include <windows.h>

#include <string>

#include "d3dx9/EffectRecord.h"
#include "d3dx9/EffectSource.h"

namespace compat::d3dx9 {

struct CompiledEffect {
  EffectSource source;
  EffectTexts texts;  // [technique][pass]
};

// Compiles the effect file `path` with the application's `defines`. With
// `mapDepth` the vertex shaders map Direct3D's clip depth to GL's. On
// failure returns false with `error` set to lines "file(line): message".
bool CompileEffectFile(LPCWSTR path, const Defines& defines, bool mapDepth, CompiledEffect& out, std::string& error);

}  // namespace compat::d3dx9
