// The process-wide view and projection matrices that all drawing reads: the
// scene writes the camera's view every frame and the projection once; and
// where a camera stands to show a model whole.
#pragma once

#include <windows.h>
#include <d3dx9.h>

extern D3DXMATRIX g_ViewMatrix;
extern D3DXMATRIX g_ProjectionMatrix;

// A camera's place and depth range that show a sphere whole.
struct SphereView {
  D3DXVECTOR3 lookAt;
  D3DXVECTOR3 eye;
  float nearPlane;
  float farPlane;
};

// Where a camera of vertical field of view `fieldOfView` (radians) and
// `aspect` (width / height) stands to show the sphere of `radius` around
// `centre`, with `margin` times the radius of room, in the narrower of its
// two fields of view: it looks at the centre along `direction` (from the
// centre towards the eye; any length but 0, else -Z is taken). The planes are
// `nearPlane` and `farPlane` unless the sphere reaches past them; a radius
// below 1e-4 counts as 1e-4.
SphereView FrameSphere(const D3DXVECTOR3& centre, float radius, const D3DXVECTOR3& direction, float fieldOfView,
                       float aspect, float margin, float nearPlane, float farPlane);
