// One test effect per HLSL construct a user's own effect may use, each drawn
// over the whole back buffer and probed left and right of the middle.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "support/RenderDevice.h"

namespace {

using rendertest::Pixel;
using rendertest::RenderDevice;

struct Construct {
  const char* file;  // in tests/data/render/constructs
  Pixel left;        // at a quarter of the width, half the height
  Pixel right;       // at three quarters
};

const Construct kConstructs[] = {
    {"clip.cfx", {0, 0, 0}, {255, 255, 255}},
    {"saturate.cfx", {0, 0, 0}, {255, 0, 0}},
    {"lerp.cfx", {189, 0, 66}, {62, 0, 193}},
    {"sampler2d_struct_position.cfx", {0, 255, 255}, {0, 255, 255}},
    {"position_return.cfx", {255, 0, 255}, {255, 0, 255}},
    {"reordered_inputs.cfx", {0, 255, 0}, {0, 255, 0}},
    {"color0.cfx", {0, 255, 0}, {0, 255, 0}},
    {"define_pass.cfx", {255, 255, 0}, {255, 255, 0}},
    {"include.cfx", {0, 255, 255}, {0, 255, 255}},
};

std::wstring ConstructFile(const char* name) {
  return (std::filesystem::path(XVIEW_TEST_DATA) / "render" / "constructs" / name).wstring();
}

struct QuadVertex {
  float x, y, z, u, v;
  D3DCOLOR color;
};

bool Near(const Pixel& a, const Pixel& b) {
  return std::abs(a.r - b.r) <= 10 && std::abs(a.g - b.g) <= 10 && std::abs(a.b - b.b) <= 10;
}

class EffectConstructs : public ::testing::TestWithParam<Construct> {};

TEST_P(EffectConstructs, DrawsWhatTheConstructMeans) {
  RenderDevice device;
  IDirect3DDevice9* d = device.device();
  ASSERT_NE(d, nullptr);
  ID3DXEffect* effect = nullptr;
  ID3DXBuffer* errors = nullptr;
  ASSERT_EQ(D3DXCreateEffectFromFileExW(d, ConstructFile(GetParam().file).c_str(), nullptr, nullptr, nullptr, 0,
                                        nullptr, &effect, &errors),
            D3D_OK)
      << (errors ? static_cast<const char*>(errors->GetBufferPointer()) : "");
  // A white texture for the effects that sample one.
  IDirect3DTexture9* texture = nullptr;
  ASSERT_EQ(d->CreateTexture(1, 1, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr), D3D_OK);
  D3DLOCKED_RECT locked{};
  ASSERT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3D_OK);
  std::memset(locked.pBits, 0xFF, 4);
  texture->UnlockRect(0);
  effect->SetTexture("g_ColorTex", texture);

  const D3DVERTEXELEMENT9 elements[] = {
      {0, 0, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_POSITION, 0},
      {0, 12, D3DDECLTYPE_FLOAT2, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_TEXCOORD, 0},
      {0, 20, D3DDECLTYPE_D3DCOLOR, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_COLOR, 0},
      D3DDECL_END(),
  };
  IDirect3DVertexDeclaration9* declaration = nullptr;
  ASSERT_EQ(d->CreateVertexDeclaration(elements, &declaration), D3D_OK);
  const D3DCOLOR green = 0xFF00FF00;
  const QuadVertex quad[] = {{-1, 1, 0.5f, 0, 0, green}, {1, 1, 0.5f, 1, 0, green},
                             {-1, -1, 0.5f, 0, 1, green}, {1, -1, 0.5f, 1, 1, green}};
  d->SetVertexDeclaration(declaration);
  d->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  device.Clear(0xFF000000);
  d->BeginScene();
  UINT passes = 0;
  ASSERT_EQ(effect->Begin(&passes, 0), D3D_OK);
  ASSERT_EQ(effect->BeginPass(0), D3D_OK);
  EXPECT_EQ(d->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(QuadVertex)), D3D_OK);
  effect->EndPass();
  effect->End();
  d->EndScene();
  std::vector<Pixel> image = device.ReadBackBuffer();
  ASSERT_EQ(image.size(), std::size_t{device.width()} * device.height());
  UINT row = device.height() / 2;
  const Pixel& left = image[row * device.width() + device.width() / 4];
  const Pixel& right = image[row * device.width() + device.width() * 3 / 4];
  EXPECT_TRUE(Near(left, GetParam().left)) << int{left.r} << "," << int{left.g} << "," << int{left.b};
  EXPECT_TRUE(Near(right, GetParam().right)) << int{right.r} << "," << int{right.g} << "," << int{right.b};
  d->SetVertexDeclaration(nullptr);
  declaration->Release();
  texture->Release();
  effect->Release();
}

INSTANTIATE_TEST_SUITE_P(OnePerConstruct, EffectConstructs, ::testing::ValuesIn(kConstructs),
                         [](const ::testing::TestParamInfo<Construct>& info) {
                           std::string name = info.param.file;
                           return name.substr(0, name.find('.'));
                         });

// A literal argument in a compile statement is refused, naming the line.
TEST(EffectConstructRefusals, ALiteralArgumentIsRefusedWithItsLine) {
  RenderDevice device;
  ID3DXEffect* effect = nullptr;
  ID3DXBuffer* errors = nullptr;
  EXPECT_EQ(D3DXCreateEffectFromFileExW(device.device(), ConstructFile("literal_argument.cfx").c_str(), nullptr,
                                        nullptr, nullptr, 0, nullptr, &effect, &errors),
            E_FAIL);
  EXPECT_EQ(effect, nullptr);
  ASSERT_NE(errors, nullptr);
  std::string text = static_cast<const char*>(errors->GetBufferPointer());
  EXPECT_NE(text.find("literal_argument.cfx(19): literal arguments to 'ProbePS' are not supported"),
            std::string::npos)
      << text;
  errors->Release();
}

}  // namespace
