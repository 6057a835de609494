// Meshes on screen through the real GL path: the light, textures, a skinned
// mesh deforming between two ticks, and a real character from another tool
// posed at two ticks (its screenshots are written to the build folder).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "ModelTesting.h"
#include "compat/testing_win32.h"
#include "model/Model.h"
#include "render/Effect.h"
#include "support/ImageFiles.h"
#include "render/MeshDrawing.h"
#include "support/RenderDevice.h"
#include "render/Texture.h"
#include "render/ViewMatrices.h"
#include "xfile/ModelLoading.h"
#include "xfile/ModelRegistry.h"

namespace {

using namespace modeltest;
using rendertest::InAssetsFolder;
using rendertest::Pixel;
using rendertest::RenderDevice;

constexpr UINT kSize = 256;

int Brightness(const Pixel& p) { return p.r + p.g + p.b; }

class SkinnedRenderTest : public ::testing::Test {
 protected:
  SkinnedRenderTest() {
    LoadEffect(device_.device(), L"mesh.cfx");
    LoadEffect(device_.device(), L"skinmesh.cfx");
    LookAt(D3DXVECTOR3(0, 0, -3), D3DXVECTOR3(0, 0, 0));
  }
  ~SkinnedRenderTest() override {
    g_EffectMap.clear();
    g_TextureMap.clear();
    g_ModelRegistry.clear();
    std::filesystem::remove_all(scratch_);
  }

  void LookAt(const D3DXVECTOR3& eye, const D3DXVECTOR3& at) {
    D3DXVECTOR3 up(0, 1, 0);
    D3DXMatrixLookAtLH(&g_ViewMatrix, &eye, &at, &up);
    D3DXMatrixPerspectiveFovLH(&g_ProjectionMatrix, D3DX_PI / 4, 1.0f, 0.1f, 100.0f);
  }

  // One frame with `draw` on black, read back.
  template <class Draw>
  std::vector<Pixel> Render(Draw draw) {
    IDirect3DDevice9* device = device_.device();
    device->BeginScene();
    device_.Clear(0xFF000000);
    draw();
    device->EndScene();
    return device_.ReadBackBuffer();
  }

  // Writes the back buffer to the build folder's screenshots, for a person to look at.
  void SaveScreenshot(const std::string& name) {
    std::filesystem::path shots = std::filesystem::path(XVIEW_BINARY_DIR) / "screenshots";
    std::filesystem::create_directories(shots);
    IDirect3DSurface9* backBuffer = nullptr;
    device_.device()->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &backBuffer);
    std::wstring shot = (shots / name).wstring();
    EXPECT_EQ(D3DXSaveSurfaceToFileW(shot.c_str(), D3DXIFF_PNG, backBuffer, nullptr, nullptr), D3D_OK);
    backBuffer->Release();
  }

  // The pixel at (x, y) of a 128 x 128 grid laid over the back buffer.
  Pixel At(const std::vector<Pixel>& pixels, UINT x, UINT y) {
    return pixels[(y * kSize / 128) * kSize + x * kSize / 128];
  }

  InAssetsFolder folder_;
  RenderDevice device_{kSize, kSize};
  std::filesystem::path scratch_ = rendertest::ScratchFolder();
};

// A square of side 2 around the origin facing the camera at -Z, split into
// two subsets (left and right halves) of the given materials.
XMesh Square() {
  XMesh mesh;
  mesh.flags = HasPositions | HasNormals | HasTexCoords;
  const float xs[] = {-1, 0, 1};
  for (float x : xs)
    for (float y : {-1.0f, 1.0f}) {
      XVertex v;
      v.position = D3DXVECTOR3(x, y, 0);
      v.normal = D3DXVECTOR3(0, 0, -1);
      v.texCoord = D3DXVECTOR2((x + 1) / 2, (1 - y) / 2);
      mesh.vertices.push_back(v);
    }
  // Vertices: 0 (-1,-1) 1 (-1,1) 2 (0,-1) 3 (0,1) 4 (1,-1) 5 (1,1); clockwise seen from -Z.
  mesh.faces = {{0, {0, 1, 3}}, {0, {0, 3, 2}}, {1, {2, 3, 5}}, {1, {2, 5, 4}}};
  mesh.subsets = {{2, 0, 0}, {2, 2, 1}};
  mesh.materials.resize(2);
  return mesh;
}

