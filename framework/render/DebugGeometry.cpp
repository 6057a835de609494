#include "render/DebugGeometry.h"

#include <d3dx9.h>

#include <cstdlib>
#include <vector>

#include "platform/SafeRelease.h"
#include "render/ViewMatrices.h"

Effect g_GeometryEffect;
IDirect3DVertexDeclaration9* g_ColorDecl = nullptr;

namespace {

constexpr D3DCOLOR kGridColor = 0xFFFFFFFF;
constexpr D3DCOLOR kXAxisColor = 0xFFFF0000;
constexpr D3DCOLOR kYAxisColor = 0xFF00FF00;
constexpr D3DCOLOR kZAxisColor = 0xFF0000FF;
constexpr UINT kGeometryPass = 1;
// Lines handed to the device per call: within every Direct3D 9 device's
// MaxPrimitiveCount.
constexpr UINT kLinesPerCall = 65535;

void ReleaseColorDecl() { SafeRelease(g_ColorDecl); }

// Hands the lines to the device inside pass 1 of the geometry effect, placed
// by `world` (the identity for the grid and the axes).
bool DrawLines(const ColorVertex* vertices, UINT lineCount, const D3DXMATRIX* world = nullptr) {
  if (!g_GeometryEffect.effect) return false;
  IDirect3DDevice9* device = nullptr;
  g_GeometryEffect.effect->GetDevice(&device);
  if (!device) return false;
  g_GeometryEffect.SelectPass(kGeometryPass);
  SetGeometryMatrices();
  if (world) g_GeometryEffect.SetMatrix(L"g_mWorld", *world);
  g_GeometryEffect.BeginPass();
  bool drawn = SUCCEEDED(device->SetVertexDeclaration(g_ColorDecl));
  for (UINT first = 0; drawn && first < lineCount; first += kLinesPerCall) {
    const UINT lines = lineCount - first < kLinesPerCall ? lineCount - first : kLinesPerCall;
    drawn = SUCCEEDED(device->DrawPrimitiveUP(D3DPT_LINELIST, lines, vertices + 2 * first, sizeof(ColorVertex)));
  }
  g_GeometryEffect.effect->EndPass();
  g_GeometryEffect.effect->End();
  device->Release();
  return drawn;
}

}  // namespace

bool SetupDebugGeometry(IDirect3DDevice9* device) {
  if (!g_GeometryEffect.Load(device, L"geometory.cfx")) return false;
  const D3DVERTEXELEMENT9 elements[] = {
      {0, 0, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_POSITION, 0},
      {0, 12, D3DDECLTYPE_D3DCOLOR, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_COLOR, 0},
      D3DDECL_END(),
  };
  if (FAILED(device->CreateVertexDeclaration(elements, &g_ColorDecl))) {
    g_ColorDecl = nullptr;
    return false;
  }
  std::atexit(ReleaseColorDecl);
  return true;
}

bool SetGeometryMatrices() {
  D3DXMATRIX identity;
  D3DXMatrixIdentity(&identity);
  g_GeometryEffect.SetMatrix(L"g_mWorld", identity);
  if (!g_GeometryEffect.SetMatrix(L"g_mView", g_ViewMatrix)) return false;
  return g_GeometryEffect.SetMatrix(L"g_mProj", g_ProjectionMatrix);
}

bool DrawGrid(float size) {
  if (!g_GeometryEffect.effect) return false;
  constexpr int kLines = 7;
  std::vector<ColorVertex> vertices(kLines * 4);
  float half = size * 0.5f;
  for (int k = 0; k < kLines; ++k) {
    float p = static_cast<float>(k) * size / 6.0f - half;
    vertices[2 * k] = {p, 0.0f, half, kGridColor};
    vertices[2 * k + 1] = {p, 0.0f, -half, kGridColor};
    vertices[14 + 2 * k] = {half, 0.0f, p, kGridColor};
    vertices[15 + 2 * k] = {-half, 0.0f, p, kGridColor};
  }
  return DrawLines(vertices.data(), static_cast<UINT>(vertices.size() / 2));
}

bool DrawAxes(float length) {
  if (!g_GeometryEffect.effect) return false;
  float half = length * 0.5f;
  const ColorVertex vertices[6] = {
      {-half, 0.0f, 0.0f, kXAxisColor}, {half, 0.0f, 0.0f, kXAxisColor},  {0.0f, -half, 0.0f, kYAxisColor},
      {0.0f, half, 0.0f, kYAxisColor},  {0.0f, 0.0f, -half, kZAxisColor}, {0.0f, 0.0f, half, kZAxisColor},
  };
  return DrawLines(vertices, 3);
}

bool DrawSceneLines(const std::vector<ColorVertex>& vertices, const D3DXMATRIX& world) {
  if (vertices.size() < 2) return false;
  return DrawLines(vertices.data(), static_cast<UINT>(vertices.size() / 2), &world);
}

bool DrawOverlayLines(const std::vector<ColorVertex>& vertices, const D3DXMATRIX& world) {
  if (!g_GeometryEffect.effect || vertices.size() < 2) return false;
  IDirect3DDevice9* device = nullptr;
  g_GeometryEffect.effect->GetDevice(&device);
  if (!device) return false;
  DWORD depthTest = D3DZB_TRUE;
  device->GetRenderState(D3DRS_ZENABLE, &depthTest);
  device->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
  bool drawn = DrawLines(vertices.data(), static_cast<UINT>(vertices.size() / 2), &world);
  device->SetRenderState(D3DRS_ZENABLE, depthTest);
  device->Release();
  return drawn;
}
