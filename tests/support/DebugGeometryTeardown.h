// Releases what SetupDebugGeometry made, so that a test can end with no
// layer object alive and the next test can set the geometry up afresh.
#pragma once

#include "render/DebugGeometry.h"

inline void TearDownDebugGeometry() {
  if (g_GeometryEffect.effect) g_GeometryEffect.effect->Release();
  g_GeometryEffect.effect = nullptr;
  g_GeometryEffect.parameters.clear();
  g_GeometryEffect.techniques.clear();
  if (g_ColorDecl) g_ColorDecl->Release();
  g_ColorDecl = nullptr;
}
