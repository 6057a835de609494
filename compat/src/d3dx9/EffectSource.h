// The parsed form of a .cfx effect file: top-level parameters, GLSL shader
// functions and techniques of passes that name them. Parsing needs no GL.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace compat::d3dx9 {

enum class ParameterType { Float, Float2, Float3, Float4, Float4x4, Texture };

// A sampler state a texture parameter sets on its stage (D3DSAMP_ values).
struct SamplerStateDecl {
  std::uint32_t state = 0;
  std::uint32_t value = 0;
};

struct ParameterDecl {
  std::string name;
  std::string semantic;
  ParameterType type = ParameterType::Float;
  std::uint32_t elements = 0;                   // 0: not an array
  std::vector<SamplerStateDecl> samplerStates;  // textures only
  int line = 0;
};

enum class ShaderStage { Vertex, Pixel };

struct ShaderDecl {
  std::string name;
  ShaderStage stage = ShaderStage::Vertex;
  std::string body;  // GLSL text between the braces
  int bodyLine = 0;  // line on which the body starts
};

// GLSL shared by every shader of the file (structs, helper functions).
struct CommonBlock {
  std::string body;
  int bodyLine = 0;
};

struct PassDecl {
  std::string name;
  int vertexShader = -1;  // indices into EffectSource::shaders
  int pixelShader = -1;
  int line = 0;
};

struct TechniqueDecl {
  std::string name;
  std::vector<PassDecl> passes;
  int line = 0;
};

struct EffectSource {
  std::vector<ParameterDecl> parameters;
  std::vector<ShaderDecl> shaders;
  std::vector<CommonBlock> commonBlocks;
  std::vector<TechniqueDecl> techniques;
};

// Largest array a parameter may declare; keeps a hostile file from asking
// for unbounded storage.
inline constexpr std::uint32_t kMaxParameterElements = 1024;
// One sampler stage per texture parameter.
inline constexpr int kMaxTextures = 16;

// Parses `text`; on failure returns false with `error` set to
// "fileName(line): message".
bool ParseEffectSource(std::string_view text, std::string_view fileName, EffectSource& out,
                       std::string& error);

// Number of floats a parameter's value occupies (0 for textures).
std::uint32_t ParameterFloatCount(const ParameterDecl& parameter);

// Arrays of float4 and float4x4 live in a std140 uniform block of their own:
// a plain uniform array of 256 matrices would need four times the 1,024
// vertex uniform components that GL 3.3 guarantees, while a block may hold
// 16 KiB. Their std140 layout is the tight layout of the effect's values.
bool InUniformBlock(const ParameterDecl& parameter);

}  // namespace compat::d3dx9
