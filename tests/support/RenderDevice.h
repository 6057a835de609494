// A real device on an offscreen window for the render tests, and reading its
// back buffer through D3DXSaveSurfaceToFileW.
#pragma once

#include <windows.h>
#include <d3d9.h>
#include <d3dx9.h>
#include <gtest/gtest.h>
#include <stb_image.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "support/LayerTestSupport.h"

namespace rendertest {

// A folder of its own for the files one test writes.
inline std::filesystem::path ScratchFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "render-test-XXXXXX").string();
  char* made = mkdtemp(pattern.data());
  return made ? std::filesystem::path(made) : std::filesystem::temp_directory_path();
}

struct Pixel {
  int r, g, b;
  bool operator==(const Pixel&) const = default;
};
inline std::ostream& operator<<(std::ostream& out, const Pixel& p) {
  return out << "(" << p.r << ", " << p.g << ", " << p.b << ")";
}

class RenderDevice {
 public:
  // A window whose outer size is width x height, and a HAL device of that size.
  explicit RenderDevice(UINT width = 64, UINT height = 64) : width_(width), height_(height) {
    RECT frame = {0, 0, 0, 0};
    AdjustWindowRectEx(&frame, WS_OVERLAPPEDWINDOW, FALSE, 0);
    hwnd_ = test_support::CreatePlainWindow(static_cast<int>(width) - (frame.right - frame.left),
                                            static_cast<int>(height) - (frame.bottom - frame.top), true);
    EXPECT_NE(hwnd_, nullptr);
    direct3d_ = Direct3DCreate9(D3D_SDK_VERSION);
    EXPECT_NE(direct3d_, nullptr);
    if (direct3d_) device_ = test_support::CreateDevice(direct3d_, hwnd_, width, height);
    EXPECT_NE(device_, nullptr);
  }

  ~RenderDevice() { Close(); }

  // Releases the device, Direct3D and the window (before a live-object check).
  void Close() {
    if (device_) device_->Release();
    device_ = nullptr;
    if (direct3d_) direct3d_->Release();
    direct3d_ = nullptr;
    if (hwnd_) DestroyWindow(hwnd_);
    hwnd_ = nullptr;
  }

  IDirect3DDevice9* device() const { return device_; }
  UINT width() const { return width_; }
  UINT height() const { return height_; }

  void Clear(D3DCOLOR color) {
    device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, color, 1.0f, 0);
  }

  // The back buffer as RGB, top row first.
  std::vector<Pixel> ReadBackBuffer() {
    std::vector<Pixel> pixels;
    IDirect3DSurface9* surface = nullptr;
    if (FAILED(device_->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &surface)) || !surface) {
      ADD_FAILURE() << "no back buffer";
      return pixels;
    }
    std::filesystem::path file = ScratchFolder() / "back.png";
    HRESULT saved = D3DXSaveSurfaceToFileW(file.wstring().c_str(), D3DXIFF_PNG, surface, nullptr, nullptr);
    surface->Release();
    EXPECT_EQ(saved, D3D_OK);
    int w = 0, h = 0, channels = 0;
    stbi_uc* data = stbi_load(file.string().c_str(), &w, &h, &channels, 3);
    if (!data) {
      ADD_FAILURE() << "the saved back buffer cannot be read";
      return pixels;
    }
    EXPECT_EQ(static_cast<UINT>(w), width_);
    EXPECT_EQ(static_cast<UINT>(h), height_);
    for (int i = 0; i < w * h; ++i) pixels.push_back({data[i * 3], data[i * 3 + 1], data[i * 3 + 2]});
    stbi_image_free(data);
    std::filesystem::remove_all(file.parent_path());
    return pixels;
  }

 private:
  UINT width_, height_;
  HWND hwnd_ = nullptr;
  IDirect3D9* direct3d_ = nullptr;
  IDirect3DDevice9* device_ = nullptr;
};

// Runs the test from the folder of the shipped effect files, as the programs run.
class InAssetsFolder {
 public:
  InAssetsFolder() : previous_(std::filesystem::current_path()) {
    std::filesystem::current_path(std::filesystem::path(XVIEW_SOURCE_DIR) / "assets");
  }
  ~InAssetsFolder() { std::filesystem::current_path(previous_); }

 private:
  std::filesystem::path previous_;
};

// A file of the render tests' data folder.
inline std::wstring TestData(const char* name) {
  return (std::filesystem::path(XVIEW_TEST_DATA) / "render" / name).wstring();
}

// Compiles an effect of the test data; a compile error fails the test with
// the compiler's text. Null when it did not compile.
inline ID3DXEffect* LoadTestEffect(IDirect3DDevice9* device, const char* name) {
  ID3DXEffect* effect = nullptr;
  ID3DXBuffer* errors = nullptr;
  EXPECT_EQ(D3DXCreateEffectFromFileExW(device, TestData(name).c_str(), nullptr, nullptr, nullptr, 0, nullptr,
                                        &effect, &errors),
            D3D_OK)
      << name << ": " << (errors ? static_cast<const char*>(errors->GetBufferPointer()) : "");
  if (errors) errors->Release();
  return effect;
}

}  // namespace rendertest
