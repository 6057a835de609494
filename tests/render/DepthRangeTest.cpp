// Direct3D's clip-space depth (0 to w) on any OpenGL 3.3: through
// glClipControl where the context has it, mapped in the vertex shaders where
// it does not. CTest runs this suite twice, the second time with Mesa told to
// offer OpenGL 3.3 without GL_ARB_clip_control.
#include <epoxy/gl.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <iostream>

#include "support/RenderDevice.h"
#include "compat/testing_d3d9.h"

namespace {

using rendertest::Pixel;
using rendertest::RenderDevice;
using rendertest::LoadTestEffect;

bool ClipControlHiddenByMesa() {
  const char* extensions = std::getenv("MESA_EXTENSION_OVERRIDE");
  return extensions && std::strstr(extensions, "-GL_ARB_clip_control");
}

class DepthRange : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(device_.device(), nullptr);
    effect_ = LoadTestEffect(device_.device(), "clip_space_color.cfx");
    ASSERT_NE(effect_, nullptr);
    IDirect3DDevice9* d = device_.device();
    const D3DVERTEXELEMENT9 elements[] = {
        {0, 0, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_POSITION, 0},
        D3DDECL_END(),
    };
    ASSERT_EQ(d->CreateVertexDeclaration(elements, &declaration_), D3D_OK);
    d->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    d->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
    d->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESSEQUAL);
  }
  void TearDown() override {
    if (declaration_) declaration_->Release();
    if (effect_) effect_->Release();
    device_.Close();
    EXPECT_EQ(compat::testing::LiveObjectCount(), 0);
  }

  void Clear(float depth) {
    device_.device()->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, depth, 0);
  }

  // A quad over the left (x < 0) or right half of the target at clip depth z.
  void Quad(bool left, float z, D3DCOLOR color) {
    IDirect3DDevice9* d = device_.device();
    const float x0 = left ? -1.0f : 0.0f, x1 = left ? 0.0f : 1.0f;
    const float corners[] = {x0, 1, z, x1, 1, z, x1, -1, z, x0, 1, z, x1, -1, z, x0, -1, z};
    D3DXVECTOR4 rgba(((color >> 16) & 0xFF) / 255.0f, ((color >> 8) & 0xFF) / 255.0f, (color & 0xFF) / 255.0f, 1);
    effect_->SetVector(effect_->GetParameterByName(nullptr, "g_Diffuse"), &rgba);
    d->BeginScene();
    UINT passes = 0;
    effect_->Begin(&passes, 0);
    effect_->BeginPass(0);
    d->SetVertexDeclaration(declaration_);
    EXPECT_EQ(d->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 2, corners, 12), D3D_OK);
    effect_->EndPass();
    effect_->End();
    d->EndScene();
  }

  // The colours at the middle of the left and the right half.
  std::pair<Pixel, Pixel> Halves() {
    std::vector<Pixel> pixels = device_.ReadBackBuffer();
    const UINT w = device_.width(), y = device_.height() / 2;
    if (pixels.size() != static_cast<std::size_t>(w) * device_.height()) return {};
    return {pixels[y * w + w / 4], pixels[y * w + 3 * w / 4]};
  }

  RenderDevice device_;
  ID3DXEffect* effect_ = nullptr;
  IDirect3DVertexDeclaration9* declaration_ = nullptr;
};

const Pixel kBlack{0, 0, 0}, kRed{255, 0, 0}, kGreen{0, 255, 0};

TEST_F(DepthRange, TheLayerSaysHowItMapsDepth) {
  const bool mapped = compat::testing::MapsDepthInVertexShaders(device_.device());
  std::cout << "OpenGL " << glGetString(GL_VERSION) << ": Direct3D depth "
            << (mapped ? "mapped in the vertex shaders" : "from glClipControl") << '\n';
  if (ClipControlHiddenByMesa()) {
    EXPECT_TRUE(mapped);
    EXPECT_EQ(epoxy_gl_version(), 33);
    EXPECT_FALSE(epoxy_has_gl_extension("GL_ARB_clip_control"));
  }
}

// Depth z of a vertex with w = 1 lands in the depth buffer as z, not as
// (z + 1) / 2: a quad at 0.2 passes a buffer cleared to 0.5, and one at 0.6
// does not.
TEST_F(DepthRange, DepthTestingComparesDirect3DDepths) {
  Clear(0.5f);
  Quad(true, 0.2f, 0xFF00FF00);
  Quad(false, 0.6f, 0xFFFF0000);
  EXPECT_EQ(Halves(), std::make_pair(kGreen, kBlack));
  // The nearer of two quads wins whichever comes first.
  Clear(1.0f);
  Quad(true, 0.3f, 0xFF00FF00);
  Quad(true, 0.7f, 0xFFFF0000);
  Quad(false, 0.7f, 0xFFFF0000);
  Quad(false, 0.3f, 0xFF00FF00);
  EXPECT_EQ(Halves(), std::make_pair(kGreen, kGreen));
}

// Geometry is clipped at depth 0, the near plane, and kept up to depth w, the
// far plane; GL's own range would still show depths down to -w.
TEST_F(DepthRange, NearAndFarPlanesAreDirect3Ds) {
  Clear(1.0f);
  Quad(true, -0.5f, 0xFFFF0000);
  Quad(false, -0.01f, 0xFFFF0000);
  EXPECT_EQ(Halves(), std::make_pair(kBlack, kBlack));
  Clear(1.0f);
  Quad(true, 0.0f, 0xFF00FF00);
  Quad(false, 1.0f, 0xFF00FF00);
  EXPECT_EQ(Halves(), std::make_pair(kGreen, kGreen));
  Clear(1.0f);
  Quad(true, 1.01f, 0xFFFF0000);
  EXPECT_EQ(Halves().first, kBlack);
}

}  // namespace
