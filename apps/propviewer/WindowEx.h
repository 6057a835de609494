// The static viewer's application window: the first mesh of the static
// model, drawn every frame over the floor grid.
#pragma once

#include "common/ViewerWindow.h"
#include "model/Mesh.h"

class WindowEx : public ViewerWindow {
 public:
  Mesh mesh;

 private:
  void LoadEffects() override;
  void CreateModel() override;
  Object3D& Walker() override { return mesh; }
  void DrawModel() override;
};
