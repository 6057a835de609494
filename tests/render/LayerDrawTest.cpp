// The layer's resources and draws: buffers in several streams, 16-bit
// indices, textures from files sampled the Direct3D way round, reference
// counts and the live-object count.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "support/ImageFiles.h"
#include "support/RenderDevice.h"
#include "compat/testing.h"
#include "compat/testing_draw.h"
#include "support/StderrCapture.h"

namespace {

using rendertest::Pixel;
using rendertest::RenderDevice;
using rendertest::LoadTestEffect;
using testimages::Rgba;

template <class T>
void Release(T*& object) {
  if (object) object->Release();
  object = nullptr;
}

// A full-screen quad: positions in stream 0, texture coordinates in stream
// 1, two clockwise triangles from a 16-bit index buffer.
struct Quad {
  IDirect3DVertexDeclaration9* declaration = nullptr;
  IDirect3DVertexBuffer9* positions = nullptr;
  IDirect3DVertexBuffer9* texCoords = nullptr;
  IDirect3DIndexBuffer9* indices = nullptr;

  explicit Quad(IDirect3DDevice9* device) {
    const D3DVERTEXELEMENT9 elements[] = {
        {0, 0, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_POSITION, 0},
        {1, 0, D3DDECLTYPE_FLOAT2, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_TEXCOORD, 0},
        D3DDECL_END(),
    };
    EXPECT_EQ(device->CreateVertexDeclaration(elements, &declaration), D3D_OK);
    const float xyz[] = {-1, 1, 0.5f, 1, 1, 0.5f, 1, -1, 0.5f, -1, -1, 0.5f};
    const float uv[] = {0, 0, 1, 0, 1, 1, 0, 1};
    const WORD order[] = {0, 1, 2, 0, 2, 3};
    Fill(device, positions, xyz, sizeof xyz);
    Fill(device, texCoords, uv, sizeof uv);
    EXPECT_EQ(device->CreateIndexBuffer(sizeof order, 0, D3DFMT_INDEX16, D3DPOOL_MANAGED, &indices, nullptr),
              D3D_OK);
    void* data = nullptr;
    EXPECT_EQ(indices->Lock(0, 0, &data, 0), D3D_OK);
    std::memcpy(data, order, sizeof order);
    EXPECT_EQ(indices->Unlock(), D3D_OK);
  }

  static void Fill(IDirect3DDevice9* device, IDirect3DVertexBuffer9*& buffer, const void* bytes, UINT size) {
    EXPECT_EQ(device->CreateVertexBuffer(size, 0, 0, D3DPOOL_MANAGED, &buffer, nullptr), D3D_OK);
    void* data = nullptr;
    EXPECT_EQ(buffer->Lock(0, 0, &data, 0), D3D_OK);
    std::memcpy(data, bytes, size);
    EXPECT_EQ(buffer->Unlock(), D3D_OK);
  }

  void Bind(IDirect3DDevice9* device) {
    device->SetVertexDeclaration(declaration);
    device->SetStreamSource(0, positions, 0, 12);
    device->SetStreamSource(1, texCoords, 0, 8);
    device->SetIndices(indices);
  }

  HRESULT Draw(IDirect3DDevice9* device) {
    Bind(device);
    return device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4, 0, 2);
  }

  void Unbind(IDirect3DDevice9* device) {
    device->SetStreamSource(0, nullptr, 0, 0);
    device->SetStreamSource(1, nullptr, 0, 0);
    device->SetIndices(nullptr);
    device->SetVertexDeclaration(nullptr);
  }

  ~Quad() {
    Release(indices);
    Release(texCoords);
    Release(positions);
    Release(declaration);
  }
};

