#include "d3dx9/EffectSource.h"

#include <algorithm>
#include <cctype>
#include <iterator>
#include <charconv>
#include <optional>

namespace compat::d3dx9 {

namespace {

struct Token {
  enum Kind { End, Identifier, Number, Symbol } kind = End;
  std::string text;
  int line = 0;
};

class ParseError {
 public:
  ParseError(int line, std::string message) : line(line), message(std::move(message)) {}
  int line;
  std::string message;
};

// Splits the declarative part of the file into tokens; shader bodies are
// taken raw by ReadBlockBody, so GLSL never goes through this tokenizer.
class Reader {
 public:
  explicit Reader(std::string_view text) : text_(text) {}

  Token Next() {
    SkipSpaceAndComments();
    Token token;
    token.line = line_;
    if (pos_ >= text_.size()) return token;
    char c = text_[pos_];
    if (std::isalpha(static_cast<unsigned char>(c)) || c == '_') {
      std::size_t start = pos_;
      while (pos_ < text_.size() &&
             (std::isalnum(static_cast<unsigned char>(text_[pos_])) || text_[pos_] == '_'))
        ++pos_;
      token.kind = Token::Identifier;
      token.text = std::string(text_.substr(start, pos_ - start));
    } else if (std::isdigit(static_cast<unsigned char>(c))) {
      std::size_t start = pos_;
      while (pos_ < text_.size() && std::isalnum(static_cast<unsigned char>(text_[pos_]))) ++pos_;
      token.kind = Token::Number;
      token.text = std::string(text_.substr(start, pos_ - start));
    } else {
      ++pos_;
      token.kind = Token::Symbol;
      token.text = std::string(1, c);
    }
    return token;
  }

  Token Peek() {
    std::size_t pos = pos_;
    int line = line_;
    Token token = Next();
    pos_ = pos;
    line_ = line;
    return token;
  }

  // After an opening brace: the text up to the matching closing brace, which
  // is consumed. Braces inside comments do not count.
  std::string ReadBlockBody(int openLine, int& bodyLine) {
    bodyLine = line_;
    std::size_t start = pos_;
    int depth = 1;
    while (pos_ < text_.size()) {
      char c = text_[pos_];
      if (c == '/' && pos_ + 1 < text_.size() && (text_[pos_ + 1] == '/' || text_[pos_ + 1] == '*')) {
        SkipComment();
        continue;
      }
      if (c == '\n') ++line_;
      if (c == '{') ++depth;
      if (c == '}' && --depth == 0) {
        std::string body(text_.substr(start, pos_ - start));
        ++pos_;
        return body;
      }
      ++pos_;
    }
    throw ParseError(openLine, "unterminated block: '{' without a matching '}'");
  }

  int Line() const { return line_; }

 private:
  void SkipSpaceAndComments() {
    while (pos_ < text_.size()) {
      char c = text_[pos_];
      if (c == '\n') {
        ++line_;
        ++pos_;
      } else if (std::isspace(static_cast<unsigned char>(c))) {
        ++pos_;
      } else if (c == '/' && pos_ + 1 < text_.size() && (text_[pos_ + 1] == '/' || text_[pos_ + 1] == '*')) {
        SkipComment();
      } else {
        return;
      }
    }
  }

  void SkipComment() {
    int startLine = line_;
    if (text_[pos_ + 1] == '/') {
      while (pos_ < text_.size() && text_[pos_] != '\n') ++pos_;
      return;
    }
    pos_ += 2;
    while (pos_ + 1 < text_.size() && !(text_[pos_] == '*' && text_[pos_ + 1] == '/')) {
      if (text_[pos_] == '\n') ++line_;
      ++pos_;
    }
    if (pos_ + 1 >= text_.size()) throw ParseError(startLine, "unterminated comment");
    pos_ += 2;
  }

  std::string_view text_;
  std::size_t pos_ = 0;
  int line_ = 1;
};

std::optional<ParameterType> TypeNamed(const std::string& name) {
  if (name == "float") return ParameterType::Float;
  if (name == "float2") return ParameterType::Float2;
  if (name == "float3") return ParameterType::Float3;
  if (name == "float4") return ParameterType::Float4;
  if (name == "float4x4") return ParameterType::Float4x4;
  if (name == "texture") return ParameterType::Texture;
  return std::nullopt;
}

std::string Describe(const Token& token) {
  if (token.kind == Token::End) return "end of file";
  return "'" + token.text + "'";
}

class Parser {
 public:
  Parser(std::string_view text, EffectSource& out) : reader_(text), out_(out) {}

