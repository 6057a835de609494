// The structure of a preprocessed HLSL effect file: its parameters,
// techniques and passes, the shader functions' signatures and the structs
// they use, and the HLSL text with the effect-only constructs (techniques,
// annotations, texture declarations, sampler_state blocks, initial values)
// blanked out line for line. Reading it needs neither GL nor glslang.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace compat::d3dx9 {

enum class ParameterType { Float, Float2, Float3, Float4, Float4x4, Float4x3, Texture, Sampler };

// A sampler state a sampler_state block sets on its stage (D3DSAMP_ values).
struct SamplerStateDecl {
  std::uint32_t state = 0;
  std::uint32_t value = 0;
};

// Where a construct came from: the file named by the last #line, and its line.
struct SourcePlace {
  std::string file;
  int line = 0;
};

struct ParameterDecl {
  std::string name;
  std::string semantic;
  ParameterType type = ParameterType::Float;
  std::uint32_t elements = 0;  // 0: not an array
  bool rowMajor = false;       // declared row_major (a float4x3 then takes 4 registers)
  std::vector<float> initialValue;  // as many floats as given, in declaration order
  std::uint32_t annotations = 0;
  std::string texture;                          // samplers: the texture their block names
  std::vector<SamplerStateDecl> samplerStates;  // samplers
  SourcePlace place;
};

enum class ShaderStage { Vertex, Pixel };

// A semantic as written, and where its text lies in EffectSource::hlsl.
struct SemanticRef {
  std::string name;  // upper case as written ("POSITION", "TEXCOORD1")
  std::size_t offset = 0;
  std::size_t length = 0;
};

struct FunctionParameterDecl {
  bool out = false;  // `out` or `inout`
  std::string type;
  SemanticRef semantic;  // empty name when none
};

struct FunctionDecl {
  std::string name;
  std::string returnType;
  SemanticRef returnSemantic;
  std::vector<FunctionParameterDecl> parameters;
  SourcePlace place;
};

struct StructDecl {
  std::string name;
  std::vector<SemanticRef> memberSemantics;
};

struct ShaderCompileDecl {
  std::string profile;  // "vs_3_0", "ps_3_0"...
  std::string entry;    // the function's name; empty when the pass compiles no shader
  SourcePlace place;
};

struct PassDecl {
  std::string name;
  ShaderCompileDecl vertexShader;
  ShaderCompileDecl pixelShader;
  std::uint32_t annotations = 0;
  SourcePlace place;
};

struct TechniqueDecl {
  std::string name;
  std::vector<PassDecl> passes;
  std::uint32_t annotations = 0;
  SourcePlace place;
};

struct EffectSource {
  std::vector<ParameterDecl> parameters;
  std::vector<TechniqueDecl> techniques;
  std::vector<FunctionDecl> functions;
  std::vector<StructDecl> structs;
  std::string hlsl;  // the shader text glslang compiles; same lines as the preprocessed file
};

// Largest array a parameter may declare; keeps a hostile file from asking
// for unbounded storage.
inline constexpr std::uint32_t kMaxParameterElements = 4096;
// Deepest nesting of brackets the reader and glslang are given.
inline constexpr int kMaxNesting = 256;
// Largest effect file read; glslang is not given anything bigger.
inline constexpr std::size_t kMaxEffectFileBytes = 1u << 20;

// Reads the preprocessed text of an effect (with #line directives naming
// files). On failure returns false with `error` set to "file(line): message".
bool ParseEffectSource(std::string_view text, std::string_view fileName, EffectSource& out,
                       std::string& error);

// Number of floats a parameter's value occupies in the effect (0 for
// textures and samplers); matrices are kept row by row, as D3DX gives them.
std::uint32_t ParameterFloatCount(const ParameterDecl& parameter);

// Rows and columns of one element of a numeric parameter.
void ParameterShape(ParameterType type, std::uint32_t& rows, std::uint32_t& columns);

// Constant registers one element of the parameter takes in Shader Model 3.
std::uint32_t ParameterRegisters(const ParameterDecl& parameter);

const FunctionDecl* FindFunction(const EffectSource& source, std::string_view name);
const StructDecl* FindStruct(const EffectSource& source, std::string_view name);

}  // namespace compat::d3dx9