// Draws the quad textured with `texture` through an effect of the test data.
std::vector<Pixel> DrawTextured(RenderDevice& device, IDirect3DTexture9* texture,
                                const char* effectFile = "textured.cfx") {
  IDirect3DDevice9* d = device.device();
  ID3DXEffect* effect = LoadTestEffect(d, effectFile);
  if (!effect) return {};
  EXPECT_EQ(effect->SetTexture(effect->GetParameterByName(nullptr, "g_ColorTex"), texture), D3D_OK);
  Quad quad(d);
  device.Clear(0xFF000000);
  d->BeginScene();
  UINT passes = 0;
  EXPECT_EQ(effect->Begin(&passes, 0), D3D_OK);
  EXPECT_EQ(passes, 1u);
  EXPECT_EQ(effect->BeginPass(0), D3D_OK);
  EXPECT_EQ(quad.Draw(d), D3D_OK);
  effect->EndPass();
  effect->End();
  d->EndScene();
  quad.Unbind(d);
  d->SetTexture(0, nullptr);
  effect->Release();
  return device.ReadBackBuffer();
}

class LayerDrawTest : public ::testing::Test {
 protected:
  LayerDrawTest() : folder_(rendertest::ScratchFolder()) {}
  ~LayerDrawTest() override { std::filesystem::remove_all(folder_); }
  std::filesystem::path folder_;
};

// The back buffer has no alpha channel: a picture saved from it is opaque,
// even where the drawing wrote an alpha below one.
TEST_F(LayerDrawTest, ABackBufferWithoutAlphaSavesOpaque) {
  RenderDevice device(16, 16);
  device.device()->Clear(0, nullptr, D3DCLEAR_TARGET, 0x40FF0000, 1.0f, 0);
  IDirect3DSurface9* backBuffer = nullptr;
  ASSERT_EQ(device.device()->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &backBuffer), D3D_OK);
  std::filesystem::path saved = folder_ / "back.png";
  EXPECT_EQ(D3DXSaveSurfaceToFileW(saved.wstring().c_str(), D3DXIFF_PNG, backBuffer, nullptr, nullptr), D3D_OK);
  backBuffer->Release();
  int w = 0, h = 0, channels = 0;
  stbi_uc* back = stbi_load(saved.string().c_str(), &w, &h, &channels, 4);
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(back[0], 255);
  EXPECT_EQ(back[3], 255);
  stbi_image_free(back);
}

TEST_F(LayerDrawTest, ATexturedQuadShowsTheImagesTopLeftAtTheTopLeft) {
  RenderDevice device(64, 64);
  std::vector<Rgba> pixels = {{255, 0, 0, 255}, {0, 255, 0, 255}, {0, 0, 255, 255}, {255, 255, 255, 255}};
  std::filesystem::path file = folder_ / "quadrants.png";
  testimages::WriteFile(file.string(), testimages::Png(2, 2, pixels));
  IDirect3DTexture9* texture = nullptr;
  ASSERT_EQ(D3DXCreateTextureFromFileW(device.device(), file.wstring().c_str(), &texture), D3D_OK);
  auto image = DrawTextured(device, texture);

  // A level saves like any surface, top row first.
  IDirect3DSurface9* level0 = nullptr;
  ASSERT_EQ(texture->GetSurfaceLevel(0, &level0), D3D_OK);
  std::filesystem::path saved = folder_ / "saved.png";
  EXPECT_EQ(D3DXSaveSurfaceToFileW(saved.wstring().c_str(), D3DXIFF_PNG, level0, nullptr, nullptr), D3D_OK);
  level0->Release();
  int w = 0, h = 0, channels = 0;
  stbi_uc* back = stbi_load(saved.string().c_str(), &w, &h, &channels, 4);
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(std::vector<int>(back, back + 16),
            (std::vector<int>{255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255, 255, 255, 255}));
  stbi_image_free(back);
  texture->Release();
  ASSERT_EQ(image.size(), 64u * 64u);
  EXPECT_EQ(image[0], (Pixel{255, 0, 0}));
  EXPECT_EQ(image[63], (Pixel{0, 255, 0}));
  EXPECT_EQ(image[63 * 64], (Pixel{0, 0, 255}));
  EXPECT_EQ(image[63 * 64 + 63], (Pixel{255, 255, 255}));
}

