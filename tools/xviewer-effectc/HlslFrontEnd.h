// glslang's part of compiling an effect: its preprocessor over the whole
// file, and its HLSL front end (DX9 compatibility) from one shader function
// to SPIR-V with the semantics recorded (SPV_GOOGLE_hlsl_functionality1).
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "d3dx9/EffectRecord.h"
#include "d3dx9/EffectSource.h"

namespace effectc {

using compat::d3dx9::Defines;
using compat::d3dx9::ShaderStage;

struct PreprocessedEffect {
  std::string text;  // with #line directives naming each file
  // The files #included beside the effect, by the name the effect gives, with
  // their contents, so that a cached translation can tell they changed.
  std::vector<std::pair<std::string, std::string>> includes;
};

// Runs glslang's preprocessor over `text` (the file `fileName`, in the folder
// `folder`) with `defines` set first. #include "name" reads the file beside
// the including one. On failure returns false with `error` set to lines
// "file(line): message".
bool PreprocessEffect(const std::string& text, const std::string& fileName, const std::string& folder,
                      const Defines& defines, PreprocessedEffect& out, std::string& error);

// One shader function to compile: `entry` of `hlsl`, for `stage`.
struct HlslFunction {
  std::string hlsl;
  ShaderStage stage = ShaderStage::Vertex;
  std::string entry;
};

struct SpirvModule {
  bool compiled = false;
  std::vector<std::uint32_t> words;
  std::string messages;  // glslang's, as "file(line): ..." lines, whether it compiled or not
};

// Compiles each of `functions` (their HLSL named `fileName` until its first
// #line) into SPIR-V: one module per function, in their order. glslang
// crashes on some malformed HLSL that it should report (an undeclared name
// in a choice that is returned, a step after an operand it may not change);
// that ends this program, which the layer reports as such.
std::vector<SpirvModule> CompileHlslToSpirv(const std::vector<HlslFunction>& functions, const std::string& fileName);

// Turns glslang's "ERROR: file:12: message" lines into "file(12): error: message".
std::string TranslateGlslangLog(const std::string& log, const std::string& fallbackPlace);

}  // namespace effectc
