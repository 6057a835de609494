#include "propviewer/WindowEx.h"

#include "common/ModelReload.h"
#include "common/RunOptions.h"
#include "render/Effect.h"
#include "render/MeshDrawing.h"
#include "xfile/ModelLoading.h"

void WindowEx::LoadEffects() { LoadEffect(direct3d9.device, L"mesh.cfx"); }

void WindowEx::CreateModel() {
  LoadModel(direct3d9.device);
  ShowMeshes(FindModel());
  // The model keeps its file size unless the command line chose another scale.
  const float scale = g_RunOptions.Scale();
  prop.scale = D3DXVECTOR3(scale, scale, scale);
}

void WindowEx::ShowMeshes(const std::vector<XMesh>* records) {
  meshes.clear();
  if (!records) return;
  meshes.resize(records->size());
  for (std::size_t i = 0; i < meshes.size(); ++i) meshes[i].Setup(&(*records)[i], direct3d9.device);
}

D3DXMATRIX WindowEx::MeshWorldMatrix(std::size_t i) const {
  D3DXMATRIX placed = prop.world;
  if (i < meshes.size() && meshes[i].record) D3DXMatrixMultiply(&placed, &meshes[i].record->frameTransform, &prop.world);
  return placed;
}

void WindowEx::DrawModel() {
  prop.UpdateWorldMatrix();
  for (std::size_t i = 0; i < meshes.size(); ++i) {
    meshes[i].frameMatrix = MeshWorldMatrix(i);
    DrawMesh(meshes[i]);
  }
}

WorldBounds WindowEx::ModelBounds() {
  WorldBounds bounds;
  prop.UpdateWorldMatrix();
  for (std::size_t i = 0; i < meshes.size(); ++i) AddMeshBounds(meshes[i], MeshWorldMatrix(i), bounds);
  return bounds;
}

// Placed as DrawModel placed them this frame.
std::vector<PlacedNormal> WindowEx::ModelNormals() {
  std::vector<PlacedNormal> normals;
  for (std::size_t i = 0; i < meshes.size(); ++i)
    if (meshes[i].record) AddPlacedNormals(*meshes[i].record, meshes[i].frameMatrix, normals);
  return normals;
}

bool WindowEx::OpenModel(const std::wstring& file) {
  if (file == g_ModelFileName) return true;
  if (!LoadModelFile(direct3d9.device, file) || !FindModelFile(file)) return false;
  const std::wstring previous = g_ModelFileName;
  g_ModelFileName = file;
  ShowMeshes(FindModelFile(file));
  ReleaseModelFile(previous);
  return true;
}

bool WindowEx::ReloadModel(std::string& why) {
  return ReloadModelFile(
      direct3d9.device, g_ModelFileName, [this](std::vector<XMesh>* records) { ShowMeshes(records); }, why);
}
