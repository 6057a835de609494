// The view the viewers start with and frame models in, which the thumbnailer
// shares so that a model's thumbnail looks as the viewers first show it.
#pragma once

#include <d3dx9.h>

// The debug camera's start: looking at a point 5 units above the origin from
// 100 units in front of it and 30 above.
inline const D3DXVECTOR3 kCameraTarget(0.0f, 5.0f, 0.0f);
inline const D3DXVECTOR3 kCameraEye(0.0f, 30.0f, -100.0f);
inline constexpr float kFieldOfView = D3DX_PI / 4;
inline constexpr float kNearPlane = 0.1f;
inline constexpr float kFarPlane = 1000.0f;
// Framing leaves this much room around the model's bounding sphere.
inline constexpr float kFramingMargin = 1.05f;
