// The back buffer: clearing, scenes, presenting, and its size when the window
// changes.
#include <gtest/gtest.h>

#include "compat/testing.h"
#include "support/LayerTestSupport.h"

namespace {

class BackBuffer : public ::testing::Test {
 protected:
  void SetUp() override {
    window = test_support::CreatePlainWindow(160, 120);
    direct3d = Direct3DCreate9(D3D_SDK_VERSION);
    ASSERT_NE(direct3d, nullptr);
    device = test_support::CreateDevice(direct3d, window, 200, 150);
    ASSERT_NE(device, nullptr);
  }
  void TearDown() override {
    if (device) device->Release();
    if (direct3d) direct3d->Release();
    DestroyWindow(window);
    EXPECT_EQ(compat::testing::LiveObjectCount(), 0);
  }
  HWND window = nullptr;
  IDirect3D9* direct3d = nullptr;
  IDirect3DDevice9* device = nullptr;
};

TEST_F(BackBuffer, ClearedToOpaqueBlackReadsBackBlack) {
  ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFFFF00FF, 1.0f, 0), D3D_OK);
  ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL, 0xFF000000, 1.0f, 0),
            D3D_OK);
  test_support::Pixels pixels = test_support::ReadBackBuffer(device);
  ASSERT_EQ(pixels.width, 200u);
  ASSERT_EQ(pixels.height, 150u);
  for (UINT y = 0; y < pixels.height; ++y)
    for (UINT x = 0; x < pixels.width; ++x) ASSERT_EQ(pixels.At(x, y), 0xFF000000u) << x << "," << y;
}

TEST_F(BackBuffer, RectanglesKeepTheTopLeftOriginOfDirect3D) {
  device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
  D3DRECT topLeft = {0, 0, 10, 5};
  ASSERT_EQ(device->Clear(1, &topLeft, D3DCLEAR_TARGET, 0xFF336699, 1.0f, 0), D3D_OK);
  test_support::Pixels pixels = test_support::ReadBackBuffer(device);
  EXPECT_EQ(pixels.At(0, 0), 0xFF336699u);
  EXPECT_EQ(pixels.At(9, 4), 0xFF336699u);
  EXPECT_EQ(pixels.At(10, 4), 0xFF000000u);
  EXPECT_EQ(pixels.At(0, 149), 0xFF000000u);
  EXPECT_EQ(device->Clear(1, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0), D3DERR_INVALIDCALL);
}

TEST_F(BackBuffer, ScenesDoNotNest) {
  EXPECT_EQ(device->EndScene(), D3DERR_INVALIDCALL);
  EXPECT_EQ(device->BeginScene(), D3D_OK);
  EXPECT_EQ(device->BeginScene(), D3DERR_INVALIDCALL);
  EXPECT_EQ(device->EndScene(), D3D_OK);
  EXPECT_EQ(device->EndScene(), D3DERR_INVALIDCALL);
  EXPECT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
}

TEST_F(BackBuffer, AResizedWindowKeepsTheCreationSize) {
  SetWindowPos(window, nullptr, 0, 0, 800, 600, SWP_NOMOVE | SWP_NOZORDER);
  device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF112233, 1.0f, 0);
  EXPECT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
  IDirect3DSurface9* surface = nullptr;
  ASSERT_EQ(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &surface), D3D_OK);
  D3DSURFACE_DESC desc;
  surface->GetDesc(&desc);
  EXPECT_EQ(desc.Width, 200u);
  EXPECT_EQ(desc.Height, 150u);
  surface->Release();
  D3DVIEWPORT9 viewport;
  device->GetViewport(&viewport);
  EXPECT_EQ(viewport.Width, 200u);
}

TEST_F(BackBuffer, SurfacesAndDeviceAreReferenceCounted) {
  IDirect3DSurface9* target = nullptr;
  IDirect3DSurface9* again = nullptr;
  ASSERT_EQ(device->GetRenderTarget(0, &target), D3D_OK);
  ASSERT_EQ(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &again), D3D_OK);
  EXPECT_EQ(target, again);
  IDirect3DDevice9* owner = nullptr;
  target->GetDevice(&owner);
  EXPECT_EQ(owner, device);
  owner->Release();
  EXPECT_EQ(device->GetRenderTarget(1, &again), D3DERR_NOTFOUND);
  target->Release();
  target->Release();
  // The surface held the device; releasing our reference now frees both.
  EXPECT_EQ(device->Release(), 0u);
  device = nullptr;
}

}  // namespace
