#include "common/Screenshots.h"

#include <d3dx9.h>

#include <cstdio>
#include <cwchar>
#include <filesystem>

namespace {
constexpr int kLastScreenshotNumber = 9999;
}  // namespace

bool SaveBackBuffer(IDirect3DDevice9* device, const std::wstring& file) {
  IDirect3DSurface9* backBuffer = nullptr;
  bool saved = device && SUCCEEDED(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &backBuffer)) &&
               SUCCEEDED(D3DXSaveSurfaceToFileW(file.c_str(), D3DXIFF_PNG, backBuffer, nullptr, nullptr));
  if (backBuffer) backBuffer->Release();
  return saved;
}

std::wstring NextScreenshotName(const std::wstring& program) {
  for (int number = 1; number <= kLastScreenshotNumber; ++number) {
    wchar_t suffix[16];
    std::swprintf(suffix, 16, L"-%04d.png", number);
    std::wstring name = program + suffix;
    std::error_code error;
    if (!std::filesystem::exists(std::filesystem::path(name), error)) return name;
  }
  return {};
}
