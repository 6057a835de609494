#include <d3dx9.h>
#include <dinput.h>

#include <cmath>

#include "input/InputFixture.h"
#include "input/ScriptedInput.h"
#include "platform/Camera.h"

namespace {

using namespace scripted_input;

constexpr double kHalfPi = 1.5707963705062866;

void ExpectNear(const D3DXVECTOR3& expected, const D3DXVECTOR3& actual, float tolerance) {
  EXPECT_NEAR(expected.x, actual.x, tolerance);
  EXPECT_NEAR(expected.y, actual.y, tolerance);
  EXPECT_NEAR(expected.z, actual.z, tolerance);
}

// Where a world point lands on screen through the camera, in normalised device coordinates.
D3DXVECTOR3 Project(const Camera& camera, const D3DXVECTOR3& point) {
  const D3DXMATRIX viewProjection = camera.view * camera.projection;
  D3DXVECTOR3 projected;
  D3DXVec3TransformCoord(&projected, &point, &viewProjection);
  return projected;
}

// The scenes' camera, steered by the framework's input on a real window.
class CameraSteering : public InputFixture {
 protected:
  void SetUp() override {
    InputFixture::SetUp();
    ASSERT_TRUE(StartInput());
    camera.Setup(D3DXVECTOR3(0, 5, 0), D3DXVECTOR3(0, 30, -100));
    D3DXMatrixPerspectiveFovLH(&camera.projection, 0.7853981852531433f, 640.0f / 480.0f, 0.1f, 1000.0f);
  }

  // One frame as the scenes run it.
  void Frame() {
    input->Update();
    camera.Update(*input, 0.02f, 0.2f, 1.0f);
  }

