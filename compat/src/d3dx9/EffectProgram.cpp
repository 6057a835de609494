#include "d3dx9/EffectProgram.h"

#include <map>
#include <regex>
#include <sstream>

#include "d3d9/DeviceGL.h"

namespace compat::d3dx9 {

namespace {

const char* GlslType(ParameterType type) {
  switch (type) {
    case ParameterType::Float: return "float";
    case ParameterType::Float2: return "vec2";
    case ParameterType::Float3: return "vec3";
    case ParameterType::Float4: return "vec4";
    case ParameterType::Float4x4: return "mat4";
    case ParameterType::Texture: return "sampler2D";
  }
  return "float";
}

std::string InfoLog(GLuint object, bool program) {
  GLint length = 0;
  program ? glGetProgramiv(object, GL_INFO_LOG_LENGTH, &length)
          : glGetShaderiv(object, GL_INFO_LOG_LENGTH, &length);
  if (length <= 0) return {};
  std::string log(static_cast<std::size_t>(length), '\0');
  program ? glGetProgramInfoLog(object, length, nullptr, log.data())
          : glGetShaderInfoLog(object, length, nullptr, log.data());
  log.resize(log.find('\0') == std::string::npos ? log.size() : log.find('\0'));
  return log;
}

GLuint CompileShader(const EffectSource& source, const ShaderDecl& shader, const std::string& fileName,
                     std::string& error) {
  std::string text = ShaderText(source, shader);
  GLuint object = glCreateShader(shader.stage == ShaderStage::Vertex ? GL_VERTEX_SHADER : GL_FRAGMENT_SHADER);
  const char* pointer = text.c_str();
  glShaderSource(object, 1, &pointer, nullptr);
  glCompileShader(object);
  GLint compiled = GL_FALSE;
  glGetShaderiv(object, GL_COMPILE_STATUS, &compiled);
  if (!compiled) {
    std::string log = InfoLog(object, false);
    if (log.empty()) log = "shader '" + shader.name + "' does not compile";
    error += TranslateInfoLog(log, fileName, shader.bodyLine);
    glDeleteShader(object);
    return 0;
  }
  return object;
}

}  // namespace

std::string UniformBlockName(const ParameterDecl& parameter) { return "cfx_block_" + parameter.name; }

std::string ShaderText(const EffectSource& source, const ShaderDecl& shader) {
  std::ostringstream text;
  text << "#version 330 core\n";
  for (const ParameterDecl& p : source.parameters) {
    text << "#line " << p.line << '\n';
    // row_major: the block holds D3DX matrices as they lie in memory, and the
    // GLSL mat4 is then the same matrix, as for the transposed plain uploads.
    if (InUniformBlock(p))
      text << "layout(std140, row_major) uniform " << UniformBlockName(p) << " { ";
    else
      text << "uniform ";
    text << GlslType(p.type) << ' ' << p.name;
    if (p.elements) text << '[' << p.elements << ']';
    text << (InUniformBlock(p) ? "; };\n" : ";\n");
  }
  for (const CommonBlock& block : source.commonBlocks)
    text << "#line " << block.bodyLine << '\n' << block.body << '\n';
  bool vertex = shader.stage == ShaderStage::Vertex;
  if (vertex) text << "#define main cfx_shader_main\n";
  text << "#line " << shader.bodyLine << '\n' << shader.body << '\n';
  if (vertex)
    text << "#undef main\nvoid main() {\n  cfx_shader_main();\n  gl_Position.y = -gl_Position.y;\n}\n";
  return text.str();
}

std::string TranslateInfoLog(const std::string& log, const std::string& fileName, int fallbackLine) {
  // Mesa writes "0:12(5): error: ...", other drivers "0(12) : error ...".
  static const std::regex mesa(R"(^\s*\d+:(\d+)\(\d+\):\s*(.*)$)");
  static const std::regex other(R"(^\s*\d+\((\d+)\)\s*:\s*(.*)$)");
  std::ostringstream out;
  std::istringstream lines(log);
  std::string line;
  while (std::getline(lines, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.find_first_not_of(" \t") == std::string::npos) continue;
    std::smatch match;
    if (std::regex_match(line, match, mesa) || std::regex_match(line, match, other))
      out << fileName << '(' << match[1] << "): " << match[2] << '\n';
    else
      out << fileName << '(' << fallbackLine << "): " << line << '\n';
  }
  return out.str();
}

bool BuildPassPrograms(const EffectSource& source, const std::string& fileName,
                       std::vector<std::vector<PassProgram>>& programs, std::string& error) {
  programs.clear();
  GLint largestBlock = 0;
  glGetIntegerv(GL_MAX_UNIFORM_BLOCK_SIZE, &largestBlock);
  for (const ParameterDecl& parameter : source.parameters) {
    std::uint64_t bytes = std::uint64_t{ParameterFloatCount(parameter)} * 4;
    if (InUniformBlock(parameter) && bytes > static_cast<std::uint64_t>(largestBlock)) {
      std::ostringstream message;
      message << fileName << '(' << parameter.line << "): the array '" << parameter.name << "' needs " << bytes
              << " bytes, more than the " << largestBlock << " bytes a uniform block may hold here\n";
      error += message.str();
      return false;
    }
  }
  std::map<int, GLuint> shaders;  // shader index -> compiled object
  bool ok = true;
  for (const TechniqueDecl& technique : source.techniques)
    for (const PassDecl& pass : technique.passes)
      for (int index : {pass.vertexShader, pass.pixelShader}) {
        if (shaders.count(index)) continue;
        GLuint object =
            CompileShader(source, source.shaders[static_cast<std::size_t>(index)], fileName, error);
        shaders[index] = object;
        if (!object) ok = false;
      }

  if (ok) {
    for (const TechniqueDecl& technique : source.techniques) {
      programs.emplace_back();
      for (std::size_t p = 0; p < technique.passes.size(); ++p) {
        const PassDecl& pass = technique.passes[p];
        GLuint program = glCreateProgram();
        glAttachShader(program, shaders[pass.vertexShader]);
        glAttachShader(program, shaders[pass.pixelShader]);
        for (int location = 0; location < compat::d3d9::kAttributeLocations; ++location)
          glBindAttribLocation(program, static_cast<GLuint>(location), compat::d3d9::AttributeName(location));
        glLinkProgram(program);
        GLint linked = GL_FALSE;
        glGetProgramiv(program, GL_LINK_STATUS, &linked);
        if (!linked) {
          std::string log = InfoLog(program, true);
          std::ostringstream message;
          message << fileName << '(' << pass.line << "): technique '" << technique.name << "' pass " << p
                  << " does not link: " << (log.empty() ? "no reason given" : log);
          error += message.str();
          if (error.back() != '\n') error += '\n';
          glDeleteProgram(program);
          ok = false;
          break;
        }
        PassProgram built;
        built.program = program;
        glUseProgram(program);
        int unit = 0;
        GLuint binding = 0;
        for (const ParameterDecl& parameter : source.parameters) {
          if (InUniformBlock(parameter)) {
            GLuint block = glGetUniformBlockIndex(program, UniformBlockName(parameter).c_str());
            if (block != GL_INVALID_INDEX) glUniformBlockBinding(program, block, binding);
            ++binding;
            built.locations.push_back(-1);
            continue;
          }
          GLint location = glGetUniformLocation(program, parameter.name.c_str());
          built.locations.push_back(location);
          if (parameter.type == ParameterType::Texture) {
            if (location >= 0) glUniform1i(location, unit);
            ++unit;
          }
        }
        built.uploaded.assign(source.parameters.size(), 0);
        glUseProgram(0);
        programs.back().push_back(std::move(built));
      }
      if (!ok) break;
    }
  }
  for (auto& [index, object] : shaders)
    if (object) glDeleteShader(object);
  if (!ok) DeletePassPrograms(programs);
  return ok;
}

void DeletePassPrograms(std::vector<std::vector<PassProgram>>& programs) {
  for (auto& technique : programs)
    for (PassProgram& pass : technique)
      if (pass.program) glDeleteProgram(pass.program);
  programs.clear();
}

}  // namespace compat::d3dx9
