// The floor grid and the coordinate axes drawn for orientation, as line
// lists from memory with their own effect "geometory.cfx".
#pragma once

#include <windows.h>
#include <d3d9.h>
#include <d3dx9.h>

#include <vector>

#include "render/Effect.h"

struct ColorVertex {
  float x, y, z;
  D3DCOLOR color;
};

extern Effect g_GeometryEffect;
extern IDirect3DVertexDeclaration9* g_ColorDecl;

// Loads the effect and creates the declaration; once, at window creation.
bool SetupDebugGeometry(IDirect3DDevice9* device);
// Identity world, the scene's view and projection on g_GeometryEffect.
bool SetGeometryMatrices();
// A white square grid of 7 x 7 lines of edge `size` in the XZ plane.
bool DrawGrid(float size);
// Red X, green Y and blue Z axes of `length`, centred on the origin.
bool DrawAxes(float length);
// Lines between vertex pairs placed by `world`, drawn over everything already
// drawn (without the depth test, which is restored after); false for fewer
// than two vertices or without the effect.
bool DrawOverlayLines(const std::vector<ColorVertex>& vertices, const D3DXMATRIX& world);
// The same, hidden where the scene already drawn lies in front of them.
bool DrawSceneLines(const std::vector<ColorVertex>& vertices, const D3DXMATRIX& world);
