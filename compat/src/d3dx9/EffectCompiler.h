// An effect file from its bytes to the GLSL of its passes: glslang's
// preprocessor, the effect structure, then glslang and SPIRV-Cross per
// shader function. Translations are cached on disk (EffectCache), so a start
// that finds them all there never initialises glslang.
#pragma once

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "d3dx9/EffectProgram.h"
#include "d3dx9/EffectSource.h"

namespace compat::d3dx9 {

struct CompiledEffect {
  EffectSource source;
  EffectTexts texts;  // [technique][pass]
};

// The palette of skinning matrices may be as large as this here: the layer
// predefines CFX_PALETTE_SIZE to it, while D3DX leaves an effect its own
// default (Shader Model 3 allows a vertex shader 256 constant registers).
inline constexpr int kLayerPaletteSize = 256;

// Compiles the effect file `path` with the application's `defines`. With
// `mapDepth` the vertex shaders map Direct3D's clip depth to GL's. On
// failure returns false with `error` set to lines "file(line): message".
bool CompileEffectFile(LPCWSTR path, const std::vector<std::pair<std::string, std::string>>& defines,
                       bool mapDepth, CompiledEffect& out, std::string& error);

}  // namespace compat::d3dx9
