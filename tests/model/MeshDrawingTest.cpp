// Drawing meshes subset by subset, read from the layer's call trace: the
// parameters and their order, passes by loaded texture, one draw call per
// subset, the streams unbound afterwards, and where the character's meshes
// are placed.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "ModelTesting.h"
#include "compat/testing.h"
#include "model/Model.h"
#include "render/Effect.h"
#include "support/ImageFiles.h"
#include "render/MeshDrawing.h"
#include "support/RenderDevice.h"
#include "render/Texture.h"
#include "render/ViewMatrices.h"
#include "support/StderrCapture.h"

namespace {

using namespace modeltest;
using rendertest::InAssetsFolder;
using rendertest::RenderDevice;

// The trace lines that start with one of `prefixes`.
std::vector<std::string> Only(const std::vector<std::string>& trace, std::initializer_list<const char*> prefixes) {
  std::vector<std::string> kept;
  for (const std::string& line : trace)
    for (const char* prefix : prefixes)
      if (line.rfind(prefix, 0) == 0) kept.push_back(line);
  return kept;
}

class MeshDrawingTest : public ::testing::Test {
 protected:
  MeshDrawingTest() {
    D3DXMatrixIdentity(&g_ViewMatrix);
    D3DXMatrixIdentity(&g_ProjectionMatrix);
    LoadEffect(device_.device(), L"mesh.cfx");
    LoadEffect(device_.device(), L"skinmesh.cfx");
  }
  ~MeshDrawingTest() override {
    g_EffectMap.clear();
    g_TextureMap.clear();
    std::filesystem::remove_all(scratch_);
  }

  // A 2 x 2 texture in the registry under its file name.
  std::wstring Texture() {
    std::filesystem::path file = scratch_ / "red.png";
    std::vector<std::uint8_t> png = testimages::Png(2, 2, std::vector<testimages::Rgba>(4, {255, 0, 0, 255}));
    std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(png.data()),
                                                 static_cast<std::streamsize>(png.size()));
    LoadTexture(device_.device(), file.wstring().c_str());
    return file.wstring();
  }

  // Draws with `draw` while tracing; the trace of the draw.
  template <class Draw>
  std::vector<std::string> Traced(Draw draw, bool expected = true) {
    device_.device()->BeginScene();
    compat::testing::StartTrace();
    EXPECT_EQ(draw(), expected);
    std::vector<std::string> trace = compat::testing::StopTrace();
    device_.device()->EndScene();
    return trace;
  }

  D3DXVECTOR4 Parameter(const wchar_t* effect, const char* name) {
    D3DXVECTOR4 value;
    g_EffectMap[effect].effect->GetVector(name, &value);
    return value;
  }

  InAssetsFolder folder_;
  RenderDevice device_;
  std::filesystem::path scratch_ = rendertest::ScratchFolder();
};

TEST_F(MeshDrawingTest, EachSubsetIsOneDrawWithItsOwnPassTextureAndColours) {
  XMesh record = FanMesh(6);
  record.materials.resize(3);
  record.materials[1].textureFiles[0] = Texture();
  record.materials[2].textureFiles[1] = L"only-slot-1.png";  // slot 0 decides
  record.materials[2].diffuse = {0.5f, 0.25f, 1.0f, 1.0f};
  record.subsets = {{1, 0, 0}, {3, 1, 1}, {2, 4, 2}};
  Mesh mesh;
  mesh.Setup(&record, device_.device());

  std::vector<std::string> trace = Traced([&] { return DrawMesh(mesh); });
  EXPECT_EQ(Only(trace, {"DrawIndexedPrimitive"}),
            (std::vector<std::string>{"DrawIndexedPrimitive 4 0 0 8 0 1", "DrawIndexedPrimitive 4 0 0 8 3 3",
                                      "DrawIndexedPrimitive 4 0 0 8 12 2"}));
  EXPECT_EQ(Only(trace, {"ID3DXEffect::BeginPass", "ID3DXEffect::SetTexture"}),
            (std::vector<std::string>{"ID3DXEffect::SetTexture g_ColorTex null", "ID3DXEffect::BeginPass 0",
                                      "ID3DXEffect::SetTexture g_ColorTex texture", "ID3DXEffect::BeginPass 1",
                                      "ID3DXEffect::SetTexture g_ColorTex null", "ID3DXEffect::BeginPass 0"}));
  std::vector<std::string> matrices = Only(trace, {"ID3DXEffect::SetMatrix", "SetVertexDeclaration"});
  EXPECT_EQ(matrices, (std::vector<std::string>{"ID3DXEffect::SetMatrix g_mWorld", "ID3DXEffect::SetMatrix g_mView",
                                                "ID3DXEffect::SetMatrix g_mProj", "ID3DXEffect::SetMatrix g_mWorldInv",
                                                "SetVertexDeclaration declaration"}));
  std::vector<std::string> streams = Only(trace, {"SetStreamSource"});
  EXPECT_EQ(std::vector<std::string>(streams.end() - 2, streams.end()),
            (std::vector<std::string>{"SetStreamSource 0 null 0 0", "SetStreamSource 1 null 0 0"}));
  D3DXVECTOR4 diffuse = Parameter(L"mesh.cfx", "g_Diffuse");
  EXPECT_EQ(diffuse.y, 0.25f);

  // A subset whose material is not in the list draws opaque white, untextured.
  record.subsets = {{6, 0, 7}};
  trace = Traced([&] { return DrawMesh(mesh); });
  EXPECT_EQ(Only(trace, {"ID3DXEffect::BeginPass"}), (std::vector<std::string>{"ID3DXEffect::BeginPass 0"}));
  diffuse = Parameter(L"mesh.cfx", "g_Diffuse");
  EXPECT_EQ(diffuse, D3DXVECTOR4(1, 1, 1, 1));

  // A texture that never loaded draws pass 0 in the material's colours and
  // leaves the registry as it was.
  record.materials[0].textureFiles[0] = L"never-loaded.png";
  record.subsets = {{6, 0, 0}};
  std::size_t textures = g_TextureMap.size();
  trace = Traced([&] { return DrawMesh(mesh); });
  EXPECT_EQ(Only(trace, {"ID3DXEffect::BeginPass", "ID3DXEffect::SetTexture"}),
            (std::vector<std::string>{"ID3DXEffect::SetTexture g_ColorTex null", "ID3DXEffect::BeginPass 0"}));
  EXPECT_EQ(g_TextureMap.size(), textures);

  // No subsets: the matrices are set and the streams bound and unbound, but nothing is drawn.
  record.subsets.clear();
  trace = Traced([&] { return DrawMesh(mesh); });
  EXPECT_TRUE(Only(trace, {"DrawIndexedPrimitive"}).empty());
  EXPECT_EQ(Only(trace, {"ID3DXEffect::SetMatrix"}).size(), 4u);
  EXPECT_EQ(Only(trace, {"SetStreamSource"}).size(), 4u);
}

