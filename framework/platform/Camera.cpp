#include "platform/Camera.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include <dinput.h>

#include "platform/DirectInput.h"

namespace {

// Single-precision pi/2 widened, and its multiples: the angles are compared against exactly these.
constexpr double kHalfPi = 1.5707963705062866;
constexpr double kThreeHalfPi = 4.71238911151886;
constexpr double kTwoPi = 6.2831854820251465;
constexpr double kPi = 3.1415927410125732;

// Leaves the angle on the decimal grid of 1e-6 by printing and reading it back.
double RoundToSixDecimals(double value) {
  char text[256];
  const int length = std::snprintf(text, sizeof(text), "%.*f", 6, value);
  // A value too large for the buffer has no fractional digits left to round.
  if (length < 0 || length >= static_cast<int>(sizeof(text))) return value;
  return std::strtod(text, nullptr);
}

D3DXVECTOR3 Normalized(const D3DXVECTOR3& v) {
  D3DXVECTOR3 unit;
  D3DXVec3Normalize(&unit, &v);
  return unit;
}

bool SamePoint(const D3DXVECTOR3& a, const D3DXVECTOR3& b) { return a.x == b.x && a.y == b.y && a.z == b.z; }

}  // namespace

Camera::Camera()
    : eye(0, 0, 0),
      lookAt(0, 0, 0),
      up(0, 1, 0),
      view(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1),
      projection(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1),
      yaw(0),
      pitch(0),
      distance(0) {}

Camera::~Camera() {}

void Camera::ChooseUpVector() {
  if (pitch > -kHalfPi && pitch < kHalfPi) {
    up = D3DXVECTOR3(0, 1, 0);
  } else if (pitch > kHalfPi && pitch < kThreeHalfPi) {
    up = D3DXVECTOR3(0, -1, 0);  // the eye has passed over the top; the picture stays upright
  } else if (pitch == kHalfPi || pitch == kThreeHalfPi) {
    up = Normalized(D3DXVECTOR3(static_cast<float>(std::cos(yaw)), 0, 0));
  }
  // Straight below (pitch -pi/2): the up vector stays as it was.
}

void Camera::Setup(const D3DXVECTOR3& newLookAt, const D3DXVECTOR3& newEye) {
  if (SamePoint(newEye, newLookAt)) return;
  lookAt = newLookAt;
  eye = newEye;
  const D3DXVECTOR3 offset = eye - lookAt;
  distance = static_cast<double>(D3DXVec3Length(&offset));
  pitch = static_cast<double>(std::atan2(offset.y, std::sqrt(offset.x * offset.x + offset.z * offset.z)));
  yaw = static_cast<double>(std::atan2(offset.z, offset.x));
  ChooseUpVector();
}

void Camera::MoveTarget(const D3DXVECTOR3& delta) {
  const D3DXVECTOR3 moved = lookAt + delta;
  if (SamePoint(moved, eye)) return;
  lookAt = moved;
}

void Camera::Zoom(float amount) {
  if (distance - amount >= 0) {
    distance -= amount;
    return;
  }
  // The eye would pass the look-at point: carry the point forward instead.
  lookAt += Normalized(lookAt - eye) * amount;
}

void Camera::UpdateView() {
  pitch = RoundToSixDecimals(pitch);
  yaw = RoundToSixDecimals(yaw);
  if (pitch > kThreeHalfPi) pitch -= kTwoPi;
  if (pitch < -kHalfPi) pitch += kTwoPi;
  ChooseUpVector();
  const double horizontal = std::cos(pitch);
  eye = D3DXVECTOR3(static_cast<float>(lookAt.x + distance * std::cos(yaw) * horizontal),
                    static_cast<float>(lookAt.y + distance * std::sin(pitch)),
                    static_cast<float>(lookAt.z + distance * std::sin(yaw) * horizontal));
  D3DXMatrixLookAtLH(&view, &eye, &lookAt, &up);
}

void DebugCamera::Update(const DirectInput& input, float zoomSpeed, float panSpeed, float rotateSpeed) {
  const MouseMove move = input.GetMouseMove();
  const float zoomAmount = static_cast<float>(move.wheel) * zoomSpeed;
  const bool wheelStill = move.wheel == 0;

  double yawStep = 0;
  double pitchStep = 0;
  if (input.GetMouseButton(1) == InputState::Held && wheelStill) {
    // One degree per mouse count at speed 1; moving the mouse down raises the eye.
    yawStep = move.x / 180.0 * kPi * rotateSpeed;
    pitchStep = move.y / 180.0 * kPi * rotateSpeed;
  }

  D3DXVECTOR3 pan(0, 0, 0);
  if (input.GetMouseButton(2) == InputState::Held && wheelStill) {
    const D3DXVECTOR3 backwards = eye - lookAt;
    D3DXVECTOR3 right, down;
    D3DXVec3Cross(&right, &backwards, &up);
    D3DXVec3Cross(&down, &backwards, &right);
    pan = Normalized(right) * (panSpeed * static_cast<float>(move.x)) +
          Normalized(down) * (panSpeed * static_cast<float>(move.y));
  }

  MoveTarget(-pan);  // the scene follows the mouse
  Zoom(zoomAmount);  // rolling the wheel away from the user zooms in
  yaw += yawStep;
  pitch += pitchStep;
  UpdateView();
}

D3DXVECTOR3 GetMoveDirection(const DirectInput& input, const Camera& camera) {
  D3DXVECTOR3 forward = Normalized(camera.lookAt - camera.eye);
  forward = Normalized(D3DXVECTOR3(forward.x, 0, forward.z));

  D3DXVECTOR3 ahead(0, 0, 0);
  if (input.GetKey(DIK_W) == InputState::Held) {
    ahead = forward;
  } else if (input.GetKey(DIK_S) == InputState::Held) {
    ahead = -forward;
  }

  D3DXVECTOR3 side(0, 0, 0);
  D3DXMATRIX turn;
  if (input.GetKey(DIK_A) == InputState::Held) {
    D3DXMatrixRotationY(&turn, static_cast<float>(-kHalfPi));
    D3DXVec3TransformCoord(&side, &forward, &turn);  // to the left
  } else if (input.GetKey(DIK_D) == InputState::Held) {
    D3DXMatrixRotationY(&turn, static_cast<float>(kHalfPi));
    D3DXVec3TransformCoord(&side, &forward, &turn);  // to the right
  }

  return Normalized(ahead + side);
}
