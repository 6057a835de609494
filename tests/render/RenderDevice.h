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

namespace rendertest {

inline LRESULT CALLBACK TestWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

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
  explicit RenderDevice(UINT width = 64, UINT height = 64) : width_(width), height_(height) {
    static bool registered = [] {
      WNDCLASSEXW windowClass{};
      windowClass.cbSize = sizeof windowClass;
      windowClass.lpfnWndProc = TestWindowProc;
      windowClass.hInstance = GetModuleHandleW(nullptr);
      windowClass.lpszClassName = L"RENDER_TEST";
      return RegisterClassExW(&windowClass) != 0;
    }();
    EXPECT_TRUE(registered);
    hwnd_ =
        CreateWindowExW(0, L"RENDER_TEST", L"render test", WS_OVERLAPPEDWINDOW, 0, 0, static_cast<int>(width),
                        static_cast<int>(height), nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    EXPECT_NE(hwnd_, nullptr);
    direct3d_ = Direct3DCreate9(D3D_SDK_VERSION);
    EXPECT_NE(direct3d_, nullptr);
    D3DPRESENT_PARAMETERS parameters{};
    parameters.BackBufferWidth = width;
    parameters.BackBufferHeight = height;
    parameters.BackBufferFormat = D3DFMT_X8R8G8B8;
    parameters.BackBufferCount = 1;
    parameters.SwapEffect = D3DSWAPEFFECT_DISCARD;
    parameters.hDeviceWindow = hwnd_;
    parameters.Windowed = TRUE;
    parameters.EnableAutoDepthStencil = TRUE;
    parameters.AutoDepthStencilFormat = D3DFMT_D24S8;
    parameters.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
    if (direct3d_) {
      EXPECT_EQ(direct3d_->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, hwnd_,
                                        D3DCREATE_HARDWARE_VERTEXPROCESSING, &parameters, &device_),
                D3D_OK);
    }
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

}  // namespace rendertest
