// The effect reader (after glslang's preprocessor) and the translation of
// its shader functions to GLSL, as the effect translator program does them,
// in this process; no GL needed. What the translator does with HLSL that
// crashes glslang is tested on the program itself (TranslatorProcessTest).
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "EffectTranslation.h"
#include "HlslFrontEnd.h"
#include "HlslTranslator.h"
#include "d3dx9/EffectSource.h"

namespace {

using compat::d3dx9::EffectSource;
using compat::d3dx9::ParameterType;
using compat::d3dx9::ShaderStage;

using compat::d3dx9::Defines;

// Preprocesses and reads `text` as the file "test.cfx"; "" or the error.
std::string Parse(const std::string& text, EffectSource& out, const Defines& defines = {}) {
  effectc::PreprocessedEffect preprocessed;
  std::string error;
  if (!effectc::PreprocessEffect(text, "test.cfx", "", defines, preprocessed, error)) return error;
  bool ok = compat::d3dx9::ParseEffectSource(preprocessed.text, "test.cfx", out, error);
  return ok ? "" : error;
}

std::string ReadAsset(const char* name) {
  std::ifstream file(std::string(XVIEW_SOURCE_DIR) + "/assets/" + name);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

const compat::d3dx9::ParameterDecl* Find(const EffectSource& source, const std::string& name) {
  for (const auto& p : source.parameters)
    if (p.name == name) return &p;
  return nullptr;
}

const char* kShaders =
    "float4 VS(float3 p : POSITION) : POSITION { return float4(p, 1.0); }\n"
    "float4 PS() : COLOR0 { return 1.0; }\n";
const char* kTechnique =
    "technique T0 { pass P0 { VertexShader = compile vs_3_0 VS(); PixelShader = compile ps_3_0 PS(); } }\n";

TEST(EffectSource, ReadsTheShippedEffectFiles) {
  for (const char* name : {"geometory.cfx", "mesh.cfx", "skinmesh.cfx"}) {
    EffectSource source;
    ASSERT_EQ(Parse(ReadAsset(name), source, {{"CFX_PALETTE_SIZE", "256"}}), "") << name;
    ASSERT_EQ(source.techniques.size(), 1u) << name;
    EXPECT_EQ(source.techniques[0].name, "T0");
    EXPECT_EQ(source.techniques[0].passes.size(), 2u) << name;
    for (const char* wanted : {"g_mWorld", "g_mView", "g_mProj"})
      EXPECT_NE(Find(source, wanted), nullptr) << name << " lacks " << wanted;
  }
  // The palette: Shader Model 3's size by default, the layer's when predefined.
  for (auto [defines, elements] : {std::pair{Defines{}, 75u}, std::pair{Defines{{"CFX_PALETTE_SIZE", "256"}}, 256u}}) {
    EffectSource skin;
    ASSERT_EQ(Parse(ReadAsset("skinmesh.cfx"), skin, defines), "");
    const auto* palette = Find(skin, "g_mFinalTransforms");
    ASSERT_NE(palette, nullptr);
    EXPECT_EQ(palette->type, ParameterType::Float4x3);
    EXPECT_EQ(palette->elements, elements);
    const auto* sampler = Find(skin, "ColorSampler");
    ASSERT_NE(sampler, nullptr);
    EXPECT_EQ(sampler->texture, "g_ColorTex");
  }
}

TEST(EffectSource, ParametersKeepTypeArraySemanticAnnotationsAndInitialValues) {
  EffectSource source;
  ASSERT_EQ(Parse(std::string("float4x4 a[12];\n\nfloat4 b : DIFFUSE < string UIName = \"b\"; float x = 1; > = "
                              "{1, -2, 3.5, 4};\ntexture t;\nrow_major float4x3 r;\nstatic const float k = 2;\n") +
                      kShaders + kTechnique,
                  source),
            "");
  ASSERT_EQ(source.parameters.size(), 4u);
  EXPECT_EQ(source.parameters[0].elements, 12u);
  EXPECT_EQ(source.parameters[0].type, ParameterType::Float4x4);
  EXPECT_EQ(source.parameters[1].semantic, "DIFFUSE");
  EXPECT_EQ(source.parameters[1].annotations, 2u);
  EXPECT_EQ(source.parameters[1].initialValue, (std::vector<float>{1, -2, 3.5f, 4}));
  EXPECT_EQ(source.parameters[1].place.line, 3);
  EXPECT_EQ(source.parameters[2].type, ParameterType::Texture);
  EXPECT_TRUE(source.parameters[3].rowMajor);
  EXPECT_EQ(compat::d3dx9::ParameterRegisters(source.parameters[3]), 4u);
  // What only the effect framework reads is blanked, line for line.
  EXPECT_EQ(source.hlsl.find("technique"), std::string::npos);
  EXPECT_EQ(source.hlsl.find("UIName"), std::string::npos);
  EXPECT_EQ(source.hlsl.find("texture t"), std::string::npos);
  EXPECT_EQ(source.hlsl.find("3.5"), std::string::npos);
  EXPECT_NE(source.hlsl.find("static const float k = 2;"), std::string::npos);
}

TEST(EffectSource, SamplerStatesAreReadAndCheckedCaseInsensitively) {
  EffectSource source;
  ASSERT_EQ(Parse(std::string("texture t;\nsampler s = sampler_state { texture = <t>; MINFILTER = point; "
                              "AddressU = Clamp; };\n") +
                      kShaders + kTechnique,
                  source),
            "");
  const auto* sampler = Find(source, "s");
  ASSERT_NE(sampler, nullptr);
  EXPECT_EQ(sampler->type, ParameterType::Sampler);
  EXPECT_EQ(sampler->texture, "t");
  ASSERT_EQ(sampler->samplerStates.size(), 2u);
  EXPECT_EQ(sampler->samplerStates[0].state, 6u);  // D3DSAMP_MINFILTER
  EXPECT_EQ(sampler->samplerStates[0].value, 1u);  // D3DTEXF_POINT
  EXPECT_EQ(sampler->samplerStates[1].value, 3u);  // D3DTADDRESS_CLAMP
}

// Each refusal names the file and the line of the construct.
TEST(EffectSource, RefusalsNameTheLine) {
  std::string deep = "float4 Deep() : COLOR0 { return " + std::string(300, '(') + "1" + std::string(300, ')') + "; }\n";
  const std::pair<std::string, std::string> cases[] = {
      {"float4x4 a;\n\nfloat4 b\n" + std::string(kShaders), "test.cfx(4): expected ';' after parameter 'b'"},
      {"float4 a[0];\n", "test.cfx(1): array size must be"},
      {"float4 a[99999];\n", "test.cfx(1): array size must be"},
      {"float4 a;\nfloat4x4 a;\n", "test.cfx(2): 'a' is declared twice"},
      {"int n;\n", "test.cfx(1): parameters of type 'int' are not supported"},
      {"Texture2D t;\n", "test.cfx(1): 'Texture2D' is a Direct3D 10 object"},
      {"float4 P(float4 x : SV_Position) : COLOR0 { return x; }\n", "test.cfx(1): 'SV_Position' is a Direct3D 10"},
      {"float4 P(float4 x : COLOR0) : COLOR0 {\n int i = 3;\n return x * (i & 1); }\n",
       "test.cfx(3): the operator '&' needs integer bit operations"},
      {"float4 P(float4 x : COLOR0) : COLOR0 { return x; }\nfloat4 Q() : COLOR0 {\n return 1 << 2; }\n",
       "test.cfx(3): the operator '<<'"},
      {deep, "test.cfx(1): brackets nested deeper than 256"},
      {std::string(kShaders) + "technique T0 { pass P0 {\n ZEnable = true; } }\n",
       "test.cfx(4): the pass state 'ZEnable' is not supported"},
      {std::string(kShaders) +
           "technique T0 { pass P0 {\n VertexShader = compile vs_3_0 VS(true); PixelShader = compile ps_3_0 PS(); } }\n",
       "test.cfx(4): literal arguments to 'VS' are not supported"},
      {std::string(kShaders) + "technique T0 { pass P0 {\n VertexShader = compile vs_3_0 VS(); } }\n",
       "test.cfx(3): pass 'P0' of technique 'T0' is a fixed-function pass"},
      {std::string(kShaders) + "technique T0 { pass P0 {\n VertexShader = compile vs_4_0 VS(); } }\n",
       "test.cfx(4): 'vs_4_0' is not a vertex shader profile"},
      {std::string(kShaders) +
           "technique T0 { pass P0 { VertexShader = compile vs_3_0 VS();\n PixelShader = compile ps_3_0 Nope(); } }\n",
       "test.cfx(4): unknown shader function 'Nope'"},
      {std::string(kShaders) + kTechnique + kTechnique, "test.cfx(4): technique 'T0' is declared twice"},
      {"float4 c : register(c0);\n", "test.cfx(1): 'register' bindings are not supported"},
      {"texture t;\nsampler s = sampler_state { Texture = <t>;\n MaxAnisotropy = 4; };\n",
       "test.cfx(3): the sampler state 'MaxAnisotropy' is not supported"},
      {"texture t;\nsampler s = sampler_state { MinFilter = Clamp; };\n",
       "test.cfx(2): 'Clamp' is not a value of MinFilter"},
      {"float4 P(float4 x : COLOR0,\n out float2 y [: TEXCOORD0) : COLOR0 { return x; }\n",
       "test.cfx(2): an array parameter's size must be a number"},
      {"float4 P(float4 x : COLOR0) : COLOR0 {\n return x[0); }\n", "test.cfx(2): ')' does not close the '[' of line 2"},
      {"float F() { return 1; }\nfloat4 P() : COLOR0 {\n return F() ++ 1; }\n", "test.cfx(3): '++' applies to a variable only"},
      {"float4 P(float4 x : COLOR0,\n float : TEXCOORD2) : COLOR0 { return x; }\n",
       "test.cfx(2): a parameter of 'P' has no name"},
  };
  for (const auto& [text, expected] : cases) {
    EffectSource source;
    std::string error = Parse(text, source);
    EXPECT_EQ(error.rfind(expected, 0), 0u) << "effect:\n" << text << "\nerror: " << error;
    EXPECT_TRUE(source.parameters.empty() && source.techniques.empty());
  }
}

// Messages of the preprocessor and of glslang carry the file's own lines.
TEST(EffectSource, PreprocessorAndCompilerMessagesCarryTheFileLine) {
  EffectSource source;
  std::string preprocessor = Parse("float4 a;\n#error stop here\n", source);
  EXPECT_EQ(preprocessor.rfind("test.cfx(2): error: ", 0), 0u) << preprocessor;

  ASSERT_EQ(Parse(std::string("float4 a;\n\n") + kShaders +
                      "float4 Bad() : COLOR0 {\n  return undeclared;\n}\n" +
                      "technique T0 { pass { VertexShader = compile vs_3_0 VS(); PixelShader = compile ps_3_0 Bad(); "
                      "} }\n",
                  source),
            "");
  std::string glsl, error;
  effectc::ShaderRequest request{ShaderStage::Pixel, "Bad", {"test.cfx", 8}, false};
  EXPECT_FALSE(effectc::TranslateShader(source, source, "test.cfx", request, glsl, error));
  EXPECT_EQ(error.rfind("test.cfx(6): error: 'undeclared'", 0), 0u) << error;
}

std::string Translate(const std::string& effect, ShaderStage stage, const std::string& entry, std::string& error,
                      const Defines& defines = {}) {
  EffectSource source;
  error = Parse(effect, source, defines);
  if (!error.empty()) return "";
  std::string glsl;
  effectc::ShaderRequest request{stage, entry, {"test.cfx", 1}, false};
  effectc::TranslateShader(source, source, "test.cfx", request, glsl, error);
  return glsl;
}

// An unknown function costs only itself: the others translate, and the
// messages keep the order of the requests.
TEST(HlslTranslator, AnUnknownFunctionCostsOnlyItself) {
  std::vector<effectc::ShaderRequest> requests;
  for (const char* entry : {"VS", "Missing", "PS"})
    requests.push_back({entry[0] == 'V' ? ShaderStage::Vertex : ShaderStage::Pixel, entry, {"test.cfx", 3}, false});
  EffectSource source;
  ASSERT_EQ(Parse(std::string(kShaders) + kTechnique, source), "");
  std::vector<std::string> glsl;
  std::string error;
  EXPECT_FALSE(effectc::TranslateShaders(source, source, "test.cfx", requests, glsl, error));
  ASSERT_EQ(glsl.size(), 3u);
  EXPECT_NE(glsl[0], "");
  EXPECT_EQ(glsl[1], "");
  EXPECT_NE(glsl[2], "");
  EXPECT_EQ(error, "test.cfx(3): unknown shader function 'Missing'\n");
}

// Interface variables are named after their semantics, whatever the HLSL
// calls them and in whatever order they come.
TEST(HlslTranslator, InterfaceVariablesAreNamedAfterTheirSemantics) {
  const std::string effect =
      "struct V { float4 p : POSITION; float2 uv : TEXCOORD0; float3 n : TEXCOORD3; };\n"
      "V VS(float3 p : POSITION, float3 n : NORMAL, float2 uv : TEXCOORD) { V v; v.p = float4(p, 1); v.uv = uv; "
      "v.n = n; return v; }\n"
      "float4 PS(float3 normal : TEXCOORD3, float2 coord : TEXCOORD0) : COLOR { return float4(normal, coord.x); }\n"
      "technique T0 { pass { VertexShader = compile vs_3_0 VS(); PixelShader = compile ps_3_0 PS(); } }\n";
  std::string error;
  std::string vertex = Translate(effect, ShaderStage::Vertex, "VS", error);
  ASSERT_EQ(error, "");
  for (const char* wanted : {"layout(location = 0) in vec3 cfx_in_POSITION0", "layout(location = 3) in vec3 cfx_in_NORMAL0",
                             "layout(location = 7) in vec2 cfx_in_TEXCOORD0", "out vec2 cfx_TEXCOORD0;",
                             "out vec3 cfx_TEXCOORD3;", "gl_Position"})
    EXPECT_NE(vertex.find(wanted), std::string::npos) << wanted << " in\n" << vertex;
  std::string pixel = Translate(effect, ShaderStage::Pixel, "PS", error);
  ASSERT_EQ(error, "");
  for (const char* wanted : {"in vec3 cfx_TEXCOORD3;", "in vec2 cfx_TEXCOORD0;", "layout(location = 0) out vec4 cfx_out_COLOR0"})
    EXPECT_NE(pixel.find(wanted), std::string::npos) << wanted << " in\n" << pixel;
}

TEST(HlslTranslator, RefusesWhatShaderModel3Lacks) {
  const std::string ps = "float4 PS() : COLOR0 { return 1.0; }\n";
  auto technique = [](const char* vs) {
    return std::string("technique T0 { pass { VertexShader = compile vs_3_0 ") + vs +
           "(); PixelShader = compile ps_3_0 PS(); } }\n";
  };
  std::string error;
  // 65 float4x4 take 260 registers; as float4x3, 195 fit.
  Translate("float4x4 m[65];\nfloat4 VS(float3 p : POSITION) : POSITION { return mul(float4(p, 1), m[64]); }\n" +
                ps + technique("VS"),
            ShaderStage::Vertex, "VS", error);
  EXPECT_NE(error.find("uses 260 constant registers; a vertex shader of Shader Model 3 has 256"), std::string::npos)
      << error;
  Translate("float4x3 m[65];\nfloat4 VS(float3 p : POSITION) : POSITION { return float4(mul(float4(p, 1), m[64]), 1); }\n" +
                ps + technique("VS"),
            ShaderStage::Vertex, "VS", error);
  EXPECT_EQ(error, "");
  Translate("float4 VS(float3 p : POSITION, float4 w : PSIZE) : POSITION { return float4(p, 1) + w; }\n" + ps +
                technique("VS"),
            ShaderStage::Vertex, "VS", error);
  EXPECT_NE(error.find("the vertex input semantic 'PSIZE0' is not one the layer feeds"), std::string::npos) << error;
  std::string many = "struct V { float4 p : POSITION;";
  for (int i = 0; i < 11; ++i) many += " float4 t" + std::to_string(i) + " : TEXCOORD" + std::to_string(i) + ";";
  many += " };\nV VS(float3 p : POSITION) { V v = (V)0; v.p = float4(p, 1); return v; }\n";
  Translate(many + ps + technique("VS"), ShaderStage::Vertex, "VS", error);
  EXPECT_NE(error.find("uses 11 interpolated values; Shader Model 3 has 10"), std::string::npos) << error;
}

}  // namespace
