// One effect file to the record the layer reads: glslang's preprocessor over
// the whole file, the effect structure read from its output, then every
// shader function that a pass compiles through glslang and SPIRV-Cross.
#pragma once

#include <string>

#include "d3dx9/EffectRecord.h"
#include "d3dx9/EffectSource.h"

namespace effectc {

using compat::d3dx9::Defines;
using compat::d3dx9::EffectRecord;
using compat::d3dx9::EffectSource;
using compat::d3dx9::EffectTexts;

// The palette of skinning matrices may be as large as this in the layer:
// the translator predefines CFX_PALETTE_SIZE to it, while D3DX leaves an
// effect its own default (Shader Model 3 allows a vertex shader 256
// constant registers).
inline constexpr int kLayerPaletteSize = 256;

// Translates `text`, the effect file `fileName` (its #includes are read from
// the folder it names), with the application's `defines`; with `mapDepth`
// the vertex shaders map Direct3D's clip depth to GL's. On failure returns
// false with `error` set to lines "file(line): message".
bool TranslateEffect(const std::string& text, const std::string& fileName, const Defines& defines, bool mapDepth,
                     EffectRecord& record, std::string& error);

// Translates every pass of every technique of `source`; `limits` is the
// effect as D3DX sees it, for the Shader Model 3 limits. On failure appends
// lines "file(line): message" to `error`.
bool TranslatePasses(const EffectSource& source, const EffectSource& limits, const std::string& fileName,
                     bool mapDepth, EffectTexts& texts, std::string& error);

}  // namespace effectc
