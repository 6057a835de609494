#include "d3dx9/HlslFrontEnd.h"

#include <glslang/Public/ResourceLimits.h>
#include <glslang/Public/ShaderLang.h>
#include <glslang/SPIRV/GlslangToSpv.h>
#include <glslang/build_info.h>

#include <memory>
#include <regex>
#include <sstream>

#include "common/Unicode.h"
#include "compat/testing_draw.h"
#include "d3dx9/FileBytes.h"

namespace compat::d3dx9 {

namespace {

// glslang's process-wide tables are set up on first use only, so a start
// that finds every translation cached never pays for them; they live until
// the process ends.
bool g_glslangInitialised = false;

void InitializeGlslang() {
  static const bool initialized = glslang::InitializeProcess();
  g_glslangInitialised = initialized;
}

constexpr auto kMessages = static_cast<EShMessages>(EShMsgSpvRules | EShMsgVulkanRules | EShMsgReadHlsl |
                                                    EShMsgHlslDX9Compatible);

// Deepest chain of #include; deeper is taken for a file including itself.
constexpr std::size_t kMaxIncludeDepth = 16;

// Reads #include "name" from the folder of the effect (names are relative
// to the effect, by Windows path rules), keeping what it read.
class BesideIncluder final : public glslang::TShader::Includer {
 public:
  BesideIncluder(std::string folder, PreprocessedEffect& out) : folder_(std::move(folder)), out_(out) {}

  IncludeResult* includeLocal(const char* headerName, const char*, size_t depth) override {
    if (depth > kMaxIncludeDepth) return nullptr;
    std::string path = folder_.empty() ? std::string(headerName) : folder_ + "/" + headerName;
    std::vector<std::uint8_t> bytes;
    std::string error;
    std::wstring wide = FromUtf8(path);
    if (!ReadFileBytes(wide.c_str(), bytes, error) || bytes.size() > kMaxEffectFileBytes) return nullptr;
    auto* content = new std::string(bytes.begin(), bytes.end());
    out_.includes.emplace_back(headerName, *content);
    return new IncludeResult(headerName, content->data(), content->size(), content);
  }

  IncludeResult* includeSystem(const char* headerName, const char* includerName, size_t depth) override {
    return includeLocal(headerName, includerName, depth);
  }

  void releaseInclude(IncludeResult* result) override {
    if (!result) return;
    delete static_cast<std::string*>(result->userData);
    delete result;
  }

