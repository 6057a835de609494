// The orbit camera: a look-at point, a distance and two angles, from which the
// eye, the up vector and the view matrix follow. DebugCamera steers it with
// the mouse; GetMoveDirection walks relative to where it looks.
#pragma once

#include <windows.h>
#include <d3dx9.h>

class DirectInput;

class Camera {
 public:
  Camera();
  virtual ~Camera();

  // Looks from `eye` at `lookAt`; coincident points are refused.
  void Setup(const D3DXVECTOR3& lookAt, const D3DXVECTOR3& eye);
  void MoveTarget(const D3DXVECTOR3& delta);
  // Brings the eye closer by `amount` (negative moves away).
  void Zoom(float amount);
  // Normalises the angles, chooses the up vector, places the eye and rebuilds the view matrix.
  void UpdateView();

  D3DXVECTOR3 eye;
  D3DXVECTOR3 lookAt;
  D3DXVECTOR3 up;
  D3DXMATRIX view;
  D3DXMATRIX projection;  // written by the scene
  double yaw;             // radians around the look-at point in the XZ plane, from +X towards +Z
  double pitch;           // radians of elevation above the look-at point
  double distance;

 private:
  void ChooseUpVector();
};

class DebugCamera : public Camera {
 public:
  // One frame of steering from input that has been updated this frame: right button orbits,
  // middle button pans, the wheel zooms.
  void Update(const DirectInput& input, float zoomSpeed, float panSpeed, float rotateSpeed);
};

// The walking direction chosen by W, A, S and D on the floor, relative to where the camera
// looks: of length 1, or 0 when no direction is held.
D3DXVECTOR3 GetMoveDirection(const DirectInput& input, const Camera& camera);
