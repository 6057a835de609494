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
  WorldBounds ModelBounds() override;
  bool OpenModel(const std::wstring& file) override;
  // Builds the mesh from the first mesh record of `meshes`, if there is one.
  void BuildFirstMesh(const std::vector<XMesh>* meshes);
};
