#include "HlslFrontEnd.h"

#include <glslang/Public/ResourceLimits.h>
#include <glslang/Public/ShaderLang.h>
#include <glslang/SPIRV/GlslangToSpv.h>

#include <memory>
#include <regex>
#include <sstream>

#include "common/Unicode.h"
#include "d3dx9/FileBytes.h"

namespace effectc {

using compat::d3dx9::kMaxEffectFileBytes;
using compat::d3dx9::ShaderStage;

namespace {

// glslang's process-wide tables, set up once; they live until the process ends.
void InitializeGlslang() { [[maybe_unused]] static const bool initialized = glslang::InitializeProcess(); }

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
    std::wstring wide = compat::FromUtf8(path);
    if (!compat::d3dx9::ReadFileBytes(wide.c_str(), bytes, error) || bytes.size() > kMaxEffectFileBytes)
      return nullptr;
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
                      const Defines& defines, PreprocessedEffect& out, std::string& error) {
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

std::vector<SpirvModule> CompileHlslToSpirv(const std::vector<HlslFunction>& functions, const std::string& fileName) {
  InitializeGlslang();
  std::vector<SpirvModule> modules(functions.size());
  for (std::size_t i = 0; i < functions.size(); ++i) {
    const HlslFunction& function = functions[i];
    SpirvModule& module = modules[i];
    auto shader = std::make_unique<glslang::TShader>(Language(function.stage));
    if (!ParseHlsl(*shader, function.hlsl, fileName, function.stage, function.entry, module.messages)) continue;
    glslang::TProgram program;
    program.addShader(shader.get());
    if (!program.link(kMessages)) {
      module.messages += TranslateGlslangLog(program.getInfoLog(), fileName);
      continue;
    }
    glslang::SpvOptions options;
    options.disableOptimizer = true;
    glslang::GlslangToSpv(*program.getIntermediate(Language(function.stage)), module.words, &options);
    if (module.words.empty()) {
      module.messages += fileName + ": glslang produced no SPIR-V for '" + function.entry + "'\n";
      continue;
    }
    module.compiled = true;
  }
  return modules;
}

}  // namespace effectc
