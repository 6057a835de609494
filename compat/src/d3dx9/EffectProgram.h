// Building the GL programs of an effect's passes from its parsed source.
#pragma once

#include <epoxy/gl.h>

#include <cstdint>
#include <string>
#include <vector>

#include "d3dx9/EffectSource.h"

namespace compat::d3dx9 {

struct PassProgram {
  GLuint program = 0;
  std::vector<GLint> locations;  // uniform location per parameter, -1 where unused or in a block
  // Per parameter, the value version this program last received, so that an
  // upload sends only what changed since.
  std::vector<std::uint64_t> uploaded;
};

// The name of the uniform block that holds an array parameter. An effect's
// blocks are bound at points 0, 1, ... in the order of their parameters.
std::string UniformBlockName(const ParameterDecl& parameter);

// The GLSL text of one shader: the version line, a uniform per parameter, the
// file's shared blocks, then the body, with #line directives so that the
// compiler's line numbers are lines of the .cfx file. A vertex shader's main
// is wrapped so that clip-space y is negated: the back buffer stores its top
// row first.
std::string ShaderText(const EffectSource& source, const ShaderDecl& shader);

// Compiles and links every pass of every technique (the GL context must be
// current). On failure deletes what it made and sets `error` to lines
// "fileName(line): message".
bool BuildPassPrograms(const EffectSource& source, const std::string& fileName,
                       std::vector<std::vector<PassProgram>>& programs, std::string& error);

void DeletePassPrograms(std::vector<std::vector<PassProgram>>& programs);

// Turns a GL info log into "fileName(line): message" lines.
std::string TranslateInfoLog(const std::string& log, const std::string& fileName, int fallbackLine);

}  // namespace compat::d3dx9
