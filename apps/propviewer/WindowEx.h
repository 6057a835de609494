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
  std::vector<PlacedNormal> ModelNormals() override;
  bool OpenModel(const std::wstring& file) override;
  bool ReloadModel(std::string& why) override;
  // Builds the mesh from the first mesh record of `meshes`, if there is one.
  void BuildFirstMesh(const std::vector<XMesh>* meshes);
  // The mesh keeps where it stands and takes the first mesh of `meshes`.
  void ShowMeshes(const std::vector<XMesh>* meshes);
};
