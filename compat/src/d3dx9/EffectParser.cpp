// Reads the effect structure of a preprocessed HLSL effect: global
// parameters (with semantics, annotations, initial values, sampler_state
// blocks), struct and function signatures, techniques and passes. Function
// bodies are only scanned for what Shader Model 3 does not have. What only
// the effect framework understands is blanked from the HLSL that glslang
// compiles, keeping every line where it was, so glslang's messages carry the
// file's own line numbers.
#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <memory>
#include <utility>
#include <vector>

#include "d3dx9/EffectSource.h"

namespace compat::d3dx9 {

namespace {

struct Token {
  enum Kind { End, Identifier, Number, String, Symbol } kind = End;
  std::string text;
  std::size_t offset = 0;  // in the preprocessed text
  std::size_t length = 0;
  int line = 0;
  std::shared_ptr<const std::string> file;
};

struct ParseError {
  SourcePlace place;
  std::string message;
};

bool EqualsNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

// Splits the preprocessed text into tokens, following #line directives and
// refusing brackets nested deeper than glslang handles.
class Lexer {
 public:
  Lexer(std::string_view text, std::string_view fileName)
      : text_(text), file_(std::make_shared<const std::string>(fileName)) {}

  Token Next() {
    SkipSpace();
    Token token;
    token.line = line_;
    token.file = file_;
    token.offset = pos_;
    if (pos_ >= text_.size()) return token;
    char c = text_[pos_];
    auto isWord = [](char ch) { return std::isalnum(static_cast<unsigned char>(ch)) || ch == '_'; };
    if (std::isalpha(static_cast<unsigned char>(c)) || c == '_') {
      while (pos_ < text_.size() && isWord(text_[pos_])) ++pos_;
      token.kind = Token::Identifier;
    } else if (std::isdigit(static_cast<unsigned char>(c)) ||
               (c == '.' && pos_ + 1 < text_.size() && std::isdigit(static_cast<unsigned char>(text_[pos_ + 1])))) {
      while (pos_ < text_.size() &&
             (isWord(text_[pos_]) || text_[pos_] == '.' ||
              ((text_[pos_] == '-' || text_[pos_] == '+') && (text_[pos_ - 1] == 'e' || text_[pos_ - 1] == 'E'))))
        ++pos_;
      token.kind = Token::Number;
    } else if (c == '"') {
      ++pos_;
      while (pos_ < text_.size() && text_[pos_] != '"' && text_[pos_] != '\n') pos_ += text_[pos_] == '\\' ? 2 : 1;
      if (pos_ >= text_.size() || text_[pos_] != '"') throw ParseError{Place(token), "unterminated string"};
      ++pos_;
      token.kind = Token::String;
    } else {
      static const char* const kLong[] = {"<<=", ">>=", "<<", ">>", "&&", "||", "<=", ">=", "==", "!=", "&=",
                                          "|=",  "^=",  "+=", "-=", "*=", "/=", "%=", "++", "--", "::"};
      std::size_t length = 1;
      for (const char* op : kLong)
        if (text_.substr(pos_, std::strlen(op)) == op) {
          length = std::strlen(op);
          break;
        }
      pos_ += length;
      token.kind = Token::Symbol;
      // Brackets must pair up before glslang sees the text: its HLSL parser
      // is not safe against every mismatch.
      if (c == '(' || c == '[' || c == '{') {
        if (open_.size() >= static_cast<std::size_t>(kMaxNesting))
          throw ParseError{Place(token), "brackets nested deeper than " + std::to_string(kMaxNesting)};
        open_.push_back({c, token.line});
      } else if (c == ')' || c == ']' || c == '}') {
        char opener = c == ')' ? '(' : c == ']' ? '[' : '{';
        if (open_.empty() || open_.back().first != opener)
          throw ParseError{Place(token), std::string("'") + c + "' does not close " +
                                             (open_.empty() ? std::string("any bracket")
                                                            : std::string("the '") + open_.back().first +
                                                                  "' of line " + std::to_string(open_.back().second))};
        open_.pop_back();
      }
    }
    token.length = pos_ - token.offset;
    token.text = std::string(text_.substr(token.offset, token.length));
    return token;
  }