  DebugCamera camera;
};

TEST(Camera, SetupAndFirstViewKeepTheEye) {
  Camera camera;
  camera.Setup(D3DXVECTOR3(0, 5, 0), D3DXVECTOR3(0, 30, -100));
  EXPECT_NEAR(103.0776, camera.distance, 1e-4);
  EXPECT_NEAR(0.2449787, camera.pitch, 1e-6);
  EXPECT_EQ(-kHalfPi, camera.yaw);
  camera.UpdateView();
  ExpectNear(D3DXVECTOR3(0, 30, -100), camera.eye, 1e-4f);
  EXPECT_EQ(D3DXVECTOR3(0, 1, 0), camera.up);
  // The angles now lie on the decimal grid of 1e-6.
  EXPECT_EQ(-1.570796, camera.yaw);
  EXPECT_EQ(0.244979, camera.pitch);
  // The look-at point lies straight ahead in the view.
  D3DXVECTOR3 ahead;
  D3DXVec3TransformCoord(&ahead, &camera.lookAt, &camera.view);
  ExpectNear(D3DXVECTOR3(0, 0, static_cast<float>(camera.distance)), ahead, 1e-3f);
}

TEST(Camera, CoincidentPointsAreRefused) {
  Camera camera;
  camera.Setup(D3DXVECTOR3(0, 5, 0), D3DXVECTOR3(0, 30, -100));
  camera.Setup(D3DXVECTOR3(1, 1, 1), D3DXVECTOR3(1, 1, 1));
  EXPECT_EQ(D3DXVECTOR3(0, 5, 0), camera.lookAt);
  camera.MoveTarget(D3DXVECTOR3(0, 25, -100));  // would put the look-at point on the eye
  EXPECT_EQ(D3DXVECTOR3(0, 5, 0), camera.lookAt);
  camera.MoveTarget(D3DXVECTOR3(1, 0, 0));
  EXPECT_EQ(D3DXVECTOR3(1, 5, 0), camera.lookAt);
}

TEST(Camera, PastTheTopTheUpVectorFlipsAndPitchWraps) {
  Camera camera;
  camera.Setup(D3DXVECTOR3(0, 5, 0), D3DXVECTOR3(0, 30, -100));
  camera.pitch = 1.7;  // just over the top
  camera.UpdateView();
  EXPECT_EQ(D3DXVECTOR3(0, -1, 0), camera.up);
  EXPECT_GT(camera.eye.z, camera.lookAt.z);  // carried over to the far side
  EXPECT_GT(camera.eye.y, camera.lookAt.y);
  camera.pitch = 4.8;  // beyond 3H: wrapped back by a full turn
  camera.UpdateView();
  EXPECT_NEAR(4.8 - 6.2831854820251465, camera.pitch, 1e-9);
  EXPECT_EQ(D3DXVECTOR3(0, 1, 0), camera.up);
  camera.pitch = -1.6;  // below -H: wrapped up by a full turn, into the flipped band
  camera.UpdateView();
  EXPECT_NEAR(-1.6 + 6.2831854820251465, camera.pitch, 1e-9);
  EXPECT_EQ(D3DXVECTOR3(0, -1, 0), camera.up);
}

TEST(Camera, AnglesTooLargeForTheTextBufferAreKept) {
  Camera camera;
  camera.Setup(D3DXVECTOR3(0, 5, 0), D3DXVECTOR3(0, 30, -100));
  camera.yaw = 1e300;  // "%.6f" of it needs more than 256 characters
  camera.UpdateView();
  EXPECT_EQ(1e300, camera.yaw);
}

TEST(Camera, ZoomPastTheTargetCarriesTheTargetForward) {
  Camera camera;
  camera.Setup(D3DXVECTOR3(0, 5, 0), D3DXVECTOR3(0, 30, -100));
  camera.UpdateView();
  const double distance = camera.distance;
  camera.Zoom(3);
  EXPECT_NEAR(distance - 3, camera.distance, 1e-9);
  camera.Zoom(-3);
  EXPECT_NEAR(distance, camera.distance, 1e-9);
  const D3DXVECTOR3 before = camera.lookAt;
  D3DXVECTOR3 forward = camera.lookAt - camera.eye;
  D3DXVec3Normalize(&forward, &forward);
  camera.Zoom(200);
  EXPECT_NEAR(distance, camera.distance, 1e-9);
  ExpectNear(before + forward * 200.0f, camera.lookAt, 1e-3f);
  camera.UpdateView();
  ExpectNear(before + forward * 200.0f - forward * static_cast<float>(distance), camera.eye, 1e-2f);
}

TEST_F(CameraSteering, RightButtonOrbitsFromTheSecondFrameOfThePress) {
  Frame();
  const double yaw = camera.yaw, pitch = camera.pitch;
  Button(SDL_BUTTON_RIGHT, true);
  Motion(10, 0);
  Frame();  // Pressed, not yet Held
  EXPECT_EQ(yaw, camera.yaw);
  Motion(10, -5);
  Frame();
  EXPECT_NEAR(yaw + 10 * 3.1415927410125732 / 180, camera.yaw, 1e-6);
  EXPECT_NEAR(pitch - 5 * 3.1415927410125732 / 180, camera.pitch, 1e-6);
  Motion(1, 1);  // within the dead zone
  Frame();
  EXPECT_NEAR(yaw + 10 * 3.1415927410125732 / 180, camera.yaw, 1e-6);
}

TEST_F(CameraSteering, OrbitingUpPastTheTopFlipsTheUpVector) {
  Button(SDL_BUTTON_RIGHT, true);
  Frame();
  Motion(0, 80);  // from about 14 degrees up to about 94: over the top
  Frame();
  EXPECT_GT(camera.pitch, kHalfPi);
  EXPECT_EQ(D3DXVECTOR3(0, -1, 0), camera.up);
  EXPECT_GT(camera.eye.z, camera.lookAt.z);
  Motion(0, 200);  // on past 3H
  Frame();
  EXPECT_LT(camera.pitch, kHalfPi);
  EXPECT_GT(camera.pitch, -kHalfPi);
  EXPECT_EQ(D3DXVECTOR3(0, 1, 0), camera.up);
}

TEST_F(CameraSteering, WheelZoomsAndABigStepMovesTheTarget) {
  Frame();
  const double distance = camera.distance;
  Wheel(1);  // one notch away from the user: 120 counts at 0.02
  Button(SDL_BUTTON_RIGHT, true);
  Frame();
  Motion(30, 0);
  Wheel(1);  // a frame with wheel motion neither orbits nor pans
  Frame();
  EXPECT_NEAR(distance - 4.8, camera.distance, 1e-5);
  EXPECT_EQ(-1.570796, camera.yaw);
  const D3DXVECTOR3 before = camera.lookAt;
  Wheel(50);  // 120 units: more than the distance left
  Frame();
  EXPECT_NEAR(distance - 4.8, camera.distance, 1e-5);
  EXPECT_GT(camera.lookAt.z, before.z + 100);
}

TEST_F(CameraSteering, MiddleButtonPansSoTheSceneFollowsTheMouse) {
  Button(SDL_BUTTON_MIDDLE, true);
  Frame();
  const D3DXVECTOR3 origin(0, 0, 0);
  const D3DXVECTOR3 before = Project(camera, origin);
  Motion(10, 0);
  Frame();
  // 0.2 units per count across the view: the look-at point moves left, the scene right.
  EXPECT_NEAR(-2.0f, camera.lookAt.x, 1e-4f);
  EXPECT_GT(Project(camera, origin).x, before.x);
  Motion(0, 10);
  Frame();
  EXPECT_LT(Project(camera, origin).y, before.y + 1e-6f);  // mouse down, scene down
}

TEST_F(CameraSteering, ScriptedOrbitMovesTheProjectionAsTheCameraSays) {
  Frame();
  const D3DXVECTOR3 east(10, 5, 0), north(0, 5, 10);
  EXPECT_GT(Project(camera, east).x, 0.1f);  // +X is to the right, seen from the south
  EXPECT_NEAR(0.0f, Project(camera, north).x, 1e-5f);
  Button(SDL_BUTTON_RIGHT, true);
  Frame();
  Motion(90, 0);  // a quarter turn: the eye goes round from the south to the east
  Frame();
  ExpectNear(D3DXVECTOR3(static_cast<float>(camera.distance * std::cos(camera.pitch)), camera.eye.y, 0),
             camera.eye - D3DXVECTOR3(0, 0, 0), 1e-3f);
  EXPECT_NEAR(0.0f, Project(camera, east).x, 1e-4f);  // now straight ahead
  EXPECT_GT(Project(camera, north).x, 0.1f);          // and the north on the right
}

TEST_F(CameraSteering, WalkingDirectionFollowsTheCamera) {
  Frame();
  Key(SDL_SCANCODE_W, true);
  Key(SDL_SCANCODE_D, true);
  input->Update();
  EXPECT_EQ(D3DXVECTOR3(0, 0, 0), GetMoveDirection(*input, camera));  // Pressed is not yet Held
  input->Update();
  const D3DXVECTOR3 diagonal = GetMoveDirection(*input, camera);
  EXPECT_NEAR(1.0f, D3DXVec3Length(&diagonal), 1e-6f);
  ExpectNear(D3DXVECTOR3(std::sqrt(0.5f), 0, std::sqrt(0.5f)), diagonal, 1e-5f);  // forward +Z, right +X
  Key(SDL_SCANCODE_D, false);
  Key(SDL_SCANCODE_A, true);
  Key(SDL_SCANCODE_S, true);  // W wins over S
  input->Update();
  input->Update();
  ExpectNear(D3DXVECTOR3(-std::sqrt(0.5f), 0, std::sqrt(0.5f)), GetMoveDirection(*input, camera), 1e-5f);
  Key(SDL_SCANCODE_W, false);
  Key(SDL_SCANCODE_A, false);
  input->Update();
  input->Update();
  ExpectNear(D3DXVECTOR3(0, 0, -1), GetMoveDirection(*input, camera), 1e-5f);
}

TEST_F(CameraSteering, LookingStraightDownGivesNoWalkingDirection) {
  camera.Setup(D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(0, 50, 0));
  Key(SDL_SCANCODE_W, true);
  Key(SDL_SCANCODE_A, true);
  input->Update();
  input->Update();
  EXPECT_EQ(D3DXVECTOR3(0, 0, 0), GetMoveDirection(*input, camera));
  Key(SDL_SCANCODE_W, false);
  Key(SDL_SCANCODE_A, false);
  input->Update();
  input->Update();
  EXPECT_EQ(D3DXVECTOR3(0, 0, 0), GetMoveDirection(*input, camera));
}

}  // namespace