TEST_F(LayerDrawTest, SamplerStatesOfTheEffectFileFilterTheTexture) {
  RenderDevice device(64, 64);
  std::vector<Rgba> pixels = {{255, 0, 0, 255}, {0, 255, 0, 255}, {0, 0, 255, 255}, {255, 255, 255, 255}};
  std::filesystem::path file = folder_ / "quadrants.png";
  testimages::WriteFile(file.string(), testimages::Png(2, 2, pixels));
  IDirect3DTexture9* texture = nullptr;
  ASSERT_EQ(D3DXCreateTextureFromFileW(device.device(), file.wstring().c_str(), &texture), D3D_OK);
  compat::testing::StartTrace();
  auto image = DrawTextured(device, texture, "filtered.cfx");
  auto trace = compat::testing::StopTrace();
  texture->Release();
  EXPECT_NE(std::find(trace.begin(), trace.end(), "SetSamplerState 0 5 2"), trace.end());  // MagFilter Linear
  EXPECT_NE(std::find(trace.begin(), trace.end(), "SetSamplerState 0 1 3"), trace.end());  // AddressU Clamp
  ASSERT_EQ(image.size(), 64u * 64u);
  EXPECT_EQ(image[0], (Pixel{255, 0, 0}));  // clamped: the corner keeps its texel
  Pixel middle = image[32 * 64 + 32];       // all four texels mixed
  EXPECT_GT(middle.r, 60);
  EXPECT_GT(middle.g, 60);
  EXPECT_GT(middle.b, 60);
  EXPECT_LT(middle.r, 200);
}

TEST_F(LayerDrawTest, ADxtTextureFromADdsFileLoadsAndDraws) {
  RenderDevice device(32, 32);
  std::filesystem::path file = folder_ / "Solid.DDS";
  testimages::WriteFile(file.string(), testimages::DdsDxt1Solid(8, 8, 0xF800, 4));
  IDirect3DTexture9* texture = nullptr;
  // Windows rules: a backslash and another case find the file.
  std::wstring spelled = (folder_ / "solid.dds").wstring();
  ASSERT_EQ(D3DXCreateTextureFromFileW(device.device(), spelled.c_str(), &texture), D3D_OK);
  D3DSURFACE_DESC desc{};
  ASSERT_EQ(texture->GetLevelDesc(0, &desc), D3D_OK);
  EXPECT_EQ(desc.Format, D3DFMT_DXT1);
  EXPECT_EQ(desc.Width, 8u);
  EXPECT_EQ(texture->GetLevelCount(), 4u);
  auto image = DrawTextured(device, texture);
  texture->Release();
  ASSERT_EQ(image.size(), 32u * 32u);
  EXPECT_EQ(image[0], (Pixel{255, 0, 0}));
  EXPECT_EQ(image[16 * 32 + 16], (Pixel{255, 0, 0}));
}

TEST_F(LayerDrawTest, DrawsWithoutAnOpenPassOrBeyondTheBuffersFail) {
  RenderDevice device;
  IDirect3DDevice9* d = device.device();
  Quad quad(d);
  StderrCapture captured;
  EXPECT_EQ(quad.Draw(d), D3DERR_INVALIDCALL);
  std::string output = captured.Take();
  EXPECT_NE(output.find("no effect pass is open"), std::string::npos) << output;

  ID3DXEffect* effect = LoadTestEffect(d, "textured.cfx");
  ASSERT_NE(effect, nullptr);
  effect->Begin(nullptr, 0);
  effect->BeginPass(0);
  captured.Start();
  EXPECT_EQ(d->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4, 3, 2),
            D3DERR_INVALIDCALL);  // 9 indices of 6
  EXPECT_EQ(d->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 2, 0, 4, 0, 2), D3DERR_INVALIDCALL);  // vertex 5 of 4
  EXPECT_EQ(d->DrawPrimitive(D3DPT_TRIANGLELIST, 2, 1), D3DERR_INVALIDCALL);
  output = captured.Take();
  EXPECT_NE(output.find("beyond the end of the index buffer"), std::string::npos) << output;
  EXPECT_NE(output.find("beyond the end of stream 0"), std::string::npos) << output;
  EXPECT_EQ(d->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4, 3, 1), D3D_OK);
  effect->EndPass();
  effect->End();
  quad.Unbind(d);
  effect->Release();
}

