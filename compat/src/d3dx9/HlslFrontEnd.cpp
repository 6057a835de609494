#include "d3dx9/HlslFrontEnd.h"

#include <glslang/Public/ResourceLimits.h>
#include <glslang/Public/ShaderLang.h>
#include <glslang/SPIRV/GlslangToSpv.h>
#include <glslang/build_info.h>

#include <cctype>
#include <chrono>
#include <cstring>
#include <memory>
#include <regex>
#include <sstream>
#include <string_view>

#include "common/Unicode.h"
#include "compat/testing_draw.h"
#include "d3dx9/ChildProcess.h"
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

bool IsNameCharacter(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

// Where the operand that ends at `end` of `text` begins: a name, then any
// ".member" and "[index]" after it ("a.b[i].c"); `end` itself where none
// does, or where the word there is a keyword an expression may follow.
std::size_t OperandStart(const std::string& text, std::size_t end) {
  auto skipSpaces = [&](std::size_t at) {
    while (at > 0 && std::isspace(static_cast<unsigned char>(text[at - 1]))) --at;
    return at;
  };
  std::size_t at = skipSpaces(end), start = end;
  for (;;) {
    while (at > 0 && text[at - 1] == ']') {  // indices, brackets balanced
      int depth = 0;
      do {
        --at;
        if (text[at] == ']') ++depth;
        if (text[at] == '[') --depth;
      } while (at > 0 && depth > 0);
      if (depth > 0) return start;
      at = skipSpaces(at);
    }
    std::size_t word = at;
    while (word > 0 && IsNameCharacter(text[word - 1])) --word;
    if (word == at) return start;
    const std::string name = text.substr(word, at - word);
    if (start == end && (name == "return" || name == "else" || name == "do" || name == "case")) return end;
    start = word;
    at = skipSpaces(word);
    if (at == 0 || text[at - 1] != '.') return start;
    at = skipSpaces(at - 1);
  }
}

// `hlsl` with every '++' and '--' that follows its operand moved before it,
// "a.b[i]++" read as "(++a.b[i])"; directive lines are left alone (a #line
// names a file). glslang's HLSL front end crashes on a step after an operand
// it may not change (an undeclared name, a function, a uniform, a constant)
// where the result is used; before the operand, the same step is a plain
// error. A text that is right with its steps after their operands is right
// with them before, and every line stays where it was.
std::string StepsBeforeOperands(const std::string& hlsl) {
  std::string out;
  out.reserve(hlsl.size() + 64);
  bool lineStart = true, directive = false;
  for (std::size_t i = 0; i < hlsl.size(); ++i) {
    const char c = hlsl[i];
    if (c == '\n') {
      lineStart = true;
      directive = false;
    } else {
      if (lineStart && c == '#') directive = true;
      if (c != ' ' && c != '\t') lineStart = false;
    }
    const bool step = !directive && (c == '+' || c == '-') && i + 1 < hlsl.size() && hlsl[i + 1] == c;
    const std::size_t operand = step ? OperandStart(out, out.size()) : out.size();
    if (operand == out.size()) {
      out.push_back(c);
      continue;
    }
    out.insert(operand, std::string("(") + c + c);
    out.push_back(')');
    ++i;
  }
  return out;
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

namespace {

// The whole of glslang's part, in this process.
bool CompileHere(const std::string& hlsl, const std::string& fileName, ShaderStage stage, const std::string& entry,
                 std::vector<std::uint32_t>& spirv, std::string& error) {
  if (HasSteps(hlsl)) {
    glslang::TShader plain(Language(stage));
    if (!ParseHlsl(plain, StepsBeforeOperands(hlsl), fileName, stage, entry, error)) return false;
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

// glslang builds its tables of built-in functions on the first parse of a
// stage. Building them here once, on a shader that cannot fail, lets every
// child that compiles inherit them instead of building them again.
void BuildBuiltInTables(ShaderStage stage) {
  static bool built[2] = {false, false};
  bool& done = built[stage == ShaderStage::Vertex ? 0 : 1];
  if (done) return;
  done = true;
  const std::string trivial = stage == ShaderStage::Vertex ? "float4 main() : POSITION { return 0; }\n"
                                                           : "float4 main() : COLOR0 { return 0; }\n";
  glslang::TShader shader(Language(stage));
  std::string ignored;
  ParseHlsl(shader, trivial, "built-in", stage, "main", ignored);
}

void AppendNumber(std::string& out, std::uint64_t number) {
  out.append(reinterpret_cast<const char*>(&number), sizeof number);
}

bool TakeNumber(std::string_view& in, std::uint64_t& number) {
  if (in.size() < sizeof number) return false;
  std::memcpy(&number, in.data(), sizeof number);
  in.remove_prefix(sizeof number);
  return true;
}

// Compiles every function here, writing for each whether it compiled, the
// length of glslang's messages, the messages, the number of words and the
// words.
void CompileAllHere(const std::vector<HlslFunction>& functions, const std::string& fileName, std::string& output) {
  for (const HlslFunction& function : functions) {
    std::vector<std::uint32_t> words;
    std::string messages;
    const bool compiled = CompileHere(function.hlsl, fileName, function.stage, function.entry, words, messages);
    output += compiled ? '\1' : '\0';
    AppendNumber(output, messages.size());
    output += messages;
    AppendNumber(output, words.size());
    output.append(reinterpret_cast<const char*>(words.data()), words.size() * sizeof(std::uint32_t));
  }
}

// Reads back what CompileAllHere wrote: false unless it holds exactly one
// module for each of `modules`.
bool ReadModules(std::string_view in, std::vector<SpirvModule>& modules) {
  for (SpirvModule& module : modules) {
    std::uint64_t length = 0, words = 0;
    if (in.empty()) return false;
    module.compiled = in.front() != 0;
    in.remove_prefix(1);
    if (!TakeNumber(in, length) || in.size() < length) return false;
    module.messages.assign(in.data(), static_cast<std::size_t>(length));
    in.remove_prefix(static_cast<std::size_t>(length));
    if (!TakeNumber(in, words) || in.size() / sizeof(std::uint32_t) < words) return false;
    module.words.resize(static_cast<std::size_t>(words));
    if (words > 0) std::memcpy(module.words.data(), in.data(), module.words.size() * sizeof(std::uint32_t));
    in.remove_prefix(module.words.size() * sizeof(std::uint32_t));
  }
  return in.empty();
}

// glslang takes milliseconds on an effect; a child still compiling after this
// is stuck.
constexpr std::chrono::seconds kCompileLimit(10);

// Compiles `functions` in one child process. False, with how the child ended
// in `failure`, where it did not hand back a module for each.
bool CompileInChild(const std::vector<HlslFunction>& functions, const std::string& fileName,
                    std::vector<SpirvModule>& modules, std::string& failure) {
  std::string output;
  auto work = [&](std::string& out) { CompileAllHere(functions, fileName, out); };
  if (!RunInChildProcess(work, kCompileLimit, output, failure)) return false;
  modules.assign(functions.size(), SpirvModule{});
  if (ReadModules(output, modules)) return true;
  failure = "its output came back cut short";
  return false;
}

}  // namespace

// glslang's HLSL front end crashes on some malformed input that it should
// report: a failed expression where a value is used. So it runs in a child
// process, one for all the functions of an effect, and a child that dies is
// a message, not the end of the program.
std::vector<SpirvModule> CompileHlslToSpirv(const std::vector<HlslFunction>& functions, const std::string& fileName) {
  InitializeGlslang();
  for (const HlslFunction& function : functions) BuildBuiltInTables(function.stage);
  std::vector<SpirvModule> modules;
  std::string failure;
  if (CompileInChild(functions, fileName, modules, failure)) return modules;
  // Something crashed glslang. A fault anywhere in the HLSL brings down every
  // function's compile, since glslang parses it all for each; one in the
  // handling of an entry point costs only that function, so each is
  // compiled in a child of its own.
  modules.assign(functions.size(), SpirvModule{});
  for (std::size_t i = 0; i < functions.size(); ++i) {
    std::vector<SpirvModule> alone;
    if (functions.size() > 1 && CompileInChild({functions[i]}, fileName, alone, failure)) {
      modules[i] = std::move(alone.front());
      continue;
    }
    modules[i].messages = fileName + ": glslang failed on the shader function '" + functions[i].entry +
                          "' without a message (" + failure + "); the HLSL is malformed in a way it does not report\n";
  }
  return modules;
}

std::string GlslangVersion() {
  return std::to_string(GLSLANG_VERSION_MAJOR) + "." + std::to_string(GLSLANG_VERSION_MINOR) + "." +
         std::to_string(GLSLANG_VERSION_PATCH);
}

}  // namespace compat::d3dx9

namespace compat::testing {
bool GlslangInitialised() { return compat::d3dx9::g_glslangInitialised; }
}  // namespace compat::testing
