// What both viewers' application windows share: when created, the device,
// the input devices, the debug geometry, the effects, the debug camera and
// its projection, in that order, and then the program's model; every frame,
// the input, the camera, walking the model, and the picture of the floor
// grid, the axes and the model. Each program's WindowEx adds only its model.
#pragma once

#include <windows.h>
#include <d3dx9.h>

#include "model/Object3D.h"
#include "platform/Camera.h"
#include "platform/Direct3D9.h"
#include "platform/DirectInput.h"
#include "common/ProgramShell.h"
#include "common/RunOptions.h"
#include "window/MessageLoop.h"
#include "window/Window.h"

class ViewerWindow : public Window {
 public:
  int OnCreate(HWND hwnd, CREATESTRUCTW* createStruct) final;
  void OnFrame() final;

  // The scene's parts, in the order they are built (the program's model comes
  // last, in WindowEx); open to the tests that watch the scene run.
  Direct3D9 direct3d9;
  DirectInput input;
  DebugCamera camera;

 protected:
  // The program's effect files, loaded after the debug geometry.
  virtual void LoadEffects() = 0;
  // Loads the program's model file and sets up its drawable.
  virtual void CreateModel() = 0;
  // The drawable that W, A, S and D walk.
  virtual Object3D& Walker() = 0;
  // What else the model does each frame, after walking and before drawing.
  virtual void AdvanceModel() {}
  // Draws the model, between the floor and the end of the scene.
  virtual void DrawModel() = 0;
};

// The program's application window, of the window class and with the title
// and client size the programs share, run until it closes. Returns the
// program's exit code: 1 when the window could not be made (said on standard
// error), else what the run options decided.
template <class ProgramWindow>
int RunViewerWindow(const char* programName) {
  constexpr int kClientWidth = 640, kClientHeight = 480;
  ProgramWindow window;
  if (!window.Create(L"Application", kClientWidth, kClientHeight, CW_USEDEFAULT, CW_USEDEFAULT, L"BASIC_WINDOW",
                     nullptr, WS_OVERLAPPEDWINDOW, 0, nullptr)) {
    ReportWindowFailure(programName);
    return 1;
  }
  RunMessageLoop();
  return g_RunOptions.ExitCode();
}
