// One shader function of an HLSL effect to GLSL 3.30 for the GL device:
// D3D9 semantics rewritten for glslang, glslang to SPIR-V, SPIRV-Cross to
// GLSL with every interface variable named after its semantic, so that
// vertex outputs and pixel inputs link by semantic as in Direct3D 9, and
// vertex inputs sit at the locations the draws feed by declaration usage.
// What Shader Model 3 forbids is refused here, as D3DX refuses it.
#pragma once

#include <string>
#include <vector>

#include "d3dx9/EffectSource.h"

namespace effectc {

using compat::d3dx9::EffectSource;
using compat::d3dx9::ShaderStage;
using compat::d3dx9::SourcePlace;

struct ShaderRequest {
  ShaderStage stage = ShaderStage::Vertex;
  std::string entry;
  SourcePlace place;   // the pass assignment that compiles it, for messages
  bool mapDepth = false;  // the context lacks glClipControl: map clip depth 0..w to -w..w
};

// Translates each of `requests` of `source` (the file `fileName`); `glsl`
// gets one text per request, empty for one that failed. `limits` is the
// effect as D3DX sees it (without the layer's own predefinitions): its
// parameters' sizes count toward Shader Model 3's constant registers. Where
// one fails, returns false, with "file(line): message" lines appended to
// `error` in the order of the requests.
bool TranslateShaders(const EffectSource& source, const EffectSource& limits, const std::string& fileName,
                      const std::vector<ShaderRequest>& requests, std::vector<std::string>& glsl, std::string& error);

// TranslateShaders for one request.
bool TranslateShader(const EffectSource& source, const EffectSource& limits, const std::string& fileName,
                     const ShaderRequest& request, std::string& glsl, std::string& error);

// The semantic with its index ("TEXCOORD" -> "TEXCOORD0"), upper case.
std::string SemanticKey(const std::string& semantic);

// Shader Model 3 limits the layer checks; instruction counts are not checked.
inline constexpr unsigned kVertexConstantRegisters = 256;
inline constexpr unsigned kPixelConstantRegisters = 224;
inline constexpr unsigned kVertexSamplers = 4;
inline constexpr unsigned kPixelSamplers = 16;
inline constexpr unsigned kInterpolators = 10;

}  // namespace effectc