TEST_F(SkinnedRenderTest, FacesTurnedAwayFromTheLightAreDarker) {
  XMesh record = Square();
  for (std::size_t i = 0; i < record.vertices.size(); ++i)
    record.vertices[i].normal = i < 2 ? D3DXVECTOR3(0, 1, -0.3f) : D3DXVECTOR3(0, -1, 0.3f);
  D3DXVec3Normalize(&record.vertices[0].normal, &record.vertices[0].normal);
  record.vertices[1].normal = record.vertices[0].normal;
  Mesh mesh;
  mesh.Setup(&record, device_.device());
  std::vector<Pixel> pixels = Render([&] { DrawMesh(mesh); });
  // The left edge leans towards the light above and in front; the right
  // part faces down and away from it.
  Pixel towards = At(pixels, 30, 64), away = At(pixels, 98, 64);
  EXPECT_GT(Brightness(towards), Brightness(away) + 150) << towards << " " << away;
  EXPECT_GT(Brightness(away), 0) << "the far side keeps some light";
}

TEST_F(SkinnedRenderTest, ATexturedSubsetShowsItsTexturesColours) {
  std::filesystem::path file = scratch_ / "checker.png";
  std::vector<std::uint8_t> png = testimages::Png(
      2, 2, {{255, 0, 0, 255}, {0, 255, 0, 255}, {0, 0, 255, 255}, {255, 255, 0, 255}});
  std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(png.data()),
                                               static_cast<std::streamsize>(png.size()));
  ASSERT_TRUE(LoadTexture(device_.device(), file.wstring().c_str()));
  XMesh record = Square();
  record.materials[1].textureFiles[0] = file.wstring();
  record.materials[0].diffuse = {0.0f, 0.0f, 1.0f, 1.0f};
  Mesh mesh;
  mesh.Setup(&record, device_.device());
  std::vector<Pixel> pixels = Render([&] { DrawMesh(mesh); });
  Pixel untextured = At(pixels, 45, 64);
  EXPECT_EQ(untextured.r, 0);
  EXPECT_GT(untextured.b, 100);
  // The right half samples the texture's right column: green above, yellow below.
  Pixel upper = At(pixels, 100, 40), lower = At(pixels, 100, 88);
  EXPECT_GT(upper.g, 100);
  EXPECT_LT(upper.r, 40);
  EXPECT_GT(lower.r, 100);
  EXPECT_GT(lower.g, 100);
  EXPECT_LT(lower.b, 40);
}

TEST_F(SkinnedRenderTest, AMaterialWhoseTextureIsMissingKeepsItsColours) {
  XMesh record = Square();
  record.materials[0].diffuse = {1.0f, 0.0f, 0.0f, 1.0f};
  record.materials[0].textureFiles[0] = (scratch_ / "never-there.png").wstring();
  record.materials[1].diffuse = {0.0f, 1.0f, 0.0f, 1.0f};
  record.materials[1].textureFiles[0] = (scratch_ / "never-there.png").wstring();
  record.materials[1].emissive = {0.0f, 0.0f, 0.5f, 0.0f};
  Mesh mesh;
  mesh.Setup(&record, device_.device());
  std::vector<Pixel> pixels = Render([&] { DrawMesh(mesh); });
  Pixel left = At(pixels, 30, 64), right = At(pixels, 98, 64);
  EXPECT_GT(left.r, 100) << left;
  EXPECT_EQ(left.g, 0) << left;
  EXPECT_GT(right.g, 100) << right;
  EXPECT_GE(right.b, 120) << right << ": the emissive colour is added";
}

// An 8 x 8 texture whose left half is opaque white and right half fully
// transparent, over the whole square; `alphaBits` as the TGA declares them.
std::vector<std::uint8_t> HalfTransparentTga(int alphaBits) {
  std::vector<testimages::Rgba> pixels(64, {255, 255, 255, 0});
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 4; ++x) pixels[static_cast<std::size_t>(y * 8 + x)].a = 255;
  return testimages::Tga(8, 8, pixels, alphaBits);
}

// Fraction of probes across a horizontal band of one half that are lit.
double LitShare(const std::vector<Pixel>& pixels, UINT fromX, UINT toX) {
  int lit = 0, all = 0;
  for (UINT y = 120; y < 136; y += 4)
    for (UINT x = fromX; x < toX; x += 4, ++all) lit += Brightness(pixels[y * kSize + x]) > 60 ? 1 : 0;
  return static_cast<double>(lit) / all;
}