  void Run() {
    for (Token token = reader_.Next(); token.kind != Token::End; token = reader_.Next()) {
      if (token.kind != Token::Identifier)
        throw ParseError(token.line, "expected a declaration, found " + Describe(token));
      if (auto type = TypeNamed(token.text)) {
        ParseParameter(*type, token.line);
      } else if (token.text == "vertexshader" || token.text == "pixelshader") {
        ParseShader(token.text == "vertexshader" ? ShaderStage::Vertex : ShaderStage::Pixel);
      } else if (token.text == "glsl") {
        Expect("{");
        CommonBlock block;
        block.body = reader_.ReadBlockBody(token.line, block.bodyLine);
        out_.commonBlocks.push_back(std::move(block));
      } else if (token.text == "technique") {
        ParseTechnique(token.line);
      } else {
        throw ParseError(token.line, "unknown declaration '" + token.text + "'");
      }
    }
    if (out_.techniques.empty()) throw ParseError(reader_.Line(), "the effect declares no technique");
    int textures = 0;
    for (const ParameterDecl& p : out_.parameters)
      if (p.type == ParameterType::Texture && ++textures > kMaxTextures)
        throw ParseError(p.line, "more than " + std::to_string(kMaxTextures) + " textures");
  }

 private:
  Token Expect(const char* symbol) {
    Token token = reader_.Next();
    if (token.kind != Token::Symbol || token.text != symbol)
      throw ParseError(token.line, std::string("expected '") + symbol + "', found " + Describe(token));
    return token;
  }

  std::string ExpectName(const char* what) {
    Token token = reader_.Next();
    if (token.kind != Token::Identifier)
      throw ParseError(token.line, std::string("expected ") + what + ", found " + Describe(token));
    return token.text;
  }

  bool NameTaken(const std::string& name) const {
    for (const auto& p : out_.parameters)
      if (p.name == name) return true;
    for (const auto& s : out_.shaders)
      if (s.name == name) return true;
    return false;
  }

  void ParseParameter(ParameterType type, int line) {
    ParameterDecl parameter;
    parameter.type = type;
    parameter.line = line;
    parameter.name = ExpectName("a parameter name");
    if (NameTaken(parameter.name)) throw ParseError(line, "'" + parameter.name + "' is declared twice");
    Token token = reader_.Next();
    if (token.kind == Token::Symbol && token.text == "[") {
      Token count = reader_.Next();
      std::uint32_t elements = 0;
      auto [end, ec] = std::from_chars(count.text.data(), count.text.data() + count.text.size(), elements);
      if (count.kind != Token::Number || ec != std::errc() || end != count.text.data() + count.text.size() ||
          elements == 0 || elements > kMaxParameterElements)
        throw ParseError(count.line, "array size must be a number from 1 to " +
                                         std::to_string(kMaxParameterElements) + ", found " +
                                         Describe(count));
      if (type == ParameterType::Texture) throw ParseError(line, "texture arrays are not supported");
      parameter.elements = elements;
      Expect("]");
      token = reader_.Next();
    }
    if (token.kind == Token::Symbol && token.text == ":") {
      parameter.semantic = ExpectName("a semantic");
      token = reader_.Next();
    }
    if (token.kind == Token::Symbol && token.text == "{" && type == ParameterType::Texture) {
      ParseSamplerStates(parameter);
      token = reader_.Next();
    }
    if (token.kind != Token::Symbol || token.text != ";")
      throw ParseError(token.line,
                       "expected ';' after parameter '" + parameter.name + "', found " + Describe(token));
    out_.parameters.push_back(std::move(parameter));
  }

  // "{ MinFilter = Linear; AddressU = Clamp; }" after a texture's name.
  void ParseSamplerStates(ParameterDecl& parameter) {
    static const std::pair<const char*, std::uint32_t> kStates[] = {
        {"AddressU", 1}, {"AddressV", 2}, {"MagFilter", 5}, {"MinFilter", 6}, {"MipFilter", 7}};
    static const std::pair<const char*, std::uint32_t> kFilters[] = {
        {"None", 0}, {"Point", 1}, {"Linear", 2}, {"Anisotropic", 3}};
    static const std::pair<const char*, std::uint32_t> kAddresses[] = {
        {"Wrap", 1}, {"Mirror", 2}, {"Clamp", 3}, {"Border", 4}};
    for (Token token = reader_.Next();; token = reader_.Next()) {
      if (token.kind == Token::Symbol && token.text == "}") return;
      const auto* state = std::find_if(std::begin(kStates), std::end(kStates),
                                       [&](const auto& s) { return token.text == s.first; });
      if (token.kind != Token::Identifier || state == std::end(kStates))
        throw ParseError(token.line,
                         "expected a sampler state (AddressU, AddressV, MagFilter, MinFilter, "
                         "MipFilter) or '}', found " +
                             Describe(token));
      Expect("=");
      Token value = reader_.Next();
      bool address = state->second <= 2;
      const auto* begin = address ? std::begin(kAddresses) : std::begin(kFilters);
      const auto* end = address ? std::end(kAddresses) : std::end(kFilters);
      const auto* found = std::find_if(begin, end, [&](const auto& v) { return value.text == v.first; });
      if (value.kind != Token::Identifier || found == end)
        throw ParseError(value.line, std::string("'") + value.text + "' is not a value of " + state->first);
      parameter.samplerStates.push_back({state->second, found->second});
      Expect(";");
    }
  }

