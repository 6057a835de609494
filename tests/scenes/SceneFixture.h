// A viewer's scene run inside the test: its window created as the program
// creates it, frames run one by one, and everything released afterwards.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "common/RunOptions.h"
#include "compat/testing.h"
#include "input/ScriptedInput.h"
#include "support/DebugGeometryTeardown.h"
#include "support/StderrCapture.h"
#include "render/Effect.h"
#include "support/RenderDevice.h"
#include "render/Texture.h"
#include "compat/testing_win32.h"
#include "platform/TextConversion.h"
#include "window/WindowRegistry.h"
#include "xfile/ModelLoading.h"
#include "xfile/ModelRegistry.h"

template <class Scene>
class SceneFixture : public ::testing::Test {
 protected:
  explicit SceneFixture(const ProgramTraits& program) { g_RunOptions.Reset(program); }

  ~SceneFixture() override {
    compat::testing::UseSystemPerformanceCounter();
    // The scene's window goes first, as closing it does in the programs.
    for (auto [handle, window] : g_WindowMap)
      if (window == scene_.get()) DestroyWindow(handle);
    g_WindowMap.clear();
    compat::testing::PumpWindowEvents();
    scene_.reset();
    g_EffectMap.clear();
    g_TextureMap.clear();
    g_ModelRegistry.clear();
    g_ModelFileName = kModelFileName;
    compat::testing::RunWithoutConsole(false);
    TearDownDebugGeometry();
    EXPECT_EQ(compat::testing::LiveObjectCount(), 0);
  }

  // Parses `arguments` as the program's command line, as its entry does;
  // before Start.
  void Options(std::vector<std::string> arguments) {
    const ProgramTraits program = g_RunOptions.Program();  // Parse starts from nothing
    arguments.insert(arguments.begin(), ToUtf8(program.name));
    compat::testing::SetCommandLine(arguments);
    ASSERT_TRUE(g_RunOptions.Parse(program));
  }

  // Creates the scene's window on `model` (run from the shipped assets folder
  // unless `folder` is given), as the program's entry does.
  Scene& Start(const std::wstring& model, const std::filesystem::path& folder = {}) {
    // As in the program, which has no console: the model's text is not echoed.
    compat::testing::RunWithoutConsole(true);
    std::filesystem::current_path(folder.empty() ? std::filesystem::path(XVIEW_SOURCE_DIR) / "assets" : folder);
    g_ModelFileName = model;
    scene_ = std::make_unique<Scene>();
    EXPECT_TRUE(scene_->Create(L"Application", 640, 480, CW_USEDEFAULT, CW_USEDEFAULT, L"BASIC_WINDOW", nullptr,
                               WS_OVERLAPPEDWINDOW, 0, nullptr));
    std::filesystem::current_path(previous_);
    return *scene_;
  }

  void Frames(int count) {
    for (int i = 0; i < count; ++i) {
      compat::testing::AdvancePerformanceCounter(frameCounts_);
      scene_->OnFrame();
    }
  }

  // From here on the performance counter is the test's, and each frame moves
  // it by `seconds`; call before Start.
  void UseFrameTime(double seconds) {
    compat::testing::UseManualPerformanceCounter(1000);
    frameCounts_ = static_cast<LONGLONG>(seconds * 1000.0);
  }

  // A key down for one frame (read as Pressed), then up for one.
  void TapKey(SDL_Scancode key) { HoldKey(key, 1); }

  // Presses and lets go of a key `times` times between two frames, quicker
  // than the frames can see it down.
  void TapBetweenFrames(SDL_Scancode key, int times = 1) {
    for (int i = 0; i < times; ++i) {
      scripted_input::Key(key, true);
      scripted_input::Key(key, false);
    }
  }

  // What a tap of `key` writes on standard error (where the scenes of the
  // tests talk to the user).
  std::string SaidForTap(SDL_Scancode key) {
    StderrCapture said;
    TapKey(key);
    return said.Take();
  }

  // Holds a key for `frames` frames, then lets it go.
  void HoldKey(SDL_Scancode key, int frames) {
    scripted_input::Key(key, true);
    Frames(frames);
    scripted_input::Key(key, false);
    Frames(1);
  }

  LONGLONG frameCounts_ = 0;
  std::filesystem::path previous_ = std::filesystem::current_path();
  std::unique_ptr<Scene> scene_;
};

// The world position a walk of `frames` frames along +Z reaches from the origin.
inline void ExpectWalkedForward(const D3DXVECTOR3& position, float frames) {
  EXPECT_NEAR(position.x, 0.0f, 1e-4f);
  EXPECT_NEAR(position.y, 0.0f, 1e-4f);
  EXPECT_NEAR(position.z, frames, 1e-3f);
}