TEST_F(SkinnedRenderTest, TexelsWithLittleAlphaAreCutOutInBothEffects) {
  std::filesystem::path cutout = scratch_ / "cutout.tga", opaque = scratch_ / "no-alpha.tga";
  testimages::WriteFile(cutout.string(), HalfTransparentTga(8));
  // The same bytes with no alpha bits declared: the fourth byte is padding.
  testimages::WriteFile(opaque.string(), HalfTransparentTga(0));
  ASSERT_TRUE(LoadTexture(device_.device(), cutout.wstring().c_str()));
  ASSERT_TRUE(LoadTexture(device_.device(), opaque.wstring().c_str()));

  XMesh record = Square();
  for (XMaterial& material : record.materials) {
    material.textureFiles[0] = cutout.wstring();
    material.diffuse = {1.0f, 1.0f, 1.0f, 0.25f};  // the material's alpha does not cut
  }
  Mesh mesh;
  mesh.Setup(&record, device_.device());
  std::vector<Pixel> rigid = Render([&] { DrawMesh(mesh); });
  // The square spans x 25 to 231 of the picture; its halves meet at 128.
  EXPECT_GT(LitShare(rigid, 72, 120), 0.99);
  EXPECT_EQ(LitShare(rigid, 136, 184), 0.0);

  for (XMaterial& material : record.materials) material.textureFiles[0] = opaque.wstring();
  std::vector<Pixel> whole = Render([&] { DrawMesh(mesh); });
  EXPECT_GT(LitShare(whole, 72, 120), 0.99);
  EXPECT_GT(LitShare(whole, 136, 184), 0.99);

  // The skinned effect cuts the same texels: one bone that stays where it is.
  XFileScene scene;
  AddFrame(scene, L"root", nullptr, Translation(0, 0, 0));
  XMesh skinned = Square();
  skinned.flags |= HasSkin;
  for (XVertex& v : skinned.vertices) v.influences.push_back({1.0f, 0});
  for (XMaterial& material : skinned.materials) material.textureFiles[0] = cutout.wstring();
  skinned.bones = {{L"root", Translation(0, 0, 0)}};
  scene.meshes.push_back(skinned);
  Model model;
  ASSERT_TRUE(model.Setup(device_.device(), &scene));
  std::vector<Pixel> skin = Render([&] { model.Draw(); });
  EXPECT_GT(LitShare(skin, 72, 120), 0.99);
  EXPECT_EQ(LitShare(skin, 136, 184), 0.0);
}

// Two bones up a column: the upper half of a thin strip follows the second
// bone, which the animation turns 90 degrees about Z by tick 10.
TEST_F(SkinnedRenderTest, ASkinnedMeshDeformsBetweenTwoTicks) {
  XFileScene scene;
  XFrame& lower = AddFrame(scene, L"lower", nullptr, Translation(0, -1, 0));
  AddFrame(scene, L"upper", &lower, Translation(0, 1, 0));
  XAnimation& bend = AddAnimation(scene, L"upper", 10);
  bend.positionKeys[0] = D3DXVECTOR3(0, 1, 0);
  bend.rotationKeys[0] = D3DXQUATERNION(0, 0, 0, 1);
  const float half = std::sqrt(0.5f);
  bend.rotationKeys[10] = D3DXQUATERNION(0, 0, half, half);

  XMesh strip;
  strip.flags = HasPositions | HasNormals | HasSkin;
  for (int row = 0; row < 5; ++row)
    for (float x : {-0.1f, 0.1f}) {
      XVertex v;
      v.position = D3DXVECTOR3(x, -1.0f + 0.5f * static_cast<float>(row), 0);
      v.normal = D3DXVECTOR3(0, 0, -1);
      v.influences.push_back({1.0f, static_cast<std::uint8_t>(row < 2 ? 0 : 1)});
      strip.vertices.push_back(v);
    }
  for (int row = 0; row < 4; ++row) {
    std::int32_t a = row * 2;
    strip.faces.push_back({0, {a, a + 2, a + 3}});
    strip.faces.push_back({0, {a, a + 3, a + 1}});
  }
  strip.subsets = {{8, 0, 0}};
  strip.materials.resize(1);
  strip.bones = {{L"lower", Translation(0, 1, 0)}, {L"upper", Translation(0, 0, 0)}};
  scene.meshes.push_back(strip);

  Model model;
  model.Setup(device_.device(), &scene);
  std::vector<Pixel> straight = Render([&] { model.Draw(); });
  model.animationTick = 10;
  std::vector<Pixel> bent = Render([&] { model.Draw(); });
  // The top of the strip stands above the centre at tick 0, and lies off to
  // one side at tick 10; the lower half does not move.
  EXPECT_GT(Brightness(At(straight, 64, 20)), 100);
  EXPECT_EQ(Brightness(At(bent, 64, 20)), 0);
  EXPECT_GT(Brightness(At(bent, 30, 64)) + Brightness(At(bent, 98, 64)), 100);
  EXPECT_GT(Brightness(At(straight, 64, 100)), 100);
  EXPECT_GT(Brightness(At(bent, 64, 100)), 100);
}