  static SourcePlace Place(const Token& token) { return {token.file ? *token.file : std::string(), token.line}; }

 private:
  void SkipSpace() {
    while (pos_ < text_.size()) {
      char c = text_[pos_];
      if (c == '\n') {
        ++line_;
        ++pos_;
        atLineStart_ = true;
      } else if (std::isspace(static_cast<unsigned char>(c))) {
        ++pos_;
      } else if (c == '#' && atLineStart_) {
        Directive();
      } else if (c == '/' && pos_ + 1 < text_.size() && text_[pos_ + 1] == '/') {
        while (pos_ < text_.size() && text_[pos_] != '\n') ++pos_;
      } else if (c == '/' && pos_ + 1 < text_.size() && text_[pos_ + 1] == '*') {
        std::size_t end = text_.find("*/", pos_ + 2);
        if (end == std::string_view::npos) throw ParseError{{*file_, line_}, "unterminated comment"};
        line_ += static_cast<int>(std::count(text_.begin() + static_cast<std::ptrdiff_t>(pos_),
                                             text_.begin() + static_cast<std::ptrdiff_t>(end), '\n'));
        pos_ = end + 2;
      } else {
        atLineStart_ = false;
        return;
      }
    }
  }

  // "#line N "file"" sets the number of the next line; other directives
  // left by the preprocessor (#pragma) are skipped.
  void Directive() {
    std::size_t end = text_.find('\n', pos_);
    if (end == std::string_view::npos) end = text_.size();
    std::string_view directive = text_.substr(pos_ + 1, end - pos_ - 1);
    pos_ = end;
    std::size_t start = directive.find_first_not_of(" \t");
    if (start == std::string_view::npos || directive.substr(start, 4) != "line") return;
    directive.remove_prefix(start + 4);
    std::size_t digits = directive.find_first_not_of(" \t");
    if (digits == std::string_view::npos) return;
    int number = 0;
    auto [rest, ec] = std::from_chars(directive.data() + digits, directive.data() + directive.size(), number);
    if (ec != std::errc()) return;
    std::size_t quote = directive.find('"', static_cast<std::size_t>(rest - directive.data()));
    if (quote != std::string_view::npos) {
      std::size_t close = directive.find('"', quote + 1);
      if (close != std::string_view::npos)
        file_ = std::make_shared<const std::string>(directive.substr(quote + 1, close - quote - 1));
    }
    // The line break that ends the directive counts one more.
    line_ = number - 1;
  }

  std::string_view text_;
  std::shared_ptr<const std::string> file_;
  std::size_t pos_ = 0;
  int line_ = 1;
  std::vector<std::pair<char, int>> open_;  // the brackets open, with their lines
  bool atLineStart_ = true;
};

// Direct3D 10 and later objects that a Shader Model 3 effect cannot use.
bool IsNewerObject(const std::string& word) {
  static const char* const kObjects[] = {"Texture1D",   "Texture2D",   "Texture3D",  "TextureCube",
                                         "Texture2DArray", "Texture2DMS", "SamplerState",
                                         "SamplerComparisonState", "Buffer", "StructuredBuffer",
                                         "RWTexture2D", "RWBuffer", "ByteAddressBuffer"};
  return std::any_of(std::begin(kObjects), std::end(kObjects), [&](const char* o) { return word == o; });
}

bool IsBitOperator(const std::string& symbol) {
  static const char* const kOperators[] = {"&", "|", "^", "~", "<<", ">>", "&=", "|=", "^=", "<<=", ">>="};
  return std::any_of(std::begin(kOperators), std::end(kOperators), [&](const char* o) { return symbol == o; });
}

struct NumericType {
  const char* name;
  ParameterType type;
};
constexpr NumericType kNumericTypes[] = {
    {"float", ParameterType::Float},       {"float1", ParameterType::Float},
    {"float2", ParameterType::Float2},     {"float3", ParameterType::Float3},
    {"float4", ParameterType::Float4},     {"float4x4", ParameterType::Float4x4},
    {"matrix", ParameterType::Float4x4},   {"float4x3", ParameterType::Float4x3}};

class Parser {
 public:
  Parser(std::string_view text, std::string_view fileName, EffectSource& out)
      : lexer_(text, fileName), out_(out) {
    out_.hlsl.assign(text);
    Advance();
  }

