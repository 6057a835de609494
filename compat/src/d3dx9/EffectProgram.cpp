#include "d3dx9/EffectProgram.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <sstream>

namespace compat::d3dx9 {

namespace {

constexpr const char* kBlockName = "cfx_globals";
constexpr GLuint kBlockBinding = 0;

std::string InfoLog(GLuint object, bool program) {
  GLint length = 0;
  program ? glGetProgramiv(object, GL_INFO_LOG_LENGTH, &length) : glGetShaderiv(object, GL_INFO_LOG_LENGTH, &length);
  if (length <= 0) return {};
  std::string log(static_cast<std::size_t>(length), '\0');
  program ? glGetProgramInfoLog(object, length, nullptr, log.data())
          : glGetShaderInfoLog(object, length, nullptr, log.data());
  log.resize(std::min(log.size(), log.find('\0')));
  return log;
}

GLuint CompileShader(GLenum kind, const std::string& text, std::string& log) {
  GLuint object = glCreateShader(kind);
  const char* pointer = text.c_str();
  glShaderSource(object, 1, &pointer, nullptr);
  glCompileShader(object);
  GLint compiled = GL_FALSE;
  glGetShaderiv(object, GL_COMPILE_STATUS, &compiled);
  if (compiled) return object;
  log = InfoLog(object, false);
  glDeleteShader(object);
  return 0;
}

MemberLayout Reflect(GLuint program, const std::string& name) {
  MemberLayout layout;
  for (std::string full : {std::string(kBlockName) + "." + name, std::string(kBlockName) + "." + name + "[0]"}) {
    const char* names[] = {full.c_str()};
    GLuint index = GL_INVALID_INDEX;
    glGetUniformIndices(program, 1, names, &index);
    if (index == GL_INVALID_INDEX) continue;
    GLint value = 0;
    glGetActiveUniformsiv(program, 1, &index, GL_UNIFORM_OFFSET, &layout.offset);
    glGetActiveUniformsiv(program, 1, &index, GL_UNIFORM_ARRAY_STRIDE, &layout.arrayStride);
    glGetActiveUniformsiv(program, 1, &index, GL_UNIFORM_MATRIX_STRIDE, &layout.matrixStride);
    glGetActiveUniformsiv(program, 1, &index, GL_UNIFORM_IS_ROW_MAJOR, &value);
    layout.rowMajor = value != 0;
    layout.present = layout.offset >= 0;
    return layout;
  }
  return layout;
}

}  // namespace

std::vector<int> SamplerUnits(const EffectSource& source) {
  std::vector<int> units;
  int next = 0;
  for (const ParameterDecl& p : source.parameters) units.push_back(p.type == ParameterType::Sampler ? next++ : -1);
  return units;
}

void PackParameter(const ParameterDecl& parameter, const float* values, const MemberLayout& layout,
                   std::vector<std::uint8_t>& image, std::size_t& begin, std::size_t& end) {
  std::uint32_t rows = 0, columns = 0;
  ParameterShape(parameter.type, rows, columns);
  std::uint32_t elements = std::max<std::uint32_t>(1, parameter.elements);
  bool matrix = rows > 1;
  for (std::uint32_t e = 0; e < elements; ++e)
    for (std::uint32_t r = 0; r < rows; ++r)
      for (std::uint32_t c = 0; c < columns; ++c) {
        // glslang turns HLSL row r into GLSL column r, so mul(v, M) becomes
        // M * v: element (r, c) lies in GLSL column r, row c.
        std::size_t offset = static_cast<std::size_t>(layout.offset) + std::size_t{e} * static_cast<std::size_t>(layout.arrayStride);
        if (matrix)
          offset += layout.rowMajor ? std::size_t{c} * static_cast<std::size_t>(layout.matrixStride) + r * 4
                                    : std::size_t{r} * static_cast<std::size_t>(layout.matrixStride) + c * 4;
        else
          offset += std::size_t{c} * 4;
        const float* value = values + (std::size_t{e} * rows + r) * columns + c;
        if (offset + 4 > image.size() || std::memcmp(image.data() + offset, value, 4) == 0) continue;
        std::memcpy(image.data() + offset, value, 4);
        begin = std::min(begin, offset);
        end = std::max(end, offset + 4);
      }
}

bool BuildPassPrograms(const EffectSource& source, const EffectTexts& texts, const std::string& fileName,
                       std::vector<std::vector<PassProgram>>& programs, std::string& error) {
  programs.clear();
  std::vector<int> units = SamplerUnits(source);
  std::map<std::pair<GLenum, std::string>, GLuint> shaders;  // GLSL text -> compiled object
  bool ok = true;
  for (std::size_t t = 0; t < texts.size() && ok; ++t) {
    const TechniqueDecl& technique = source.techniques[t];
    programs.emplace_back();
    for (std::size_t p = 0; p < texts[t].size() && ok; ++p) {
      const PassDecl& pass = technique.passes[p];
      GLuint objects[2] = {0, 0};
      for (int s = 0; s < 2; ++s) {
        GLenum kind = s == 0 ? GL_VERTEX_SHADER : GL_FRAGMENT_SHADER;
        const std::string& text = s == 0 ? texts[t][p].vertex : texts[t][p].pixel;
        auto found = shaders.find({kind, text});
        if (found == shaders.end()) {
          std::string log;
          GLuint object = CompileShader(kind, text, log);
          if (!object) {
            const ShaderCompileDecl& decl = s == 0 ? pass.vertexShader : pass.pixelShader;
            error += decl.place.file + "(" + std::to_string(decl.place.line) + "): the GLSL translated from '" +
                     decl.entry + "' does not compile: " + log + "\n";
            ok = false;
          }
          found = shaders.emplace(std::make_pair(kind, text), object).first;
        }
        objects[s] = found->second;
      }
      if (!ok) break;
      GLuint program = glCreateProgram();
      glAttachShader(program, objects[0]);
      glAttachShader(program, objects[1]);
      glLinkProgram(program);
      GLint linked = GL_FALSE;
      glGetProgramiv(program, GL_LINK_STATUS, &linked);
      if (!linked) {
        std::string log = InfoLog(program, true);
        std::ostringstream message;
        message << pass.place.file << '(' << pass.place.line << "): technique '" << technique.name << "' pass "
                << p << " of " << fileName << " does not link (do the pixel inputs match vertex outputs by semantic?): "
                << (log.empty() ? "no reason given" : log) << '\n';
        error += message.str();
        glDeleteProgram(program);
        ok = false;
        break;
      }
      PassProgram built;
      built.program = program;
      glUseProgram(program);
      GLuint block = glGetUniformBlockIndex(program, kBlockName);
      if (block != GL_INVALID_INDEX) {
        glUniformBlockBinding(program, block, kBlockBinding);
        GLint size = 0;
        glGetActiveUniformBlockiv(program, block, GL_UNIFORM_BLOCK_DATA_SIZE, &size);
        built.image.assign(static_cast<std::size_t>(std::max(size, 0)), 0);
        glGenBuffers(1, &built.constants);
        glBindBuffer(GL_UNIFORM_BUFFER, built.constants);
        glBufferData(GL_UNIFORM_BUFFER, static_cast<GLsizeiptr>(built.image.size()), built.image.data(),
                     GL_DYNAMIC_DRAW);
        glBindBuffer(GL_UNIFORM_BUFFER, 0);
      }
      for (std::size_t i = 0; i < source.parameters.size(); ++i) {
        const ParameterDecl& parameter = source.parameters[i];
        MemberLayout layout;
        if (parameter.type == ParameterType::Sampler) {
          GLint location = glGetUniformLocation(program, parameter.name.c_str());
          if (location >= 0) glUniform1i(location, units[i]);
        } else if (parameter.type != ParameterType::Texture && block != GL_INVALID_INDEX) {
          layout = Reflect(program, parameter.name);
        }
        built.members.push_back(layout);
      }
      built.uploaded.assign(source.parameters.size(), 0);
      glUseProgram(0);
      programs.back().push_back(std::move(built));
    }
  }
  for (auto& [key, object] : shaders)
    if (object) glDeleteShader(object);
  if (!ok) DeletePassPrograms(programs);
  return ok;
}

void DeletePassPrograms(std::vector<std::vector<PassProgram>>& programs) {
  for (auto& technique : programs)
    for (PassProgram& pass : technique) {
      if (pass.program) glDeleteProgram(pass.program);
      if (pass.constants) glDeleteBuffers(1, &pass.constants);
    }
  programs.clear();
}

}  // namespace compat::d3dx9