 private:
  std::string folder_;
  PreprocessedEffect& out_;
};

EShLanguage Language(ShaderStage stage) { return stage == ShaderStage::Vertex ? EShLangVertex : EShLangFragment; }

void SetUp(glslang::TShader& shader, ShaderStage stage) {
  shader.setEnvInput(glslang::EShSourceHlsl, Language(stage), glslang::EShClientVulkan, 100);
  shader.setEnvClient(glslang::EShClientVulkan, glslang::EShTargetVulkan_1_0);
  shader.setEnvTarget(glslang::EShTargetSpv, glslang::EShTargetSpv_1_0);
  shader.setEnvTargetHlslFunctionality1();
}

// Whether `hlsl` holds a '++' or '--' anywhere.
bool HasSteps(const std::string& hlsl) {
  return hlsl.find("++") != std::string::npos || hlsl.find("--") != std::string::npos;
}

// `hlsl` with every '++' and '--' blanked, except in directive lines (a
// #line names a file, which may hold them). glslang's HLSL front end crashes
// on a step after a name that is no variable in scope (an undeclared name, a
// function, a member's name) where the result is an argument or a returned
// value; without the steps such a name is a plain error, and a text that is
// right with its steps is right without them.
std::string WithoutSteps(std::string hlsl) {
  bool lineStart = true, directive = false;
  for (std::size_t i = 0; i < hlsl.size(); ++i) {
    char c = hlsl[i];
    if (c == '\n') {
      lineStart = true;
      directive = false;
      continue;
    }
    if (lineStart && c == '#') directive = true;
    if (c != ' ' && c != '\t') lineStart = false;
    if (!directive && (c == '+' || c == '-') && i + 1 < hlsl.size() && hlsl[i + 1] == c) {
      hlsl[i] = hlsl[i + 1] = ' ';
      ++i;
    }
  }
  return hlsl;
}

// Parses the function `entry` of `hlsl` into `shader`; on failure adds
// glslang's messages to `error`.
bool ParseHlsl(glslang::TShader& shader, const std::string& hlsl, const std::string& fileName, ShaderStage stage,
               const std::string& entry, std::string& error) {
  SetUp(shader, stage);
  const char* strings[] = {hlsl.c_str()};
  const int lengths[] = {static_cast<int>(hlsl.size())};
  const char* names[] = {fileName.c_str()};
  shader.setStringsWithLengthsAndNames(strings, lengths, names, 1);
  shader.setEntryPoint(entry.c_str());
  shader.setSourceEntryPoint(entry.c_str());
  if (shader.parse(GetDefaultResources(), 100, false, kMessages)) return true;
  error += TranslateGlslangLog(shader.getInfoLog(), fileName);
  return false;
}

}  // namespace

std::string TranslateGlslangLog(const std::string& log, const std::string& fallbackPlace) {
  static const std::regex placed(R"(^(ERROR|WARNING): (.*):(\d+): (.*)$)");
  static const std::regex summary(R"(^(ERROR|WARNING): (\d+ compilation errors|Linking).*$)");
  std::ostringstream out;
  std::istringstream lines(log);
  std::string line;
  while (std::getline(lines, line)) {
    if (line.find_first_not_of(" \t\r") == std::string::npos || std::regex_match(line, summary)) continue;
    std::smatch match;
    if (std::regex_match(line, match, placed))
      out << match[2] << '(' << match[3] << "): " << (match[1] == "ERROR" ? "error" : "warning") << ": "
          << match[4] << '\n';
    else
      out << fallbackPlace << ": " << line << '\n';
  }
  return out.str();
}

bool PreprocessEffect(const std::string& text, const std::string& fileName, const std::string& folder,
                      const std::vector<std::pair<std::string, std::string>>& defines, PreprocessedEffect& out,
                      std::string& error) {
  InitializeGlslang();
  out = PreprocessedEffect{};
  std::string preamble;
  for (const auto& [name, value] : defines) preamble += "#define " + name + " " + value + "\n";
  glslang::TShader shader(EShLangVertex);
  SetUp(shader, ShaderStage::Vertex);
  const char* strings[] = {text.c_str()};
  const int lengths[] = {static_cast<int>(text.size())};
  const char* names[] = {fileName.c_str()};
  shader.setStringsWithLengthsAndNames(strings, lengths, names, 1);
  shader.setPreamble(preamble.c_str());
  BesideIncluder includer(folder, out);
  std::string output;
  if (!shader.preprocess(GetDefaultResources(), 100, ENoProfile, false, false, kMessages, &output, includer)) {
    error = TranslateGlslangLog(shader.getInfoLog(), fileName);
    if (error.empty()) error = fileName + ": the preprocessor failed\n";
    return false;
  }
  out.text = std::move(output);
  return true;
}

bool CompileHlslToSpirv(const std::string& hlsl, const std::string& fileName, ShaderStage stage,
                        const std::string& entry, std::vector<std::uint32_t>& spirv, std::string& error) {
  InitializeGlslang();
  if (HasSteps(hlsl)) {
    glslang::TShader plain(Language(stage));
    if (!ParseHlsl(plain, WithoutSteps(hlsl), fileName, stage, entry, error)) return false;
  }
  auto shader = std::make_unique<glslang::TShader>(Language(stage));
  if (!ParseHlsl(*shader, hlsl, fileName, stage, entry, error)) return false;
  glslang::TProgram program;
  program.addShader(shader.get());
  if (!program.link(kMessages)) {
    error += TranslateGlslangLog(program.getInfoLog(), fileName);
    return false;
  }
  glslang::SpvOptions options;
  options.disableOptimizer = true;
  spirv.clear();
  glslang::GlslangToSpv(*program.getIntermediate(Language(stage)), spirv, &options);
  if (spirv.empty()) {
    error += fileName + ": glslang produced no SPIR-V for '" + entry + "'\n";
    return false;
  }
  return true;
}

std::string GlslangVersion() {
  return std::to_string(GLSLANG_VERSION_MAJOR) + "." + std::to_string(GLSLANG_VERSION_MINOR) + "." +
         std::to_string(GLSLANG_VERSION_PATCH);
}

}  // namespace compat::d3dx9

namespace compat::testing {
bool GlslangInitialised() { return compat::d3dx9::g_glslangInitialised; }
}  // namespace compat::testing