TEST_F(LayerDrawTest, BadDeclarationsAndLocksAreRefused) {
  RenderDevice device;
  IDirect3DDevice9* d = device.device();
  std::vector<D3DVERTEXELEMENT9> endless(
      MAXD3DDECLLENGTH + 1, {0, 0, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_POSITION, 0});
  for (WORD i = 0; i < endless.size(); ++i) endless[i].UsageIndex = static_cast<BYTE>(i);
  IDirect3DVertexDeclaration9* declaration = nullptr;
  StderrCapture captured;
  EXPECT_EQ(d->CreateVertexDeclaration(endless.data(), &declaration), D3DERR_INVALIDCALL);
  const D3DVERTEXELEMENT9 twice[] = {{0, 0, D3DDECLTYPE_FLOAT3, 0, D3DDECLUSAGE_POSITION, 0},
                                     {0, 12, D3DDECLTYPE_FLOAT3, 0, D3DDECLUSAGE_POSITION, 0},
                                     D3DDECL_END()};
  EXPECT_EQ(d->CreateVertexDeclaration(twice, &declaration), D3DERR_INVALIDCALL);
  std::string output = captured.Take();
  EXPECT_NE(output.find("no end marker"), std::string::npos) << output;
  EXPECT_NE(output.find("appears twice"), std::string::npos) << output;
  EXPECT_EQ(declaration, nullptr);

  IDirect3DVertexBuffer9* buffer = nullptr;
  ASSERT_EQ(d->CreateVertexBuffer(64, 0, 0, D3DPOOL_MANAGED, &buffer, nullptr), D3D_OK);
  void* data = nullptr;
  EXPECT_EQ(buffer->Lock(60, 8, &data, 0), D3DERR_INVALIDCALL);
  EXPECT_EQ(data, nullptr);
  EXPECT_EQ(buffer->Unlock(), D3DERR_INVALIDCALL);
  EXPECT_EQ(buffer->Lock(16, 0, &data, 0), D3D_OK);  // size 0: to the end
  EXPECT_EQ(buffer->Unlock(), D3D_OK);
  D3DVERTEXBUFFER_DESC desc{};
  EXPECT_EQ(buffer->GetDesc(&desc), D3D_OK);
  EXPECT_EQ(desc.Size, 64u);
  EXPECT_EQ(desc.Pool, D3DPOOL_MANAGED);
  buffer->Release();
  IDirect3DIndexBuffer9* indices = nullptr;
  EXPECT_EQ(d->CreateIndexBuffer(12, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &indices, nullptr),
            D3DERR_INVALIDCALL);
  IDirect3DTexture9* texture = nullptr;
  EXPECT_EQ(d->CreateTexture(0, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr),
            D3DERR_INVALIDCALL);
}