TEST_F(MeshDrawingTest, TheWorldMatrixIsRebuiltForEveryDraw) {
  XMesh record = FanMesh(1);
  Mesh mesh;
  mesh.Setup(&record, device_.device());
  mesh.position = D3DXVECTOR3(1, 2, 3);
  mesh.frameMatrix = Translation(0, 0, 10);
  Traced([&] { return DrawMesh(mesh); });
  D3DXMATRIX first = mesh.world;
  Traced([&] { return DrawMesh(mesh); });
  ExpectMatrixNear(mesh.world, first, 0);
  ExpectMatrixNear(first, Translation(1, 2, 13), 0);

  // A world of scale 0 has no inverse: the identity stands in for it.
  mesh.scale = D3DXVECTOR3(0, 0, 0);
  Traced([&] { return DrawMesh(mesh); });
  D3DXMATRIX inverse;
  g_EffectMap[L"mesh.cfx"].effect->GetMatrix("g_mWorldInv", &inverse);
  ExpectMatrixNear(inverse, Translation(0, 0, 0), 0);
}

TEST_F(MeshDrawingTest, ASkinnedMeshHandsItsWholePaletteBeforeTheOtherMatrices) {
  XMesh record = FanMesh(2);
  record.flags |= HasSkin;
  record.bones.resize(30);
  Mesh mesh;
  mesh.Setup(&record, device_.device());
  std::vector<std::string> trace = Traced([&] { return DrawSkinnedMesh(mesh); });
  std::vector<std::string> parameters = Only(trace, {"ID3DXEffect::SetMatrix"});
  ASSERT_EQ(parameters.size(), 5u);
  EXPECT_EQ(parameters[0], "ID3DXEffect::SetMatrixArray g_mFinalTransforms 30");
  EXPECT_EQ(parameters[1], "ID3DXEffect::SetMatrix g_mWorld");
}

TEST_F(MeshDrawingTest, NothingReachesTheDeviceWithoutARecordDeviceObjectsOrEffect) {
  Mesh unset;
  EXPECT_TRUE(Traced([&] { return DrawMesh(unset); }, false).empty());
  XMesh record = FanMesh(1);
  record.vertices.clear();
  Mesh unbuilt;
  unbuilt.Setup(&record, device_.device());
  EXPECT_TRUE(Traced([&] { return DrawMesh(unbuilt); }, false).empty());

  XMesh drawable = FanMesh(1);
  Mesh mesh;
  mesh.Setup(&drawable, device_.device());
  g_EffectMap.clear();
  EXPECT_TRUE(Traced([&] { return DrawMesh(mesh); }, false).empty());
  EXPECT_TRUE(Traced([&] { return DrawSkinnedMesh(mesh); }, false).empty());
  EXPECT_TRUE(g_EffectMap.empty());
}