  void Run() {
    while (current_.kind != Token::End) {
      if (IsSymbol(";")) {
        Advance();
      } else if (IsWord("technique")) {
        ParseTechnique();
      } else if (IsWord("technique10") || IsWord("technique11") || IsWord("cbuffer") || IsWord("tbuffer")) {
        Fail(current_, "'" + current_.text + "' needs Direct3D 10 or later; effects here are Shader Model 3");
      } else if (IsWord("struct")) {
        ParseStruct();
      } else if (IsWord("typedef")) {
        while (current_.kind != Token::End && !IsSymbol(";")) Advance();
      } else {
        ParseDeclaration();
      }
    }
    for (const TechniqueDecl& technique : out_.techniques)
      for (const PassDecl& pass : technique.passes)
        for (const ShaderCompileDecl* shader : {&pass.vertexShader, &pass.pixelShader})
          if (!FindFunction(out_, shader->entry))
            throw ParseError{shader->place, "unknown shader function '" + shader->entry + "'"};
  }

 private:
  void Advance() { current_ = lexer_.Next(); }
  bool IsSymbol(const char* s) const { return current_.kind == Token::Symbol && current_.text == s; }
  bool IsWord(const char* s) const { return current_.kind == Token::Identifier && current_.text == s; }

  [[noreturn]] static void Fail(const Token& token, std::string message) {
    throw ParseError{Lexer::Place(token), std::move(message)};
  }

  static std::string Describe(const Token& token) {
    return token.kind == Token::End ? "end of file" : "'" + token.text + "'";
  }

  Token Expect(const char* symbol) {
    if (!IsSymbol(symbol)) Fail(current_, std::string("expected '") + symbol + "', found " + Describe(current_));
    Token token = current_;
    Advance();
    return token;
  }

  Token ExpectName(const char* what) {
    if (current_.kind != Token::Identifier)
      Fail(current_, std::string("expected ") + what + ", found " + Describe(current_));
    Token token = current_;
    Advance();
    return token;
  }

  // Blanks [begin, end) of the HLSL text, keeping its line breaks.
  void Blank(std::size_t begin, std::size_t end) {
    for (std::size_t i = begin; i < end && i < out_.hlsl.size(); ++i)
      if (out_.hlsl[i] != '\n') out_.hlsl[i] = ' ';
  }

  // Checks a token inside shader code or a declaration for what Shader
  // Model 3 lacks, and for what glslang's HLSL parser is known to crash on.
  void CheckShaderToken(const Token& token) {
    // '++' and '--' apply to variables only; glslang crashes when they meet
    // a literal or a parenthesis.
    bool step = token.kind == Token::Symbol && (token.text == "++" || token.text == "--");
    bool previousStep = previous_ == "++" || previous_ == "--";
    bool stepBeforeCall = (beforePrevious_ == "++" || beforePrevious_ == "--") && previousWord_ &&
                          token.kind == Token::Symbol && token.text == "(";
    if ((step && (previous_ == ")" || previousNumber_ || previousStep)) ||
        (previousStep && (token.kind == Token::Number || (token.kind == Token::Symbol && token.text == "("))) ||
        stepBeforeCall)
      Fail(token, "'" + (step ? token.text : previousStep ? previous_ : beforePrevious_) +
                      "' applies to a variable only, not to a literal, a call or a parenthesised expression");
    beforePrevious_ = previous_;
    previous_ = token.text;
    previousNumber_ = token.kind == Token::Number;
    previousWord_ = token.kind == Token::Identifier;
    if (token.kind == Token::Identifier && IsNewerObject(token.text))
      Fail(token, "'" + token.text + "' is a Direct3D 10 object; Shader Model 3 effects use texture, "
                  "sampler and sampler2D");
    if (token.kind == Token::Symbol && IsBitOperator(token.text))
      Fail(token, "the operator '" + token.text + "' needs integer bit operations, which Shader Model 3 lacks");
  }

  // After an opening bracket (current is past it): skips to the matching
  // closing one, which is consumed.
  void SkipBalanced(const char* open, const char* close, const Token& opening) {
    int depth = 1;
    while (depth > 0) {
      if (current_.kind == Token::End) Fail(opening, std::string("'") + open + "' without a matching '" + close + "'");
      CheckShaderToken(current_);
      if (IsSymbol(open)) ++depth;
      if (IsSymbol(close)) --depth;
      Advance();
    }
  }