  void ParseShader(ShaderStage stage) {
    ShaderDecl shader;
    shader.stage = stage;
    Token nameToken = reader_.Peek();
    shader.name = ExpectName("a shader name");
    if (NameTaken(shader.name)) throw ParseError(nameToken.line, "'" + shader.name + "' is declared twice");
    Token open = Expect("{");
    shader.body = reader_.ReadBlockBody(open.line, shader.bodyLine);
    out_.shaders.push_back(std::move(shader));
  }

  int FindShader(const std::string& name, ShaderStage stage, int line) const {
    for (std::size_t i = 0; i < out_.shaders.size(); ++i) {
      if (out_.shaders[i].name != name) continue;
      if (out_.shaders[i].stage != stage)
        throw ParseError(line, "'" + name + "' is not a " +
                                   (stage == ShaderStage::Vertex ? "vertex" : "pixel") + " shader");
      return static_cast<int>(i);
    }
    throw ParseError(line, "unknown shader '" + name + "'");
  }

  void ParseTechnique(int line) {
    TechniqueDecl technique;
    technique.line = line;
    technique.name = ExpectName("a technique name");
    for (const auto& t : out_.techniques)
      if (t.name == technique.name)
        throw ParseError(line, "technique '" + technique.name + "' is declared twice");
    Expect("{");
    for (Token token = reader_.Next();; token = reader_.Next()) {
      if (token.kind == Token::Symbol && token.text == "}") break;
      if (token.kind != Token::Identifier || token.text != "pass")
        throw ParseError(token.line, "expected 'pass' or '}', found " + Describe(token));
      technique.passes.push_back(ParsePass(token.line));
    }
    out_.techniques.push_back(std::move(technique));
  }

  PassDecl ParsePass(int line) {
    PassDecl pass;
    pass.line = line;
    if (reader_.Peek().kind == Token::Identifier) pass.name = reader_.Next().text;
    Expect("{");
    for (Token token = reader_.Next();; token = reader_.Next()) {
      if (token.kind == Token::Symbol && token.text == "}") break;
      if (token.kind != Token::Identifier || (token.text != "vertexshader" && token.text != "pixelshader"))
        throw ParseError(token.line,
                         "expected 'vertexshader' or 'pixelshader' in a pass, found " + Describe(token));
      bool vertex = token.text == "vertexshader";
      Expect("=");
      Token nameToken = reader_.Peek();
      std::string name = ExpectName("a shader name");
      int index = FindShader(name, vertex ? ShaderStage::Vertex : ShaderStage::Pixel, nameToken.line);
      (vertex ? pass.vertexShader : pass.pixelShader) = index;
      Expect(";");
    }
    if (pass.vertexShader < 0 || pass.pixelShader < 0)
      throw ParseError(line, "a pass must name both a vertex shader and a pixel shader");
    return pass;
  }

  Reader reader_;
  EffectSource& out_;
};

}  // namespace

bool ParseEffectSource(std::string_view text, std::string_view fileName, EffectSource& out,
                       std::string& error) {
  out = EffectSource{};
  try {
    Parser(text, out).Run();
    return true;
  } catch (const ParseError& e) {
    error = std::string(fileName) + "(" + std::to_string(e.line) + "): " + e.message;
    out = EffectSource{};
    return false;
  }
}

std::uint32_t ParameterFloatCount(const ParameterDecl& parameter) {
  std::uint32_t perElement = 0;
  switch (parameter.type) {
    case ParameterType::Float: perElement = 1; break;
    case ParameterType::Float2: perElement = 2; break;
    case ParameterType::Float3: perElement = 3; break;
    case ParameterType::Float4: perElement = 4; break;
    case ParameterType::Float4x4: perElement = 16; break;
    case ParameterType::Texture: perElement = 0; break;
  }
  return perElement * (parameter.elements == 0 ? 1 : parameter.elements);
}

bool InUniformBlock(const ParameterDecl& parameter) {
  return parameter.elements > 0 &&
         (parameter.type == ParameterType::Float4 || parameter.type == ParameterType::Float4x4);
}

}  // namespace compat::d3dx9