TEST_F(MeshDrawingTest, SkinnedMeshesArePlacedByTheWorldAloneRigidOnesThroughTheirFrame) {
  XFileScene scene;
  XFrame& frame = AddFrame(scene, L"holder", nullptr, RotationY(D3DX_PI / 2));
  scene.meshes.push_back(FanMesh(1));
  scene.meshes.back().frame = &frame;
  scene.meshes.push_back(FanMesh(1));
  scene.meshes.back().frame = &frame;
  scene.meshes.back().flags |= HasSkin;
  scene.meshes.back().bones.push_back({L"holder", Translation(0, 0, 0)});
  scene.meshes.push_back(FanMesh(1));  // at the top of the file

  Model model;
  model.Setup(device_.device(), &scene);
  model.position = D3DXVECTOR3(5, 0, 0);
  std::vector<std::string> trace = Traced([&] { return model.Draw(); });
  ExpectMatrixNear(model.meshes[0].frameMatrix, Product(RotationY(D3DX_PI / 2), Translation(5, 0, 0)));
  ExpectMatrixNear(model.meshes[1].frameMatrix, Translation(5, 0, 0), 0);
  ExpectMatrixNear(model.meshes[2].frameMatrix, Translation(5, 0, 0), 0);
  EXPECT_EQ(Only(trace, {"ID3DXEffect::SetMatrixArray"}),
            (std::vector<std::string>{"ID3DXEffect::SetMatrixArray g_mFinalTransforms 1"}));
  EXPECT_EQ(Only(trace, {"DrawIndexedPrimitive"}).size(), 3u);
}

TEST_F(MeshDrawingTest, AMeshOfMoreBonesThanOneByteAddressesIsDrawnRigidInItsBindPose) {
  XFileScene scene;
  scene.meshes.push_back(FanMesh(1));
  scene.meshes.back().name = L"crowd";
  scene.meshes.back().flags |= HasSkin;
  scene.meshes.back().bones.resize(300);
  Model model;
  StderrCapture captured;
  model.Setup(device_.device(), &scene);
  std::vector<std::string> trace = Traced([&] { return model.Draw(); });
  std::string output = captured.Take();
  EXPECT_NE(output.find("mesh \"crowd\": 300 bones"), std::string::npos) << output;
  EXPECT_NE(output.find("drawn unskinned in its bind pose"), std::string::npos);
  EXPECT_TRUE(Only(trace, {"ID3DXEffect::SetMatrixArray"}).empty());
  EXPECT_EQ(Only(trace, {"DrawIndexedPrimitive"}).size(), 1u);
}

// The palette's size is the skinning effect's: a mesh with more bones than
// "g_mFinalTransforms" holds is drawn rigid, with one line naming the mesh,
// its bones and the capacity.
TEST_F(MeshDrawingTest, ThePaletteCapacityIsReadFromTheSkinningEffect) {
  std::filesystem::create_directories(scratch_);
  std::filesystem::path file = scratch_ / "small_palette.cfx";
  std::ofstream(file) << "float4x4 g_mWorld; float4x4 g_mView; float4x4 g_mProj;\n"
                         "float4x3 g_mFinalTransforms[4];\n"
                         "float4 VS(float3 p : POSITION, float4 i : BLENDINDICES) : POSITION {\n"
                         "  return mul(float4(mul(float4(p, 1), g_mFinalTransforms[(int)i.x]), 1), g_mWorld); }\n"
                         "float4 PS() : COLOR0 { return 1; }\n"
                         "technique T0 {\n"
                         "  pass P0 { VertexShader = compile vs_3_0 VS(); PixelShader = compile ps_3_0 PS(); }\n"
                         "  pass P1 { VertexShader = compile vs_3_0 VS(); PixelShader = compile ps_3_0 PS(); } }\n";
  g_EffectMap.erase(L"skinmesh.cfx");
  ASSERT_TRUE(g_EffectMap[L"skinmesh.cfx"].Load(device_.device(), file.wstring().c_str()));
  EXPECT_EQ(g_EffectMap[L"skinmesh.cfx"].PaletteCapacity(), 4u);
  for (std::size_t bones : {4u, 5u}) {
    XFileScene scene;
    scene.meshes.push_back(FanMesh(1));
    scene.meshes.back().name = L"crowd";
    scene.meshes.back().flags |= HasSkin;
    scene.meshes.back().bones.resize(bones);
    Model model;
    model.Setup(device_.device(), &scene);
    StderrCapture captured;
    std::vector<std::string> trace = Traced([&] { return model.Draw(); });
    Traced([&] { return model.Draw(); });  // the line comes once
    std::string output = captured.Take();
    if (bones == 4) {
      EXPECT_EQ(output, "");
      EXPECT_EQ(Only(trace, {"ID3DXEffect::SetMatrixArray"}).size(), 1u);
    } else {
      EXPECT_EQ(output,
                "mesh \"crowd\": 5 bones are more than the 4 the palette of skinmesh.cfx holds; it is drawn "
                "unskinned in its bind pose\n");
      EXPECT_TRUE(Only(trace, {"ID3DXEffect::SetMatrixArray"}).empty());
    }
  }
}

}  // namespace
