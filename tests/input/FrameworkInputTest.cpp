#include <dinput.h>

#include <algorithm>
#include <string>
#include <vector>

#include "input/InputFixture.h"
#include "input/ScriptedInput.h"

namespace {

using namespace scripted_input;

using FrameworkInput = InputFixture;

TEST_F(FrameworkInput, OneFrameKeyIsPressedThenReleasedAndNeverHeld) {
  ASSERT_TRUE(StartInput());
  input->Update();
  EXPECT_EQ(InputState::Up, input->GetKey(DIK_W));
  Key(SDL_SCANCODE_W, true);
  input->Update();
  EXPECT_EQ(InputState::Pressed, input->GetKey(DIK_W));
  Key(SDL_SCANCODE_W, false);
  input->Update();
  EXPECT_EQ(InputState::Released, input->GetKey(DIK_W));
  input->Update();
  EXPECT_EQ(InputState::Up, input->GetKey(DIK_W));
  // Keys outside the table read as up instead of reading past it.
  EXPECT_EQ(InputState::Up, input->GetKey(-1));
  EXPECT_EQ(InputState::Up, input->GetKey(256));
}

TEST_F(FrameworkInput, EveryPressBetweenTwoFramesCounts) {
  ASSERT_TRUE(StartInput());
  input->Update();
  Key(SDL_SCANCODE_W, true);
  Key(SDL_SCANCODE_W, false);  // let go before the frame could see it down
  for (int tap = 0; tap < 2; ++tap) {
    Key(SDL_SCANCODE_A, true);
    Key(SDL_SCANCODE_A, false);
  }
  Key(SDL_SCANCODE_S, true);
  input->Update();
  EXPECT_EQ(1, input->Presses(DIK_W));
  EXPECT_EQ(InputState::Up, input->GetKey(DIK_W));
  EXPECT_EQ(2, input->Presses(DIK_A));
  EXPECT_EQ(1, input->Presses(DIK_S));
  EXPECT_EQ(0, input->Presses(DIK_D));
  EXPECT_EQ(0, input->Presses(300));
  input->Update();  // held on: no new press
  EXPECT_EQ(0, input->Presses(DIK_S));
  EXPECT_EQ(0, input->Presses(DIK_A));
}

TEST_F(FrameworkInput, PressesTheBufferLostComeFromTheSnapshots) {
  ASSERT_TRUE(StartInput());
  input->Update();
  for (DWORD i = 0; i < DirectInput::kKeyBufferSize; ++i) Key(SDL_SCANCODE_Q, i % 2 == 0);
  Key(SDL_SCANCODE_E, true);  // past the buffer's end
  input->Update();
  EXPECT_EQ(static_cast<int>(DirectInput::kKeyBufferSize / 2), input->Presses(DIK_Q));
  EXPECT_EQ(1, input->Presses(DIK_E));
}

TEST_F(FrameworkInput, PressIsHeldFromItsSecondFrame) {
  ASSERT_TRUE(StartInput());
  Key(SDL_SCANCODE_S, true);
  Button(SDL_BUTTON_RIGHT, true);
  input->Update();
  EXPECT_EQ(InputState::Pressed, input->GetKey(DIK_S));
  EXPECT_EQ(InputState::Pressed, input->GetMouseButton(1));
  input->Update();
  EXPECT_EQ(InputState::Held, input->GetKey(DIK_S));
  EXPECT_EQ(InputState::Held, input->GetMouseButton(1));
  EXPECT_EQ(InputState::Up, input->GetMouseButton(0));
  EXPECT_EQ(InputState::Up, input->GetMouseButton(8));
}

TEST_F(FrameworkInput, MouseMotionHasADeadZoneOfOneCount) {
  ASSERT_TRUE(StartInput());
  Motion(1, -1);
  Wheel(0);
  input->Update();
  MouseMove move = input->GetMouseMove();
  EXPECT_EQ(0, move.x);
  EXPECT_EQ(0, move.y);
  Motion(2, -3);
  Motion(1, 0);  // several events in one frame add up
  input->Update();
  move = input->GetMouseMove();
  EXPECT_EQ(3, move.x);
  EXPECT_EQ(-3, move.y);
  input->Update();  // motion is relative to the previous read
  EXPECT_EQ(0, input->GetMouseMove().x);
  Wheel(1);
  input->Update();
  EXPECT_EQ(120, input->GetMouseMove().wheel);
  Wheel(-2);
  input->Update();
  EXPECT_EQ(-240, input->GetMouseMove().wheel);
}

TEST_F(FrameworkInput, InitializeConfiguresEveryDeviceInOrder) {
  AttachJoystick(6, 4, 1);
  compat::testing::StartTrace();
  ASSERT_TRUE(StartInput());
  const std::vector<std::string> trace = compat::testing::StopTrace();
  const std::vector<std::string> expected = {
      "DirectInput8Create 2048",
      "CreateDevice keyboard",
      "SetDataFormat keyboard 256",
      "SetCooperativeLevel keyboard 6",
      "SetProperty keyboard buffersize 256",
      "Acquire keyboard",
      "CreateDevice mouse",
      "SetDataFormat mouse 20",
      "SetCooperativeLevel mouse 9",
      "Acquire mouse",
      "CreateDevice joystick",
      "SetDataFormat joystick 272",
      "SetCooperativeLevel joystick 9",
      "SetProperty joystick range 0 1 -1000 1000",
      "SetProperty joystick range 4 1 -1000 1000",
      "SetProperty joystick range 8 1 -1000 1000",
      "SetProperty joystick range 20 1 -1000 1000",
      "SetProperty joystick range 24 1 -1000 1000",
      "Acquire joystick",
  };
  EXPECT_EQ(expected, trace);
  EXPECT_EQ(1, input->ControllerCount());
}

TEST_F(FrameworkInput, NoControllerGivesCountZeroAndStillSucceeds) {
  EXPECT_TRUE(StartInput());
  EXPECT_EQ(0, input->ControllerCount());
  input->Update();
  EXPECT_EQ(InputState::Up, input->GetKey(DIK_A));
}

TEST_F(FrameworkInput, FifthControllerIsNotOpened) {
  std::vector<SDL_JoystickID> ids;
  for (int i = 0; i < 5; ++i) ids.push_back(SDL_JoystickGetDeviceInstanceID(AttachJoystick(2, 2, 0)));
  ASSERT_TRUE(StartInput());
  EXPECT_EQ(4, input->ControllerCount());
  for (int i = 0; i < 4; ++i) EXPECT_NE(nullptr, SDL_JoystickFromInstanceID(ids[i])) << "controller " << i;
  EXPECT_EQ(nullptr, SDL_JoystickFromInstanceID(ids[4]));
}

TEST_F(FrameworkInput, ControllerAxesScaleToPlusMinusAThousand) {
  const int index = AttachJoystick(7, 3, 1);
  SDL_Joystick* stick = SDL_JoystickOpen(index);
  ASSERT_NE(nullptr, stick);
  SDL_JoystickSetVirtualAxis(stick, 0, -32768);  // X
  SDL_JoystickSetVirtualAxis(stick, 1, 32767);   // Y
  SDL_JoystickSetVirtualAxis(stick, 2, 0);       // Z
  SDL_JoystickSetVirtualAxis(stick, 3, 0);       // Rx: left at the default range 0..65535
  SDL_JoystickSetVirtualAxis(stick, 5, 16384);   // Rz
  SDL_JoystickSetVirtualAxis(stick, 6, -16384);  // first slider
  SDL_JoystickSetVirtualButton(stick, 1, SDL_PRESSED);
  SDL_JoystickSetVirtualHat(stick, 0, SDL_HAT_RIGHT);
  ASSERT_TRUE(StartInput());
  input->Update();
  const DIJOYSTATE2& state = input->GetControllerState(0);
  EXPECT_EQ(-1000, state.lX);
  EXPECT_EQ(1000, state.lY);
  EXPECT_EQ(0, state.lZ);
  EXPECT_EQ(32768, state.lRx);
  EXPECT_EQ(500, state.lRz);
  EXPECT_EQ(-500, state.rglSlider[0]);
  EXPECT_EQ(0x80, state.rgbButtons[1]);
  EXPECT_EQ(0, state.rgbButtons[0]);
  EXPECT_EQ(9000u, state.rgdwPOV[0]);
  EXPECT_EQ(0xFFFFFFFFu, state.rgdwPOV[1]);
  SDL_JoystickClose(stick);
}

TEST_F(FrameworkInput, LostKeyboardIsAcquiredAgainWithinTheFrame) {
  ASSERT_TRUE(StartInput());
  Key(SDL_SCANCODE_D, true);
  input->Update();
  input->Update();
  ASSERT_EQ(InputState::Held, input->GetKey(DIK_D));
  // Deactivated and back again before the next frame: the device is lost all the same.
  Focus(Sdl(), false);
  Focus(Sdl(), true);
  Key(SDL_SCANCODE_D, true);
  compat::testing::StartTrace();
  input->Update();
  const std::vector<std::string> trace = compat::testing::StopTrace();
  EXPECT_NE(trace.end(), std::find(trace.begin(), trace.end(), "Acquire keyboard"));
  EXPECT_EQ(InputState::Held, input->GetKey(DIK_D));
}

TEST_F(FrameworkInput, KeyboardThatCannotBeReacquiredForgetsItsKeys) {
  ASSERT_TRUE(StartInput());
  Key(SDL_SCANCODE_W, true);
  input->Update();
  input->Update();
  ASSERT_EQ(InputState::Held, input->GetKey(DIK_W));
  Focus(Sdl(), false);
  input->Update();
  // Both snapshots are cleared: the key is up, not released.
  EXPECT_EQ(InputState::Up, input->GetKey(DIK_W));
  input->Update();
  EXPECT_EQ(InputState::Up, input->GetKey(DIK_W));
  // Focus back: the next frame acquires again and reads keys.
  Focus(Sdl(), true);
  Key(SDL_SCANCODE_W, true);
  input->Update();
  EXPECT_EQ(InputState::Pressed, input->GetKey(DIK_W));
}

TEST_F(FrameworkInput, MouseThatCannotBeReadForgetsItsButtons) {
  ASSERT_TRUE(StartInput());
  Button(SDL_BUTTON_MIDDLE, true);
  Focus(Sdl(), false);  // a background mouse is not lost with the focus
  input->Update();
  input->Update();
  ASSERT_EQ(InputState::Held, input->GetMouseButton(2));
  compat::testing::UnplugSystemMouse(true);  // neither read nor acquire works
  Motion(10, 10);
  input->Update();
  EXPECT_EQ(InputState::Up, input->GetMouseButton(2));
  EXPECT_EQ(0, input->GetMouseMove().x);
}

TEST_F(FrameworkInput, UnpluggedControllerDoesNotDisturbTheOthers) {
  const int first = AttachJoystick(2, 2, 0);
  const int second = AttachJoystick(2, 2, 0);
  SDL_Joystick* secondStick = SDL_JoystickOpen(second);
  ASSERT_NE(nullptr, secondStick);
  SDL_JoystickSetVirtualButton(secondStick, 0, SDL_PRESSED);
  SDL_Joystick* firstStick = SDL_JoystickOpen(first);
  SDL_JoystickSetVirtualButton(firstStick, 0, SDL_PRESSED);
  ASSERT_TRUE(StartInput());
  ASSERT_EQ(2, input->ControllerCount());
  input->Update();
  // Controller slots follow enumeration order, which is SDL's device order.
  SDL_JoystickClose(firstStick);
  SDL_JoystickDetachVirtual(first);
  input->Update();
  EXPECT_EQ(0, input->GetControllerState(0).rgbButtons[0]);  // gone: nothing stays pressed
  EXPECT_EQ(0x80, input->GetControllerState(1).rgbButtons[0]);
  input->Update();
  EXPECT_EQ(0x80, input->GetControllerState(1).rgbButtons[0]);
  SDL_JoystickClose(secondStick);
}

}  // namespace