// The lit pixels' bounding box: left, top, right, bottom.
std::array<UINT, 4> LitBounds(const std::vector<Pixel>& pixels, UINT size) {
  std::array<UINT, 4> box = {size, size, 0, 0};
  for (UINT y = 0; y < size; ++y)
    for (UINT x = 0; x < size; ++x)
      if (Brightness(pixels[y * size + x]) > 30) {
        box[0] = std::min(box[0], x), box[1] = std::min(box[1], y);
        box[2] = std::max(box[2], x), box[3] = std::max(box[3], y);
      }
  return box;
}

TEST_F(SkinnedRenderTest, ARealCharacterStandsUprightAndMovesBetweenTicks) {
  std::wstring file = (std::filesystem::path(XVIEW_TEST_DATA) / "models" / "BCN_Epileptic.X").wstring();
  compat::testing::RunWithoutConsole(true);  // no echo of the model's text
  const bool loaded = LoadModelFile(device_.device(), file);
  compat::testing::RunWithoutConsole(false);
  ASSERT_TRUE(loaded);
  Model model;
  ASSERT_TRUE(model.Setup(device_.device(), FindModelFile(file)));
  LookAt(D3DXVECTOR3(0, 0.8f, -2.4f), D3DXVECTOR3(0, 0.1f, 0));

  std::vector<std::vector<Pixel>> poses;
  for (std::uint32_t tick : {0u, 3960u}) {
    model.animationTick = tick;
    poses.push_back(Render([&] { model.Draw(); }));
    SaveScreenshot("BCN_Epileptic-tick-" + std::to_string(tick) + ".png");

    std::array<UINT, 4> box = LitBounds(poses.back(), kSize);
    ASSERT_LT(box[0], box[2]) << "nothing was drawn at tick " << tick;
    EXPECT_GT(box[3] - box[1], box[2] - box[0]) << "not standing upright at tick " << tick;
    EXPECT_GT(box[3] - box[1], kSize / 2);
  }
  int differing = 0;
  for (std::size_t i = 0; i < poses[0].size(); ++i) differing += !(poses[0][i] == poses[1][i]);
  EXPECT_GT(differing, 100) << "the two ticks give the same pose";
}

// Meshes in frames without a name, or in frames that share one, as 3ds Max
// exports write them: every square is drawn at its own frame, in its own
// colour, not all of them on one spot.
TEST_F(SkinnedRenderTest, EveryFrameRecordPlacesItsOwnMesh) {
  std::wstring file = (std::filesystem::path(XVIEW_TEST_DATA) / "real-models" / "separate-frames.x").wstring();
  compat::testing::RunWithoutConsole(true);  // no echo of the model's text
  const bool loaded = LoadModelFile(device_.device(), file);
  compat::testing::RunWithoutConsole(false);
  ASSERT_TRUE(loaded);
  Model model;
  ASSERT_TRUE(model.Setup(device_.device(), FindModelFile(file)));
  ASSERT_EQ(model.meshes.size(), 4u);
  LookAt(D3DXVECTOR3(0, 0, -5), D3DXVECTOR3(0, 0, 0));
  std::vector<Pixel> pixels = Render([&] { model.Draw(); });
  SaveScreenshot("separate-frames.png");

  // Square centres at x = -1.5, -0.5, 0.5, 1.5 fall on these columns of the
  // 128-wide grid; the gaps between them stay black.
  const UINT centres[] = {17, 48, 80, 111};
  const bool red[] = {true, false, false, true}, green[] = {false, true, false, true}, blue[] = {false, false, true, false};
  for (int i = 0; i < 4; ++i) {
    Pixel p = At(pixels, centres[i], 64);
    EXPECT_EQ(p.r > 100, red[i]) << "square " << i;
    EXPECT_EQ(p.g > 100, green[i]) << "square " << i;
    EXPECT_EQ(p.b > 100, blue[i]) << "square " << i;
  }
  for (UINT gap : {33u, 64u, 95u}) EXPECT_LT(Brightness(At(pixels, gap, 64)), 30) << "column " << gap;
}

}  // namespace