  SemanticRef ReadSemantic() {
    Token name = ExpectName("a semantic");
    if (name.text == "register" || name.text == "packoffset")
      Fail(name, "'" + name.text + "' bindings are not supported; the effect places its own constants");
    SemanticRef semantic{Upper(name.text), name.offset, name.length};
    if (semantic.name.rfind("SV_", 0) == 0)
      Fail(name, "'" + name.text + "' is a Direct3D 10 system value; Shader Model 3 uses POSITION, COLOR, "
                 "VPOS, VFACE");
    return semantic;
  }

  void ParseStruct() {
    Advance();
    StructDecl decl;
    decl.name = ExpectName("a struct name").text;
    Token open = Expect("{");
    int depth = 1;
    while (depth > 0) {
      if (current_.kind == Token::End) Fail(open, "'{' without a matching '}'");
      CheckShaderToken(current_);
      if (IsSymbol("{")) ++depth;
      if (IsSymbol("}")) --depth;
      if (IsSymbol(":")) {
        Advance();
        decl.memberSemantics.push_back(ReadSemantic());
        continue;
      }
      Advance();
    }
    out_.structs.push_back(std::move(decl));
  }

  // Annotations "< string UIName = "x"; ... >": counted, then blanked.
  std::uint32_t SkipAnnotations() {
    Token open = current_;
    Advance();
    std::uint32_t count = 0;
    while (!IsSymbol(">")) {
      if (current_.kind == Token::End) Fail(open, "'<' of annotations without a matching '>'");
      if (IsSymbol(";")) ++count;
      Advance();
    }
    Blank(open.offset, current_.offset + current_.length);
    Advance();
    return count;
  }

  void ParseDeclaration() {
    Token start = current_;
    bool isStatic = false, isConst = false, rowMajor = false;
    static const char* const kModifiers[] = {"static", "const", "uniform", "extern", "shared", "volatile",
                                             "inline", "row_major", "column_major", "precise"};
    while (current_.kind == Token::Identifier &&
           std::any_of(std::begin(kModifiers), std::end(kModifiers), [&](const char* m) { return IsWord(m); })) {
      isStatic |= IsWord("static");
      isConst |= IsWord("const");
      rowMajor |= IsWord("row_major");
      Advance();
    }
    Token type = ExpectName("a declaration");
    CheckShaderToken(type);
    if (IsSymbol("<"))
      Fail(type, "template types ('" + type.text + "<...>') are not supported; write float4x4 or float4");
    Token name = ExpectName("a name");
    if (IsSymbol("(")) return ParseFunction(type, name);

    ParameterDecl parameter;
    parameter.name = name.text;
    parameter.place = Lexer::Place(name);
    parameter.rowMajor = rowMajor;
    if (IsSymbol("[")) {
      Advance();
      std::uint32_t elements = 0;
      auto [end, ec] = std::from_chars(current_.text.data(), current_.text.data() + current_.text.size(), elements);
      if (current_.kind != Token::Number || ec != std::errc() || end != current_.text.data() + current_.text.size() ||
          elements == 0 || elements > kMaxParameterElements)
        Fail(current_, "array size must be a number from 1 to " + std::to_string(kMaxParameterElements) +
                           ", found " + Describe(current_));
      parameter.elements = elements;
      Advance();
      Expect("]");
    }
    if (IsSymbol(":")) {
      Advance();
      parameter.semantic = ReadSemantic().name;
    }
    if (IsSymbol("<")) parameter.annotations = SkipAnnotations();
    std::size_t initializerBegin = current_.offset;
    bool samplerBlock = false;
    if (IsSymbol("=")) {
      Advance();
      if (IsWord("sampler_state")) {
        Advance();
        ParseSamplerState(parameter);
        samplerBlock = true;
      } else {
        ReadInitializer(parameter);
      }
    }
    std::size_t initializerEnd = current_.offset;
    if (IsSymbol(","))
      Fail(current_, "declare one parameter per statement ('" + parameter.name + "' is followed by ',')");
    if (!IsSymbol(";"))
      Fail(current_, "expected ';' after parameter '" + parameter.name + "', found " + Describe(current_));
    Token semicolon = current_;
    Advance();
    if (isStatic || isConst) return;  // shader constants, not parameters

    if (type.text == "texture" || type.text == "texture2D") {
      parameter.type = ParameterType::Texture;
      Blank(start.offset, semicolon.offset + 1);
    } else if (type.text == "sampler" || type.text == "sampler2D") {
      parameter.type = ParameterType::Sampler;
      Blank(initializerBegin, initializerEnd);
    } else {
      const auto* numeric = std::find_if(std::begin(kNumericTypes), std::end(kNumericTypes),
                                         [&](const NumericType& t) { return type.text == t.name; });
      if (numeric == std::end(kNumericTypes))
        Fail(type, "parameters of type '" + type.text + "' are not supported; use float, float2, float3, "
                   "float4, float4x4, float4x3, texture or sampler2D");
      if (samplerBlock) Fail(type, "a sampler_state block belongs to a sampler");
      parameter.type = numeric->type;
      Blank(initializerBegin, initializerEnd);
    }
    if ((parameter.type == ParameterType::Texture || parameter.type == ParameterType::Sampler) &&
        parameter.elements)
      Fail(name, "arrays of textures and samplers are not supported");
    for (const ParameterDecl& other : out_.parameters)
      if (other.name == parameter.name) Fail(name, "'" + parameter.name + "' is declared twice");
    out_.parameters.push_back(std::move(parameter));
  }

