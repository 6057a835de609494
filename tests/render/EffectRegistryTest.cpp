// The framework's Effect and g_EffectMap on a real device.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>

#include "support/RenderDevice.h"
#include "compat/testing.h"
#include "render/Effect.h"
#include "support/StderrCapture.h"

namespace {

using rendertest::InAssetsFolder;
using rendertest::RenderDevice;
using rendertest::TestData;

D3DXMATRIX Filled(float value) {
  D3DXMATRIX m;
  float* f = reinterpret_cast<float*>(&m);
  std::fill(f, f + 16, value);
  return m;
}

bool Contains(const std::vector<std::string>& lines, const std::string& text) {
  return std::any_of(lines.begin(), lines.end(),
                     [&](const std::string& l) { return l.find(text) != std::string::npos; });
}

class EffectTest : public ::testing::Test {
 protected:
  ~EffectTest() override { g_EffectMap.clear(); }
  InAssetsFolder folder_;
  RenderDevice device_;
};

TEST_F(EffectTest, LoadBuildsBothCachesAndRefusesASecondLoad) {
  Effect effect;
  ASSERT_TRUE(effect.Load(device_.device(), L"mesh.cfx"));
  EXPECT_EQ(effect.fileName, L"mesh.cfx");
  EXPECT_EQ(effect.techniques.size(), 1u);
  ASSERT_EQ(effect.techniques.count(L"T0"), 1u);
  EXPECT_EQ(effect.currentTechnique, effect.techniques[L"T0"]);
  for (const wchar_t* name :
       {L"g_mWorld", L"g_mView", L"g_mProj", L"g_mWorldInv", L"g_Diffuse", L"g_Emissive", L"g_ColorTex"})
    EXPECT_NE(effect.parameters[name], nullptr) << "missing parameter";

  ID3DXEffect* compiled = effect.effect;
  auto parameters = effect.parameters;
  EXPECT_FALSE(effect.Load(device_.device(), L"geometory.cfx"));
  EXPECT_EQ(effect.effect, compiled);
  EXPECT_EQ(effect.parameters, parameters);
  EXPECT_EQ(effect.fileName, L"mesh.cfx");
}

TEST_F(EffectTest, FailedLoadEffectLeavesNoEntryAndSaysWhereTheErrorIs) {
  std::wstring file = TestData("syntax_error.cfx");
  StderrCapture captured;
  EXPECT_FALSE(LoadEffect(device_.device(), file.c_str()));
  std::string output = captured.Take();
  EXPECT_NE(output.find("syntax_error.cfx(5): expected ';' after parameter 'g_Diffuse'"), std::string::npos)
      << output;
  EXPECT_EQ(g_EffectMap.count(file), 0u);
  EXPECT_EQ(g_EffectMap[file].effect, nullptr);  // subscripting makes a new empty Effect
  EXPECT_EQ(g_EffectMap.size(), 1u);
}

TEST_F(EffectTest, HlslErrorsCarryTheLineOfTheEffectFile) {
  std::wstring file = TestData("hlsl_error.cfx");
  StderrCapture captured;
  EXPECT_FALSE(LoadEffect(device_.device(), file.c_str()));
  std::string output = captured.Take();
  EXPECT_NE(output.find("hlsl_error.cfx(6): error: "), std::string::npos) << output;
  EXPECT_NE(output.find("undeclaredMatrix"), std::string::npos) << output;
  EXPECT_EQ(g_EffectMap.count(file), 0u);
}

TEST_F(EffectTest, AMissingFileIsNamedWithTheReason) {
  StderrCapture captured;
  EXPECT_FALSE(LoadEffect(device_.device(), L"no_such_effect.cfx"));
  std::string output = captured.Take();
  EXPECT_NE(output.find("no_such_effect.cfx: cannot open the file (No such file or directory)"),
            std::string::npos)
      << output;
  EXPECT_TRUE(g_EffectMap.empty());
}

TEST_F(EffectTest, AFailureWithoutCompilerMessagesStillNamesTheFile) {
  Effect effect;
  StderrCapture captured;
  EXPECT_FALSE(effect.Load(nullptr, L"mesh.cfx"));  // no device: D3DX says nothing
  std::string output = captured.Take();
  EXPECT_NE(output.find("mesh.cfx: the effect cannot be created (error 0x8876086C)"), std::string::npos)
      << output;
  EXPECT_EQ(effect.effect, nullptr);
  EXPECT_TRUE(effect.fileName.empty());
}

// Another D3DX may hand out its messages without a terminating zero: the text
// is as long as the buffer. (The address sanitizer build catches a read past it.)
TEST(EffectErrorBuffer, IsReadByItsSizeAndUpToAZero) {
  auto output = [](const std::string& bytes) {
    ID3DXBuffer* buffer = nullptr;
    EXPECT_EQ(D3DXCreateBuffer(static_cast<DWORD>(bytes.size()), &buffer), S_OK);
    if (!bytes.empty()) std::memcpy(buffer->GetBufferPointer(), bytes.data(), bytes.size());
    StderrCapture captured;
    OutputErrorBuffer(buffer);
    buffer->Release();
    return captured.Take();
  };
  EXPECT_EQ(output("mesh.cfx(3): unexpected '}'"), "mesh.cfx(3): unexpected '}'\n");
  EXPECT_EQ(output(std::string("mesh.cfx(3): first\0stale", 25)), "mesh.cfx(3): first\n");
  EXPECT_EQ(output(""), "\n");
  EXPECT_EQ(compat::testing::LiveObjectCount(), 0);
}

TEST_F(EffectTest, LoadingALoadedNameAgainKeepsItsEffect) {
  ASSERT_TRUE(LoadEffect(device_.device(), L"mesh.cfx"));
  ID3DXEffect* first = g_EffectMap[L"mesh.cfx"].effect;
  EXPECT_TRUE(LoadEffect(device_.device(), L"mesh.cfx"));
  EXPECT_EQ(g_EffectMap[L"mesh.cfx"].effect, first);
}

TEST_F(EffectTest, UnknownNamesAreCachedAsNullAndFail) {
  Effect effect;
  ASSERT_TRUE(effect.Load(device_.device(), L"geometory.cfx"));
  auto before = effect.parameters;
  EXPECT_FALSE(effect.SetMatrix(L"g_mNotThere", Filled(1.0f)));
  EXPECT_FALSE(effect.SetVector(L"g_NotThere", D3DXVECTOR4(1, 2, 3, 4)));
  EXPECT_EQ(effect.parameters.size(), before.size() + 2);
  EXPECT_EQ(effect.parameters.at(L"g_mNotThere"), nullptr);
  for (const auto& [name, handle] : before) EXPECT_EQ(effect.parameters.at(name), handle);
  EXPECT_FALSE(effect.SetMatrix(L"g_mNotThere", Filled(1.0f)));  // the null entry is found again
  EXPECT_EQ(effect.parameters.size(), before.size() + 2);
  EXPECT_TRUE(effect.SetMatrix(L"g_mWorld", Filled(1.0f)));
  EXPECT_EQ(effect.TechniqueHandle(L"T1"), nullptr);
  EXPECT_EQ(effect.techniques.count(L"T1"), 1u);
}

TEST_F(EffectTest, NamesAreCaseSensitive) {
  Effect effect;
  ASSERT_TRUE(effect.Load(device_.device(), TestData("two_techniques.cfx").c_str()));
  ASSERT_NE(effect.ParameterHandle(L"gain"), nullptr);
  ASSERT_NE(effect.ParameterHandle(L"Gain"), nullptr);
  EXPECT_NE(effect.ParameterHandle(L"gain"), effect.ParameterHandle(L"Gain"));
  EXPECT_FALSE(effect.SetMatrix(L"g_mworld", Filled(1.0f)));
  EXPECT_EQ(effect.parameters.at(L"g_mworld"), nullptr);
  EXPECT_EQ(effect.TechniqueHandle(L"t0"), nullptr);
}

TEST_F(EffectTest, SelectPassCallsSetTechniqueOnlyWhenT0IsNotCurrent) {
  Effect effect;
  ASSERT_TRUE(effect.Load(device_.device(), TestData("two_techniques.cfx").c_str()));
  ASSERT_NE(effect.currentTechnique, effect.techniques.at(L"T0"));  // "Other" comes first

  compat::testing::StartTrace();
  EXPECT_TRUE(effect.SelectPass(1));
  EXPECT_TRUE(effect.SelectPass(0));
  auto trace = compat::testing::StopTrace();
  EXPECT_EQ(std::count(trace.begin(), trace.end(), "ID3DXEffect::SetTechnique T0"), 1);
  EXPECT_EQ(effect.currentTechnique, effect.techniques.at(L"T0"));
  EXPECT_EQ(effect.pass, 0u);

  compat::testing::StartTrace();
  EXPECT_TRUE(effect.SelectPass(1));
  trace = compat::testing::StopTrace();
  EXPECT_FALSE(Contains(trace, "SetTechnique"));
  EXPECT_EQ(effect.pass, 1u);
  EXPECT_TRUE(effect.BeginPass());
  effect.effect->EndPass();
  effect.effect->End();
}

TEST_F(EffectTest, SelectPassWithoutT0FailsAndKeepsThePass) {
  Effect effect;
  std::filesystem::path file = rendertest::ScratchFolder() / "no_t0.cfx";
  std::ofstream(file)
      << "float4 VS(float3 p : POSITION) : POSITION { return float4(p, 1.0); }\n"
         "float4 PS() : COLOR0 { return 1.0; }\n"
         "technique Only { pass { VertexShader = compile vs_3_0 VS(); PixelShader = compile ps_3_0 PS(); } }\n";
  StderrCapture captured;
  ASSERT_TRUE(effect.Load(device_.device(), file.wstring().c_str()));
  std::string output = captured.Take();
  EXPECT_NE(output.find("no_t0.cfx: the effect has no technique \"T0\"; nothing is drawn with it\n"),
            std::string::npos)
      << output;
  effect.pass = 7;
  EXPECT_FALSE(effect.SelectPass(0));
  EXPECT_EQ(effect.pass, 7u);
  // BeginPass of a pass the technique lacks fails; the technique stays begun.
  EXPECT_FALSE(effect.BeginPass());
  EXPECT_EQ(effect.effect->End(), D3D_OK);
  std::filesystem::remove_all(file.parent_path());
}

TEST_F(EffectTest, ACopyHasItsOwnCompiledEffectAndOutlivesNothing) {
  Effect source;
  ASSERT_TRUE(source.Load(device_.device(), L"geometory.cfx"));
  ASSERT_TRUE(source.SelectPass(1));
  ASSERT_TRUE(source.SetMatrix(L"g_mWorld", Filled(2.0f)));
  {
    Effect copy(source);
    ASSERT_NE(copy.effect, nullptr);
    EXPECT_NE(copy.effect, source.effect);
    EXPECT_TRUE(copy.fileName.empty());
    EXPECT_EQ(copy.pass, 1u);
    EXPECT_EQ(copy.parameters.size(), source.parameters.size());
    EXPECT_NE(copy.parameters.at(L"g_mWorld"), nullptr);
    EXPECT_TRUE(copy.SetMatrix(L"g_mWorld", Filled(5.0f)));
    D3DXMATRIX seen;
    ASSERT_EQ(source.effect->GetMatrix(source.ParameterHandle(L"g_mWorld"), &seen), D3D_OK);
    EXPECT_EQ(reinterpret_cast<float*>(&seen)[0], 2.0f);
  }
  EXPECT_TRUE(source.SetMatrix(L"g_mView", Filled(1.0f)));
  EXPECT_TRUE(source.BeginPass());
  EXPECT_EQ(source.effect->EndPass(), D3D_OK);
  EXPECT_EQ(source.effect->End(), D3D_OK);

  Effect empty;
  Effect emptyCopy(empty);
  EXPECT_EQ(emptyCopy.effect, nullptr);
  EXPECT_EQ(emptyCopy.pass, 0u);
}

TEST_F(EffectTest, NamesOfAnyLengthAreKeptWhole) {
  std::string longName(300, 'p');
  std::filesystem::path file = rendertest::ScratchFolder() / "long.cfx";
  std::ofstream(file)
      << "float4 " << longName << ";\n"
      << "float4 VS(float3 p : POSITION) : POSITION { return float4(p, 1.0) + " << longName << "; }\n"
      << "float4 PS() : COLOR0 { return 1.0; }\n"
      << "technique T0 { pass { VertexShader = compile vs_3_0 VS(); PixelShader = compile ps_3_0 PS(); } }\n";
  Effect effect;
  ASSERT_TRUE(effect.Load(device_.device(), file.wstring().c_str()));
  std::wstring wide(longName.begin(), longName.end());
  ASSERT_EQ(effect.parameters.count(wide), 1u);
  EXPECT_NE(effect.parameters.at(wide), nullptr);
  EXPECT_TRUE(effect.SetVector(wide, D3DXVECTOR4(0, 0, 0, 0)));
  std::filesystem::remove_all(file.parent_path());
}

TEST_F(EffectTest, OperationsOnAnEmptyEffectFailQuietly) {
  Effect empty;
  EXPECT_FALSE(empty.SetMatrix(L"g_mWorld", Filled(1.0f)));
  EXPECT_FALSE(empty.SetFinalTransforms(nullptr, 0));
  EXPECT_FALSE(empty.SelectPass(1));
  EXPECT_FALSE(empty.BeginPass());
}

TEST_F(EffectTest, FinalTransformsTakeExactlyTheGivenCount) {
  Effect effect;
  ASSERT_TRUE(effect.Load(device_.device(), L"skinmesh.cfx"));
  std::vector<D3DXMATRIX> palette(30, Filled(3.0f));
  compat::testing::StartTrace();
  EXPECT_TRUE(effect.SetFinalTransforms(palette.data(), 30));
  auto trace = compat::testing::StopTrace();
  EXPECT_TRUE(Contains(trace, "ID3DXEffect::SetMatrixArray g_mFinalTransforms 30"));
  std::vector<D3DXMATRIX> tooMany(1000, Filled(0.0f));
  EXPECT_FALSE(effect.SetFinalTransforms(tooMany.data(), 1000));
  // The palette is a float4x3 array of the layer's size: a 4x4 matrix keeps
  // its first three columns, as D3DX writes it.
  D3DXPARAMETER_DESC description{};
  ASSERT_EQ(effect.effect->GetParameterDesc("g_mFinalTransforms", &description), D3D_OK);
  EXPECT_EQ(description.Elements, 256u);
  EXPECT_EQ(description.Rows, 4u);
  EXPECT_EQ(description.Columns, 3u);
  EXPECT_EQ(description.Class, D3DXPC_MATRIX_COLUMNS);
  EXPECT_EQ(effect.PaletteCapacity(), 256u);
  D3DXMATRIX back;
  ASSERT_EQ(effect.effect->GetMatrixArray("g_mFinalTransforms", &back, 1), D3D_OK);
  EXPECT_EQ(back.m[2][2], 3.0f);
  EXPECT_EQ(back.m[3][0], 3.0f);
  EXPECT_EQ(back.m[0][3], 0.0f);
  EXPECT_EQ(back.m[3][3], 0.0f);
}

}  // namespace