TEST_F(LayerDrawTest, ResourcesKnowTheirDeviceAndMayOutliveIt) {
  IDirect3DTexture9* texture = nullptr;
  IDirect3DVertexBuffer9* buffer = nullptr;
  IDirect3DSurface9* level0 = nullptr;
  {
    RenderDevice device;
    ASSERT_EQ(device.device()->CreateTexture(4, 4, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr),
              D3D_OK);
    EXPECT_EQ(texture->GetLevelCount(), 3u);
    ASSERT_EQ(texture->GetSurfaceLevel(0, &level0), D3D_OK);
    ASSERT_EQ(device.device()->CreateVertexBuffer(16, 0, 0, D3DPOOL_MANAGED, &buffer, nullptr), D3D_OK);
    IDirect3DDevice9* owner = nullptr;
    ASSERT_EQ(level0->GetDevice(&owner), D3D_OK);
    EXPECT_EQ(owner, device.device());
    owner->Release();
    // Bound objects are held by the device and let go with it.
    device.device()->SetTexture(0, texture);
    device.device()->SetStreamSource(0, buffer, 0, 16);
  }
  IDirect3DDevice9* owner = nullptr;
  EXPECT_EQ(buffer->GetDevice(&owner), D3DERR_INVALIDCALL);
  EXPECT_EQ(owner, nullptr);
  void* data = nullptr;
  EXPECT_EQ(buffer->Lock(0, 0, &data, 0), D3D_OK);
  EXPECT_EQ(buffer->Unlock(), D3D_OK);
  D3DLOCKED_RECT locked{};
  EXPECT_EQ(level0->LockRect(&locked, nullptr, 0), D3D_OK);
  EXPECT_EQ(locked.Pitch, 16);
  EXPECT_EQ(level0->UnlockRect(), D3D_OK);
  texture->Release();
  level0->Release();  // the surface kept the texture alive until now
  buffer->Release();
  EXPECT_EQ(compat::testing::LiveObjectCount(), 0);
}

TEST_F(LayerDrawTest, EverythingIsReleasedAtTheEnd) {
  {
    RenderDevice device(32, 32);
    std::filesystem::path file = folder_ / "t.png";
    testimages::WriteFile(file.string(), testimages::Png(2, 2, std::vector<Rgba>(4, {1, 2, 3, 255})));
    IDirect3DTexture9* texture = nullptr;
    ASSERT_EQ(D3DXCreateTextureFromFileW(device.device(), file.wstring().c_str(), &texture), D3D_OK);
    DrawTextured(device, texture);
    ID3DXEffect* effect = LoadTestEffect(device.device(), "textured.cfx");
    ASSERT_NE(effect, nullptr);
    effect->SetTexture("g_ColorTex", texture);
    ID3DXEffect* clone = nullptr;
    ASSERT_EQ(effect->CloneEffect(device.device(), &clone), D3D_OK);
    IDirect3DBaseTexture9* held = nullptr;
    ASSERT_EQ(clone->GetTexture("g_ColorTex", &held), D3D_OK);
    EXPECT_EQ(held, texture);
    held->Release();
    texture->Release();
    effect->Release();
    device.Close();  // the clone still holds the device
    EXPECT_GT(compat::testing::LiveObjectCount(), 0);
    clone->Release();
  }
  EXPECT_EQ(compat::testing::LiveObjectCount(), 0);
}

TEST_F(LayerDrawTest, TextureStagesFollowEveryChangeOfTexture) {
  RenderDevice device(16, 16);
  auto Solid = [&](const char* name, Rgba colour) {
    std::filesystem::path file = folder_ / name;
    testimages::WriteFile(file.string(), testimages::Png(1, 1, {colour}));
    IDirect3DTexture9* texture = nullptr;
    EXPECT_EQ(D3DXCreateTextureFromFileW(device.device(), file.wstring().c_str(), &texture), D3D_OK);
    return texture;
  };
  IDirect3DTexture9* red = Solid("red.png", {255, 0, 0, 255});
  IDirect3DTexture9* green = Solid("green.png", {0, 255, 0, 255});
  EXPECT_EQ(DrawTextured(device, red)[0], (Pixel{255, 0, 0}));
  EXPECT_EQ(DrawTextured(device, green)[0], (Pixel{0, 255, 0}));
  // A texture made after another was deleted may get its GL name again.
  green->Release();
  IDirect3DTexture9* blue = Solid("blue.png", {0, 0, 255, 255});
  EXPECT_EQ(DrawTextured(device, blue)[0], (Pixel{0, 0, 255}));
  EXPECT_EQ(DrawTextured(device, red)[0], (Pixel{255, 0, 0}));
  blue->Release();
  red->Release();
}

