#include "render/Texture.h"

#include "platform/SafeRelease.h"

std::map<std::wstring, Texture> g_TextureMap;

Texture::Texture() : texture(nullptr), surface(nullptr), extra{nullptr, nullptr}, width(0), height(0) {}

Texture::Texture(const Texture& source) : Texture() { Assign(source); }

Texture::~Texture() {
  for (int i = 1; i >= 0; --i) SafeRelease(extra[i]);
  ReleaseTextureAndSurface();
}

void Texture::ReleaseTextureAndSurface() {
  SafeRelease(surface);
  SafeRelease(texture);
}

void Texture::ReadLevelZero() {
  texture->GetSurfaceLevel(0, &surface);
  D3DSURFACE_DESC description{};
  if (surface && SUCCEEDED(surface->GetDesc(&description))) {
    width = description.Width;
    height = description.Height;
  }
}

bool Texture::Assign(const Texture& source) {
  if (!source.texture) return false;
  if (&source == this) return true;  // releasing first would lose the texture
  ReleaseTextureAndSurface();
  source.texture->AddRef();
  texture = source.texture;
  ReadLevelZero();
  for (int i = 0; i < 2; ++i) {
    if (!source.extra[i]) continue;
    source.extra[i]->AddRef();
    if (extra[i]) extra[i]->Release();
    extra[i] = source.extra[i];
  }
  return true;
}

bool LoadTexture(IDirect3DDevice9* device, const wchar_t* fileName) {
  return SUCCEEDED(LoadTextureFrom(device, fileName, fileName));
}

HRESULT LoadTextureFrom(IDirect3DDevice9* device, const wchar_t* fileName, const wchar_t* path) {
  std::wstring name = fileName ? fileName : L"";
  g_TextureMap.try_emplace(name);
  Texture& entry = g_TextureMap[name];
  SafeRelease(entry.surface);
  SafeRelease(entry.texture);
  HRESULT result = D3DXCreateTextureFromFileW(device, path, &entry.texture);
  if (FAILED(result)) {
    entry.texture = nullptr;
    g_TextureMap.erase(name);
    return result;
  }
  entry.texture->GetSurfaceLevel(0, &entry.surface);
  D3DSURFACE_DESC description{};
  if (entry.surface && SUCCEEDED(entry.surface->GetDesc(&description))) {
    entry.width = description.Width;
    entry.height = description.Height;
  }
  return D3D_OK;
}
