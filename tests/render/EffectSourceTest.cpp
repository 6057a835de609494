// The .cfx reader and the GLSL text it produces; no GL needed.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "d3dx9/EffectProgram.h"
#include "d3dx9/EffectSource.h"

namespace {

using compat::d3dx9::EffectSource;
using compat::d3dx9::ParameterType;

std::string Parse(const std::string& text, EffectSource& out) {
  std::string error;
  bool ok = compat::d3dx9::ParseEffectSource(text, "test.cfx", out, error);
  return ok ? "" : error;
}

std::string ReadAsset(const char* name) {
  std::ifstream file(std::string(XVIEW_SOURCE_DIR) + "/assets/" + name);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

const char* kMinimal =
    "vertexshader VS { void main() { gl_Position = vec4(0.0); } }\n"
    "pixelshader PS { out vec4 c; void main() { c = vec4(1.0); } }\n";

TEST(EffectSource, ReadsTheShippedEffectFiles) {
  for (const char* name : {"geometory.cfx", "mesh.cfx", "skinmesh.cfx"}) {
    EffectSource source;
    ASSERT_EQ(Parse(ReadAsset(name), source), "") << name;
    ASSERT_EQ(source.techniques.size(), 1u) << name;
    EXPECT_EQ(source.techniques[0].name, "T0");
    EXPECT_EQ(source.techniques[0].passes.size(), 2u) << name;
    std::vector<std::string> names;
    for (const auto& p : source.parameters) names.push_back(p.name);
    for (const char* wanted : {"g_mWorld", "g_mView", "g_mProj"})
      EXPECT_NE(std::find(names.begin(), names.end(), wanted), names.end()) << name << " lacks " << wanted;
  }
  EffectSource skin;
  ASSERT_EQ(Parse(ReadAsset("skinmesh.cfx"), skin), "");
  auto palette = std::find_if(skin.parameters.begin(), skin.parameters.end(),
                              [](const auto& p) { return p.name == "g_mFinalTransforms"; });
  ASSERT_NE(palette, skin.parameters.end());
  EXPECT_EQ(palette->type, ParameterType::Float4x4);
  EXPECT_GE(palette->elements, 30u);
}

TEST(EffectSource, ParametersKeepTypeArraySemanticAndLine) {
  EffectSource source;
  ASSERT_EQ(Parse(std::string("float4x4 a[12];\n\nfloat4 b : DIFFUSE;\ntexture t;\n") + kMinimal +
                      "technique T { pass { vertexshader = VS; pixelshader = PS; } }",
                  source),
            "");
  ASSERT_EQ(source.parameters.size(), 3u);
  EXPECT_EQ(source.parameters[0].elements, 12u);
  EXPECT_EQ(compat::d3dx9::ParameterFloatCount(source.parameters[0]), 192u);
  EXPECT_EQ(source.parameters[1].semantic, "DIFFUSE");
  EXPECT_EQ(source.parameters[1].line, 3);
  EXPECT_EQ(source.parameters[2].type, ParameterType::Texture);
  EXPECT_EQ(source.techniques[0].passes[0].name, "");
}

TEST(EffectSource, TexturesMayCarrySamplerStates) {
  EffectSource source;
  ASSERT_EQ(Parse(std::string("texture t { MinFilter = Linear; AddressV = Clamp; };\n") + kMinimal +
                      "technique T0 { pass { vertexshader = VS; pixelshader = PS; } }",
                  source),
            "");
  ASSERT_EQ(source.parameters[0].samplerStates.size(), 2u);
  EXPECT_EQ(source.parameters[0].samplerStates[0].state, 6u);  // D3DSAMP_MINFILTER
  EXPECT_EQ(source.parameters[0].samplerStates[0].value, 2u);  // D3DTEXF_LINEAR
  EXPECT_EQ(source.parameters[0].samplerStates[1].state, 2u);  // D3DSAMP_ADDRESSV
  EXPECT_EQ(source.parameters[0].samplerStates[1].value, 3u);  // D3DTADDRESS_CLAMP

  EXPECT_EQ(
      Parse("texture t {\n Blur = Linear; };", source).rfind("test.cfx(2): expected a sampler state", 0), 0u);
  EXPECT_EQ(Parse("texture t { MinFilter = Clamp; };", source),
            "test.cfx(1): 'Clamp' is not a value of MinFilter");
  EXPECT_EQ(Parse("float4 v { MinFilter = Linear; };", source).rfind("test.cfx(1): expected ';'", 0), 0u);
}

TEST(EffectSource, ShaderBodiesAreRawAndBracesInCommentsDoNotCount) {
  EffectSource source;
  ASSERT_EQ(Parse("vertexshader VS {\n  // } not the end\n  /* { */ void main() { }\n}\n"
                  "pixelshader PS { void main() { } }\n"
                  "technique T0 { pass P0 { vertexshader = VS; pixelshader = PS; } }",
                  source),
            "");
  EXPECT_EQ(source.shaders[0].bodyLine, 1);
  EXPECT_NE(source.shaders[0].body.find("void main() { }"), std::string::npos);
}

TEST(EffectSource, ErrorsNameTheFileAndLine) {
  struct Case {
    std::string text;
    std::string expected;  // prefix of the message
  };
  std::string technique = "technique T0 { pass { vertexshader = VS; pixelshader = PS; } }\n";
  const Case cases[] = {
      {std::string("float4x4 a;\n\nfloat4 b\n") + kMinimal + technique, "test.cfx(4): expected ';'"},
      {std::string("float4x4 a;\nmatrix b;\n"), "test.cfx(2): unknown declaration 'matrix'"},
      {std::string("float4 a[0];\n"), "test.cfx(1): array size must be"},
      {std::string("float4 a[99999];\n"), "test.cfx(1): array size must be"},
      {std::string("float4 a[x];\n"), "test.cfx(1): array size must be"},
      {std::string("float4 a;\nfloat4x4 a;\n"), "test.cfx(2): 'a' is declared twice"},
      {std::string("\nvertexshader VS {\n void main() {\n"), "test.cfx(2): unterminated block"},
      {std::string("/* never closed\n"), "test.cfx(1): unterminated comment"},
      {kMinimal, "test.cfx(3): the effect declares no technique"},
      {std::string(kMinimal) + "technique T0 {\n pass { vertexshader = Nope; pixelshader = PS; } }",
       "test.cfx(4): unknown shader 'Nope'"},
      {std::string(kMinimal) + "technique T0 {\n pass { vertexshader = PS; pixelshader = PS; } }",
       "test.cfx(4): 'PS' is not a vertex shader"},
      {std::string(kMinimal) + "technique T0 {\n pass { vertexshader = VS; } }",
       "test.cfx(4): a pass must name both"},
      {std::string(kMinimal) + technique + technique, "test.cfx(4): technique 'T0' is declared twice"},
  };
  for (const Case& c : cases) {
    EffectSource source;
    std::string error = Parse(c.text, source);
    EXPECT_EQ(error.rfind(c.expected, 0), 0u) << "got: " << error << "\nfor:\n" << c.text;
    EXPECT_TRUE(source.parameters.empty() && source.techniques.empty());
  }
}

TEST(EffectSource, TooManyTexturesAreRefused) {
  std::string text;
  for (int i = 0; i < 17; ++i) text += "texture t" + std::to_string(i) + ";\n";
  EffectSource source;
  EXPECT_EQ(Parse(text + kMinimal + "technique T0 { pass { vertexshader = VS; pixelshader = PS; } }", source)
                .rfind("test.cfx(17): more than 16 textures", 0),
            0u);
}

TEST(EffectSource, ShaderTextMapsLinesAndNegatesClipY) {
  EffectSource source;
  ASSERT_EQ(Parse(std::string("\nfloat4x4 m[4];\nfloat3 v[2];\n") + kMinimal +
                      "technique T0 { pass { vertexshader = VS; pixelshader = PS; } }",
                  source),
            "");
  std::string vertex = compat::d3dx9::ShaderText(source, source.shaders[0]);
  EXPECT_EQ(vertex.rfind("#version 330 core\n", 0), 0u);
  // Matrix and float4 arrays live in uniform blocks; other parameters are plain uniforms.
  EXPECT_NE(vertex.find("#line 2\nlayout(std140, row_major) uniform cfx_block_m { mat4 m[4]; };"),
            std::string::npos);
  EXPECT_NE(vertex.find("#line 3\nuniform vec3 v[2];"), std::string::npos);
  EXPECT_NE(vertex.find("#line 4\n"), std::string::npos);
  EXPECT_NE(vertex.find("gl_Position.y = -gl_Position.y;"), std::string::npos);
  std::string pixel = compat::d3dx9::ShaderText(source, source.shaders[1]);
  EXPECT_EQ(pixel.find("gl_Position"), std::string::npos);
}

TEST(EffectSource, CompilerLogsBecomeFileLineMessages) {
  std::string log =
      "0:14(7): error: `colour' undeclared\n0(9) : error C1008: undefined variable\nsomething else\n\n";
  EXPECT_EQ(compat::d3dx9::TranslateInfoLog(log, "mesh.cfx", 3),
            "mesh.cfx(14): error: `colour' undeclared\n"
            "mesh.cfx(9): error C1008: undefined variable\n"
            "mesh.cfx(3): something else\n");
}

}  // namespace