TEST_F(LayerDrawTest, DrawsAreCheckedByTheIndicesTheyUse) {
  RenderDevice device(16, 16);
  IDirect3DDevice9* d = device.device();
  ID3DXEffect* effect = LoadTestEffect(d, "textured.cfx");
  ASSERT_NE(effect, nullptr);
  Quad quad(d);
  // Two more triangles in the buffer, one of which reaches far past the four vertices.
  IDirect3DIndexBuffer9* indices = nullptr;
  const WORD order[] = {0, 1, 2, 0, 2, 3, 0, 2, 3, 0, 1, 100};
  ASSERT_EQ(d->CreateIndexBuffer(sizeof order, 0, D3DFMT_INDEX16, D3DPOOL_MANAGED, &indices, nullptr), D3D_OK);
  void* data = nullptr;
  ASSERT_EQ(indices->Lock(0, 0, &data, 0), D3D_OK);
  std::memcpy(data, order, sizeof order);
  indices->Unlock();
  quad.Bind(d);
  d->SetIndices(indices);
  d->BeginScene();
  UINT passes = 0;
  effect->Begin(&passes, 0);
  effect->BeginPass(0);
  EXPECT_EQ(d->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4, 0, 3), D3D_OK);
  StderrCapture captured;
  EXPECT_EQ(d->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4, 6, 2), D3DERR_INVALIDCALL);
  EXPECT_NE(captured.Take().find("beyond the end of stream"), std::string::npos);
  // Indices from a base vertex before the first vertex are refused too.
  EXPECT_EQ(d->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, -1, 0, 4, 0, 1), D3DERR_INVALIDCALL);
  effect->EndPass();
  effect->End();
  d->EndScene();
  quad.Unbind(d);
  indices->Release();
  effect->Release();
}

TEST_F(LayerDrawTest, A256MatrixPaletteWorksAndOnlyChangedValuesAreUploaded) {
  RenderDevice device(16, 16);
  IDirect3DDevice9* d = device.device();
  ID3DXEffect* effect = LoadTestEffect(d, "palette.cfx");
  ASSERT_NE(effect, nullptr);
  std::vector<D3DXMATRIX> palette(256);
  for (D3DXMATRIX& m : palette) D3DXMatrixIdentity(&m);
  // The last matrix halves the quad into the top right quarter.
  D3DXMatrixScaling(&palette[255], 0.5f, 0.5f, 1.0f);
  palette[255].m[3][0] = palette[255].m[3][1] = 0.5f;
  ASSERT_EQ(effect->SetMatrixArray("g_mPalette", palette.data(), 256), D3D_OK);
  D3DXVECTOR4 yellow(1, 1, 0, 1);
  effect->SetVector("g_Color", &yellow);

  Quad quad(d);
  device.Clear(0xFF000000);
  d->BeginScene();
  UINT passes = 0;
  effect->Begin(&passes, 0);
  std::uint64_t before = compat::testing::EffectBytesUploaded();
  effect->BeginPass(0);
  EXPECT_EQ(compat::testing::EffectBytesUploaded() - before, 256u * 64 + 16);
  EXPECT_EQ(quad.Draw(d), D3D_OK);

  before = compat::testing::EffectBytesUploaded();
  effect->SetMatrixArray("g_mPalette", palette.data(), 256);  // the same values again
  effect->SetVector("g_Color", &yellow);
  effect->CommitChanges();
  EXPECT_EQ(compat::testing::EffectBytesUploaded() - before, 0u);

  palette[3].m[0][1] = 0.25f;
  palette[7].m[2][3] = 0.5f;
  effect->SetMatrixArray("g_mPalette", palette.data(), 8);
  effect->CommitChanges();
  EXPECT_EQ(compat::testing::EffectBytesUploaded() - before, (7u * 16 + 12 - (3 * 16 + 1)) * 4);
  effect->EndPass();
  effect->End();
  d->EndScene();
  quad.Unbind(d);
  effect->Release();

  std::vector<Pixel> image = device.ReadBackBuffer();
  EXPECT_EQ(image[15], (Pixel{255, 255, 0}));     // top right
  EXPECT_EQ(image[15 * 16], (Pixel{0, 0, 0}));    // bottom left
}

}  // namespace