  // "= 1.0;", "= {1, 0, 0, 1};", "= float4(1, 0, 0, 1);": the numbers in order.
  void ReadInitializer(ParameterDecl& parameter) {
    Token first = current_;
    bool negative = false;
    int depth = 0;
    while (depth > 0 || (!IsSymbol(";") && !IsSymbol(","))) {
      if (current_.kind == Token::End) Fail(first, "the initial value of '" + parameter.name + "' has no end");
      CheckShaderToken(current_);
      if (IsSymbol("{") || IsSymbol("(")) ++depth;
      if (IsSymbol("}") || IsSymbol(")")) --depth;
      if (current_.kind == Token::Number || IsWord("true") || IsWord("false")) {
        float value = IsWord("true") ? 1.0f : IsWord("false") ? 0.0f : std::strtof(current_.text.c_str(), nullptr);
        if (parameter.initialValue.size() < kMaxParameterElements * 16)
          parameter.initialValue.push_back(negative ? -value : value);
      }
      negative = IsSymbol("-");
      Advance();
    }
  }

  // "sampler_state { Texture = <g_ColorTex>; MinFilter = Linear; ... }"
  void ParseSamplerState(ParameterDecl& parameter) {
    static const std::pair<const char*, std::uint32_t> kStates[] = {
        {"AddressU", 1}, {"AddressV", 2}, {"AddressW", 3}, {"MagFilter", 5}, {"MinFilter", 6}, {"MipFilter", 7}};
    static const std::pair<const char*, std::uint32_t> kFilters[] = {
        {"None", 0}, {"Point", 1}, {"Linear", 2}, {"Anisotropic", 3}};
    static const std::pair<const char*, std::uint32_t> kAddresses[] = {
        {"Wrap", 1}, {"Mirror", 2}, {"Clamp", 3}, {"Border", 4}, {"MirrorOnce", 5}};
    Expect("{");
    while (!IsSymbol("}")) {
      Token state = ExpectName("a sampler state or '}'");
      Expect("=");
      if (EqualsNoCase(state.text, "Texture")) {
        bool angle = IsSymbol("<");
        if (!angle && !IsSymbol("(")) Fail(current_, "expected '<' before the texture's name");
        Advance();
        parameter.texture = ExpectName("a texture name").text;
        Expect(angle ? ">" : ")");
        Expect(";");
        continue;
      }
      const auto* known = std::find_if(std::begin(kStates), std::end(kStates),
                                       [&](const auto& s) { return EqualsNoCase(state.text, s.first); });
      if (known == std::end(kStates))
        Fail(state, "the sampler state '" + state.text + "' is not supported (Texture, AddressU, AddressV, "
                    "AddressW, MagFilter, MinFilter and MipFilter are)");
      Token value = ExpectName("a state value");
      bool address = known->second <= 3;
      const auto* begin = address ? std::begin(kAddresses) : std::begin(kFilters);
      const auto* end = address ? std::end(kAddresses) : std::end(kFilters);
      const auto* found = std::find_if(begin, end, [&](const auto& v) { return EqualsNoCase(value.text, v.first); });
      if (found == end) Fail(value, "'" + value.text + "' is not a value of " + known->first);
      parameter.samplerStates.push_back({known->second, found->second});
      Expect(";");
    }
    Advance();
  }

