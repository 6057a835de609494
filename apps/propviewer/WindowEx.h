// The static viewer's application window: every mesh of the static model,
// each placed by its frames, drawn every frame over the floor grid and walked
// as one.
#pragma once

#include <vector>

#include "common/ViewerWindow.h"
#include "model/Mesh.h"

class WindowEx : public ViewerWindow {
 public:
  Object3D prop;             // where the whole model stands: its scale, heading and position
  std::vector<Mesh> meshes;  // one per mesh record, in file order

  // The matrix that places mesh `i` in the world: its frames' transform
  // times the prop's world matrix (as the last UpdateWorldMatrix left it).
  D3DXMATRIX MeshWorldMatrix(std::size_t i) const;

 private:
  void LoadEffects() override;
  void CreateModel() override;
  Object3D& Walker() override { return prop; }
  void DrawModel() override;
  WorldBounds ModelBounds() override;
  std::vector<PlacedNormal> ModelNormals() override;
  bool OpenModel(const std::wstring& file) override;
  bool ReloadModel(std::string& why) override;
  // Builds one mesh per record of `records` (none for null), in place of the
  // meshes shown; the prop keeps where it stands.
  void ShowMeshes(const std::vector<XMesh>* records);
};
