// The process-wide view and projection matrices that all drawing reads: the
// scene writes the camera's view every frame and the projection once.
#pragma once

#include <windows.h>
#include <d3dx9.h>

extern D3DXMATRIX g_ViewMatrix;
extern D3DXMATRIX g_ProjectionMatrix;