  void ParseFunction(const Token& returnType, const Token& name) {
    FunctionDecl function;
    function.name = name.text;
    function.returnType = returnType.text;
    function.place = Lexer::Place(name);
    Token open = Expect("(");
    int depth = 1;
    FunctionParameterDecl parameter;
    bool any = false;
    int words = 0;  // the parameter's type and name, past its qualifiers
    // glslang crashes on a parameter without a name.
    auto checkNamed = [&](const Token& at) {
      if (any && words < 2 && parameter.type != "void")
        Fail(at, "a parameter of '" + function.name + "' has no name");
    };
    while (depth > 0) {
      if (current_.kind == Token::End) Fail(open, "'(' without a matching ')'");
      CheckShaderToken(current_);
      if (IsSymbol("(")) ++depth;
      if (IsSymbol(")") && --depth == 0) break;
      if (depth == 1 && IsSymbol(",")) {
        checkNamed(current_);
        function.parameters.push_back(parameter);
        parameter = {};
        any = false;
        words = 0;
      } else if (depth == 1 && IsSymbol(":")) {
        Advance();
        parameter.semantic = ReadSemantic();
        continue;
      } else if (depth == 1 && IsSymbol("[")) {
        Advance();
        if (current_.kind != Token::Number) Fail(current_, "an array parameter's size must be a number");
        Advance();
        Expect("]");
        continue;
      } else if (current_.kind == Token::Identifier && depth == 1) {
        bool qualifier = IsWord("out") || IsWord("inout") || IsWord("in") || IsWord("uniform") || IsWord("const");
        if (IsWord("out") || IsWord("inout")) parameter.out = true;
        if (!qualifier && parameter.type.empty()) parameter.type = current_.text;
        if (!qualifier) ++words;
        any = true;
      }
      Advance();
    }
    checkNamed(current_);
    if (any || !parameter.type.empty()) function.parameters.push_back(parameter);
    Advance();  // ')'
    if (IsSymbol(":")) {
      Advance();
      function.returnSemantic = ReadSemantic();
    }
    if (IsSymbol(";")) {  // a prototype
      Advance();
      return;
    }
    Token body = Expect("{");
    SkipBalanced("{", "}", body);
    out_.functions.push_back(std::move(function));
  }

  void ParseTechnique() {
    Token start = current_;
    Advance();
    TechniqueDecl technique;
    technique.place = Lexer::Place(start);
    if (current_.kind == Token::Identifier) technique.name = ExpectName("a technique name").text;
    for (const TechniqueDecl& t : out_.techniques)
      if (t.name == technique.name) Fail(start, "technique '" + technique.name + "' is declared twice");
    if (IsSymbol("<")) technique.annotations = SkipAnnotations();
    Expect("{");
    while (!IsSymbol("}")) {
      if (!IsWord("pass")) Fail(current_, "expected 'pass' or '}', found " + Describe(current_));
      technique.passes.push_back(ParsePass(technique));
    }
    Blank(start.offset, current_.offset + 1);
    Advance();
    out_.techniques.push_back(std::move(technique));
  }

