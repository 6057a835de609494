// A plain window with the framework's DirectInput set up on it, as a scene does.
#pragma once

#include <SDL.h>
#include <gtest/gtest.h>

#include <memory>
#include <windows.h>

#include "compat/testing_dinput8.h"
#include "input/ScriptedInput.h"
#include "platform/DirectInput.h"
#include "support/LayerTestSupport.h"
#include "compat/testing_win32.h"

class InputFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    window = test_support::CreatePlainWindow(64, 64);
    ASSERT_NE(nullptr, window);
    ASSERT_EQ(0, SDL_InitSubSystem(SDL_INIT_JOYSTICK)) << SDL_GetError();
  }

  // Creates the interface and the devices; controllers attached before this are found.
  bool StartInput() {
    input = std::make_unique<DirectInput>();
    if (FAILED(DirectInput8Create(GetModuleHandleW(NULL), DIRECTINPUT_VERSION, IID_IDirectInput8W,
                                  reinterpret_cast<void**>(&input->directInput), NULL))) {
      return false;
    }
    return input->Initialize(window);
  }

  void TearDown() override {
    // Input state is process-wide, like the hardware: let go of everything before the next test.
    if (input) {
      for (Uint8 button = 1; button <= 8; ++button) scripted_input::Button(button, false);
      if (window) scripted_input::Focus(Sdl(), false);  // lets go of every key
      compat::testing::PumpWindowEvents();
    }
    input.reset();
    compat::testing::UnplugSystemMouse(false);
    while (SDL_NumJoysticks() > 0 && SDL_JoystickIsVirtual(0)) SDL_JoystickDetachVirtual(0);
    if (window) DestroyWindow(window);
    SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
    EXPECT_EQ(0, compat::testing::LiveObjectCount());
  }

  int AttachJoystick(int axes, int buttons, int hats) {
    const int index = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, axes, buttons, hats);
    EXPECT_GE(index, 0) << SDL_GetError();
    return index;
  }

  SDL_Window* Sdl() const { return compat::testing::SdlWindowOf(window); }

  HWND window = nullptr;
  std::unique_ptr<DirectInput> input;
};
