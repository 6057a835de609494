// The GL programs of an effect's passes: the GLSL of each pass (as the
// effect translator wrote it) compiled, linked and reflected so that the
// effect's parameter values can be laid into each program's block of
// constants.
#pragma once

#include <epoxy/gl.h>

#include <cstdint>
#include <string>
#include <vector>

#include "d3dx9/EffectRecord.h"
#include "d3dx9/EffectSource.h"

namespace compat::d3dx9 {

// Where a numeric parameter lies in a program's block of constants.
struct MemberLayout {
  bool present = false;
  GLint offset = 0;
  GLint arrayStride = 0;
  GLint matrixStride = 0;
  bool rowMajor = false;
};

struct PassProgram {
  GLuint program = 0;
  GLuint constants = 0;                  // the uniform buffer behind the block; 0 when it has none
  std::vector<std::uint8_t> image;       // the block's bytes as last sent
  std::vector<MemberLayout> members;     // per parameter
  std::vector<std::uint64_t> uploaded;   // per parameter, the value version last laid into `image`
  bool sent = false;                     // whether the whole image has gone to the buffer once
};

// Compiles and links the programs of `texts` (the GL context must be
// current). On failure deletes what it made and sets `error`.
bool BuildPassPrograms(const EffectSource& source, const EffectTexts& texts, const std::string& fileName,
                       std::vector<std::vector<PassProgram>>& programs, std::string& error);

void DeletePassPrograms(std::vector<std::vector<PassProgram>>& programs);

// The texture unit of each sampler parameter: samplers take units 0, 1, ...
// in the order the effect declares them; -1 for other parameters.
std::vector<int> SamplerUnits(const EffectSource& source);

// Lays `values` (the effect's row-by-row floats of `parameter`) into a
// block image at `layout`, as the GLSL that glslang made of the HLSL type
// reads it. Widens [begin, end) to cover the bytes that changed.
void PackParameter(const ParameterDecl& parameter, const float* values, const MemberLayout& layout,
                   std::vector<std::uint8_t>& image, std::size_t& begin, std::size_t& end);

}  // namespace compat::d3dx9
