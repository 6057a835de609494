#include "render/ViewMatrices.h"

#include <algorithm>
#include <cmath>

D3DXMATRIX g_ViewMatrix;
D3DXMATRIX g_ProjectionMatrix;

SphereView FrameSphere(const D3DXVECTOR3& centre, float radius, const D3DXVECTOR3& direction, float fieldOfView,
                       float aspect, float margin, float nearPlane, float farPlane) {
  radius = std::max(radius, 1e-4f);
  const float halfHeight = fieldOfView * 0.5f;
  const float halfWidth = std::atan(std::tan(halfHeight) * aspect);
  const float distance = radius * margin / std::sin(std::min(halfHeight, halfWidth));
  D3DXVECTOR3 towardsEye = direction;
  if (D3DXVec3Length(&towardsEye) == 0.0f) towardsEye = D3DXVECTOR3(0.0f, 0.0f, -1.0f);
  D3DXVec3Normalize(&towardsEye, &towardsEye);
  SphereView view{centre, centre + towardsEye * distance, nearPlane, farPlane};
  if (distance + radius > farPlane) view.farPlane = (distance + radius) * 1.01f;
  if (distance - radius < nearPlane) view.nearPlane = std::max((distance - radius) * 0.5f, view.farPlane * 1e-7f);
  return view;
}