  PassDecl ParsePass(const TechniqueDecl& technique) {
    Token start = current_;
    Advance();
    PassDecl pass;
    pass.place = Lexer::Place(start);
    if (current_.kind == Token::Identifier) pass.name = ExpectName("a pass name").text;
    if (IsSymbol("<")) pass.annotations = SkipAnnotations();
    Expect("{");
    while (!IsSymbol("}")) {
      Token state = ExpectName("a pass state or '}'");
      bool vertex = EqualsNoCase(state.text, "VertexShader");
      if (!vertex && !EqualsNoCase(state.text, "PixelShader"))
        Fail(state, "the pass state '" + state.text + "' is not supported; passes here set only VertexShader "
                    "and PixelShader");
      Expect("=");
      ShaderCompileDecl& shader = vertex ? pass.vertexShader : pass.pixelShader;
      shader.place = Lexer::Place(state);
      if (!IsWord("compile")) Fail(current_, "expected 'compile' after '" + state.text + " ='");
      Advance();
      Token profile = ExpectName("a shader profile");
      static const char* const kVertex[] = {"vs_2_0", "vs_2_a", "vs_3_0"};
      static const char* const kPixel[] = {"ps_2_0", "ps_2_a", "ps_2_b", "ps_3_0"};
      bool known = vertex ? std::any_of(std::begin(kVertex), std::end(kVertex), [&](const char* p) { return profile.text == p; })
                          : std::any_of(std::begin(kPixel), std::end(kPixel), [&](const char* p) { return profile.text == p; });
      if (!known)
        Fail(profile, "'" + profile.text + "' is not a " + (vertex ? "vertex" : "pixel") +
                          " shader profile of Shader Model 2 or 3");
      shader.profile = profile.text;
      shader.entry = ExpectName("a shader function").text;
      Token open = Expect("(");
      if (!IsSymbol(")"))
        Fail(open, "literal arguments to '" + shader.entry + "' are not supported; declare the value as a "
                   "static const in the effect");
      Advance();
      Expect(";");
    }
    Advance();
    if (pass.vertexShader.entry.empty() || pass.pixelShader.entry.empty())
      Fail(start, "pass " + (pass.name.empty() ? std::to_string(technique.passes.size()) : "'" + pass.name + "'") +
                      " of technique '" + technique.name +
                      "' is a fixed-function pass: it must compile both a vertex and a pixel shader");
    return pass;
  }

  Lexer lexer_;
  EffectSource& out_;
  Token current_;
  std::string previous_;         // the shader token checked before the current one
  bool previousNumber_ = false;  // and whether it was a number
  bool previousWord_ = false;    // or a name
  std::string beforePrevious_;   // the one before that
};

}  // namespace

bool ParseEffectSource(std::string_view text, std::string_view fileName, EffectSource& out,
                       std::string& error) {
  out = EffectSource{};
  try {
    Parser(text, fileName, out).Run();
    return true;
  } catch (const ParseError& e) {
    error = e.place.file + "(" + std::to_string(e.place.line) + "): " + e.message;
    out = EffectSource{};
    return false;
  }
}

void ParameterShape(ParameterType type, std::uint32_t& rows, std::uint32_t& columns) {
  rows = 1;
  columns = 0;
  switch (type) {
    case ParameterType::Float: columns = 1; break;
    case ParameterType::Float2: columns = 2; break;
    case ParameterType::Float3: columns = 3; break;
    case ParameterType::Float4: columns = 4; break;
    case ParameterType::Float4x4: rows = 4, columns = 4; break;
    case ParameterType::Float4x3: rows = 4, columns = 3; break;
    case ParameterType::Texture:
    case ParameterType::Sampler: rows = 0; break;
  }
}

std::uint32_t ParameterFloatCount(const ParameterDecl& parameter) {
  std::uint32_t rows = 0, columns = 0;
  ParameterShape(parameter.type, rows, columns);
  return rows * columns * (parameter.elements == 0 ? 1 : parameter.elements);
}

std::uint32_t ParameterRegisters(const ParameterDecl& parameter) {
  switch (parameter.type) {
    case ParameterType::Float4x4: return 4;
    // Column-major (the default) keeps each of the 3 columns in a register.
    case ParameterType::Float4x3: return parameter.rowMajor ? 4 : 3;
    case ParameterType::Texture:
    case ParameterType::Sampler: return 0;
    default: return 1;
  }
}

const FunctionDecl* FindFunction(const EffectSource& source, std::string_view name) {
  for (const FunctionDecl& f : source.functions)
    if (f.name == name) return &f;
  return nullptr;
}

const StructDecl* FindStruct(const EffectSource& source, std::string_view name) {
  for (const StructDecl& s : source.structs)
    if (s.name == name) return &s;
  return nullptr;
}

}  // namespace compat::d3dx9
