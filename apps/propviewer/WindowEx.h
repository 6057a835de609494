// The static viewer's application window: brings up the device, input,
// effects, camera and the first mesh of the static model when created; every
// frame it steers the camera, walks the model and draws it over the floor
// grid.
#pragma once

#include "model/Mesh.h"
#include "platform/Camera.h"
#include "platform/Direct3D9.h"
#include "platform/DirectInput.h"
#include "window/Window.h"

class WindowEx : public Window {
 public:
  ~WindowEx() override;
  int OnCreate(HWND hwnd, CREATESTRUCTW* createStruct) override;
  void OnFrame() override;

  // The scene's parts, in the order they are built; open to the tests that
  // watch the scene run.
  Direct3D9 direct3d9;
  DirectInput input;
  DebugCamera camera;
  Mesh mesh;
};
